#include "emulation/practice/practice_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "support/temp_dir.h"

namespace kv::practice {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kResources = 6;
constexpr int kAppointments = 9;
constexpr int kPatients = 18;
constexpr int kNotes = 44;
constexpr int kJournal = 149;
constexpr int kContacts = 151;

void PutI32(Bytes& record, size_t at, int32_t v) {
    ASSERT_LE(at + 4, record.size());
    StoreLE32(record.data() + at, static_cast<uint32_t>(v));
}
void PutText(Bytes& record, size_t at, const std::string& text) {
    ASSERT_LE(at + text.size(), record.size());
    std::copy(text.begin(), text.end(), record.begin() + static_cast<ptrdiff_t>(at));
}
int32_t GetI32(const Bytes& record, size_t at) {
    return at + 4 <= record.size() ? static_cast<int32_t>(LoadLE32(record.data() + at)) : 0;
}

Bytes Patient(int32_t id, const std::string& last = "", const std::string& first = "") {
    Bytes r(558, 0);
    PutI32(r, 2, id);
    PutText(r, 10, last);
    PutText(r, 31, first);
    return r;
}

Bytes Appointment(int32_t id, int32_t patient, int32_t date) {
    Bytes r(256, 0);
    PutI32(r, 2, id);
    PutI32(r, 6, date);
    PutI32(r, 54, patient);
    return r;
}

// A note: kind, owner, value, then text of the given length (plus terminator).
Bytes Note(uint8_t kind, int32_t owner, int32_t value, size_t text_length, char fill = 'n') {
    Bytes r(kVarTextOffset + text_length + 1, 0);
    r[0] = kind;
    PutI32(r, 2, owner);
    PutI32(r, 6, value);
    std::fill(r.begin() + kVarTextOffset, r.end() - 1, static_cast<uint8_t>(fill));
    return r;
}

Bytes JournalEntry(int32_t id) {
    Bytes r(140, 0);
    PutI32(r, 2, id);
    return r;
}

std::string Packed32(int32_t v) {
    uint8_t b[4];
    StoreLE32(b, static_cast<uint32_t>(v));
    return std::string(reinterpret_cast<char*>(b), 4);
}

class PracticeStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        store_ = PracticeStore::Create(dir_.path(), &error);
        ASSERT_NE(nullptr, store_) << error;
    }

    int64_t Add(int file, const Bytes& data) {
        int64_t row_id = 0;
        EXPECT_TRUE(store_->Add(file, data, &row_id)) << store_->last_error();
        return row_id;
    }

    // The value at offset `at` of each record, in order.
    static std::vector<int32_t> Ids(const std::vector<StoredRecord>& records, size_t at = 2) {
        std::vector<int32_t> ids;
        for (const StoredRecord& r : records) ids.push_back(GetI32(r.data, at));
        return ids;
    }

    // Every record of file with the key prefix, walked as a set.
    std::vector<StoredRecord> Set(int file, int key, const std::string& prefix) {
        std::vector<StoredRecord> out;
        for (auto r = store_->FirstWithPrefix(file, key, prefix); r;
             r = store_->NextWithPrefix(file, key, prefix, *r))
            out.push_back(*r);
        EXPECT_EQ("", store_->last_error());
        return out;
    }

    test::TempDir dir_;
    std::unique_ptr<PracticeStore> store_;
};

// ---- Creating and opening ----

TEST(PracticeStoreFiles, PathIgnoresSeparatorStyleAndTrailingSeparators) {
    for (const char* dir :
         {"/srv/kal/data", "/srv/kal/data/", "\\srv\\kal\\data\\", "/srv/kal/data//"})
        EXPECT_EQ("/srv/kal/data/KALVORA.KDB", PracticeStore::PathFor(dir)) << dir;
}

