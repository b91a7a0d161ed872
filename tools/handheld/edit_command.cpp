// handheld edit DIR DBNAME new|change|delete|archive: one edit as a handheld
// user makes it. The steps: check the request against the action, find the
// database and hold it as the Sync Manager does (an open database is refused),
// read it (a damaged one is refused), make the edit in memory, write the
// database back whole.
#include <filesystem>

#include "emulation/handheld/handheld_device.h"
#include "emulation/handheld/pdb_file.h"
#include "tools/handheld/commands.h"
#include "tools/handheld/database_registry.h"
#include "tools/handheld/handheld_dir.h"

namespace kv::handheld_tool {
namespace {

const char* ActionName(EditAction action) {
    switch (action) {
        case EditAction::kNew:
            return "new";
        case EditAction::kChange:
            return "change";
        case EditAction::kDelete:
            return "delete";
        case EditAction::kArchive:
            return "archive";
    }
    return "?";
}

bool Fail(std::string* error, const std::string& what) {
    *error = what;
    return false;
}

// Which options each action takes.
bool CheckRequest(const EditRequest& request, std::string* error) {
    std::string action = ActionName(request.action);
    bool takes_record = request.action != EditAction::kNew;
    bool takes_fields = request.action == EditAction::kNew || request.action == EditAction::kChange;
    if (takes_record && !request.which)
        return Fail(error, action + " needs the record: --index N or --id ID");
    if (!takes_record && request.which) return Fail(error, action + " takes no --index or --id");
    if (!takes_fields && !request.sets.empty()) return Fail(error, action + " takes no --set");
    if (!takes_fields && request.category) return Fail(error, action + " takes no --category");
    if (request.action == EditAction::kChange && request.sets.empty() && !request.category)
        return Fail(error, "change needs --set field=value or --category N");
    return true;
}

bool AddNew(handheld::PdbDatabase* db, const RecordCodec& codec, const EditRequest& request,
            std::string* report, std::string* error) {
    std::vector<uint8_t> data;
    size_t index = 0;
    if (!codec.edit(nullptr, request.sets, &data, error) ||
        !AddRecord(db, std::move(data), request.category.value_or(0), &index, error))
        return false;
    *report = "added record " + std::to_string(index) + ", unique id " +
              std::to_string(db->records[index].unique_id);
    return true;
}

bool Change(handheld::PdbDatabase* db, const RecordCodec& codec, const EditRequest& request,
            std::string* report, std::string* error) {
    size_t index = 0;
    std::vector<uint8_t> data;
    if (!FindRecord(*db, *request.which, &index, error) || !CheckEditable(*db, index, error) ||
        !codec.edit(&db->records[index].data, request.sets, &data, error) ||
        !ChangeRecord(db, index, std::move(data), request.category, error))
        return false;
    *report = "changed record " + std::to_string(index) + ", unique id " +
              std::to_string(db->records[index].unique_id);
    return true;
}

bool Remove(handheld::PdbDatabase* db, const EditRequest& request, std::string* report,
            std::string* error) {
    size_t index = 0;
    if (!FindRecord(*db, *request.which, &index, error)) return false;
    bool archive = request.action == EditAction::kArchive;
    if (!(archive ? ArchiveRecord(db, index, error) : DeleteRecord(db, index, error))) return false;
    *report = std::string(archive ? "archived" : "deleted") + " record " + std::to_string(index) +
              ", unique id " + std::to_string(db->records[index].unique_id);
    return true;
}

bool Apply(handheld::PdbDatabase* db, const EditRequest& request, std::string* report,
           std::string* error) {
    if (request.action == EditAction::kDelete || request.action == EditAction::kArchive)
        return Remove(db, request, report, error);
    const RecordCodec* codec = FindCodec(db->name);
    if (!codec)
        return Fail(error, "the record layout of " + db->name +
                               " is not known: its records can only be deleted or archived");
    return request.action == EditAction::kNew ? AddNew(db, *codec, request, report, error)
                                              : Change(db, *codec, request, report, error);
}

}  // namespace

int EditDatabase(const EditRequest& request, std::ostream& out, std::ostream& err) {
    std::string path, error, report;
    handheld::PdbDatabase db;
    if (!CheckRequest(request, &error)) {
        err << "handheld: " << error << "\n";
        return kExitError;
    }
    if (!FindDatabaseFile(request.dir, request.database, &path, &error)) {
        err << "handheld: " << error << "\n";
        return kExitError;
    }
    // The lock that a HotSync holds while the database is open.
    handheld::DatabaseLock lock;
    handheld::HandheldDevice device(request.dir);
    if (device.Lock(std::filesystem::path(path).stem().string(), &lock, &error) != 0) {
        err << "handheld: refusing to edit: " << error << "\n";
        return kExitError;
    }
    if (!handheld::ReadPdbFile(path, &db, &error)) {
        err << "handheld: refusing to edit a damaged database: " << error << "\n";
        return kExitError;
    }
    if (!Apply(&db, request, &report, &error)) {
        err << "handheld: " << db.name << ": " << ActionName(request.action) << ": " << error
            << "\n";
        return kExitError;
    }
    if (!handheld::WritePdbFile(path, db, &error)) {
        err << "handheld: " << error << "\n";
        return kExitError;
    }
    out << db.name << ": " << report << "\n";
    return kExitOk;
}

}  // namespace kv::handheld_tool
