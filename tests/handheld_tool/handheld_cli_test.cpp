// The handheld tool as a user runs it: the built binary against real .pdb
// files in a temporary handheld directory.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulation/handheld/handheld_device.h"
#include "emulation/handheld/pdb_file.h"
#include "handheld_tool/record_bytes.h"
#include "support/temp_dir.h"
#include "tools/handheld/records/journal_record.h"
#include "tools/handheld/records/provider_app_info.h"
#include "tools/handheld/records/provider_record.h"

namespace kv::handheld_tool {
namespace {

using handheld::FourCharCode;
using handheld::kPdbRecDelete;
using handheld::kPdbRecDirty;
using handheld::PdbDatabase;
using handheld::PdbRecord;
using nlohmann::json;
using test::B;
using test::Bytes;
using test::Chars;
using test::Z;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// 09:05 on 3 January 2006, DR01, reminder, practice id 1234, "Call lab".
const Bytes kCallLab = B({0x09, 0x05, 0xCC, 0x23}) + Z("DR01") + B({0x00, 0x00, 0x01}) +
                       B({0x00, 0x00, 0x04, 0xD2, 0x10, 0x00}) + Z("Call lab");
// The same entry with its description cut before the terminator.
const Bytes kBrokenEntry = test::Prefix(kCallLab, 22);

PdbRecord Record(uint32_t id, Bytes data, uint8_t flags = 0, uint8_t category = 0) {
    PdbRecord r;
    r.unique_id = id;
    r.flags = flags;
    r.category = category;
    r.data = std::move(data);
    return r;
}

class HandheldToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteTextFile(dir_.File("user.txt"), "Dr Smith\n");
        PdbDatabase journal;
        journal.name = "KvrOJDB";
        journal.creator = FourCharCode("KVOJ");
        journal.type = FourCharCode("DATA");
        journal.unique_id_seed = 0x800001;
        journal.records = {Record(0x800001, kCallLab), Record(0x800002, kBrokenEntry),
                           Record(0x800003, kCallLab, kPdbRecDirty, 2)};
        Write("KvrOJDB", journal);
    }

    void Write(const std::string& file, const PdbDatabase& db) {
        std::string error;
        ASSERT_TRUE(handheld::WritePdbFile(dir_.File(file + ".pdb"), db, &error)) << error;
    }

    PdbDatabase Read(const std::string& file) {
        PdbDatabase db;
        std::string error;
        EXPECT_TRUE(handheld::ReadPdbFile(dir_.File(file + ".pdb"), &db, &error)) << error;
        return db;
    }

    RunResult Handheld(const std::vector<std::string>& args) {
        std::string command = HANDHELD_PATH;
        for (const std::string& arg : args) command += " " + Quote(arg);
        command += " 2>" + Quote(dir_.File("stderr.txt"));
        RunResult result;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return result;
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            result.out.append(buffer.data(), n);
        int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = test::ReadTextFile(dir_.File("stderr.txt"));
        return result;
    }

    RunResult Edit(const std::string& db, std::vector<std::string> args) {
        args.insert(args.begin(), {"edit", dir_.path(), db});
        return Handheld(args);
    }

    test::TempDir dir_;
};

