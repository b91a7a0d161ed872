#include "emulation/handheld/pdb_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <dirent.h>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kv::handheld {
namespace {

// "KvTest", backup bit, version 2, two blocks and two records: a dirty one in
// category 3 with three bytes, and a deleted one without data.
const std::vector<uint8_t> kGolden = {
    'K',  'v',  'T',  'e',  's',  't',  0,    0,    0, 0, 0, 0, 0, 0, 0, 0,  // name
    0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0,  //
    0x00, 0x08,                                                              // attributes
    0x00, 0x02,                                                              // version
    0xB0, 0x00, 0x00, 0x01,                                                  // creation time
    0xB0, 0x00, 0x00, 0x02,                                                  // modification time
    0x00, 0x00, 0x00, 0x00,                                                  // backup time
    0x00, 0x00, 0x00, 0x07,                                                  // modification number
    0x00, 0x00, 0x00, 0x60,                                                  // app info offset
    0x00, 0x00, 0x00, 0x62,                                                  // sort info offset
    'D',  'A',  'T',  'A',                                                   // type
    'K',  'V',  'A',  'L',                                                   // creator
    0x00, 0x20, 0x00, 0x03,                                                  // unique id seed
    0x00, 0x00, 0x00, 0x00,                                                  // next record list
    0x00, 0x02,                                                              // record count
    0x00, 0x00, 0x00, 0x63, 0x43, 0x12, 0x34, 0x56,                          // record 0
    0x00, 0x00, 0x00, 0x66, 0x80, 0x00, 0x01, 0x02,                          // record 1
    0x00, 0x00,                                                              // gap
    0xA1, 0xA2,                                                              // app info
    0xB1,                                                                    // sort info
    0x01, 0x02, 0x03,                                                        // record 0 data
};

PdbDatabase GoldenDatabase() {
    PdbDatabase db;
    db.name = "KvTest";
    db.attributes = 0x0008;
    db.version = 2;
    db.creation_time = 0xB0000001;
    db.modification_time = 0xB0000002;
    db.modification_number = 7;
    db.type = FourCharCode("DATA");
    db.creator = FourCharCode("KVAL");
    db.unique_id_seed = 0x200003;
    db.app_info = {0xA1, 0xA2};
    db.sort_info = {0xB1};
    db.records.push_back({kPdbRecDirty, 3, 0x123456, {1, 2, 3}});
    db.records.push_back({kPdbRecDelete, 0, 0x000102, {}});
    return db;
}

void ExpectSameDatabase(const PdbDatabase& want, const PdbDatabase& got) {
    EXPECT_EQ(want.name, got.name);
    EXPECT_EQ(want.attributes, got.attributes);
    EXPECT_EQ(want.version, got.version);
    EXPECT_EQ(want.creation_time, got.creation_time);
    EXPECT_EQ(want.modification_time, got.modification_time);
    EXPECT_EQ(want.backup_time, got.backup_time);
    EXPECT_EQ(want.modification_number, got.modification_number);
    EXPECT_EQ(want.type, got.type);
    EXPECT_EQ(want.creator, got.creator);
    EXPECT_EQ(want.unique_id_seed, got.unique_id_seed);
    EXPECT_EQ(want.app_info, got.app_info);
    EXPECT_EQ(want.sort_info, got.sort_info);
    ASSERT_EQ(want.records.size(), got.records.size());
    for (size_t i = 0; i < want.records.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(want.records[i].flags, got.records[i].flags);
        EXPECT_EQ(want.records[i].category, got.records[i].category);
        EXPECT_EQ(want.records[i].unique_id, got.records[i].unique_id);
        EXPECT_EQ(want.records[i].data, got.records[i].data);
    }
}

// Decodes from a heap copy of exactly the image's size, so that a read past
// the end is caught by the address sanitizer.
bool DecodeExact(const std::vector<uint8_t>& image, PdbDatabase* db, std::string* fault) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[image.size() + 1]);
    std::copy(image.begin(), image.end(), copy.get());
    return DecodePdb(copy.get(), image.size(), db, fault);
}

TEST(PdbFile, EncodesGoldenBytes) {
    EXPECT_EQ(kGolden, EncodePdb(GoldenDatabase()));
}

TEST(PdbFile, DecodesGoldenBytes) {
    PdbDatabase db;
    std::string fault;
    ASSERT_TRUE(DecodeExact(kGolden, &db, &fault)) << fault;
    ExpectSameDatabase(GoldenDatabase(), db);
}

