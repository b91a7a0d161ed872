// handheld dump DIR DBNAME [--json]: every record of a database, decoded by
// the layout the database holds. Each record and the app info block become
// one JSON entry first; the text form is rendered from those entries, so both
// forms always show the same thing.
#include <iostream>

#include "emulation/handheld/pdb_file.h"
#include "tools/handheld/commands.h"
#include "tools/handheld/database_registry.h"
#include "tools/handheld/handheld_dir.h"
#include "tools/handheld/record_edits.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using Json = nlohmann::ordered_json;

// The app info block: decoded when the layout knows it, else its bytes.
Json AppInfoEntry(const std::vector<uint8_t>& block, const RecordCodec* codec, bool* damaged) {
    Json info;
    std::string fault;
    if (codec && codec->decode_app_info) {
        if (codec->decode_app_info(block, &info, &fault)) return info;
        info = Json::object();
        info["fault"] = fault;
        *damaged = true;
    }
    info["data"] = HexText(block);
    return info;
}

std::vector<std::string> CategoryNames(const Json& app_info) {
    std::vector<std::string> names;
    if (app_info.contains("categories"))
        for (const Json& name : app_info["categories"]) names.push_back(name.get<std::string>());
    return names;
}

Json RecordEntry(const handheld::PdbRecord& record, size_t index, const RecordCodec* codec,
                 const std::vector<std::string>& categories, bool* damaged) {
    Json entry;
    entry["index"] = index;
    entry["unique_id"] = record.unique_id;
    entry["attributes"] = AttributeWords(record);
    entry["category"] = record.category;
    if (record.category < categories.size()) entry["category_name"] = categories[record.category];
    if (record.data.empty()) return entry;
    Json fields;
    std::string fault;
    if (!codec) {
        entry["data"] = HexText(record.data);
    } else if (codec->decode(record.data, &fields, &fault)) {
        entry["fields"] = std::move(fields);
    } else {
        entry["fault"] = fault;
        entry["data"] = HexText(record.data);
        *damaged = true;
    }
    return entry;
}

std::string Dump(const Json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void PrintFields(const Json& fields, std::ostream& out) {
    for (const auto& item : fields.items())
        out << "  " << item.key() << ": " << Dump(item.value()) << "\n";
}

void PrintRecord(const Json& entry, std::ostream& out) {
    out << "record " << entry["index"].get<size_t>() << "  unique id "
        << entry["unique_id"].get<uint32_t>() << "  category " << entry["category"].get<int>();
    if (entry.contains("category_name"))
        out << " (" << entry["category_name"].get<std::string>() << ")";
    out << "  [";
    bool first = true;
    for (const Json& word : entry["attributes"]) {
        out << (first ? "" : " ") << word.get<std::string>();
        first = false;
    }
    out << "]\n";
    if (entry.contains("fields")) PrintFields(entry["fields"], out);
    if (entry.contains("fault")) out << "  fault: " << entry["fault"].get<std::string>() << "\n";
    if (entry.contains("data")) out << "  data: " << entry["data"].get<std::string>() << "\n";
    if (!entry.contains("fields") && !entry.contains("data")) out << "  (no data)\n";
}

void PrintText(const handheld::PdbDatabase& db, const Json& app_info,
               const std::vector<Json>& records, std::ostream& out) {
    out << DatabaseSummary(db) << "\n";
    if (!app_info.is_null()) {
        out << "app info\n";
        PrintFields(app_info, out);
    }
    if (!db.sort_info.empty()) out << "sort info\n  data: " << HexText(db.sort_info) << "\n";
    for (const Json& entry : records) PrintRecord(entry, out);
}

void PrintJson(const Json& app_info, const std::vector<Json>& records, std::ostream& out) {
    Json all = Json::array();
    if (!app_info.is_null()) all.push_back(Json{{"app_info", app_info}});
    for (const Json& entry : records) all.push_back(entry);
    out << all.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace

int DumpDatabase(const std::string& dir, const std::string& database, bool json, std::ostream& out,
                 std::ostream& err) {
    std::string path, error;
    handheld::PdbDatabase db;
    if (!FindDatabaseFile(dir, database, &path, &error) ||
        !handheld::ReadPdbFile(path, &db, &error)) {
        err << "handheld: " << error << "\n";
        return kExitError;
    }
    const RecordCodec* codec = FindCodec(db.name);
    bool damaged = false;
    Json app_info;
    if (!db.app_info.empty()) app_info = AppInfoEntry(db.app_info, codec, &damaged);
    std::vector<std::string> categories = CategoryNames(app_info);
    std::vector<Json> records;
    for (size_t i = 0; i < db.records.size(); ++i)
        records.push_back(RecordEntry(db.records[i], i, codec, categories, &damaged));
    if (json)
        PrintJson(app_info, records, out);
    else
        PrintText(db, app_info, records, out);
    return damaged ? kExitDamaged : kExitOk;
}

}  // namespace kv::handheld_tool
