#include "emulation/practice/kvrdb32/open_handles.h"

#include <algorithm>
#include <cstring>

#include "emulation/practice/installation.h"
#include "platform/bounded_text.h"

namespace kv::practice::kdb {
namespace {

constexpr int32_t kSlotsPerSession = 32768;
constexpr uint32_t kMaxSlot = kSlotsPerSession - 1;
constexpr uint32_t kMaxSession = 65535;

int32_t HandleFor(KdbSession session, uint16_t slot) {
    return int32_t{session} * kSlotsPerSession + slot;
}
KdbSession SessionPart(int32_t handle) {
    return handle > 0 ? static_cast<KdbSession>(handle / kSlotsPerSession) : 0;
}
uint16_t SlotPart(int32_t handle) {
    return static_cast<uint16_t>(handle % kSlotsPerSession);
}

// A number in 1..limit that taken does not hold, starting at *next so that a
// number just given up is not handed out again at once; 0 when all are taken.
template <typename Map>
uint16_t FreeNumber(const Map& taken, uint16_t* next, uint32_t limit) {
    for (uint32_t tries = 0; tries < limit; ++tries) {
        uint16_t candidate = *next;
        *next = candidate >= limit ? 1 : static_cast<uint16_t>(candidate + 1);
        if (candidate != 0 && taken.count(candidate) == 0) return candidate;
    }
    return 0;
}

// The file's record length: the record, zero-filled past its end.
void CopyFixedPart(const FileDef& def, const std::vector<uint8_t>& data, void* record) {
    auto* out = static_cast<uint8_t*>(record);
    size_t n = std::min<size_t>(data.size(), def.record_length);
    if (n != 0) std::memcpy(out, data.data(), n);
    std::memset(out + n, 0, def.record_length - n);
}

}  // namespace

OpenHandles& OpenHandles::Instance() {
    static OpenHandles handles;
    return handles;
}

int OpenHandles::InitDataBase(const char* directory) {
    if (!directory) return 0;
    std::string error;
    if (!PracticeStore::Open(directory, &error)) return 0;
    data_directory_ = directory;
    return 1;
}

KdbSession OpenHandles::StartSession() {
    std::string directory = data_directory_.empty() ? InstalledDataDirectory() : data_directory_;
    if (directory.empty()) return 0;
    std::string error;
    std::unique_ptr<PracticeStore> store = PracticeStore::Open(directory, &error);
    if (!store) return 0;
    KdbSession number = FreeNumber(sessions_, &next_session_, kMaxSession);
    if (number == 0) return 0;
    Session session;
    session.store = std::move(store);
    sessions_.emplace(number, std::move(session));
    return number;
}

void OpenHandles::EndSession(KdbSession session) {
    sessions_.erase(session);
}

int OpenHandles::LastError(KdbSession session) const {
    auto found = sessions_.find(session);
    return found == sessions_.end() ? 0 : found->second.last_error;
}

KdbFile OpenHandles::OpenFile(KdbSession session, int file_number) {
    auto found = sessions_.find(session);
    if (found == sessions_.end()) return 0;
    Session& s = found->second;
    const FileDef* def = FindFile(file_number);
    if (!def) return Failed(s, kErrorNoSuchFile);
    uint16_t slot = FreeNumber(s.files, &s.next_file_slot, kMaxSlot);
    if (slot == 0) return Failed(s, kErrorTooManyHandles);
    s.files.emplace(slot, File{def, std::nullopt});
    return HandleFor(session, slot);
}

void OpenHandles::CloseFile(KdbFile file) {
    Session* s = SessionOf(file);
    if (!s) return;
    uint16_t slot = SlotPart(file);
    if (s->files.erase(slot) == 0) return;
    for (auto it = s->sets.begin(); it != s->sets.end();)
        it = it->second.file_slot == slot ? s->sets.erase(it) : std::next(it);
}

int OpenHandles::Find(KdbFile file, int key, const void* key_value, void* record, Lookup how) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    const KeyDef* k = f ? KeyOf(*s, *f, key) : nullptr;
    if (!k) return 0;
    if (!key_value || !record) return Failed(*s, kErrorNullArgument);
    std::string value(static_cast<const char*>(key_value), k->Length());
    PracticeStore& store = *s->store;
    auto found = how == Lookup::kEqual ? store.Find(f->def->number, key, value)
                                       : store.GreaterOrEqual(f->def->number, key, value);
    if (!found) f->current.reset();
    return Land(*s, *f, std::move(found), record);
}

int OpenHandles::First(KdbFile file, int key, void* record) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    const KeyDef* k = f ? KeyOf(*s, *f, key) : nullptr;
    if (!k) return 0;
    if (!record) return Failed(*s, kErrorNullArgument);
    auto found = s->store->First(f->def->number, key);
    if (!found) f->current.reset();
    return Land(*s, *f, std::move(found), record);
}

int OpenHandles::Next(KdbFile file, int key, void* record) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    const KeyDef* k = f ? KeyOf(*s, *f, key) : nullptr;
    if (!k) return 0;
    if (!record) return Failed(*s, kErrorNullArgument);
    if (!f->current) return Failed(*s, kKdbErrorNoSuchRecord);
    return Land(*s, *f, s->store->Next(f->def->number, key, *f->current), record);
}

