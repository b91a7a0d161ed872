#include "tools/handheld/record_edits.h"

#include <ctime>

namespace kv::handheld_tool {
namespace {

using handheld::kPdbRecBusy;
using handheld::kPdbRecDelete;
using handheld::kPdbRecDirty;
using handheld::kPdbRecSecret;
using handheld::PdbDatabase;
using handheld::PdbRecord;

bool Fail(std::string* error, const std::string& what) {
    *error = what;
    return false;
}

bool IdInUse(const PdbDatabase& db, uint32_t id) {
    for (const PdbRecord& r : db.records)
        if (r.unique_id == id) return true;
    return false;
}

bool CheckSize(const std::vector<uint8_t>& data, std::string* error) {
    if (data.size() <= kMaxRecordSize) return true;
    return Fail(error, "a record of " + std::to_string(data.size()) +
                           " bytes passes the limit of " + std::to_string(kMaxRecordSize));
}

// Every edit is one modification of the database, as the device counts them.
void NoteModification(PdbDatabase* db) {
    ++db->modification_number;
    db->modification_time = handheld::PalmTimeFromUnix(static_cast<int64_t>(std::time(nullptr)));
}

}  // namespace

bool FindRecord(const PdbDatabase& db, const RecordSelector& which, size_t* index,
                std::string* error) {
    if (!which.by_id) {
        if (which.value >= db.records.size())
            return Fail(error, "no record at index " + std::to_string(which.value) + " (" +
                                   std::to_string(db.records.size()) + " records)");
        *index = which.value;
        return true;
    }
    for (size_t i = 0; i < db.records.size(); ++i) {
        if (db.records[i].unique_id == which.value) {
            *index = i;
            return true;
        }
    }
    return Fail(error, "no record with unique id " + std::to_string(which.value));
}

bool CheckEditable(const PdbDatabase& db, size_t index, std::string* error) {
    if (index >= db.records.size())
        return Fail(error, "no record at index " + std::to_string(index) + " (" +
                               std::to_string(db.records.size()) + " records)");
    if (db.records[index].flags & kPdbRecDelete)
        return Fail(error, "record " + std::to_string(index) + " is already " +
                               AttributeWords(db.records[index]).front());
    return true;
}

uint32_t TakeUniqueId(PdbDatabase* db) {
    return handheld::TakeUniqueId(&db->unique_id_seed,
                                  [&](uint32_t id) { return IdInUse(*db, id); });
}

bool AddRecord(PdbDatabase* db, std::vector<uint8_t> data, uint8_t category, size_t* index,
               std::string* error) {
    if (db->records.size() >= kMaxRecords)
        return Fail(error, "the database holds the most records a handheld allows (" +
                               std::to_string(kMaxRecords) + ")");
    if (category > kMaxCategory)
        return Fail(error, "category " + std::to_string(category) + " is not 0.." +
                               std::to_string(kMaxCategory));
    if (!CheckSize(data, error)) return false;
    PdbRecord record;
    record.flags = kPdbRecDirty;
    record.category = category;
    record.unique_id = TakeUniqueId(db);
    record.data = std::move(data);
    db->records.push_back(std::move(record));
    *index = db->records.size() - 1;
    NoteModification(db);
    return true;
}

bool ChangeRecord(PdbDatabase* db, size_t index, std::vector<uint8_t> data,
                  std::optional<uint8_t> category, std::string* error) {
    if (!CheckEditable(*db, index, error) || !CheckSize(data, error)) return false;
    if (category && *category > kMaxCategory)
        return Fail(error, "category " + std::to_string(*category) + " is not 0.." +
                               std::to_string(kMaxCategory));
    PdbRecord& record = db->records[index];
    record.data = std::move(data);
    record.flags |= kPdbRecDirty;
    if (category) record.category = *category;
    NoteModification(db);
    return true;
}

bool DeleteRecord(PdbDatabase* db, size_t index, std::string* error) {
    if (!CheckEditable(*db, index, error)) return false;
    PdbRecord& record = db->records[index];
    record.flags |= kPdbRecDelete | kPdbRecDirty;
    record.data.clear();
    NoteModification(db);
    return true;
}

bool ArchiveRecord(PdbDatabase* db, size_t index, std::string* error) {
    if (!CheckEditable(*db, index, error)) return false;
    PdbRecord& record = db->records[index];
    if (record.data.empty())
        return Fail(error, "record " + std::to_string(index) + " has no data to archive");
    record.flags |= kPdbRecDelete | kPdbRecDirty;
    NoteModification(db);
    return true;
}

std::vector<std::string> AttributeWords(const PdbRecord& record) {
    std::vector<std::string> words;
    if (record.flags & kPdbRecDelete) words.push_back(record.data.empty() ? "deleted" : "archived");
    if (record.flags & kPdbRecDirty) words.push_back("dirty");
    if (record.flags & kPdbRecBusy) words.push_back("busy");
    if (record.flags & kPdbRecSecret) words.push_back("secret");
    return words;
}

}  // namespace kv::handheld_tool
