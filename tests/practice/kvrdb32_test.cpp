// kvrdb32 as the conduits use it: loaded by path from the build, on a practice
// installation in a temporary directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "emulation/practice/catalog.h"
#include "emulation/practice/kvrdb32/open_handles.h"
#include "platform/byte_order.h"
#include "platform/os.h"
#include "platform/practice_database_api.h"
#include "support/practice_fixture.h"

namespace kv::practice {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kResources = 6;
constexpr int kAppointments = 9;
constexpr int kPatients = 18;
constexpr int kNotes = 44;
constexpr int kSyncLog = 45;
constexpr int kJournal = 149;
constexpr int kContacts = 151;

// The entry points, looked up by name as a binding does.
struct Kdb {
    KDB_InitDataBase_fn InitDataBase;
    KDB_StartSession_fn StartSession;
    KDB_EndSession_fn EndSession;
    KDB_OpenFile_fn OpenFile;
    KDB_CloseFile_fn CloseFile;
    KDB_FindRec_fn FindRec;
    KDB_GreaterThanOrEqualRec_fn GreaterThanOrEqualRec;
    KDB_FirstRec_fn FirstRec;
    KDB_NextRec_fn NextRec;
    KDB_StartSet_fn StartSet;
    KDB_NextRecInSet_fn NextRecInSet;
    KDB_EndSet_fn EndSet;
    KDB_GetVarRecLength_fn GetVarRecLength;
    KDB_ReadEntireVarRec_fn ReadEntireVarRec;
    KDB_WriteRec_fn WriteRec;
    KDB_AddRec_fn AddRec;
    KDB_GetLastErrorNum_fn GetLastErrorNum;
};

// A caller's buffer with guard bytes on both sides and filler inside.
class GuardedBuffer {
  public:
    static constexpr size_t kGuard = 32;
    static constexpr uint8_t kGuardByte = 0xEE;

    explicit GuardedBuffer(size_t size, uint8_t fill = 0xAA)
        : bytes_(kGuard + size + kGuard, kGuardByte) {
        std::fill_n(bytes_.begin() + kGuard, size, fill);
    }
    uint8_t* data() { return bytes_.data() + kGuard; }
    Bytes contents() const { return Bytes(bytes_.begin() + kGuard, bytes_.end() - kGuard); }
    bool guards_intact() const {
        auto guard = [](uint8_t b) { return b == kGuardByte; };
        return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, guard) &&
               std::all_of(bytes_.end() - kGuard, bytes_.end(), guard);
    }

  private:
    Bytes bytes_;
};

void PutI32(Bytes& record, size_t at, int32_t v) {
    StoreLE32(record.data() + at, static_cast<uint32_t>(v));
}
void PutText(Bytes& record, size_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), record.begin() + static_cast<ptrdiff_t>(at));
}
int32_t GetI32(const uint8_t* record, size_t at) {
    return static_cast<int32_t>(LoadLE32(record + at));
}
Bytes Packed32(int32_t v) {
    Bytes b(4);
    StoreLE32(b.data(), static_cast<uint32_t>(v));
    return b;
}
Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
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

Bytes Resource(uint8_t kind, const std::string& id) {
    Bytes r(512, 0);
    r[0] = kind;
    PutText(r, 1, id);
    return r;
}

Bytes JournalEntry(int32_t id) {
    Bytes r(140, 0);
    PutI32(r, 2, id);
    return r;
}

// A variable record as a caller hands it over: kind, owner, value and the
// zero-terminated text, followed by `slack` bytes of junk the record must not
// take in.
Bytes VarRecord(uint8_t kind, int32_t owner, int32_t value, const std::string& text,
                size_t slack = 0) {
    Bytes r(kVarTextOffset + text.size() + 1 + slack, 0x5A);
    std::fill_n(r.begin(), kVarTextOffset, 0);
    r[0] = kind;
    PutI32(r, 2, owner);
    PutI32(r, 6, value);
    PutText(r, kVarTextOffset, text);
    r[kVarTextOffset + text.size()] = 0;
    return r;
}
Bytes NoteKey(uint8_t kind, int32_t owner, int32_t value) {
    return Concat(Concat(Bytes{kind}, Packed32(owner)), Packed32(value));
}

