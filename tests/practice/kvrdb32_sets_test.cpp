// kvrdb32 as the conduits use it: sets, the journal's two keys,
// variable-length records and the caller's buffers.
#include "practice/kvrdb32_fixture.h"

namespace kv::practice {
namespace {

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
