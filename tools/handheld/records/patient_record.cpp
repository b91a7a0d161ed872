#include "tools/handheld/records/patient_record.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using Text = std::optional<std::string> PatientRecord::*;
using Date = std::optional<uint16_t> PatientRecord::*;
using Byte = std::optional<uint8_t> PatientRecord::*;

template <typename Member>
struct Slot {
    uint16_t bit;
    const char* name;
    Member member;
};

// The optional texts that follow the names, in record order.
constexpr Slot<Text> kTexts[] = {
    {PatientRecord::kMiddleInitialBit, "middle_initial", &PatientRecord::middle_initial},
    {PatientRecord::kPreferredNameBit, "preferred_name", &PatientRecord::preferred_name},
    {PatientRecord::kHomePhoneBit, "home_phone", &PatientRecord::home_phone},
    {PatientRecord::kWorkPhoneBit, "work_phone", &PatientRecord::work_phone},
    {PatientRecord::kSsnBit, "ssn", &PatientRecord::ssn},
    {PatientRecord::kChartNumberBit, "chart_number", &PatientRecord::chart_number},
};
constexpr Slot<Date> kDates[] = {
    {PatientRecord::kBirthDateBit, "birth_date", &PatientRecord::birth_date},
    {PatientRecord::kLastVisitBit, "last_visit", &PatientRecord::last_visit},
};
constexpr Slot<Byte> kBytes[] = {
    {PatientRecord::kStatusBit, "status", &PatientRecord::status},
    {PatientRecord::kBillingTypeBit, "billing_type", &PatientRecord::billing_type},
};
constexpr const char* kNextDate = "next_appointment_date";
constexpr const char* kNextTime = "next_appointment_time";

// A fixed-width field the presence word announces must fit in what is left.
bool Announced(const ByteReader& r, uint16_t bit, const char* name, size_t width,
               std::string* fault) {
    if (r.remaining() >= width) return true;
    *fault = "presence bit " + FlagText(bit) + " announces " + name + " past the end of the record";
    return false;
}

bool ReadHead(ByteReader& r, PatientRecord* rec, uint16_t* presence, std::string* fault) {
    rec->patient_id = r.BE32();
    *presence = r.BE16();
    if ((*presence & PatientRecord::kAlwaysPresent) != PatientRecord::kAlwaysPresent) {
        *fault = "presence word " + FlagText(*presence) + " lacks the always-present bits " +
                 FlagText(PatientRecord::kAlwaysPresent);
        return false;
    }
    std::string flag_text;
    if (!ReadFixedText(r, 2, 1, &flag_text) || (flag_text != "Y" && flag_text != "N")) {
        *fault = "flag text is neither \"Y\" nor \"N\"";
        return false;
    }
    rec->flag = flag_text == "Y";
    if (!ReadFixedText(r, PatientRecord::kIdChars + 1, PatientRecord::kIdChars, &rec->provider)) {
        *fault = "provider id without terminator";
        return false;
    }
    return true;
}

bool ReadNames(ByteReader& r, PatientRecord* rec, std::string* fault) {
    std::optional<std::string> last, first;
    if (!ReadFlaggedText(r, PatientRecord::kLastNameBit, "last name", &last, fault) ||
        !ReadFlaggedText(r, PatientRecord::kFirstNameBit, "first name", &first, fault))
        return false;
    rec->last_name = std::move(*last);
    rec->first_name = std::move(*first);
    return true;
}

bool ReadOptionalFields(ByteReader& r, uint16_t presence, PatientRecord* rec, std::string* fault) {
    for (const auto& slot : kTexts)
        if ((presence & slot.bit) &&
            !ReadFlaggedText(r, slot.bit, slot.name, &(rec->*slot.member), fault))
            return false;
    for (const auto& slot : kDates) {
        if (!(presence & slot.bit)) continue;
        if (!Announced(r, slot.bit, slot.name, 2, fault)) return false;
        rec->*slot.member = r.BE16();
    }
    for (const auto& slot : kBytes) {
        if (!(presence & slot.bit)) continue;
        if (!Announced(r, slot.bit, slot.name, 1, fault)) return false;
        rec->*slot.member = r.U8();
    }
    if (presence & PatientRecord::kNextDateBit) {
        if (!Announced(r, PatientRecord::kNextDateBit, kNextDate, 2, fault)) return false;
        rec->next_appointment_date = r.BE16();
    }
    if (presence & PatientRecord::kNextTimeBit) {
        if (!Announced(r, PatientRecord::kNextTimeBit, kNextTime, 2, fault)) return false;
        PatientRecord::ClockTime time;
        time.hour = r.U8();
        time.minute = r.U8();
        rec->next_appointment_time = time;
    }
    return !(presence & PatientRecord::kNoteBit) ||
           ReadFlaggedText(r, PatientRecord::kNoteBit, "note", &rec->note, fault);
}

}  // namespace

uint16_t PatientRecord::Presence() const {
    uint16_t presence = kAlwaysPresent;
    for (const auto& slot : kTexts)
        if (this->*slot.member) presence |= slot.bit;
    for (const auto& slot : kDates)
        if (this->*slot.member) presence |= slot.bit;
    for (const auto& slot : kBytes)
        if (this->*slot.member) presence |= slot.bit;
    if (next_appointment_date) presence |= kNextDateBit;
    if (next_appointment_time) presence |= kNextTimeBit;
    if (note) presence |= kNoteBit;
    return presence;
}