// Looks every entry point up through find(name); false when one is missing.
template <typename Find>
bool LoadKdb(Find find, Kdb* kdb) {
    bool all = true;
    auto load = [&](auto* entry, const char* name) {
        *entry = reinterpret_cast<std::remove_pointer_t<decltype(entry)>>(find(name));
        all = all && *entry != nullptr;
    };
    load(&kdb->InitDataBase, "KDB_InitDataBase");
    load(&kdb->StartSession, "KDB_StartSession");
    load(&kdb->EndSession, "KDB_EndSession");
    load(&kdb->OpenFile, "KDB_OpenFile");
    load(&kdb->CloseFile, "KDB_CloseFile");
    load(&kdb->FindRec, "KDB_FindRec");
    load(&kdb->GreaterThanOrEqualRec, "KDB_GreaterThanOrEqualRec");
    load(&kdb->FirstRec, "KDB_FirstRec");
    load(&kdb->NextRec, "KDB_NextRec");
    load(&kdb->StartSet, "KDB_StartSet");
    load(&kdb->NextRecInSet, "KDB_NextRecInSet");
    load(&kdb->EndSet, "KDB_EndSet");
    load(&kdb->GetVarRecLength, "KDB_GetVarRecLength");
    load(&kdb->ReadEntireVarRec, "KDB_ReadEntireVarRec");
    load(&kdb->WriteRec, "KDB_WriteRec");
    load(&kdb->AddRec, "KDB_AddRec");
    load(&kdb->GetLastErrorNum, "KDB_GetLastErrorNum");
    return all;
}

// A copy of the built module under another path: loading it gives an instance
// of the library of its own, which no earlier KDB_InitDataBase has touched.
class FreshModule {
  public:
    FreshModule() {
        std::filesystem::copy_file(test::PracticeLibraryDir() + "/kvrdb32.so",
                                   dir_.File("kvrdb32.so"));
        handle_ = os::LoadModule((dir_.path() + "/kvrdb32.dll").c_str());
    }
    ~FreshModule() { os::FreeModule(handle_); }
    FreshModule(const FreshModule&) = delete;
    FreshModule& operator=(const FreshModule&) = delete;

    bool Load(Kdb* kdb) const {
        return handle_ &&
               LoadKdb([&](const char* name) { return os::FindSymbol(handle_, name); }, kdb);
    }

  private:
    test::TempDir dir_;
    os::ModuleHandle handle_ = nullptr;
};

class Kvrdb32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(module_.loaded()) << "kvrdb32 in " << test::PracticeLibraryDir();
        ASSERT_TRUE(LoadKdb([&](const char* name) { return module_.Get<void*>(name); }, &kdb_))
            << "kvrdb32 lacks an entry point";
        store_ = installation_.OpenStore();
        ASSERT_NE(nullptr, store_);
    }

    void Seed(int file, const Bytes& record) {
        ASSERT_TRUE(store_->Add(file, record, nullptr)) << store_->last_error();
    }

    // A session on the installation's data directory.
    KdbSession Session() {
        EXPECT_EQ(1, kdb_.InitDataBase(installation_.data_dir().c_str()));
        KdbSession session = kdb_.StartSession(1);
        EXPECT_NE(0, session);
        return session;
    }

    // The int32 at `at` of each record of the file, walked with one key.
    std::vector<int32_t> Walk(KdbFile file, int key, size_t at = 2) {
        const FileDef* def = FindFile(file_numbers_.at(file));
        std::vector<int32_t> ids;
        Bytes record(def->record_length);
        for (int found = kdb_.FirstRec(file, key, record.data()); found;
             found = kdb_.NextRec(file, key, record.data()))
            ids.push_back(GetI32(record.data(), at));
        return ids;
    }

    // The records of a set, as the int32 at `at`; 0 handle gives none.
    std::vector<int32_t> WalkSet(KdbFile file, int key, const Bytes& value, int prefix_length,
                                 size_t at = 2) {
        const FileDef* def = FindFile(file_numbers_.at(file));
        Bytes record(def->record_length);
        std::vector<int32_t> ids;
        KdbSet set = kdb_.StartSet(file, key, 0, value.data(), record.data(), prefix_length);
        if (set == 0) return ids;
        do ids.push_back(GetI32(record.data(), at));
        while (kdb_.NextRecInSet(set, record.data()));
        kdb_.EndSet(set);
        return ids;
    }

    KdbFile Open(KdbSession session, int file_number) {
        KdbFile file = kdb_.OpenFile(session, file_number);
        EXPECT_NE(0, file) << file_number;
        file_numbers_[file] = file_number;
        return file;
    }

    test::PracticeInstallation installation_;
    test::PracticeModule module_{"kvrdb32"};
    Kdb kdb_{};
    std::unique_ptr<PracticeStore> store_;
    std::map<KdbFile, int> file_numbers_;
};