KdbSet OpenHandles::StartSet(KdbFile file, int key, const void* key_value, void* record,
                             int prefix_length) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    const KeyDef* k = f ? KeyOf(*s, *f, key) : nullptr;
    if (!k) return 0;
    if (!key_value || !record) return Failed(*s, kErrorNullArgument);
    size_t length = k->Length();
    if (prefix_length > 0 && static_cast<size_t>(prefix_length) < length)
        length = static_cast<size_t>(prefix_length);
    std::string prefix(static_cast<const char*>(key_value), length);
    uint16_t slot = FreeNumber(s->sets, &s->next_set_slot, kMaxSlot);
    if (slot == 0) return Failed(*s, kErrorTooManyHandles);

    auto found = s->store->FirstWithPrefix(f->def->number, key, prefix);
    if (!found) f->current.reset();
    StoredRecord position = found ? *found : StoredRecord{};
    if (!Land(*s, *f, std::move(found), record)) return 0;
    s->sets.emplace(slot, Set{SlotPart(file), key, std::move(prefix), std::move(position)});
    return HandleFor(SessionPart(file), slot);
}

int OpenHandles::NextInSet(KdbSet set, void* record) {
    Session* s = SessionOf(set);
    if (!s) return 0;
    auto found_set = s->sets.find(SlotPart(set));
    if (found_set == s->sets.end()) return Failed(*s, kErrorNoSuchHandle);
    if (!record) return Failed(*s, kErrorNullArgument);
    Set& st = found_set->second;
    File& f = s->files.at(st.file_slot);  // closing a file ends its sets
    auto found = s->store->NextWithPrefix(f.def->number, st.key, st.prefix, st.position);
    if (found) st.position = *found;
    return Land(*s, f, std::move(found), record);
}

void OpenHandles::EndSet(KdbSet set) {
    if (Session* s = SessionOf(set)) s->sets.erase(SlotPart(set));
}

uint16_t OpenHandles::CurrentLength(KdbFile file) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    if (!f) return 0;
    if (!f->current) return static_cast<uint16_t>(Failed(*s, kErrorNoCurrentRecord));
    // The store keeps no variable record over 65535 bytes.
    return static_cast<uint16_t>(std::min(f->current->data.size(), kMaxVarRecordLength));
}

int OpenHandles::ReadCurrent(KdbFile file, void* buffer) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    if (!f) return 0;
    if (!buffer) return Failed(*s, kErrorNullArgument);
    if (!f->current) return Failed(*s, kErrorNoCurrentRecord);
    const std::vector<uint8_t>& data = f->current->data;
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    return 1;
}

int OpenHandles::Write(KdbFile file, const void* record) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    if (!f) return 0;
    if (!record) return Failed(*s, kErrorNullArgument);
    if (!f->current) return Failed(*s, kErrorNoCurrentRecord);
    std::optional<std::vector<uint8_t>> data = TakeRecord(*s, *f, record);
    if (!data) return 0;
    if (!s->store->Replace(f->def->number, f->current->row_id, *data))
        return Failed(*s, kErrorDatabase);
    f->current->data = std::move(*data);
    return 1;
}

int OpenHandles::Add(KdbFile file, const void* record) {
    Session* s = nullptr;
    File* f = FileOf(file, &s);
    if (!f) return 0;
    if (!record) return Failed(*s, kErrorNullArgument);
    std::optional<std::vector<uint8_t>> data = TakeRecord(*s, *f, record);
    if (!data) return 0;
    int64_t row_id = 0;
    if (!s->store->Add(f->def->number, *data, &row_id)) return Failed(*s, kErrorDatabase);
    f->current = StoredRecord{row_id, std::move(*data)};
    return 1;
}

OpenHandles::Session* OpenHandles::SessionOf(int32_t handle) {
    auto found = sessions_.find(SessionPart(handle));
    return found == sessions_.end() ? nullptr : &found->second;
}

OpenHandles::File* OpenHandles::FileOf(KdbFile file, Session** session) {
    Session* s = SessionOf(file);
    if (!s) return nullptr;
    auto found = s->files.find(SlotPart(file));
    if (found == s->files.end()) {
        Failed(*s, kErrorNoSuchHandle);
        return nullptr;
    }
    *session = s;
    return &found->second;
}

const KeyDef* OpenHandles::KeyOf(Session& session, const File& file, int key) {
    const KeyDef* def = file.def->FindKey(key);
    if (!def) Failed(session, kErrorNoSuchKey);
    return def;
}

int OpenHandles::Land(Session& session, File& file, std::optional<StoredRecord> found,
                      void* record) {
    if (!found) {
        bool failed = !session.store->last_error().empty();
        return Failed(session, failed ? kErrorDatabase : kKdbErrorNoSuchRecord);
    }
    CopyFixedPart(*file.def, found->data, record);
    file.current = std::move(found);
    return 1;
}

std::optional<std::vector<uint8_t>> OpenHandles::TakeRecord(Session& session, const File& file,
                                                            const void* buffer) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (!file.def->variable) return std::vector<uint8_t>(bytes, bytes + file.def->record_length);
    // The text's terminator ends a variable record; look no further than the
    // longest record could reach.
    constexpr size_t kTextRoom = kMaxVarRecordLength - kVarTextOffset;
    size_t text = BoundedLength(reinterpret_cast<const char*>(bytes + kVarTextOffset), kTextRoom);
    if (text == kTextRoom) {
        Failed(session, kErrorRecordTooLong);
        return std::nullopt;
    }
    return std::vector<uint8_t>(bytes, bytes + kVarTextOffset + text + 1);
}

int OpenHandles::Failed(Session& session, int error) {
    session.last_error = error;
    return 0;
}

}  // namespace kv::practice::kdb