TEST(PracticeStoreFiles, CreateMakesAnOwnerOnlyFileOnce) {
    test::TempDir dir;
    mode_t old_mask = ::umask(0);  // even a permissive umask must not widen it
    std::string error;
    auto store = PracticeStore::Create(dir.path(), &error);
    ::umask(old_mask);
    ASSERT_NE(nullptr, store) << error;
    EXPECT_EQ(0600, test::FileMode(PracticeStore::PathFor(dir.path())));

    EXPECT_EQ(nullptr, PracticeStore::Create(dir.path(), &error));
    EXPECT_NE(std::string::npos, error.find("KALVORA.KDB")) << error;
    EXPECT_EQ(nullptr, PracticeStore::Create(dir.path() + "/missing", &error));
    EXPECT_NE(std::string::npos, error.find("missing")) << error;
}

TEST(PracticeStoreFiles, OpenFindsTheDatabaseThroughAWindowsStylePath) {
    test::TempDir dir;
    std::string error;
    int64_t row_id = 0;
    ASSERT_TRUE(PracticeStore::Create(dir.path(), &error)->Add(kPatients, Patient(5), &row_id));
    std::string windows_style = dir.path() + "\\";
    auto store = PracticeStore::Open(windows_style, &error);
    ASSERT_NE(nullptr, store) << error;
    EXPECT_EQ(1u, store->Count(kPatients));
}

void WriteSqliteFile(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
    sqlite3_close(db);
}