// ---- Data directory and sessions ----

TEST_F(Kvrdb32Test, InitDataBaseAcceptsOnlyADirectoryHoldingAPracticeDatabase) {
    std::string data = installation_.data_dir();  // with a trailing slash
    std::string bare = data.substr(0, data.size() - 1);
    std::string windows = data;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    for (const std::string& dir : {data, bare, bare + "\\", windows})
        EXPECT_EQ(1, kdb_.InitDataBase(dir.c_str())) << dir;

    test::TempDir empty;
    test::TempDir corrupt;
    test::WriteTextFile(corrupt.File("KALVORA.KDB"), std::string(8192, '\x13'));
    for (const std::string& dir : {std::string(), empty.path(), empty.path() + "/missing/",
                                   corrupt.path(), corrupt.path() + "\\"})
        EXPECT_EQ(0, kdb_.InitDataBase(dir.c_str())) << dir;
    EXPECT_EQ(0, kdb_.InitDataBase(nullptr));
}

TEST_F(Kvrdb32Test, SessionsUseTheDirectoryLastAcceptedByInitDataBase) {
    Seed(kPatients, Patient(1));
    test::TempDir other;
    std::string error;
    ASSERT_TRUE(PracticeStore::Create(other.path(), &error)->Add(kPatients, Patient(2), nullptr));

    ASSERT_EQ(1, kdb_.InitDataBase(other.path().c_str()));
    ASSERT_EQ(0, kdb_.InitDataBase((other.path() + "/missing").c_str()));  // changes nothing
    KdbSession session = kdb_.StartSession(1);
    ASSERT_NE(0, session);
    KdbFile patients = Open(session, kPatients);
    EXPECT_EQ((std::vector<int32_t>{2}), Walk(patients, 0));
    kdb_.EndSession(session);
}

TEST_F(Kvrdb32Test, WithoutInitDataBaseSessionsFollowTheRegistryThenKalvoraIni) {
    Seed(kPatients, Patient(1));
    test::TempDir other;
    std::string error;
    ASSERT_TRUE(PracticeStore::Create(other.path(), &error)->Add(kPatients, Patient(2), nullptr));
    const std::string data = installation_.data_dir();
    const std::string missing = other.path() + "/missing/";

    struct Case {
        const char* what;
        std::map<std::string, std::string> registry, ini;
        int32_t patient;  // 0: no session
    };
    const std::vector<Case> cases = {
        {"registry first", {{"path", data}}, {{"path", other.path()}}, 1},
        {"no registry value", {{"ExePath", "x"}}, {{"path", other.path()}}, 2},
        {"empty registry value", {{"path", ""}}, {{"path", other.path()}}, 2},
        {"registry names no database", {{"path", missing}}, {{"path", data}}, 0},
        {"neither", {}, {}, 0},
    };
    FreshModule fresh;
    Kdb kdb{};
    ASSERT_TRUE(fresh.Load(&kdb));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        installation_.SetRegistry(c.registry);
        installation_.SetKalvoraIni(c.ini);
        KdbSession session = kdb.StartSession(1);
        if (c.patient == 0) {
            EXPECT_EQ(0, session);
            continue;
        }
        ASSERT_NE(0, session);
        KdbFile patients = kdb.OpenFile(session, kPatients);
        Bytes record(558);
        ASSERT_NE(0, kdb.FirstRec(patients, 0, record.data()));
        EXPECT_EQ(c.patient, GetI32(record.data(), 2));
        EXPECT_EQ(0, kdb.NextRec(patients, 0, record.data()));
        kdb.EndSession(session);
    }
}

TEST_F(Kvrdb32Test, SessionsAreDistinctAndEndingOneClosesItsFiles) {
    KdbSession first = Session();
    std::set<KdbSession> open{first};
    for (int i = 0; i < 20; ++i) {
        KdbSession s = kdb_.StartSession(1);
        ASSERT_NE(0, s);
        EXPECT_TRUE(open.insert(s).second) << s;
    }
    KdbFile file = Open(first, kPatients);
    KdbFile other_file = Open(*open.rbegin(), kPatients);
    EXPECT_NE(file, other_file);
    kdb_.EndSession(first);

    Bytes record(558);
    EXPECT_EQ(0, kdb_.FirstRec(file, 0, record.data()));
    EXPECT_EQ(0, kdb_.OpenFile(first, kPatients));
    EXPECT_EQ(0, kdb_.GetLastErrorNum(first));
    // Another session still works, and a session may start again.
    Seed(kPatients, Patient(4));
    EXPECT_EQ((std::vector<int32_t>{4}), Walk(other_file, 0));
    for (KdbSession s : open) kdb_.EndSession(s);
    KdbSession again = kdb_.StartSession(1);
    EXPECT_NE(0, again);
    kdb_.EndSession(again);
}

