#include "emulation/practice/catalog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/byte_order.h"

namespace kv::practice {
namespace {

const KeyDef& KeyOf(int file, int key) {
    const FileDef* def = FindFile(file);
    EXPECT_NE(nullptr, def) << file;
    const KeyDef* k = def ? def->FindKey(key) : nullptr;
    EXPECT_NE(nullptr, k) << file << "/" << key;
    static const KeyDef none{-1, {}};
    return k ? *k : none;
}

// A record of a file with integers and texts put at offsets.
class RecordBuilder {
  public:
    explicit RecordBuilder(size_t length) : bytes_(length, 0) {}
    RecordBuilder& I32(size_t at, int32_t v) {
        bytes_.at(at + 3);  // in range
        StoreLE32(bytes_.data() + at, static_cast<uint32_t>(v));
        return *this;
    }
    RecordBuilder& U8(size_t at, uint8_t v) {
        bytes_.at(at) = v;
        return *this;
    }
    RecordBuilder& Text(size_t at, const std::string& s) {
        for (size_t i = 0; i < s.size(); ++i) bytes_.at(at + i) = static_cast<uint8_t>(s[i]);
        return *this;
    }
    std::string SortFormFor(const KeyDef& key) const {
        return key.SortForm(key.Pack(bytes_.data(), bytes_.size()));
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

// Each record's key must sort strictly after the previous one's.
void ExpectAscending(const KeyDef& key, const std::vector<RecordBuilder>& records) {
    for (size_t i = 1; i < records.size(); ++i) {
        std::string before = records[i - 1].SortFormFor(key);
        std::string after = records[i].SortFormFor(key);
        ASSERT_EQ(key.Length(), after.size());
        EXPECT_LT(std::memcmp(before.data(), after.data(), before.size()), 0)
            << "key " << key.number << " entry " << i << ": " << Hex(before) << " !< "
            << Hex(after);
    }
}

TEST(KeyPacking, PacksSegmentsInKeyOrderAsCallersDo) {
    // Key 10: date (6), start hour (153), start minute (154), operatory (11).
    RecordBuilder appointment(256);
    appointment.I32(6, 0x01020304).U8(153, 9).U8(154, 30).Text(11, "OP1");
    const KeyDef& key10 = KeyOf(9, 10);
    EXPECT_EQ(10u, key10.Length());
    std::string packed = key10.Pack(appointment.bytes().data(), 256);
    EXPECT_EQ("04030201091e4f503100", Hex(packed));
    // Integers most significant byte first, the sign bit flipped; bytes as is.
    EXPECT_EQ("81020304091e4f503100", Hex(key10.SortForm(packed)));

    // Key 45: kind (0), owner (2), value (6) of a note or sync log entry.
    RecordBuilder note(36);
    note.U8(0, 'N').I32(2, -2).I32(6, 7);
    const KeyDef& key45 = KeyOf(44, 45);
    EXPECT_EQ(9u, key45.Length());
    std::string packed45 = key45.Pack(note.bytes().data(), 36);
    EXPECT_EQ("4efeffffff07000000", Hex(packed45));
    EXPECT_EQ("4e7ffffffe80000007", Hex(key45.SortForm(packed45)));
}

TEST(KeyPacking, BytesPastTheRecordEndReadAsZero) {
    const uint8_t short_note[7] = {'N', 0, 1, 0, 0, 0, 5};
    EXPECT_EQ("4e0100000005000000", Hex(KeyOf(44, 45).Pack(short_note, 7)));
    EXPECT_EQ("000000000000000000", Hex(KeyOf(44, 45).Pack(short_note, 0)));
}

TEST(KeySortOrder, SignedIntegersOrderAsNumbersIncludingNegatives) {
    const int32_t ascending[] = {INT32_MIN, -65536, -257, -256, -255, -1,    0,
                                 1,         127,    128,  255,  256,  65535, INT32_MAX};
    std::vector<RecordBuilder> patients;
    for (int32_t id : ascending) patients.push_back(RecordBuilder(558).I32(2, id));
    ExpectAscending(KeyOf(18, 0), patients);
}

TEST(KeySortOrder, UnsignedAndBytesSegmentsCompareAsUnsignedBytes) {
    // Key 48: kind (unsigned), alert number (unsigned); 0x80 must not sort
    // below 0x7f.
    std::vector<RecordBuilder> alerts;
    for (auto [kind, number] : std::vector<std::pair<uint8_t, uint8_t>>{
             {0, 0xff}, {1, 0}, {1, 0x7f}, {1, 0x80}, {0x80, 0}, {0xff, 0xff}})
        alerts.push_back(RecordBuilder(64).U8(0, kind).U8(1, number));
    ExpectAscending(KeyOf(47, 48), alerts);

    // Key 138: provider id bytes, then the prescription id.
    std::vector<RecordBuilder> prescriptions;
    for (auto [provider, id] : std::vector<std::pair<std::string, int32_t>>{
             {"AB", 5}, {"AB\x7f", 1}, {"AB\x80", -3}, {"AB\x80", 2}, {"AC", -100}})
        prescriptions.push_back(RecordBuilder(64).Text(18, provider).I32(2, id));
    ExpectAscending(KeyOf(135, 138), prescriptions);
}

TEST(KeySortOrder, PatientNamesOrderByLastNameFirstNameThenId) {
    struct Patient {
        const char* last;
        const char* first;
        int32_t id;
    };
    const Patient ascending[] = {
        {"Smith", "Zoe", 1},    // a shorter last name comes first
        {"Smithson", "Al", 2},  //
        {"Smyth", "Ann", -4},   //
        {"Smyth", "Ann", 3},    // same name: by id
        {"Smyth", "Anna", -9},  //
        {"Smythe", "", 0},      //
    };
    std::vector<RecordBuilder> patients;
    for (const Patient& p : ascending)
        patients.push_back(RecordBuilder(558).Text(10, p.last).Text(31, p.first).I32(2, p.id));
    ExpectAscending(KeyOf(18, 20), patients);
}

TEST(KeySortOrder, CompositeKeysCompareSegmentBySegment) {
    // Key 10: an earlier date wins over any time; then hour, minute, operatory.
    std::vector<RecordBuilder> appointments;
    struct Slot {
        int32_t date;
        uint8_t hour, minute;
        const char* operatory;
    };
    for (const Slot& s : std::vector<Slot>{{-1, 23, 59, "ZZ"},
                                           {0x100, 23, 59, "ZZ"},
                                           {0x101, 0, 0, "ZZ"},
                                           {0x101, 9, 59, "ZZ"},
                                           {0x101, 10, 0, "OP1"},
                                           {0x101, 10, 0, "OP2"}})
        appointments.push_back(RecordBuilder(256)
                                   .I32(6, s.date)
                                   .U8(153, s.hour)
                                   .U8(154, s.minute)
                                   .Text(11, s.operatory));
    ExpectAscending(KeyOf(9, 10), appointments);

    // Key 45: kind before owner before value; negative owners first.
    std::vector<RecordBuilder> notes;
    for (auto [kind, owner, value] : std::vector<std::tuple<uint8_t, int32_t, int32_t>>{
             {1, 999, 999}, {2, -5, 0}, {2, -5, 1}, {2, 0, -100}, {2, 300, INT32_MIN}})
        notes.push_back(RecordBuilder(36).U8(0, kind).I32(2, owner).I32(6, value));
    ExpectAscending(KeyOf(44, 45), notes);
}

TEST(KeySegments, BoundariesFallBetweenSegments) {
    struct Case {
        int file, key;
        size_t n;
        bool boundary;
    };
    const Case cases[] = {
        {9, 10, 0, true},    {9, 10, 3, false},  {9, 10, 4, true},   {9, 10, 5, true},
        {9, 10, 6, true},    {9, 10, 7, false},  {9, 10, 10, true},  {9, 10, 11, false},
        {18, 20, 20, false}, {18, 20, 21, true}, {18, 20, 37, true}, {18, 20, 41, true},
        {6, 7, 1, true},     {9, 14, 4, true},   {9, 14, 2, false},  {44, 45, 5, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.boundary, KeyOf(c.file, c.key).IsSegmentBoundary(c.n))
            << "file " << c.file << " key " << c.key << " n " << c.n;
}

TEST(KeySegments, SortFormOfAPrefixCoversItsWholeSegments) {
    RecordBuilder appointment(256);
    appointment.I32(54, -7).I32(6, 0x01020304);
    const KeyDef& key14 = KeyOf(9, 14);
    std::string whole = appointment.SortFormFor(key14);
    std::string packed = key14.Pack(appointment.bytes().data(), 256);
    EXPECT_EQ(whole.substr(0, 4), key14.SortForm(packed.substr(0, 4)));
    EXPECT_EQ(whole.substr(0, 4), key14.SortForm(packed.substr(0, 6)));
    EXPECT_EQ("", key14.SortForm(packed.substr(0, 3)));
}

TEST(Catalog, FilesAreOrderedAndFound) {
    const std::vector<FileDef>& files = Catalog();
    ASSERT_FALSE(files.empty());
    for (size_t i = 1; i < files.size(); ++i) EXPECT_LT(files[i - 1].number, files[i].number);
    for (const FileDef& f : files) EXPECT_EQ(&f, FindFile(f.number));
    for (int missing : {0, 1, 7, 10, 150, 152, -1}) EXPECT_EQ(nullptr, FindFile(missing));
}

TEST(Catalog, KeysAndFieldsLieWithinTheRecord) {
    for (const FileDef& f : Catalog()) {
        SCOPED_TRACE("file " + std::to_string(f.number));
        EXPECT_FALSE(f.keys.empty());
        for (const KeyDef& k : f.keys) {
            EXPECT_FALSE(k.segments.empty());
            for (const KeySegment& s : k.segments) {
                EXPECT_LE(s.offset + s.width, f.record_length) << "key " << k.number;
                if (s.kind != SegmentKind::kBytes) {
                    EXPECT_TRUE(s.width == 1 || s.width == 2 || s.width == 4) << "key " << k.number;
                }
            }
        }
        for (const FieldDef& field : f.fields) {
            if (f.variable && field.offset == kVarTextOffset) continue;  // runs to the record end
            EXPECT_NE(0, field.width) << field.name;
            EXPECT_LE(field.offset + field.width, f.record_length) << field.name;
            EXPECT_EQ(&field, f.FindField(field.name));
        }
        if (f.variable) {
            const FieldDef* text = f.FindField("text");
            ASSERT_NE(nullptr, text);
            EXPECT_EQ(kVarTextOffset, text->offset);
            EXPECT_LT(kVarTextOffset, f.record_length);
        }
    }
}

TEST(Catalog, JournalAndContactsShareStorageAndKeys) {
    const FileDef* journal = FindFile(149);
    const FileDef* contacts = FindFile(151);
    ASSERT_NE(nullptr, journal);
    ASSERT_NE(nullptr, contacts);
    EXPECT_EQ(149, journal->storage);
    EXPECT_EQ(149, contacts->storage);
    EXPECT_EQ(journal->record_length, contacts->record_length);
    for (const FileDef* f : {journal, contacts}) {
        for (int key : {149, 151}) {
            const KeyDef* k = f->FindKey(key);
            ASSERT_NE(nullptr, k) << f->number << "/" << key;
            ASSERT_EQ(1u, k->segments.size());
            EXPECT_EQ(2, k->segments[0].offset);
            EXPECT_EQ(4, k->segments[0].width);
            EXPECT_EQ(SegmentKind::kSigned, k->segments[0].kind);
        }
    }
    // Every other file is its own storage.
    for (const FileDef& f : Catalog()) {
        if (f.number != 151) {
            EXPECT_EQ(f.number, f.storage);
        }
    }
}

}  // namespace
}  // namespace kv::practice
