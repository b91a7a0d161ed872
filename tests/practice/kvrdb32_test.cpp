// kvrdb32 as the conduits use it: data directory, sessions, files, keys,
// errors and writes.
#include "practice/kvrdb32_fixture.h"

namespace kv::practice {
namespace {

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

}  // namespace
}  // namespace kv::practice