TEST_F(Kvrdb32Test, SessionsShareTheDatabase) {
    KdbSession a = Session();
    KdbSession b = kdb_.StartSession(1);
    ASSERT_NE(0, b);
    Bytes patient = Patient(77, "Shared");
    ASSERT_NE(0, kdb_.AddRec(Open(a, kPatients), patient.data()));
    Bytes found(558);
    Bytes key = Packed32(77);
    EXPECT_NE(0, kdb_.FindRec(Open(b, kPatients), 0, key.data(), found.data()));
    EXPECT_EQ(patient, found);
    EXPECT_TRUE(store_->Find(kPatients, 0, std::string(key.begin(), key.end())));
}

// ---- Files, keys and errors ----

TEST_F(Kvrdb32Test, OpenFileGivesDistinctHandlesForCatalogFilesOnly) {
    KdbSession session = Session();
    EXPECT_EQ(0, kdb_.OpenFile(0, kPatients));
    EXPECT_EQ(0, kdb_.OpenFile(static_cast<KdbSession>(session + 1000), kPatients));
    for (int missing : {0, 7, 150, -18}) {
        EXPECT_EQ(0, kdb_.OpenFile(session, missing)) << missing;
        EXPECT_EQ(kdb::kErrorNoSuchFile, kdb_.GetLastErrorNum(session));
    }
    std::set<KdbFile> handles;
    for (const FileDef& f : Catalog()) {
        KdbFile h = kdb_.OpenFile(session, f.number);
        EXPECT_NE(0, h);
        EXPECT_TRUE(handles.insert(h).second) << f.number;
    }
    KdbFile again = kdb_.OpenFile(session, kPatients);
    EXPECT_EQ(0u, handles.count(again));
}

TEST_F(Kvrdb32Test, LookupsFollowKeyOrder) {
    for (auto [id, last, first] :
         std::vector<std::tuple<int32_t, const char*, const char*>>{{30, "Young", "Ann"},
                                                                    {-5, "Adams", "Zed"},
                                                                    {12, "Adams", "Amy"},
                                                                    {70000, "Baker", ""}})
        Seed(kPatients, Patient(id, last, first));
    KdbSession session = Session();
    KdbFile patients = Open(session, kPatients);
    EXPECT_EQ((std::vector<int32_t>{-5, 12, 30, 70000}), Walk(patients, 0));
    EXPECT_EQ((std::vector<int32_t>{12, -5, 70000, 30}), Walk(patients, 20));

    struct Case {
        KDB_FindRec_fn lookup;
        int32_t value;
        int32_t found;  // 0: none
    };
    const Case cases[] = {
        {kdb_.FindRec, 12, 12},
        {kdb_.FindRec, 13, 0},
        {kdb_.GreaterThanOrEqualRec, 13, 30},
        {kdb_.GreaterThanOrEqualRec, -70000, -5},
        {kdb_.GreaterThanOrEqualRec, 70000, 70000},
        {kdb_.GreaterThanOrEqualRec, 70001, 0},
    };
    for (const Case& c : cases) {
        Bytes key = Packed32(c.value);
        Bytes record(558);
        int found = c.lookup(patients, 0, key.data(), record.data());
        if (c.found == 0) {
            EXPECT_EQ(0, found) << c.value;
            EXPECT_EQ(kKdbErrorNoSuchRecord, kdb_.GetLastErrorNum(session));
        } else {
            EXPECT_NE(0, found) << c.value;
            EXPECT_EQ(c.found, GetI32(record.data(), 2));
        }
    }
}

TEST_F(Kvrdb32Test, EqualKeysComeInTheOrderAdded) {
    KdbSession session = Session();
    KdbFile notes = Open(session, kNotes);
    for (const char* text : {"second", "third", "fourth"}) {
        Bytes note = VarRecord('N', 8, 1, text);
        ASSERT_NE(0, kdb_.AddRec(notes, note.data()));
    }
    Seed(kNotes, VarRecord('N', 8, 0, "zeroth"));

    Bytes key = NoteKey('N', 8, 1);
    Bytes record(36);
    ASSERT_NE(0, kdb_.FindRec(notes, 45, key.data(), record.data()));
    std::vector<std::string> texts;
    do texts.emplace_back(reinterpret_cast<const char*>(record.data() + kVarTextOffset));
    while (kdb_.NextRec(notes, 45, record.data()));
    EXPECT_EQ((std::vector<std::string>{"second", "third", "fourth"}), texts);
}