TEST(PracticeStoreFiles, OpenRefusesWhatIsNoPracticeDatabaseNamingFileAndFault) {
    struct Case {
        const char* what;
        void (*make)(const std::string& dir);
        const char* fault;
    };
    const Case cases[] = {
        {"nothing there", [](const std::string&) {}, "no practice database"},
        {"a directory of that name",
         [](const std::string& dir) { std::filesystem::create_directory(dir + "/KALVORA.KDB"); },
         "no practice database"},
        {"a text file",
         [](const std::string& dir) {
             test::WriteTextFile(dir + "/KALVORA.KDB", std::string(5000, 'x'));
         },
         "not a database"},
        {"another SQLite database",
         [](const std::string& dir) {
             WriteSqliteFile(dir + "/KALVORA.KDB", "CREATE TABLE t(x); INSERT INTO t VALUES(1);");
         },
         "not a practice database"},
        {"an unknown format",
         [](const std::string& dir) {
             std::string error;
             ASSERT_NE(nullptr, PracticeStore::Create(dir, &error));
             WriteSqliteFile(dir + "/KALVORA.KDB", "UPDATE kv_practice SET format = 2;");
         },
         "format 2"},
        {"a cut-off database",
         [](const std::string& dir) {
             std::string error;
             auto store = PracticeStore::Create(dir, &error);
             ASSERT_NE(nullptr, store);
             for (int i = 0; i < 50; ++i) ASSERT_TRUE(store->Add(kPatients, Patient(i), nullptr));
             store.reset();
             std::filesystem::resize_file(dir + "/KALVORA.KDB", 4096);
         },
         "malformed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        c.make(dir.path());
        std::string error;
        EXPECT_EQ(nullptr, PracticeStore::Open(dir.path(), &error));
        EXPECT_NE(std::string::npos, error.find(dir.path() + "/KALVORA.KDB")) << error;
        EXPECT_NE(std::string::npos, error.find(c.fault)) << error;
    }
    std::string error;
    EXPECT_EQ(nullptr, PracticeStore::Open("", &error));
    EXPECT_FALSE(error.empty());
}

// ---- Records ----

TEST_F(PracticeStoreTest, FixedRecordsAreCutOrPaddedToTheRecordLength) {
    Bytes long_record = Patient(1);
    long_record.resize(600, 0xAB);
    int64_t long_row = Add(kPatients, long_record);
    int64_t short_row = Add(kPatients, Bytes{0, 0, 2, 0, 0, 0});

    auto cut = store_->Get(kPatients, long_row);
    ASSERT_TRUE(cut);
    EXPECT_EQ(Bytes(long_record.begin(), long_record.begin() + 558), cut->data);
    auto padded = store_->Get(kPatients, short_row);
    ASSERT_TRUE(padded);
    EXPECT_EQ(Patient(2), padded->data);
    EXPECT_LT(long_row, short_row);
}

TEST_F(PracticeStoreTest, ReplaceMovesTheRecordToItsNewKeys) {
    int64_t row = Add(kPatients, Patient(10, "Adams"));
    Add(kPatients, Patient(20, "Baker"));
    ASSERT_TRUE(store_->Replace(kPatients, row, Patient(30, "Young"))) << store_->last_error();

    EXPECT_FALSE(store_->Find(kPatients, 0, Packed32(10)));
    EXPECT_EQ("", store_->last_error());
    auto found = store_->Find(kPatients, 0, Packed32(30));
    ASSERT_TRUE(found);
    EXPECT_EQ(row, found->row_id);
    EXPECT_EQ((std::vector<int32_t>{20, 30}), Ids(store_->All(kPatients, 0)));
    EXPECT_EQ((std::vector<int32_t>{20, 30}), Ids(store_->All(kPatients, 20)));  // Baker, Young
}

TEST_F(PracticeStoreTest, RecordsStayInTheirFile) {
    int64_t patient_row = Add(kPatients, Patient(1));
    EXPECT_FALSE(store_->Get(kAppointments, patient_row));
    EXPECT_FALSE(store_->Replace(kAppointments, patient_row, Appointment(1, 1, 1)));
    EXPECT_FALSE(store_->last_error().empty());
    EXPECT_EQ(Patient(1), store_->Get(kPatients, patient_row)->data);
    EXPECT_EQ(0u, store_->Count(kAppointments));
}

TEST_F(PracticeStoreTest, UnknownFilesAndKeysFailWithAMessage) {
    EXPECT_FALSE(store_->Add(7, Bytes(10, 0), nullptr));
    EXPECT_NE(std::string::npos, store_->last_error().find("7")) << store_->last_error();
    EXPECT_FALSE(store_->First(kPatients, 10));
    EXPECT_NE(std::string::npos, store_->last_error().find("10")) << store_->last_error();
    EXPECT_FALSE(store_->Find(kPatients, 0, "ab"));  // shorter than the key
    EXPECT_FALSE(store_->last_error().empty());
    // A lookup that merely finds nothing is no failure.
    EXPECT_FALSE(store_->First(kPatients, 0));
    EXPECT_EQ("", store_->last_error());
}

// ---- Key order ----

TEST_F(PracticeStoreTest, RecordsComeInKeyOrderAndEqualKeysInInsertionOrder) {
    for (int32_t id : {5, -3, 70000, 0, -70000, 256}) Add(kPatients, Patient(id));
    EXPECT_EQ((std::vector<int32_t>{-70000, -3, 0, 5, 256, 70000}), Ids(store_->All(kPatients)));

    // Notes with one key: the order they were added in, both ways of walking.
    for (int32_t text_length : {3, 1, 2}) Add(kNotes, Note('N', 9, 1, text_length));
    Add(kNotes, Note('N', 9, 0, 5));
    Add(kNotes, Note('N', 10, 0, 4));
    std::vector<size_t> lengths;
    for (auto r = store_->First(kNotes, 45); r; r = store_->Next(kNotes, 45, *r))
        lengths.push_back(r->data.size() - kVarTextOffset - 1);
    EXPECT_EQ((std::vector<size_t>{5, 3, 1, 2, 4}), lengths);

    auto first_equal = store_->Find(kNotes, 45, "N" + Packed32(9) + Packed32(1));
    ASSERT_TRUE(first_equal);
    EXPECT_EQ(kVarTextOffset + 4, first_equal->data.size());
}

TEST_F(PracticeStoreTest, GreaterOrEqualFindsTheFirstKeyNotBelow) {
    for (int32_t id : {-10, 0, 10, 20}) Add(kPatients, Patient(id));
    struct Case {
        int32_t value;
        std::optional<int32_t> found;
    };
    const Case cases[] = {{INT32_MIN, -10}, {-11, -10}, {-10, -10},        {-9, 0},
                          {1, 10},          {20, 20},   {21, std::nullopt}};
    for (const Case& c : cases) {
        auto r = store_->GreaterOrEqual(kPatients, 0, Packed32(c.value));
        EXPECT_EQ(c.found, r ? std::optional<int32_t>(GetI32(r->data, 2)) : std::nullopt)
            << c.value;
    }
}

// ---- Sets ----

TEST_F(PracticeStoreTest, PrefixSetsOnSegmentBoundariesWalkOneRange) {
    // Key 14: patient, then date.
    Add(kAppointments, Appointment(1, 7, 300));
    Add(kAppointments, Appointment(2, 8, 100));
    Add(kAppointments, Appointment(3, 7, -5));
    Add(kAppointments, Appointment(4, 6, 100));
    Add(kAppointments, Appointment(5, 7, 200));
    EXPECT_EQ((std::vector<int32_t>{3, 5, 1}), Ids(Set(kAppointments, 14, Packed32(7))));
    EXPECT_EQ((std::vector<int32_t>{5}), Ids(Set(kAppointments, 14, Packed32(7) + Packed32(200))));
    EXPECT_TRUE(Set(kAppointments, 14, Packed32(9)).empty());
    EXPECT_EQ(5u, Set(kAppointments, 14, "").size());

    // Key 7: resources of kind 1 only, in id order.
    for (auto [kind, id] : std::vector<std::pair<uint8_t, const char*>>{
             {2, "AAAA"}, {1, "DR02"}, {0, "ZZZZ"}, {1, "DR01"}, {2, "DR00"}}) {
        Bytes r(512, 0);
        r[0] = kind;
        PutText(r, 1, id);
        Add(kResources, r);
    }
    std::vector<std::string> providers;
    for (const StoredRecord& r : Set(kResources, 7, "\x01"))
        providers.emplace_back(reinterpret_cast<const char*>(&r.data[1]), 4);
    EXPECT_EQ((std::vector<std::string>{"DR01", "DR02"}), providers);
}

TEST_F(PracticeStoreTest, PrefixSetsInsideASegmentMatchThePackedBytes) {
    // Inside key 20's last name (bytes), and inside key 0's little-endian id.
    for (auto [id, last] : std::vector<std::pair<int32_t, const char*>>{
             {1, "Smyth"}, {2, "Snow"}, {3, "Smith"}, {0x10005, "Sm"}, {0x20005, "Abel"}, {5, "S"}})
        Add(kPatients, Patient(id, last));
    struct Case {
        int key;
        std::string prefix;
        std::vector<int32_t> ids;
    };
    const Case cases[] = {
        {20, "Sm", {0x10005, 3, 1}},
        {20, "Smi", {3}},
        {20, "S", {5, 0x10005, 3, 1, 2}},
        {0, std::string("\x05\x00", 2), {5, 0x10005, 0x20005}},
        {0, std::string("\x05\x00\x01", 3), {0x10005}},
        {0, "\x06", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.ids, Ids(Set(kPatients, c.key, c.prefix))) << c.key << " " << c.prefix;
}

// ---- Variable-length records ----

TEST_F(PracticeStoreTest, VariableRecordsKeepAnyLengthUpToTheLimit) {
    const size_t longest_text = kMaxVarRecordLength - kVarTextOffset - 1;
    for (size_t text : {size_t{0}, size_t{30}, size_t{4000}, longest_text}) {
        Bytes note = Note('N', 1, static_cast<int32_t>(text), text, 'a' + text % 26);
        int64_t row = Add(kNotes, note);
        auto stored = store_->Get(kNotes, row);
        ASSERT_TRUE(stored);
        EXPECT_EQ(note, stored->data) << text;
    }
    Bytes too_long = Note('N', 1, -1, longest_text + 1);
    ASSERT_EQ(kMaxVarRecordLength + 1, too_long.size());
    EXPECT_FALSE(store_->Add(kNotes, too_long, nullptr));
    EXPECT_NE(std::string::npos, store_->last_error().find("65536")) << store_->last_error();
    EXPECT_EQ(4u, store_->Count(kNotes));
}

TEST_F(PracticeStoreTest, VariableRecordsGrowAndShrinkInPlace) {
    int64_t row = Add(kNotes, Note('N', 1, 1, 10));
    ASSERT_TRUE(store_->Replace(kNotes, row, Note('N', 1, 1, 3000, 'g')));
    EXPECT_EQ(Note('N', 1, 1, 3000, 'g'), store_->Get(kNotes, row)->data);
    ASSERT_TRUE(store_->Replace(kNotes, row, Note('N', 1, 1, 2, 's')));
    EXPECT_EQ(Note('N', 1, 1, 2, 's'), store_->Get(kNotes, row)->data);

    EXPECT_FALSE(store_->Replace(kNotes, row, Note('N', 1, 1, kMaxVarRecordLength)));
    EXPECT_EQ(Note('N', 1, 1, 2, 's'), store_->Get(kNotes, row)->data);
}

// ---- Shared storage ----

TEST_F(PracticeStoreTest, JournalAndContactsAreOneStorage) {
    Add(kJournal, JournalEntry(3));
    Add(kContacts, JournalEntry(1));
    Add(kJournal, JournalEntry(2));
    EXPECT_EQ(3u, store_->Count(kJournal));
    EXPECT_EQ(3u, store_->Count(kContacts));
    for (int file : {kJournal, kContacts})
        for (int key : {149, 151})
            EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), Ids(store_->All(file, key)))
                << file << "/" << key;
    auto contact = store_->Find(kJournal, 149, Packed32(1));
    ASSERT_TRUE(contact);
    auto next = store_->Next(kContacts, 151, *contact);
    ASSERT_TRUE(next);
    EXPECT_EQ(2, GetI32(next->data, 2));
}

