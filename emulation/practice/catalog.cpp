#include "emulation/practice/catalog.h"

namespace kv::practice {
namespace {

constexpr SegmentKind U = SegmentKind::kUnsigned;
constexpr SegmentKind S = SegmentKind::kSigned;
constexpr SegmentKind B = SegmentKind::kBytes;

using T = FieldType;

// Notes (44) and the sync log (45) share one layout and one key.
std::vector<FieldDef> NoteFields(const char* owner, const char* value, FieldType value_type) {
    return {{"kind", 0, 1, T::kChar},
            {owner, 2, 4, T::kInt},
            {value, 6, 4, value_type},
            {"text", kVarTextOffset, 0, T::kText}};
}

std::vector<FileDef> BuildCatalog() {
    std::vector<FileDef> files;

    files.push_back({6,
                     6,
                     "resources",
                     512,
                     false,
                     {{7, {{0, 1, U}, {1, 4, B}}}},
                     {{"kind", 0, 1, T::kUnsigned},
                      {"id", 1, 4, T::kId},
                      {"last_name", 8, 21, T::kText},
                      {"first_name", 29, 16, T::kText},
                      {"middle_initial", 45, 2, T::kText},
                      {"title", 47, 21, T::kText},
                      {"flag_a", 256, 1, T::kUnsigned},
                      {"flag_b", 419, 1, T::kUnsigned}}});

    files.push_back({9,
                     9,
                     "appointments",
                     256,
                     false,
                     {{10, {{6, 4, S}, {153, 1, U}, {154, 1, U}, {11, 4, B}}},
                      {13, {{2, 4, S}}},
                      {14, {{54, 4, S}, {6, 4, S}}}},
                     {{"appointment_id", 2, 4, T::kInt},
                      {"date", 6, 4, T::kDate},
                      {"operatory", 11, 4, T::kId},
                      {"provider", 16, 4, T::kId},
                      {"patient_name", 22, 32, T::kText},
                      {"patient_id", 54, 4, T::kInt},
                      {"length", 58, 1, T::kUnsigned},
                      {"kind", 68, 1, T::kUnsigned},
                      {"phone", 75, 17, T::kText},
                      {"description", 92, 61, T::kText},
                      {"start_hour", 153, 1, T::kUnsigned},
                      {"start_minute", 154, 1, T::kUnsigned}}});

    files.push_back(
        {18,
         18,
         "patients",
         558,
         false,
         {{0, {{2, 4, S}}}, {19, {{2, 4, S}}}, {20, {{10, 21, B}, {31, 16, B}, {2, 4, S}}}},
         {{"patient_id", 2, 4, T::kInt},
          {"last_name", 10, 21, T::kText},
          {"first_name", 31, 16, T::kText},
          {"middle_initial", 47, 2, T::kText},
          {"preferred_name", 49, 21, T::kText},
          {"work_phone_ext", 97, 6, T::kText},
          {"chart_number", 113, 20, T::kText},
          {"social_security", 133, 10, T::kText},
          {"primary_provider", 143, 4, T::kId},
          {"flag", 153, 1, T::kUnsigned},
          {"status", 155, 1, T::kUnsigned},
          {"phone_ref", 160, 4, T::kInt},
          {"birth_date", 164, 4, T::kDate},
          {"billing_ref", 172, 4, T::kInt},
          {"last_visit", 180, 4, T::kDate},
          {"medical_alerts", 184, 8, T::kBytes},
          {"work_phone", 234, 20, T::kText},
          {"privacy", 519, 1, T::kUnsigned}}});

    const KeyDef note_key{45, {{0, 1, U}, {2, 4, S}, {6, 4, S}}};
    files.push_back({44, 44, "notes", 36, true, {note_key}, NoteFields("owner", "value", T::kInt)});
    files.push_back(
        {45, 45, "sync log", 36, true, {note_key}, NoteFields("number", "date", T::kDate)});

    files.push_back({47,
                     47,
                     "medical alerts",
                     64,
                     false,
                     {{48, {{0, 1, U}, {1, 1, U}}}},
                     {{"kind", 0, 1, T::kUnsigned},
                      {"alert_number", 1, 1, T::kUnsigned},
                      {"name", 2, 31, T::kText}}});

    files.push_back({49,
                     49,
                     "phones",
                     160,
                     false,
                     {{50, {{2, 4, S}}}},
                     {{"phone_id", 2, 4, T::kInt}, {"phone", 130, 20, T::kText}}});

    files.push_back({75,
                     75,
                     "billing types",
                     160,
                     false,
                     {{76, {{2, 4, S}}}},
                     {{"billing_id", 2, 4, T::kInt},
                      {"description", 10, 31, T::kText},
                      {"billing_type", 142, 1, T::kUnsigned}}});

    files.push_back({95,
                     95,
                     "preferences",
                     640,
                     false,
                     {{95, {{0, 1, B}, {1, 4, B}, {5, 4, S}}}},
                     {{"tag", 0, 1, T::kUnsigned},
                      {"marker", 1, 4, T::kId},
                      {"date", 5, 4, T::kDate},
                      // the practice preferences record (date 0)
                      {"sunday", 15, 2, T::kInt},
                      {"monday", 21, 2, T::kInt},
                      {"tuesday", 27, 2, T::kInt},
                      {"wednesday", 33, 2, T::kInt},
                      {"thursday", 39, 2, T::kInt},
                      {"friday", 45, 2, T::kInt},
                      {"saturday", 51, 2, T::kInt},
                      {"holidays", 161, 400, T::kHolidays},
                      // a week schedule (date = the week's Sunday)
                      {"day_status", 11, 7, T::kBytes},
                      {"first_entries", 550, 42, T::kBytes},
                      {"second_entries", 592, 42, T::kBytes}}});

    files.push_back({135,
                     135,
                     "patient prescriptions",
                     64,
                     false,
                     {{135, {{10, 4, S}, {2, 4, S}}},
                      {136, {{14, 4, S}, {2, 4, S}}},
                      {138, {{18, 5, B}, {2, 4, S}}}},
                     {{"prescription_id", 2, 4, T::kInt},
                      {"definition_id", 6, 4, T::kInt},
                      {"patient_id", 10, 4, T::kInt},
                      {"date", 14, 4, T::kDate},
                      {"provider", 18, 4, T::kId}}});

    files.push_back({139,
                     139,
                     "prescription definitions",
                     180,
                     false,
                     {{140, {{2, 4, S}}}},
                     {{"definition_id", 2, 4, T::kInt},
                      {"number", 8, 4, T::kInt},
                      {"directions", 12, 50, T::kText},
                      {"description", 62, 50, T::kText},
                      {"dispense", 112, 50, T::kText},
                      {"refills", 162, 4, T::kInt},
                      {"hash_note_ref", 166, 4, T::kInt},
                      {"quote_note_ref", 170, 4, T::kInt},
                      {"flag", 174, 1, T::kUnsigned}}});

    const std::vector<FieldDef> journal_fields = {
        {"record_id", 2, 4, T::kInt},        {"date", 10, 4, T::kDate},
        {"time", 14, 4, T::kTime},           {"hold", 18, 4, T::kInt},
        {"provider", 22, 4, T::kId},         {"description", 46, 90, T::kText},
        {"entry_type", 136, 1, T::kUnsigned}};
    const std::vector<KeyDef> journal_keys = {{149, {{2, 4, S}}}, {151, {{2, 4, S}}}};
    files.push_back({149, 149, "office journal", 140, false, journal_keys, journal_fields});
    files.push_back({151, 149, "contacts", 140, false, journal_keys, journal_fields});
    return files;
}

}  // namespace

size_t KeyDef::Length() const {
    size_t n = 0;
    for (const KeySegment& s : segments) n += s.width;
    return n;
}

std::string KeyDef::Pack(const uint8_t* record, size_t record_length) const {
    std::string packed;
    packed.reserve(Length());
    for (const KeySegment& s : segments) {
        for (size_t i = 0; i < s.width; ++i) {
            size_t at = size_t{s.offset} + i;
            packed.push_back(at < record_length ? static_cast<char>(record[at]) : '\0');
        }
    }
    return packed;
}

std::string KeyDef::SortForm(const std::string& packed) const {
    std::string out;
    out.reserve(packed.size());
    size_t at = 0;
    for (const KeySegment& s : segments) {
        if (at + s.width > packed.size()) break;
        const auto* p = reinterpret_cast<const uint8_t*>(packed.data() + at);
        if (s.kind == SegmentKind::kBytes) {
            out.append(packed, at, s.width);
        } else {
            // Little-endian to most significant byte first; a signed value
            // gets its sign bit flipped so that negatives sort first.
            for (size_t i = s.width; i-- > 0;) {
                uint8_t byte = p[i];
                if (i + 1 == s.width && s.kind == SegmentKind::kSigned) byte ^= 0x80;
                out.push_back(static_cast<char>(byte));
            }
        }
        at += s.width;
    }
    return out;
}

bool KeyDef::IsSegmentBoundary(size_t n) const {
    size_t at = 0;
    if (n == 0) return true;
    for (const KeySegment& s : segments) {
        at += s.width;
        if (at == n) return true;
    }
    return false;
}

const KeyDef* FileDef::FindKey(int key_number) const {
    for (const KeyDef& k : keys)
        if (k.number == key_number) return &k;
    return nullptr;
}

const FieldDef* FileDef::FindField(const std::string& field_name) const {
    for (const FieldDef& f : fields)
        if (field_name == f.name) return &f;
    return nullptr;
}

const std::vector<FileDef>& Catalog() {
    static const std::vector<FileDef> catalog = BuildCatalog();
    return catalog;
}

const FileDef* FindFile(int number) {
    for (const FileDef& f : Catalog())
        if (f.number == number) return &f;
    return nullptr;
}

}  // namespace kv::practice