TEST_F(Kvrdb32Test, NoRecordIsError101AndOtherFailuresAreNot) {
    KdbSession session = Session();
    KdbFile patients = Open(session, kPatients);
    Bytes record(558);
    Bytes key = Packed32(1);

    EXPECT_EQ(0, kdb_.GetLastErrorNum(session));
    EXPECT_EQ(0, kdb_.FirstRec(patients, 0, record.data()));
    EXPECT_EQ(kKdbErrorNoSuchRecord, kdb_.GetLastErrorNum(session));
    EXPECT_EQ(0, kdb_.NextRec(patients, 0, record.data()));  // nothing current
    EXPECT_EQ(kKdbErrorNoSuchRecord, kdb_.GetLastErrorNum(session));

    Seed(kPatients, Patient(1));
    ASSERT_NE(0, kdb_.FindRec(patients, 0, key.data(), record.data()));
    EXPECT_EQ(0, kdb_.NextRec(patients, 0, record.data()));  // at the end
    EXPECT_EQ(kKdbErrorNoSuchRecord, kdb_.GetLastErrorNum(session));

    struct Case {
        const char* what;
        std::function<int()> call;
        int error;
    };
    KdbFile closed = Open(session, kPatients);
    kdb_.CloseFile(closed);
    const Case cases[] = {
        {"unknown key", [&] { return kdb_.FindRec(patients, 99, key.data(), record.data()); },
         kdb::kErrorNoSuchKey},
        {"key of another file", [&] { return kdb_.FirstRec(patients, 45, record.data()); },
         kdb::kErrorNoSuchKey},
        {"closed file", [&] { return kdb_.FirstRec(closed, 0, record.data()); },
         kdb::kErrorNoSuchHandle},
        {"null key value", [&] { return kdb_.FindRec(patients, 0, nullptr, record.data()); },
         kdb::kErrorNullArgument},
        {"null record", [&] { return kdb_.FirstRec(patients, 0, nullptr); },
         kdb::kErrorNullArgument},
        {"null set key", [&] { return kdb_.StartSet(patients, 0, 0, nullptr, record.data(), 4); },
         kdb::kErrorNullArgument},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, c.call()) << c.what;
        EXPECT_EQ(c.error, kdb_.GetLastErrorNum(session)) << c.what;
    }
}

TEST_F(Kvrdb32Test, UnknownHandlesAndNullPointersAnswerZero) {
    KdbSession session = Session();
    Seed(kPatients, Patient(1));
    Bytes record(558);
    Bytes key = Packed32(1);
    for (int32_t h : {0, -1, 1, 12345, 0x7fffffff, INT32_MIN}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(0, kdb_.FindRec(h, 0, key.data(), record.data()));
        EXPECT_EQ(0, kdb_.GreaterThanOrEqualRec(h, 0, key.data(), record.data()));
        EXPECT_EQ(0, kdb_.FirstRec(h, 0, record.data()));
        EXPECT_EQ(0, kdb_.NextRec(h, 0, record.data()));
        EXPECT_EQ(0, kdb_.StartSet(h, 0, 0, key.data(), record.data(), 4));
        EXPECT_EQ(0, kdb_.NextRecInSet(h, record.data()));
        EXPECT_EQ(0, kdb_.GetVarRecLength(h));
        EXPECT_EQ(0, kdb_.ReadEntireVarRec(h, record.data()));
        EXPECT_EQ(0, kdb_.WriteRec(h, record.data()));
        EXPECT_EQ(0, kdb_.AddRec(h, record.data()));
        kdb_.EndSet(h);
        kdb_.CloseFile(h);
    }
    kdb_.EndSession(0);
    kdb_.EndSession(static_cast<KdbSession>(session + 500));
    KdbFile patients = Open(session, kPatients);
    EXPECT_EQ(0, kdb_.GetVarRecLength(patients));  // nothing current yet
    EXPECT_EQ(0, kdb_.WriteRec(patients, record.data()));
    EXPECT_EQ(kdb::kErrorNoCurrentRecord, kdb_.GetLastErrorNum(session));
    ASSERT_NE(0, kdb_.FirstRec(patients, 0, record.data()));
    EXPECT_EQ(0, kdb_.ReadEntireVarRec(patients, nullptr));
    EXPECT_EQ(0, kdb_.WriteRec(patients, nullptr));
    EXPECT_EQ(0, kdb_.AddRec(patients, nullptr));
    EXPECT_EQ(1u, store_->Count(kPatients));
    EXPECT_EQ(0, kdb_.GetLastErrorNum(0));
}