TEST_F(HandheldToolTest, ListShowsEachDatabaseAndNamesACorruptFile) {
    PdbDatabase providers;
    providers.name = "KvrRscDB";
    providers.creator = FourCharCode("KVAL");
    providers.type = FourCharCode("RSCS");
    Write("KvrRscDB", providers);
    // A journal image cut inside its record list.
    std::vector<uint8_t> image = handheld::EncodePdb(Read("KvrOJDB"));
    image.resize(90);
    test::WriteTextFile(dir_.File("Broken.pdb"), std::string(image.begin(), image.end()));

    RunResult r = Handheld({"list", dir_.path()});
    EXPECT_EQ(2, r.status) << r.err;
    EXPECT_EQ(
        "Broken.pdb  corrupt: record count 3 runs past the end\n"
        "KvrOJDB                          creator KVOJ  type DATA  3 records\n"
        "KvrRscDB                         creator KVAL  type RSCS  0 records\n",
        r.out);

    r = Handheld({"dump", dir_.path(), "Broken"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("handheld: " + dir_.File("Broken.pdb") + ": record count 3 runs past the end\n",
              r.err);
    EXPECT_EQ("", r.out);

    test::TempDir empty;
    r = Handheld({"list", empty.path()});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    r = Handheld({"list", dir_.File("nowhere")});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("not a readable directory")) << r.err;
}

TEST_F(HandheldToolTest, DumpDecodesEachRecordAndGoesOnPastABrokenOne) {
    RunResult r = Handheld({"dump", dir_.path(), "KvrOJDB"});
    EXPECT_EQ(2, r.status) << r.err;
    EXPECT_EQ(
        "KvrOJDB                          creator KVOJ  type DATA  3 records\n"
        "record 0  unique id 8388609  category 0  []\n"
        "  time: \"09:05\"\n"
        "  date: \"2006-01-03\"\n"
        "  provider: \"DR01\"\n"
        "  type: 1\n"
        "  practice_id: 1234\n"
        "  description: \"Call lab\"\n"
        "record 1  unique id 8388610  category 0  []\n"
        "  fault: description without terminator\n"
        "  data: 09 05 cc 23 44 52 30 31 00 00 00 01 00 00 04 d2 10 00 43 61 6c 6c\n"
        "record 2  unique id 8388611  category 2  [dirty]\n"
        "  time: \"09:05\"\n"
        "  date: \"2006-01-03\"\n"
        "  provider: \"DR01\"\n"
        "  type: 1\n"
        "  practice_id: 1234\n"
        "  description: \"Call lab\"\n",
        r.out);
}

TEST_F(HandheldToolTest, DumpJsonIsAnArrayOfRecords) {
    RunResult r = Handheld({"dump", dir_.path(), "KvrOJDB", "--json"});
    EXPECT_EQ(2, r.status) << r.err;
    json all = json::parse(r.out);
    ASSERT_TRUE(all.is_array());
    ASSERT_EQ(3u, all.size());
    EXPECT_EQ(0, all[0]["index"]);
    EXPECT_EQ(0x800001, all[0]["unique_id"]);
    EXPECT_EQ("Call lab", all[0]["fields"]["description"]);
    EXPECT_EQ("description without terminator", all[1]["fault"]);
    EXPECT_FALSE(all[1].contains("fields"));
    EXPECT_EQ(json::array({"dirty"}), all[2]["attributes"]);
    EXPECT_EQ(2, all[2]["category"]);
}

TEST_F(HandheldToolTest, DumpShowsTheProviderListsCategoryNames) {
    ProviderAppInfo info;
    info.leading_number = 4;
    info.categories = {"Providers", "Staff", "Operatories", "Other"};
    ProviderRecord op;
    op.practice_id = "OP1";
    PdbDatabase providers;
    providers.name = "KvrPVRscDB";
    providers.app_info = info.Pack();
    providers.records = {Record(7, op.Pack(), 0, 2)};
    Write("KvrPVRscDB", providers);

    RunResult r = Handheld({"dump", dir_.path(), "KvrPVRscDB"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos,
              r.out.find("app info\n  leading_number: 4\n  categories: "
                         "[\"Providers\",\"Staff\",\"Operatories\",\"Other\"]\n"))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("record 0  unique id 7  category 2 (Operatories)  []\n"
                                            "  practice_id: \"OP1\"\n"))
        << r.out;

    r = Handheld({"dump", dir_.path(), "KvrPVRscDB", "--json"});
    json all = json::parse(r.out);
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ("Staff", all[0]["app_info"]["categories"][1]);
    EXPECT_EQ("Operatories", all[1]["category_name"]);
}

TEST_F(HandheldToolTest, DumpShowsAnUnknownDatabaseAsHex) {
    PdbDatabase memo;
    memo.name = "MemoDB";
    memo.records = {Record(1, Chars("hi"))};
    Write("memo", memo);  // found by the name in its header
    RunResult r = Handheld({"dump", dir_.path(), "MemoDB"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos,
              r.out.find("record 0  unique id 1  category 0  []\n  data: 68 69\n"))
        << r.out;
    r = Handheld({"dump", dir_.path(), "NoSuchDB"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("handheld: no database NoSuchDB in " + dir_.path() + "\n", r.err);
}

TEST_F(HandheldToolTest, NewBuildsTheRecordFromFieldsAsADirtyRecord) {
    RunResult r =
        Edit("KvrOJDB", {"new", "--set", "time=09:05", "--set", "date=2006-01-03", "--set",
                         "provider=DR01", "--set", "type=1", "--set", "practice_id=1234", "--set",
                         "description=Call lab", "--category", "5"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("KvrOJDB: added record 3, unique id 8388612\n", r.out);
    PdbDatabase db = Read("KvrOJDB");
    ASSERT_EQ(4u, db.records.size());
    EXPECT_EQ(kCallLab, db.records[3].data);
    EXPECT_EQ(kPdbRecDirty, db.records[3].flags);
    EXPECT_EQ(5, db.records[3].category);
    EXPECT_EQ(0x800004u, db.records[3].unique_id) << "the seed's ids 1 to 3 are taken";
    EXPECT_EQ(0x800005u, db.unique_id_seed);
    EXPECT_EQ(kCallLab, db.records[0].data) << "other records untouched";

    r = Edit("KvrOJDB", {"new", "--set", "note=second"});
    ASSERT_EQ(0, r.status) << r.err;
    db = Read("KvrOJDB");
    EXPECT_EQ(0x800005u, db.records[4].unique_id);
    EXPECT_EQ(0, db.records[4].category);
}

TEST_F(HandheldToolTest, ChangeReencodesTheRecordAndMarksItDirty) {
    RunResult r = Edit("KvrOJDB", {"change", "--id", "0x800001", "--set", "description=", "--set",
                                   "note=hello", "--set", "practice_id=0"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("KvrOJDB: changed record 0, unique id 8388609\n", r.out);
    PdbDatabase db = Read("KvrOJDB");
    EXPECT_EQ(
        B({0x09, 0x05, 0xCC, 0x23}) + Z("DR01") + B({0, 0, 1, 0, 0, 0, 0, 0x08, 0x00}) + Z("hello"),
        db.records[0].data);
    EXPECT_EQ(kPdbRecDirty, db.records[0].flags);
    EXPECT_EQ(0x800001u, db.records[0].unique_id);

    r = Handheld({"dump", dir_.path(), "KvrOJDB", "--json"});
    json all = json::parse(r.out);
    EXPECT_EQ(json::array({"dirty"}), all[0]["attributes"]);
    EXPECT_EQ("hello", all[0]["fields"]["note"]);
    EXPECT_FALSE(all[0]["fields"].contains("description"));
}

TEST_F(HandheldToolTest, DeleteDropsTheDataAndArchiveKeepsIt) {
    ASSERT_EQ(0, Edit("KvrOJDB", {"delete", "--index", "0"}).status);
    ASSERT_EQ(0, Edit("KvrOJDB", {"archive", "--id", "8388611"}).status);
    PdbDatabase db = Read("KvrOJDB");
    EXPECT_EQ(kPdbRecDelete | kPdbRecDirty, db.records[0].flags);
    EXPECT_TRUE(db.records[0].data.empty());
    EXPECT_EQ(kPdbRecDelete | kPdbRecDirty, db.records[2].flags);
    EXPECT_EQ(kCallLab, db.records[2].data);
    EXPECT_EQ(2, db.records[2].category) << "an archived record keeps its category";

    RunResult r = Handheld({"dump", dir_.path(), "KvrOJDB"});
    EXPECT_NE(std::string::npos,
              r.out.find("record 0  unique id 8388609  category 0  [deleted dirty]\n  (no data)\n"))
        << r.out;
    EXPECT_NE(std::string::npos,
              r.out.find("record 2  unique id 8388611  category 2  [archived dirty]\n"
                         "  time: \"09:05\"\n"))
        << r.out;
}

TEST_F(HandheldToolTest, RefusedEditsNameTheFaultAndLeaveTheFileAlone) {
    std::vector<uint8_t> image = handheld::EncodePdb(Read("KvrOJDB"));
    image.resize(image.size() - 30);  // the last record's offset now runs past the end
    image[78 + 8 * 2 + 3] = 0xFF;
    test::WriteTextFile(dir_.File("KvrApptsDB.pdb"), std::string(image.begin(), image.end()));
    PdbDatabase memo;
    memo.name = "MemoDB";
    memo.records = {Record(1, Chars("hi"))};
    Write("MemoDB", memo);

    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"KvrApptsDB", "new", "--set", "kind=1"}, "refusing to edit a damaged database"},
        {{"KvrOJDB", "new", "--set", "colour=red"}, "--set colour: no field 'colour'"},
        {{"KvrOJDB", "new", "--set", "date=2006-02-30"},
         "--set date: '2006-02-30' is not a day of the calendar"},
        {{"KvrOJDB", "new", "--set", "date"}, "--set date: expected field=value"},
        {{"KvrOJDB", "change", "--index", "1", "--set", "type=2"},
         "the record does not decode: description without terminator"},
        {{"KvrOJDB", "change", "--index", "7", "--set", "type=2"}, "no record at index 7"},
        {{"KvrOJDB", "change", "--set", "type=2"}, "change needs the record: --index N or --id ID"},
        {{"KvrOJDB", "change", "--index", "0"}, "change needs --set field=value or --category N"},
        {{"KvrOJDB", "delete", "--id", "5"}, "no record with unique id 5"},
        {{"KvrOJDB", "delete", "--index", "0", "--set", "type=2"}, "delete takes no --set"},
        {{"KvrOJDB", "new", "--index", "0"}, "new takes no --index or --id"},
        {{"KvrOJDB", "new", "--category", "16"}, "--category"},
        {{"KvrOJDB", "frob"}, "ACTION"},
        {{"MemoDB", "new", "--set", "text=x"}, "the record layout of MemoDB is not known"},
        {{"NoSuchDB", "delete", "--index", "0"}, "no database NoSuchDB"},
    };
    std::string journal_before = test::ReadTextFile(dir_.File("KvrOJDB.pdb"));
    std::string damaged_before = test::ReadTextFile(dir_.File("KvrApptsDB.pdb"));
    for (const Case& c : cases) {
        RunResult r = Edit(c.args[0], std::vector<std::string>(c.args.begin() + 1, c.args.end()));
        EXPECT_EQ(1, r.status) << c.message;
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.err;
        EXPECT_EQ("", r.out) << c.message;
    }
    EXPECT_EQ(journal_before, test::ReadTextFile(dir_.File("KvrOJDB.pdb")));
    EXPECT_EQ(damaged_before, test::ReadTextFile(dir_.File("KvrApptsDB.pdb")));

    // A second delete of the same record is refused too.
    ASSERT_EQ(0, Edit("KvrOJDB", {"delete", "--index", "0"}).status);
    RunResult again = Edit("KvrOJDB", {"archive", "--index", "0"});
    EXPECT_EQ(1, again.status);
    EXPECT_EQ("handheld: KvrOJDB: archive: record 0 is already deleted\n", again.err);
}

TEST_F(HandheldToolTest, ADatabaseOpenForAHotSyncIsNotEdited) {
    std::string before = test::ReadTextFile(dir_.File("KvrOJDB.pdb"));
    {
        handheld::HandheldDevice device(dir_.path());
        handheld::DatabaseLock lock;
        std::string error;
        ASSERT_EQ(0, device.Lock("KvrOJDB", &lock, &error)) << error;
        RunResult r = Edit("KvrOJDB", {"delete", "--index", "0"});
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.err.find("refusing to edit: ")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find("already open")) << r.err;
        EXPECT_EQ(before, test::ReadTextFile(dir_.File("KvrOJDB.pdb")));
    }
    EXPECT_EQ(0, Edit("KvrOJDB", {"delete", "--index", "0"}).status) << "free again";
}

TEST_F(HandheldToolTest, EditsOfAnUnknownDatabaseAreDeleteAndArchiveOnly) {
    PdbDatabase memo;
    memo.name = "MemoDB";
    memo.records = {Record(1, Chars("hi")), Record(2, Chars("ho"))};
    Write("MemoDB", memo);
    ASSERT_EQ(0, Edit("MemoDB", {"archive", "--index", "1"}).status);
    PdbDatabase db = Read("MemoDB");
    EXPECT_EQ(kPdbRecDelete | kPdbRecDirty, db.records[1].flags);
    EXPECT_EQ(Chars("ho"), db.records[1].data);
}

}  // namespace
}  // namespace kv::handheld_tool
