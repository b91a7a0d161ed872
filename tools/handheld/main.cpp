// handheld: plays the applications of a Palm handheld kept as a directory of
// .pdb files. It lists the databases, dumps their records decoded by the
// layout each database holds, and makes the edits a handheld user makes.
//
//   handheld list DIR
//   handheld dump DIR DBNAME [--json]
//   handheld edit DIR DBNAME new     [--set field=value ...] [--category N]
//   handheld edit DIR DBNAME change  (--index N | --id ID) [--set field=value ...] [--category N]
//   handheld edit DIR DBNAME delete  (--index N | --id ID)
//   handheld edit DIR DBNAME archive (--index N | --id ID)
#include <iostream>
#include <map>

#include <CLI/CLI.hpp>

#include "tools/handheld/commands.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

struct EditOptions {
    std::string action;
    std::optional<uint32_t> index;
    std::string id;
    std::vector<std::string> sets;
    std::optional<int> category;
};

bool Fail(std::string* error, const std::string& what) {
    *error = what;
    return false;
}

bool ParseAssignments(const std::vector<std::string>& sets, std::vector<FieldAssignment>* out,
                      std::string* error) {
    for (const std::string& set : sets) {
        size_t eq = set.find('=');
        if (eq == std::string::npos || eq == 0)
            return Fail(error, "--set " + set + ": expected field=value");
        out->push_back({set.substr(0, eq), set.substr(eq + 1)});
    }
    return true;
}

bool BuildRequest(const EditOptions& options, EditRequest* request, std::string* error) {
    static const std::map<std::string, EditAction> kActions = {{"new", EditAction::kNew},
                                                               {"change", EditAction::kChange},
                                                               {"delete", EditAction::kDelete},
                                                               {"archive", EditAction::kArchive}};
    request->action = kActions.at(options.action);
    if (options.index) request->which = RecordSelector{false, *options.index};
    if (!options.id.empty()) {
        uint64_t id = 0;
        if (!ParseNumber(options.id, 0xFFFFFF, &id, error)) return Fail(error, "--id: " + *error);
        request->which = RecordSelector{true, static_cast<uint32_t>(id)};
    }
    if (options.category) request->category = static_cast<uint8_t>(*options.category);
    return ParseAssignments(options.sets, &request->sets, error);
}

int Run(int argc, char** argv) {
    CLI::App app{"handheld: the applications of a handheld kept as a directory of .pdb files"};
    app.require_subcommand(1);
    std::string dir, database;
    bool json = false;

    CLI::App* list = app.add_subcommand("list", "list the databases of a handheld");
    list->add_option("DIR", dir, "handheld directory")->required();

    CLI::App* dump = app.add_subcommand("dump", "show every record of a database");
    dump->add_option("DIR", dir, "handheld directory")->required();
    dump->add_option("DBNAME", database, "database name")->required();
    dump->add_flag("--json", json, "print a JSON array");

    EditOptions options;
    CLI::App* edit = app.add_subcommand("edit", "make an edit as a handheld user does");
    edit->add_option("DIR", dir, "handheld directory")->required();
    edit->add_option("DBNAME", database, "database name")->required();
    edit->add_option("ACTION", options.action, "new, change, delete or archive")
        ->required()
        ->check(CLI::IsMember({"new", "change", "delete", "archive"}));
    CLI::Option* index = edit->add_option("--index", options.index, "the record's index");
    edit->add_option("--id", options.id, "the record's unique id (decimal or 0x hex)")
        ->excludes(index);
    edit->add_option("--set", options.sets,
                     "field=value, repeated; an empty value removes an "
                     "optional field")
        ->allow_extra_args(false);
    edit->add_option("--category", options.category, "category 0..15")->check(CLI::Range(0, 15));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help is a success; every other parse failure is a usage error.
        return app.exit(e) == 0 ? kExitOk : kExitError;
    }

    if (list->parsed()) return ListDatabases(dir, std::cout, std::cerr);
    if (dump->parsed()) return DumpDatabase(dir, database, json, std::cout, std::cerr);
    EditRequest request;
    request.dir = dir;
    request.database = database;
    std::string error;
    if (!BuildRequest(options, &request, &error)) {
        std::cerr << "handheld: " << error << "\n";
        return kExitError;
    }
    return EditDatabase(request, std::cout, std::cerr);
}

}  // namespace
}  // namespace kv::handheld_tool

int main(int argc, char** argv) {
    return kv::handheld_tool::Run(argc, argv);
}
