#include "emulation/handheld/sync_session.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace kv::handheld {
namespace {

uint32_t PalmNow() {
    return PalmTimeFromUnix(static_cast<int64_t>(std::time(nullptr)));
}

// The handheld of KV_HANDHELD; false (reported) when it is not set.
bool CurrentDevice(HandheldDevice* device) {
    if (HandheldDevice::FromEnvironment(device)) return true;
    std::fprintf(stderr, "sync20: %s is not set: no handheld\n", kHandheldEnv);
    return false;
}

// The name in a fixed field, when it is terminated within the field.
bool FieldText(const char* field, size_t size, std::string* text) {
    const void* end = std::memchr(field, 0, size);
    if (!end) return false;
    text->assign(field, static_cast<const char*>(end));
    return true;
}

}  // namespace

SyncSession& SyncSession::Instance() {
    static SyncSession* session = new SyncSession();  // lives until the process ends
    return *session;
}

SyncSession::SyncSession() {
    const char* list = std::getenv(kSyncFaultsEnv);
    std::string error;
    if (list && !faults_.PlanList(list, &error))
        std::fprintf(stderr, "sync20: %s: %s\n", kSyncFaultsEnv, error.c_str());
}

// Everyday answers (not found, already open, bad name) go to the caller
// only; faults of the handheld or the machine are also written down.
int32_t SyncSession::Report(int32_t rc, const std::string& message) {
    bool fault = rc == kSyncErrCorruptDatabase || rc == kSyncErrWrite || rc == kSyncErrGeneral;
    if (fault && !message.empty()) std::fprintf(stderr, "sync20: %s\n", message.c_str());
    return rc;
}

int32_t SyncSession::Register(SyncConduitHandle* handle) {
    if (!handle) return kSyncErrBadArgument;
    while (next_conduit_ == 0 || conduits_.count(next_conduit_)) ++next_conduit_;
    *handle = next_conduit_++;
    conduits_.insert(*handle);
    return 0;
}

int32_t SyncSession::Unregister(SyncConduitHandle handle) {
    return conduits_.erase(handle) ? 0 : kSyncErrNotRegistered;
}

int32_t SyncSession::ReadUserIdentity(SyncUserIdentity* user) {
    if (conduits_.empty()) return kSyncErrNotRegistered;
    if (!user) return kSyncErrBadArgument;
    HandheldDevice device("");
    if (!CurrentDevice(&device)) return kSyncErrNoUser;
    HandheldUser found;
    if (int32_t rc = device.ReadUser(&found)) return rc;
    SyncUserIdentity out{};
    std::memcpy(out.name, found.name.data(), found.name.size());  // at most 63 bytes
    out.user_id = found.user_id;
    out.last_sync_pc = found.last_sync_pc;
    *user = out;
    return 0;
}

HandheldDatabase* SyncSession::Find(SyncDatabase database, int32_t* rc) {
    *rc = 0;
    if (conduits_.empty()) {
        *rc = kSyncErrNotRegistered;
        return nullptr;
    }
    auto it = databases_.find(database);
    if (it == databases_.end()) {
        *rc = kSyncErrBadArgument;
        return nullptr;
    }
    return it->second.get();
}

int32_t SyncSession::Adopt(std::unique_ptr<HandheldDatabase> db, SyncDatabase* database) {
    while (next_database_ <= 0 || databases_.count(next_database_)) {
        next_database_ = next_database_ <= 0 ? 1 : next_database_ + 1;
    }
    *database = next_database_++;
    databases_[*database] = std::move(db);
    return 0;
}

int32_t SyncSession::Open(const char* name, int32_t card, SyncDatabase* database) {
    if (conduits_.empty()) return kSyncErrNotRegistered;
    if (!name || !database) return kSyncErrBadArgument;
    std::string text = name;
    if (CheckDatabaseName(text) != 0) return kSyncErrBadName;
    if (card != 0) return kSyncErrNotFound;
    HandheldDevice device("");
    if (!CurrentDevice(&device)) return kSyncErrGeneral;
    std::unique_ptr<HandheldDatabase> db;
    std::string error;
    int32_t rc = HandheldDatabase::Open(device, text, &db, &error);
    if (rc != 0) return Report(rc, error);
    return Adopt(std::move(db), database);
}