TEST_F(Kvrdb32Test, AFailedLookupLeavesNothingToOverwrite) {
    Seed(kPatients, Patient(1, "Keep"));
    KdbSession session = Session();
    KdbFile patients = Open(session, kPatients);
    Bytes record(558);
    ASSERT_NE(0, kdb_.FirstRec(patients, 0, record.data()));
    Bytes missing = Packed32(2);
    ASSERT_EQ(0, kdb_.FindRec(patients, 0, missing.data(), record.data()));
    Bytes other = Patient(2, "Other");
    EXPECT_EQ(0, kdb_.WriteRec(patients, other.data()));
    EXPECT_EQ(Patient(1, "Keep"), store_->All(kPatients).at(0).data);
}

// ---- Writing ----

TEST_F(Kvrdb32Test, WriteReplacesTheCurrentRecordAndAddMakesTheNewOneCurrent) {
    Seed(kPatients, Patient(1, "Old"));
    KdbSession session = Session();
    KdbFile patients = Open(session, kPatients);
    Bytes record(558);
    Bytes key = Packed32(1);
    ASSERT_NE(0, kdb_.FindRec(patients, 0, key.data(), record.data()));
    Bytes renamed = Patient(5, "New");
    ASSERT_NE(0, kdb_.WriteRec(patients, renamed.data()));
    EXPECT_EQ(0, kdb_.FindRec(patients, 0, key.data(), record.data()));

    Bytes added = Patient(3, "Added");
    ASSERT_NE(0, kdb_.AddRec(patients, added.data()));
    ASSERT_NE(0, kdb_.NextRec(patients, 0, record.data()));  // after 3 comes 5
    EXPECT_EQ(renamed, record);
    EXPECT_EQ(2u, store_->Count(kPatients));
}

// ---- Sets ----

TEST_F(Kvrdb32Test, SetsWalkTheRecordsWhoseKeyBeginsWithThePrefix) {
    for (auto [kind, id] : std::vector<std::pair<uint8_t, const char*>>{
             {2, "AAAA"}, {1, "DR02"}, {0, "ZZZZ"}, {1, "DR01"}, {2, "DR00"}})
        Seed(kResources, Resource(kind, id));
    for (auto [id, patient, date] : std::vector<std::tuple<int32_t, int32_t, int32_t>>{
             {1, 7, 300}, {2, 8, 100}, {3, 7, -5}, {4, 0x107, 100}, {5, 7, 200}})
        Seed(kAppointments, Appointment(id, patient, date));
    KdbSession session = Session();
    KdbFile resources = Open(session, kResources);
    KdbFile appointments = Open(session, kAppointments);

    // Key 7, prefix 1: providers (kind 1) in id order. The id is read as an
    // int32 at offset 1 here.
    Bytes provider_key = {1, 'X', 'X', 'X', 'X'};
    std::vector<int32_t> expected_providers = {GetI32(Resource(1, "DR01").data(), 1),
                                               GetI32(Resource(1, "DR02").data(), 1)};
    EXPECT_EQ(expected_providers, WalkSet(resources, 7, provider_key, 1, 1));

    const Bytes patient7 = Concat(Packed32(7), Packed32(200));
    struct Case {
        int prefix_length;
        std::vector<int32_t> ids;
    };
    const Case cases[] = {
        {4, {3, 5, 1}},     // patient 7, by date
        {1, {3, 5, 1, 4}},  // inside the patient id: its low byte
        {0, {5}},           // the whole key
        {8, {5}},           //
        {99, {5}},          //
        {-1, {5}},          //
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.ids, WalkSet(appointments, 14, patient7, c.prefix_length)) << c.prefix_length;

    Bytes nobody = Packed32(9);
    Bytes record(256);
    EXPECT_EQ(0, kdb_.StartSet(appointments, 14, 0, nobody.data(), record.data(), 4));
    EXPECT_EQ(kKdbErrorNoSuchRecord, kdb_.GetLastErrorNum(session));
}

