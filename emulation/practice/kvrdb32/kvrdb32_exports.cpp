// The entry points of kvrdb32: each takes the library's lock and hands over
// to OpenHandles. Nothing may cross an entry point but its result, so a
// failure that throws answers as the call's failure value.
//
// Error numbers (KDB_GetLastErrorNum) are listed in open_handles.h.
#include <type_traits>

#include "emulation/practice/kvrdb32/open_handles.h"
#include "platform/practice_database_api.h"

namespace {

using kv::practice::kdb::Lookup;
using kv::practice::kdb::OpenHandles;

template <typename R, typename Work>
R Guarded(R failed, Work&& work) noexcept {
    try {
        OpenHandles& handles = OpenHandles::Instance();
        std::lock_guard<std::mutex> lock(handles.mutex());
        return work(handles);
    } catch (...) {
        return failed;
    }
}

template <typename Work>
void GuardedVoid(Work&& work) noexcept {
    Guarded(0, [&](OpenHandles& handles) {
        work(handles);
        return 0;
    });
}

}  // namespace

extern "C" {

KV_EXPORT int KV_PRACTICE_CALL KDB_InitDataBase(const char* data_directory) {
    return Guarded(0, [&](OpenHandles& h) { return h.InitDataBase(data_directory); });
}

// Every mode opens the same kind of session.
KV_EXPORT KdbSession KV_PRACTICE_CALL KDB_StartSession(int /*mode*/) {
    return Guarded(KdbSession{0}, [&](OpenHandles& h) { return h.StartSession(); });
}

KV_EXPORT void KV_PRACTICE_CALL KDB_EndSession(KdbSession session) {
    GuardedVoid([&](OpenHandles& h) { h.EndSession(session); });
}

KV_EXPORT KdbFile KV_PRACTICE_CALL KDB_OpenFile(KdbSession session, int file_number) {
    return Guarded(KdbFile{0}, [&](OpenHandles& h) { return h.OpenFile(session, file_number); });
}

KV_EXPORT void KV_PRACTICE_CALL KDB_CloseFile(KdbFile file) {
    GuardedVoid([&](OpenHandles& h) { h.CloseFile(file); });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_FindRec(KdbFile file, int key_number, const void* key_value,
                                           void* record) {
    return Guarded(0, [&](OpenHandles& h) {
        return h.Find(file, key_number, key_value, record, Lookup::kEqual);
    });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_GreaterThanOrEqualRec(KdbFile file, int key_number,
                                                         const void* key_value, void* record) {
    return Guarded(0, [&](OpenHandles& h) {
        return h.Find(file, key_number, key_value, record, Lookup::kGreaterOrEqual);
    });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_FirstRec(KdbFile file, int key_number, void* record) {
    return Guarded(0, [&](OpenHandles& h) { return h.First(file, key_number, record); });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_NextRec(KdbFile file, int key_number, void* record) {
    return Guarded(0, [&](OpenHandles& h) { return h.Next(file, key_number, record); });
}

// reserved is not used; a prefix_length outside 1..key length means the whole key.
KV_EXPORT KdbSet KV_PRACTICE_CALL KDB_StartSet(KdbFile file, int key_number, int /*reserved*/,
                                               const void* key_value, void* record,
                                               int prefix_length) {
    return Guarded(KdbSet{0}, [&](OpenHandles& h) {
        return h.StartSet(file, key_number, key_value, record, prefix_length);
    });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_NextRecInSet(KdbSet set, void* record) {
    return Guarded(0, [&](OpenHandles& h) { return h.NextInSet(set, record); });
}

KV_EXPORT void KV_PRACTICE_CALL KDB_EndSet(KdbSet set) {
    GuardedVoid([&](OpenHandles& h) { h.EndSet(set); });
}

KV_EXPORT uint16_t KV_PRACTICE_CALL KDB_GetVarRecLength(KdbFile file) {
    return Guarded(uint16_t{0}, [&](OpenHandles& h) { return h.CurrentLength(file); });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_ReadEntireVarRec(KdbFile file, void* buffer) {
    return Guarded(0, [&](OpenHandles& h) { return h.ReadCurrent(file, buffer); });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_WriteRec(KdbFile file, const void* record) {
    return Guarded(0, [&](OpenHandles& h) { return h.Write(file, record); });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_AddRec(KdbFile file, const void* record) {
    return Guarded(0, [&](OpenHandles& h) { return h.Add(file, record); });
}

KV_EXPORT int KV_PRACTICE_CALL KDB_GetLastErrorNum(KdbSession session) {
    return Guarded(0, [&](OpenHandles& h) { return h.LastError(session); });
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&KDB_InitDataBase), KDB_InitDataBase_fn>);
static_assert(std::is_same_v<decltype(&KDB_StartSession), KDB_StartSession_fn>);
static_assert(std::is_same_v<decltype(&KDB_EndSession), KDB_EndSession_fn>);
static_assert(std::is_same_v<decltype(&KDB_OpenFile), KDB_OpenFile_fn>);
static_assert(std::is_same_v<decltype(&KDB_CloseFile), KDB_CloseFile_fn>);
static_assert(std::is_same_v<decltype(&KDB_FindRec), KDB_FindRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_GreaterThanOrEqualRec), KDB_GreaterThanOrEqualRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_FirstRec), KDB_FirstRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_NextRec), KDB_NextRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_StartSet), KDB_StartSet_fn>);
static_assert(std::is_same_v<decltype(&KDB_NextRecInSet), KDB_NextRecInSet_fn>);
static_assert(std::is_same_v<decltype(&KDB_EndSet), KDB_EndSet_fn>);
static_assert(std::is_same_v<decltype(&KDB_GetVarRecLength), KDB_GetVarRecLength_fn>);
static_assert(std::is_same_v<decltype(&KDB_ReadEntireVarRec), KDB_ReadEntireVarRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_WriteRec), KDB_WriteRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_AddRec), KDB_AddRec_fn>);
static_assert(std::is_same_v<decltype(&KDB_GetLastErrorNum), KDB_GetLastErrorNum_fn>);