// ---- Transactions and sharing ----

TEST_F(PracticeStoreTest, RolledBackChangesLeaveNoRecordAndNoKey) {
    int64_t kept = Add(kPatients, Patient(1, "Kept"));
    ASSERT_TRUE(store_->Begin());
    Add(kPatients, Patient(2));
    ASSERT_TRUE(store_->Replace(kPatients, kept, Patient(3, "Changed")));
    store_->Rollback();

    EXPECT_EQ((std::vector<int32_t>{1}), Ids(store_->All(kPatients)));
    EXPECT_FALSE(store_->Find(kPatients, 0, Packed32(2)));
    EXPECT_FALSE(store_->Find(kPatients, 0, Packed32(3)));
    EXPECT_EQ(Patient(1, "Kept"), store_->Get(kPatients, kept)->data);
}

TEST_F(PracticeStoreTest, AFailedChangeInsideATransactionSparesTheOthers) {
    ASSERT_TRUE(store_->Begin());
    Add(kNotes, Note('N', 1, 1, 5));
    EXPECT_FALSE(store_->Add(kNotes, Note('N', 1, 2, kMaxVarRecordLength), nullptr));
    EXPECT_FALSE(store_->Replace(kNotes, 999, Note('N', 1, 3, 5)));
    ASSERT_TRUE(store_->Commit()) << store_->last_error();
    store_.reset();

    std::string error;
    auto reopened = PracticeStore::Open(dir_.path(), &error);
    ASSERT_NE(nullptr, reopened) << error;
    EXPECT_EQ((std::vector<int32_t>{1}), Ids(reopened->All(kNotes), 6));
}

TEST_F(PracticeStoreTest, TwoConnectionsSeeEachOthersRecords) {
    std::string error;
    auto other = PracticeStore::Open(dir_.path(), &error);
    ASSERT_NE(nullptr, other) << error;
    Add(kPatients, Patient(1));
    int64_t row = 0;
    ASSERT_TRUE(other->Add(kPatients, Patient(2), &row)) << other->last_error();
    EXPECT_EQ((std::vector<int32_t>{1, 2}), Ids(store_->All(kPatients)));
    EXPECT_TRUE(other->Find(kPatients, 0, Packed32(1)));
}

}  // namespace
}  // namespace kv::practice