TEST_F(Kvrdb32Test, ASetKeepsItsPlaceAndEndsWithItsFileOrSession) {
    for (int32_t id = 1; id <= 4; ++id) Seed(kAppointments, Appointment(id, 7, id * 10));
    KdbSession session = Session();
    KdbFile appointments = Open(session, kAppointments);
    Bytes patient7 = Packed32(7);
    Bytes record(256);

    KdbSet set = kdb_.StartSet(appointments, 14, 0, patient7.data(), record.data(), 4);
    ASSERT_NE(0, set);
    EXPECT_EQ(1, GetI32(record.data(), 2));
    // Other lookups on the file do not move the set.
    Bytes id4 = Packed32(4);
    ASSERT_NE(0, kdb_.FindRec(appointments, 13, id4.data(), record.data()));
    ASSERT_NE(0, kdb_.NextRecInSet(set, record.data()));
    EXPECT_EQ(2, GetI32(record.data(), 2));
    // A record of a set becomes current and can be rewritten.
    EXPECT_EQ(256, kdb_.GetVarRecLength(appointments));
    Bytes moved = Appointment(2, 8, 20);
    ASSERT_NE(0, kdb_.WriteRec(appointments, moved.data()));
    ASSERT_NE(0, kdb_.NextRecInSet(set, record.data()));
    EXPECT_EQ(3, GetI32(record.data(), 2));

    KdbSet second = kdb_.StartSet(appointments, 14, 0, patient7.data(), record.data(), 4);
    ASSERT_NE(0, second);
    EXPECT_NE(set, second);
    kdb_.EndSet(second);
    EXPECT_EQ(0, kdb_.NextRecInSet(second, record.data()));
    EXPECT_EQ(kdb::kErrorNoSuchHandle, kdb_.GetLastErrorNum(session));

    kdb_.CloseFile(appointments);
    EXPECT_EQ(0, kdb_.NextRecInSet(set, record.data()));

    KdbFile reopened = Open(session, kAppointments);
    set = kdb_.StartSet(reopened, 14, 0, patient7.data(), record.data(), 4);
    ASSERT_NE(0, set);
    EXPECT_EQ((std::vector<int32_t>{1, 3, 4}), WalkSet(reopened, 14, patient7, 4));
    kdb_.EndSession(session);
    EXPECT_EQ(0, kdb_.NextRecInSet(set, record.data()));
}

// ---- The office journal ----

TEST_F(Kvrdb32Test, FirstByOneJournalKeyThenNextByTheOtherMeetsEveryRecord) {
    KdbSession session = Session();
    KdbFile journal = Open(session, kJournal);
    KdbFile contacts = Open(session, kContacts);
    std::vector<int32_t> added = {40, -2, 7, 1000, 0, 3};
    for (size_t i = 0; i < added.size(); ++i) {
        Bytes entry = JournalEntry(added[i]);
        ASSERT_NE(0, kdb_.AddRec(i % 2 ? journal : contacts, entry.data()));
    }
    std::vector<int32_t> met;
    Bytes record(140);
    for (int found = kdb_.FirstRec(contacts, 151, record.data()); found;
         found = kdb_.NextRec(contacts, 149, record.data()))
        met.push_back(GetI32(record.data(), 2));
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, met);
    EXPECT_EQ(added, Walk(journal, 151));
}

// ---- Variable-length records ----

TEST_F(Kvrdb32Test, VariableRecordsCopyTheFixedPartOnFindAndAllOfItOnRead) {
    KdbSession session = Session();
    KdbFile notes = Open(session, kNotes);
    const std::string texts[] = {"", "hello", std::string(25, 'f'), std::string(1000, 'L')};
    for (size_t i = 0; i < std::size(texts); ++i) {
        const std::string& text = texts[i];
        SCOPED_TRACE(text.size());
        const int32_t owner = static_cast<int32_t>(i);
        Bytes given = VarRecord('N', owner, 0, text, 40);
        ASSERT_NE(0, kdb_.AddRec(notes, given.data()));
        const size_t length = kVarTextOffset + text.size() + 1;
        Bytes stored(given.begin(), given.begin() + length);

        Bytes key = NoteKey('N', owner, 0);
        GuardedBuffer fixed(36);
        ASSERT_NE(0, kdb_.FindRec(notes, 45, key.data(), fixed.data()));
        EXPECT_TRUE(fixed.guards_intact());
        Bytes expected_fixed = stored;
        expected_fixed.resize(36, 0);
        EXPECT_EQ(expected_fixed, fixed.contents());

        EXPECT_EQ(length, kdb_.GetVarRecLength(notes));
        GuardedBuffer whole(length);
        ASSERT_NE(0, kdb_.ReadEntireVarRec(notes, whole.data()));
        EXPECT_TRUE(whole.guards_intact());
        EXPECT_EQ(stored, whole.contents());
    }
}

