#include "conduit_framework/record_buffer.h"

namespace kv::conduit {
namespace {

// Zero-initialised before any constructor of the library runs.
uint8_t g_record_buffer[kRecordBufferSize];

}  // namespace

uint8_t* RecordBuffer() {
    return g_record_buffer;
}

}  // namespace kv::conduit
