// The record buffer: the one 64,000-byte buffer through which a conduit
// library packs, writes and reads handheld records. Every handheld read states
// its full size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv::conduit {

constexpr size_t kRecordBufferSize = 64000;

// The conduit library's buffer (process-wide, one synchronisation at a time).
uint8_t* RecordBuffer();

}  // namespace kv::conduit
