#include "emulation/handheld/handheld_database.h"

#include <algorithm>
#include <cstring>

#include "platform/sync_manager.h"

namespace kv::handheld {
namespace {

constexpr uint8_t kKeptFlags = kPdbRecDirty | kPdbRecBusy | kPdbRecSecret;

static_assert(kMaxRecordSize == kSyncMaxRecordSize && kPdbMaxRecords == kSyncMaxRecords &&
                  kPdbMaxNameLength == kSyncMaxNameLength,
              "the file's limits are the device's");

}  // namespace

uint8_t SyncAttributesOf(const PdbRecord& record) {
    static_assert(kSyncRecDirty == kPdbRecDirty && kSyncRecBusy == kPdbRecBusy &&
                      kSyncRecSecret == kPdbRecSecret,
                  "dirty, busy and secret have the same bits in the file");
    uint8_t attributes = record.flags & kKeptFlags;
    if (record.flags & kPdbRecDelete)
        attributes |= record.data.empty() ? kSyncRecDeleted : kSyncRecArchived;
    return attributes;
}

uint8_t FileFlagsOf(uint8_t sync_attributes) {
    uint8_t flags = sync_attributes & kKeptFlags;
    if (sync_attributes & (kSyncRecDeleted | kSyncRecArchived)) flags |= kPdbRecDelete;
    return flags;
}

HandheldDatabase::HandheldDatabase(const HandheldDevice& device, std::string name,
                                   DatabaseLock lock, PdbDatabase db)
    : device_(device),
      name_(std::move(name)),
      path_(device.DatabasePath(name_)),
      lock_(std::move(lock)),
      db_(std::move(db)) {
    ids_.reserve(db_.records.size());
    for (const PdbRecord& r : db_.records) ids_.insert(r.unique_id);
}

int32_t HandheldDatabase::Open(const HandheldDevice& device, const std::string& name,
                               std::unique_ptr<HandheldDatabase>* out, std::string* error) {
    if (int32_t rc = CheckDatabaseName(name)) {
        *error = "bad database name \"" + name + "\"";
        return rc;
    }
    DatabaseLock lock;
    if (int32_t rc = device.Lock(name, &lock, error)) return rc;
    PdbDatabase db;
    if (int32_t rc = device.Load(name, &db, error)) return rc;
    out->reset(new HandheldDatabase(device, name, std::move(lock), std::move(db)));
    return 0;
}

int32_t HandheldDatabase::Create(const HandheldDevice& device, const NewDatabase& spec,
                                 uint32_t now, std::unique_ptr<HandheldDatabase>* out,
                                 std::string* error) {
    if (int32_t rc = CheckDatabaseName(spec.name)) {
        *error = "bad database name \"" + spec.name + "\"";
        return rc;
    }
    if (spec.attributes & kPdbAttrResourceDb) {
        *error = spec.name + ": resource databases are not supported";
        return kSyncErrBadArgument;
    }
    DatabaseLock lock;
    if (int32_t rc = device.Lock(spec.name, &lock, error)) return rc;
    if (device.Exists(spec.name)) {
        *error = device.DatabasePath(spec.name) + ": already exists";
        return kSyncErrAlreadyExists;
    }
    PdbDatabase db;
    db.name = spec.name;
    db.attributes = spec.attributes;
    db.version = spec.version;
    db.creation_time = now;
    db.modification_time = now;
    db.type = spec.type;
    db.creator = spec.creator;
    db.unique_id_seed = kFirstUniqueId;
    out->reset(new HandheldDatabase(device, spec.name, std::move(lock), std::move(db)));
    (*out)->changed_ = true;  // a new database is written at its close
    return 0;
}

int32_t HandheldDatabase::FindIndex(uint32_t id, uint16_t* index) const {
    if (ids_.count(id) == 0) return kSyncErrRecordNotFound;
    for (size_t i = 0; i < db_.records.size(); ++i) {
        if (db_.records[i].unique_id == id) {
            *index = static_cast<uint16_t>(i);
            return 0;
        }
    }
    return kSyncErrRecordNotFound;
}

int32_t HandheldDatabase::Read(uint16_t index, RecordInfo* info, uint8_t* buffer,
                               uint32_t buffer_size) const {
    if (index >= db_.records.size()) return kSyncErrRecordNotFound;
    const PdbRecord& r = db_.records[index];
    info->id = r.unique_id;
    info->index = index;
    info->attributes = SyncAttributesOf(r);
    info->category = r.category;
    info->size = static_cast<uint32_t>(r.data.size());
    if (r.data.size() > buffer_size) return kSyncErrBufferTooSmall;
    if (!r.data.empty()) std::memcpy(buffer, r.data.data(), r.data.size());
    return 0;
}

uint32_t HandheldDatabase::TakeUniqueId() {
    uint32_t id = handheld::TakeUniqueId(
        &db_.unique_id_seed, [&](uint32_t candidate) { return ids_.count(candidate) != 0; });
    ids_.insert(id);
    return id;
}

int32_t HandheldDatabase::Write(uint32_t* id, uint8_t attributes, int category, const uint8_t* data,
                                uint32_t size, uint16_t* index) {
    if (category < 0 || category > kPdbCategoryMask) return kSyncErrBadArgument;
    if (size > kMaxRecordSize) return kSyncErrRecordTooLarge;
    PdbRecord* target = nullptr;
    if (*id == 0) {
        if (db_.records.size() >= kPdbMaxRecords) return kSyncErrTooManyRecords;
        db_.records.emplace_back();
        target = &db_.records.back();
        target->unique_id = TakeUniqueId();
        *id = target->unique_id;
        *index = static_cast<uint16_t>(db_.records.size() - 1);
    } else {
        if (int32_t rc = FindIndex(*id, index)) return rc;
        target = &db_.records[*index];
    }
    target->flags = FileFlagsOf(attributes);
    target->category = static_cast<uint8_t>(category);
    target->data.assign(data, data + size);
    changed_ = true;
    return 0;
}

int32_t HandheldDatabase::Delete(uint32_t id) {
    uint16_t index = 0;
    if (int32_t rc = FindIndex(id, &index)) return rc;
    db_.records.erase(db_.records.begin() + index);
    ids_.erase(id);
    changed_ = true;
    return 0;
}

void HandheldDatabase::DeleteAll() {
    if (db_.records.empty()) return;
    db_.records.clear();
    ids_.clear();
    changed_ = true;
}

void HandheldDatabase::WriteAppInfo(const uint8_t* block, size_t size) {
    db_.app_info.assign(block, block + size);
    changed_ = true;
}

void HandheldDatabase::PurgeMarked() {
    auto marked = [](const PdbRecord& r) { return (r.flags & kPdbRecDelete) != 0; };
    auto first = std::remove_if(db_.records.begin(), db_.records.end(), marked);
    if (first == db_.records.end()) return;
    db_.records.erase(first, db_.records.end());
    ids_.clear();
    for (const PdbRecord& r : db_.records) ids_.insert(r.unique_id);
    changed_ = true;
}

void HandheldDatabase::ClearDirty() {
    for (PdbRecord& r : db_.records) {
        if (r.flags & kPdbRecDirty) {
            r.flags &= static_cast<uint8_t>(~kPdbRecDirty);
            changed_ = true;
        }
    }
}

int32_t HandheldDatabase::Close(uint32_t now, std::string* error) {
    int32_t rc = 0;
    if (changed_) {
        ++db_.modification_number;
        db_.modification_time = now;
        rc = device_.Store(name_, db_, error);
        if (rc == 0) changed_ = false;
    }
    lock_.Release();
    return rc;
}

}  // namespace kv::handheld
