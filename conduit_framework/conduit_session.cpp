#include "conduit_framework/conduit_session.h"

namespace kv::conduit {

void ConduitSession::ReleaseLists() {
    os::FreeMovable(handheld_ids);
    handheld_ids = nullptr;
    handheld_id_count = 0;
}

void ConduitSession::Reset() {
    ReleaseLists();
    *this = ConduitSession();
}

}  // namespace kv::conduit