TEST(PdbFile, RoundTripsEveryShapeOfDatabase) {
    struct Case {
        const char* what;
        std::function<void(PdbDatabase*)> shape;
    };
    const Case cases[] = {
        {"empty", [](PdbDatabase* db) { *db = PdbDatabase{}, db->name = "E"; }},
        {"sort info only", [](PdbDatabase* db) { db->app_info.clear(); }},
        {"app info only", [](PdbDatabase* db) { db->sort_info.clear(); }},
        {"no blocks", [](PdbDatabase* db) { db->app_info.clear(), db->sort_info.clear(); }},
        {"31-character name", [](PdbDatabase* db) { db->name = std::string(31, 'n'); }},
        {"high-bit name", [](PdbDatabase* db) { db->name = "Z\xE4hne"; }},
        {"large app info", [](PdbDatabase* db) { db->app_info.assign(65535, 0x5A); }},
        {"every flag and category",
         [](PdbDatabase* db) {
             db->records.clear();
             for (uint32_t i = 0; i < 256; ++i)
                 db->records.push_back({static_cast<uint8_t>(i & 0xF0),
                                        static_cast<uint8_t>(i & 0x0F), 0xFFFF00 + i,
                                        std::vector<uint8_t>(i % 7, static_cast<uint8_t>(i))});
         }},
        {"all header fields at their maximum",
         [](PdbDatabase* db) {
             db->attributes = 0xFFFE;
             db->version = db->creation_time = db->modification_time = db->backup_time = 0xFFFF;
             db->modification_number = db->type = db->creator = 0xFFFFFFFF;
             db->unique_id_seed = 0xFFFFFFFF;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PdbDatabase db = GoldenDatabase();
        c.shape(&db);
        std::vector<uint8_t> image = EncodePdb(db);
        ASSERT_FALSE(image.empty());
        PdbDatabase back;
        std::string fault;
        ASSERT_TRUE(DecodeExact(image, &back, &fault)) << fault;
        ExpectSameDatabase(db, back);
        EXPECT_EQ(image, EncodePdb(back));
    }
}

TEST(PdbFile, RefusesEveryTruncatedPrefix) {
    // The last record's offset is the image's end, so every prefix cuts into
    // a block that the header announces.
    for (size_t n = 0; n < kGolden.size(); ++n) {
        std::vector<uint8_t> prefix(kGolden.begin(), kGolden.begin() + n);
        PdbDatabase db;
        std::string fault;
        EXPECT_FALSE(DecodeExact(prefix, &db, &fault)) << n << " bytes";
        EXPECT_FALSE(fault.empty());
    }
}

TEST(PdbFile, RefusesCorruptImagesNamingTheFault) {
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>*)> corrupt;
        const char* fault;
    };
    auto put = [](size_t at, std::vector<uint8_t> bytes) {
        return [at, bytes](std::vector<uint8_t>* image) {
            std::copy(bytes.begin(), bytes.end(), image->begin() + at);
        };
    };
    const Case cases[] = {
        {"unterminated name", put(0, std::vector<uint8_t>(32, 'A')), "bad database name"},
        {"empty name", put(0, {0}), "bad database name"},
        {"control character in name", put(1, {0x07}), "bad database name"},
        {"resource database", put(kPdbAttributesOffset, {0x00, 0x09}), "resource database"},
        {"chained record list", put(kPdbNextListOffset + 3, {0x01}), "chained record list"},
        {"record count past the end", put(kPdbRecordCountOffset, {0xFF, 0xFF}),
         "record count 65535 runs past"},
        {"list grown over the blocks", put(kPdbRecordCountOffset, {0x00, 0x03}),
         "inside the header"},
        {"record offset past the end", put(78, {0x00, 0x00, 0x01, 0x00}), "256 past the end"},
        {"record offset before sort info", put(78, {0x00, 0x00, 0x00, 0x61}), "out of order"},
        {"records out of order", put(86, {0x00, 0x00, 0x00, 0x62}), "out of order"},
        {"app info inside the header", put(kPdbAppInfoOffset, {0x00, 0x00, 0x00, 0x10}),
         "inside the header"},
        {"sort info before app info", put(kPdbSortInfoOffset, {0x00, 0x00, 0x00, 0x5F}),
         "out of order"},
        {"duplicate unique id", put(91, {0x12, 0x34, 0x56}), "used twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> image = kGolden;
        c.corrupt(&image);
        PdbDatabase db;
        db.name = "untouched";
        std::string fault;
        EXPECT_FALSE(DecodeExact(image, &db, &fault));
        EXPECT_NE(std::string::npos, fault.find(c.fault)) << fault;
        EXPECT_EQ("untouched", db.name);
    }
}

TEST(PdbFile, AcceptsImagesOtherWritersMake) {
    // No gap after the record list, and zero-length records sharing offsets.
    std::vector<uint8_t> image(kGolden.begin(), kGolden.begin() + 78);
    image[77] = 2;
    image[52 + 3] = image[56 + 3] = 0;  // no blocks
    for (uint8_t id : {1, 2}) image.insert(image.end(), {0, 0, 0, 94, 0x80, 0, 0, id});
    PdbDatabase db;
    std::string fault;
    ASSERT_TRUE(DecodeExact(image, &db, &fault)) << fault;
    ASSERT_EQ(2u, db.records.size());
    EXPECT_TRUE(db.records[0].data.empty());
    EXPECT_TRUE(db.records[1].data.empty());
}

TEST(PdbFile, EncodeRefusesWhatHasNoFileForm) {
    struct Case {
        const char* what;
        std::function<void(PdbDatabase*)> spoil;
    };
    const Case cases[] = {
        {"empty name", [](PdbDatabase* db) { db->name.clear(); }},
        {"32-character name", [](PdbDatabase* db) { db->name = std::string(32, 'n'); }},
        {"control character", [](PdbDatabase* db) { db->name = "a\nb"; }},
        {"zero byte in name", [](PdbDatabase* db) { db->name = std::string("a\0b", 3); }},
        {"category 16", [](PdbDatabase* db) { db->records[0].category = 16; }},
        {"65,536 records", [](PdbDatabase* db) { db->records.resize(65536); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PdbDatabase db = GoldenDatabase();
        c.spoil(&db);
        EXPECT_TRUE(EncodePdb(db).empty());
    }
}

TEST(PdbFile, EncodesTheMostRecordsACountHolds) {
    PdbDatabase db = GoldenDatabase();
    db.records.resize(65535);
    for (size_t i = 0; i < db.records.size(); ++i) db.records[i].unique_id = uint32_t(i + 1);
    std::vector<uint8_t> image = EncodePdb(db);
    ASSERT_EQ(78 + 65535 * 8 + 2 + 6u, image.size());
    EXPECT_EQ(0xFF, image[76]);
    EXPECT_EQ(0xFF, image[77]);
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> files;
    DIR* d = ::opendir(dir.c_str());
    while (const dirent* e = d ? ::readdir(d) : nullptr)
        if (e->d_name[0] != '.') files.push_back(e->d_name);
    if (d) ::closedir(d);
    return files;
}

TEST(PdbFileOnDisk, WritesOwnerOnlyAndReplacesWhole) {
    test::TempDir dir;
    const std::string path = dir.File("KvTest.pdb");
    mode_t old_mask = ::umask(0);
    std::string error;
    bool written = WritePdbFile(path, GoldenDatabase(), &error);
    ::umask(old_mask);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(0600, test::FileMode(path));
    EXPECT_EQ(std::string(kGolden.begin(), kGolden.end()), test::ReadTextFile(path));

    PdbDatabase smaller = GoldenDatabase();
    smaller.records.pop_back();
    ASSERT_TRUE(WritePdbFile(path, smaller, &error)) << error;
    PdbDatabase back;
    ASSERT_TRUE(ReadPdbFile(path, &back, &error)) << error;
    ExpectSameDatabase(smaller, back);
    EXPECT_EQ(std::vector<std::string>{"KvTest.pdb"}, FilesIn(dir.path()));  // no temp files
}

TEST(PdbFileOnDisk, ErrorsNameTheFileAndTheFault) {
    test::TempDir dir;
    PdbDatabase db;
    std::string error;
    EXPECT_FALSE(ReadPdbFile(dir.File("Missing.pdb"), &db, &error));
    EXPECT_NE(std::string::npos, error.find(dir.File("Missing.pdb"))) << error;

    test::WriteTextFile(dir.File("Short.pdb"), "KvTest");
    EXPECT_FALSE(ReadPdbFile(dir.File("Short.pdb"), &db, &error));
    EXPECT_EQ(dir.File("Short.pdb") + ": file shorter than the 78-byte header", error);

    EXPECT_FALSE(ReadPdbFile(dir.path(), &db, &error));  // a directory

    EXPECT_FALSE(WritePdbFile(dir.File("none/KvTest.pdb"), GoldenDatabase(), &error));
    EXPECT_NE(std::string::npos, error.find("none/KvTest.pdb: cannot be written")) << error;
    PdbDatabase nameless = GoldenDatabase();
    nameless.name.clear();
    EXPECT_FALSE(WritePdbFile(dir.File("X.pdb"), nameless, &error));
    EXPECT_FALSE(test::FileExists(dir.File("X.pdb")));
}

TEST(PdbTimesAndCodes, ConvertBothWays) {
    EXPECT_EQ(2082844800u, PalmTimeFromUnix(0));
    EXPECT_EQ(0, UnixTimeFromPalm(2082844800u));
    EXPECT_EQ(1700000000, UnixTimeFromPalm(PalmTimeFromUnix(1700000000)));
    EXPECT_EQ(0x4B56414Cu, FourCharCode("KVAL"));
    EXPECT_EQ(0x41420000u, FourCharCode("AB"));
    EXPECT_EQ("KVAL", FourCharText(0x4B56414C));
}

}  // namespace
}  // namespace kv::handheld