TEST_F(Kvrdb32Test, SyncLogEntriesAreAppendedAndRewrittenByTheirText) {
    KdbSession session = Session();
    KdbFile log = Open(session, kSyncLog);
    for (int32_t number = 1; number <= 3; ++number) {
        Bytes entry = VarRecord('S', number, 20240101, "sync " + std::to_string(number), 7);
        ASSERT_NE(0, kdb_.AddRec(log, entry.data()));
    }
    // Rewrite the last entry with a longer text, in place.
    Bytes key = NoteKey('S', 3, 20240101);
    Bytes record(36);
    ASSERT_NE(0, kdb_.FindRec(log, 45, key.data(), record.data()));
    Bytes longer = VarRecord('S', 3, 20240101, "sync 3: " + std::string(300, '+'));
    ASSERT_NE(0, kdb_.WriteRec(log, longer.data()));
    EXPECT_EQ(longer.size(), kdb_.GetVarRecLength(log));

    KdbFile again = Open(session, kSyncLog);
    Bytes kind = {'S'};
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3}), WalkSet(again, 45, kind, 1));
    ASSERT_NE(0, kdb_.FindRec(again, 45, key.data(), record.data()));
    ASSERT_EQ(longer.size(), kdb_.GetVarRecLength(again));
    Bytes whole(longer.size());
    ASSERT_NE(0, kdb_.ReadEntireVarRec(again, whole.data()));
    EXPECT_EQ(longer, whole);
}

TEST_F(Kvrdb32Test, VariableRecordsStopAt65535Bytes) {
    KdbSession session = Session();
    KdbFile notes = Open(session, kNotes);
    const size_t longest_text = kMaxVarRecordLength - kVarTextOffset - 1;
    Bytes longest = VarRecord('N', 1, 1, std::string(longest_text, 'x'));
    ASSERT_NE(0, kdb_.AddRec(notes, longest.data()));
    EXPECT_EQ(65535, kdb_.GetVarRecLength(notes));

    Bytes too_long = VarRecord('N', 1, 2, std::string(longest_text + 1, 'y'));
    EXPECT_EQ(0, kdb_.AddRec(notes, too_long.data()));
    EXPECT_EQ(kdb::kErrorRecordTooLong, kdb_.GetLastErrorNum(session));
    EXPECT_EQ(0, kdb_.WriteRec(notes, too_long.data()));
    EXPECT_EQ(kdb::kErrorRecordTooLong, kdb_.GetLastErrorNum(session));
    ASSERT_EQ(1u, store_->Count(kNotes));
    EXPECT_EQ(longest, store_->All(kNotes).at(0).data);
}

// ---- Caller's buffers ----

TEST_F(Kvrdb32Test, EveryFileCopiesExactlyItsRecordLength) {
    KdbSession session = Session();
    for (const FileDef& def : Catalog()) {
        SCOPED_TRACE(def.number);
        Bytes given(def.record_length);
        for (size_t i = 0; i < given.size(); ++i) given[i] = static_cast<uint8_t>(i * 7 + 1);
        if (def.variable) given.back() = 0;  // the text ends the record
        KdbFile file = Open(session, def.number);
        ASSERT_NE(0, kdb_.AddRec(file, given.data()));
        const KeyDef& key = def.keys.front();
        std::string packed = key.Pack(given.data(), given.size());

        GuardedBuffer found(def.record_length);
        ASSERT_NE(0, kdb_.FindRec(file, key.number, packed.data(), found.data()));
        EXPECT_TRUE(found.guards_intact());
        EXPECT_EQ(given, found.contents());
        GuardedBuffer first(def.record_length);
        ASSERT_NE(0, kdb_.FirstRec(file, key.number, first.data()));
        EXPECT_TRUE(first.guards_intact());
        GuardedBuffer in_set(def.record_length);
        KdbSet set = kdb_.StartSet(file, key.number, 0, packed.data(), in_set.data(), 0);
        ASSERT_NE(0, set);
        EXPECT_TRUE(in_set.guards_intact());
        EXPECT_EQ(given, in_set.contents());
        kdb_.EndSet(set);
        kdb_.CloseFile(file);
    }
}

}  // namespace
}  // namespace kv::practice