size_t PatientRecord::PackedSize() const {
    size_t size = kFixedSize + TextSize(last_name) + TextSize(first_name) + TextSize(note);
    for (const auto& slot : kTexts) size += TextSize(this->*slot.member);
    for (const auto& slot : kDates)
        if (this->*slot.member) size += 2;
    for (const auto& slot : kBytes)
        if (this->*slot.member) size += 1;
    if (next_appointment_date) size += 2;
    if (next_appointment_time) size += 2;
    return size;
}

std::vector<uint8_t> PatientRecord::Pack() const {
    std::vector<uint8_t> data(PackedSize());
    ByteWriter w(data.data(), data.size());
    w.BE32(patient_id);
    w.BE16(Presence());
    WriteFixedText(w, flag ? "Y" : "N", 2);
    WriteFixedText(w, provider, kIdChars + 1);
    WriteText(w, last_name);
    WriteText(w, first_name);
    for (const auto& slot : kTexts)
        if (this->*slot.member) WriteText(w, *(this->*slot.member));
    for (const auto& slot : kDates)
        if (this->*slot.member) w.BE16(*(this->*slot.member));
    for (const auto& slot : kBytes)
        if (this->*slot.member) w.U8(*(this->*slot.member));
    if (next_appointment_date) w.BE16(*next_appointment_date);
    if (next_appointment_time) {
        w.U8(next_appointment_time->hour);
        w.U8(next_appointment_time->minute);
    }
    if (note) WriteText(w, *note);
    FinishPack(w, &data);
    return data;
}

bool PatientRecord::Unpack(const uint8_t* data, size_t size, PatientRecord* out,
                           std::string* fault) {
    if (size < kFixedSize) return FixedPartShort(size, kFixedSize, fault);
    ByteReader r(data, size);
    PatientRecord rec;
    uint16_t presence = 0;
    if (!ReadHead(r, &rec, &presence, fault) || !ReadNames(r, &rec, fault) ||
        !ReadOptionalFields(r, presence, &rec, fault))
        return false;
    if (r.remaining() != 0) return BytesAfterEnd(r.remaining(), fault);
    *out = std::move(rec);
    return true;
}

nlohmann::ordered_json PatientRecord::ToJson() const {
    nlohmann::ordered_json j;
    j["patient_id"] = patient_id;
    j["presence"] = FlagText(Presence());
    j["flag"] = flag ? "Y" : "N";
    j["provider"] = ShowText(provider);
    j["last_name"] = ShowText(last_name);
    j["first_name"] = ShowText(first_name);
    for (const auto& slot : kTexts)
        if (this->*slot.member) j[slot.name] = ShowText(*(this->*slot.member));
    for (const auto& slot : kDates)
        if (this->*slot.member) j[slot.name] = DateText(*(this->*slot.member), kHandheldDateBase);
    for (const auto& slot : kBytes)
        if (this->*slot.member) j[slot.name] = *(this->*slot.member);
    if (next_appointment_date) j[kNextDate] = DateText(*next_appointment_date, kHandheldDateBase);
    if (next_appointment_time)
        j[kNextTime] = TimeText(next_appointment_time->hour, next_appointment_time->minute);
    if (note) j["note"] = ShowText(*note);
    return j;
}

bool PatientRecord::Set(const std::string& field, const std::string& value, std::string* error) {
    if (field == "patient_id") return ParseNumberAs(value, &patient_id, error);
    if (field == "flag") {
        if (value != "Y" && value != "N") {
            *error = "flag is Y or N, not '" + value + "'";
            return false;
        }
        flag = value == "Y";
        return true;
    }
    if (field == "provider") return ParseText(value, kIdChars, &provider, error);
    if (field == "last_name") return ParseText(value, kAnyLength, &last_name, error);
    if (field == "first_name") return ParseText(value, kAnyLength, &first_name, error);
    for (const auto& slot : kTexts)
        if (field == slot.name)
            return ParseOptionalText(value, kAnyLength, &(this->*slot.member), error);
    for (const auto& slot : kDates)
        if (field == slot.name)
            return ParseOptionalDate(value, kHandheldDateBase, &(this->*slot.member), error);
    for (const auto& slot : kBytes)
        if (field == slot.name) return ParseOptionalNumber(value, &(this->*slot.member), error);
    if (field == kNextDate)
        return ParseOptionalDate(value, kHandheldDateBase, &next_appointment_date, error);
    if (field == kNextTime) {
        if (value.empty()) {
            next_appointment_time.reset();
            return true;
        }
        ClockTime time;
        if (!ParseTime(value, &time.hour, &time.minute, error)) return false;
        next_appointment_time = time;
        return true;
    }
    if (field == "note") return ParseOptionalText(value, kAnyLength, &note, error);
    return UnknownField(field, FieldNames(), error);
}

const std::vector<std::string>& PatientRecord::FieldNames() {
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names = {"patient_id", "flag", "provider", "last_name",
                                          "first_name"};
        for (const auto& slot : kTexts) names.push_back(slot.name);
        for (const auto& slot : kDates) names.push_back(slot.name);
        for (const auto& slot : kBytes) names.push_back(slot.name);
        names.push_back(kNextDate);
        names.push_back(kNextTime);
        names.push_back("note");
        return names;
    }();
    return kNames;
}

}  // namespace kv::handheld_tool