int32_t SyncSession::Create(SyncDatabaseSpec* spec) {
    if (conduits_.empty()) return kSyncErrNotRegistered;
    if (!spec) return kSyncErrBadArgument;
    NewDatabase wanted;
    if (!FieldText(spec->name, sizeof spec->name, &wanted.name)) return kSyncErrBadName;
    if (CheckDatabaseName(wanted.name) != 0) return kSyncErrBadName;
    if (spec->card != 0) return kSyncErrBadArgument;
    wanted.creator = spec->creator;
    wanted.type = spec->type;
    wanted.attributes = spec->flags;
    wanted.version = spec->version;
    HandheldDevice device("");
    if (!CurrentDevice(&device)) return kSyncErrGeneral;
    std::unique_ptr<HandheldDatabase> db;
    std::string error;
    int32_t rc = HandheldDatabase::Create(device, wanted, PalmNow(), &db, &error);
    if (rc != 0) return Report(rc, error);
    return Adopt(std::move(db), &spec->database);
}

int32_t SyncSession::Close(SyncDatabase database) {
    int32_t rc = 0;
    HandheldDatabase* db = Find(database, &rc);
    if (!db) return rc;
    std::string error;
    rc = db->Close(PalmNow(), &error);
    databases_.erase(database);
    return Report(rc, error);
}

int32_t SyncSession::RecordCount(SyncDatabase database, uint16_t* count) {
    int32_t rc = 0;
    HandheldDatabase* db = Find(database, &rc);
    if (!db) return rc;
    if (!count) return kSyncErrBadArgument;
    *count = db->record_count();
    return 0;
}

int32_t SyncSession::ReadAt(HandheldDatabase* db, uint16_t index, SyncRecord* record) {
    if (!record->buffer && record->buffer_size != 0) return kSyncErrBadArgument;
    RecordInfo info;
    int32_t rc = db->Read(index, &info, record->buffer, record->buffer_size);
    if (rc != 0 && rc != kSyncErrBufferTooSmall) return rc;
    record->record_id = info.id;
    record->index = info.index;
    record->attributes = info.attributes;
    record->category = info.category;
    record->record_size = info.size;
    return rc;
}

int32_t SyncSession::ReadByIndex(SyncRecord* record) {
    if (!record) return conduits_.empty() ? kSyncErrNotRegistered : kSyncErrBadArgument;
    int32_t rc = 0;
    HandheldDatabase* db = Find(record->database, &rc);
    if (!db) return rc;
    return ReadAt(db, record->index, record);
}

int32_t SyncSession::ReadById(SyncRecord* record) {
    if (!record) return conduits_.empty() ? kSyncErrNotRegistered : kSyncErrBadArgument;
    int32_t rc = 0;
    HandheldDatabase* db = Find(record->database, &rc);
    if (!db) return rc;
    uint16_t index = 0;
    if ((rc = db->FindIndex(record->record_id, &index)) != 0) return rc;
    return ReadAt(db, index, record);
}

int32_t SyncSession::Write(SyncRecord* record) {
    if (!record) return conduits_.empty() ? kSyncErrNotRegistered : kSyncErrBadArgument;
    int32_t rc = 0;
    HandheldDatabase* db = Find(record->database, &rc);
    if (!db) return rc;
    if (!record->buffer && record->record_size != 0) return kSyncErrBadArgument;
    uint32_t id = record->record_id;
    uint16_t index = 0;
    rc = db->Write(&id, record->attributes, record->category, record->buffer, record->record_size,
                   &index);
    if (rc != 0) return rc;
    record->record_id = id;
    record->index = index;
    return 0;
}

int32_t SyncSession::Delete(SyncRecord* record) {
    if (!record) return conduits_.empty() ? kSyncErrNotRegistered : kSyncErrBadArgument;
    int32_t rc = 0;
    HandheldDatabase* db = Find(record->database, &rc);
    if (!db) return rc;
    return db->Delete(record->record_id);
}

int32_t SyncSession::DeleteAll(SyncDatabase database) {
    int32_t rc = 0;
    HandheldDatabase* db = Find(database, &rc);
    if (!db) return rc;
    db->DeleteAll();
    return 0;
}

int32_t SyncSession::WriteAppInfo(SyncDatabase database, const uint8_t* block, uint16_t size) {
    int32_t rc = 0;
    HandheldDatabase* db = Find(database, &rc);
    if (!db) return rc;
    if (!block && size != 0) return kSyncErrBadArgument;
    db->WriteAppInfo(block, size);
    return 0;
}

int32_t SyncSession::PurgeMarked(SyncDatabase database) {
    int32_t rc = 0;
    HandheldDatabase* db = Find(database, &rc);
    if (!db) return rc;
    db->PurgeMarked();
    return 0;
}

int32_t SyncSession::ClearDirty(SyncDatabase database) {
    int32_t rc = 0;
    HandheldDatabase* db = Find(database, &rc);
    if (!db) return rc;
    db->ClearDirty();
    return 0;
}

}  // namespace kv::handheld
