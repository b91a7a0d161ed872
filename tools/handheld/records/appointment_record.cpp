#include "tools/handheld/records/appointment_record.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using Text = std::optional<std::string> AppointmentRecord::*;

struct TextSlot {
    uint16_t flag;
    const char* name;
    Text member;
};

// The texts in the order they follow the fixed part.
constexpr TextSlot kTexts[] = {
    {AppointmentRecord::kDescriptionFlag, "description", &AppointmentRecord::description},
    {AppointmentRecord::kPatientFlag, "patient", &AppointmentRecord::patient},
    {AppointmentRecord::kHomePhoneFlag, "home_phone", &AppointmentRecord::home_phone},
    {AppointmentRecord::kWorkPhoneFlag, "work_phone", &AppointmentRecord::work_phone},
    {AppointmentRecord::kMedicalAlertsFlag, "medical_alerts", &AppointmentRecord::medical_alerts},
    {AppointmentRecord::kNoteFlag, "note", &AppointmentRecord::note},
};

constexpr uint16_t TextFlags() {
    uint16_t flags = 0;
    for (const TextSlot& slot : kTexts) flags |= slot.flag;
    return flags;
}

}  // namespace

size_t AppointmentRecord::PackedSize() const {
    size_t size = kFixedSize;
    for (const TextSlot& slot : kTexts) size += TextSize(this->*slot.member);
    return size;
}

std::vector<uint8_t> AppointmentRecord::Pack() const {
    std::vector<uint8_t> data(PackedSize());
    ByteWriter w(data.data(), data.size());
    uint16_t flags = static_cast<uint16_t>(other_flags & ~TextFlags());
    for (const TextSlot& slot : kTexts)
        if (this->*slot.member) flags |= slot.flag;
    w.U8(start_hour);
    w.U8(start_minute);
    w.U8(end_hour);
    w.U8(end_minute);
    w.BE16(date);
    WriteFixedText(w, provider, kIdChars + 1);
    WriteFixedText(w, operatory, kIdChars + 1);
    w.BE32(appointment_id);
    w.BE16(kind);
    w.BE16(flags);
    for (const TextSlot& slot : kTexts)
        if (this->*slot.member) WriteText(w, *(this->*slot.member));
    FinishPack(w, &data);
    return data;
}

bool AppointmentRecord::Unpack(const uint8_t* data, size_t size, AppointmentRecord* out,
                               std::string* fault) {
    if (size < kFixedSize) return FixedPartShort(size, kFixedSize, fault);
    ByteReader r(data, size);
    AppointmentRecord rec;
    rec.start_hour = r.U8();
    rec.start_minute = r.U8();
    rec.end_hour = r.U8();
    rec.end_minute = r.U8();
    rec.date = r.BE16();
    if (!ReadFixedText(r, kIdChars + 1, kIdChars, &rec.provider)) {
        *fault = "provider id without terminator";
        return false;
    }
    if (!ReadFixedText(r, kIdChars + 1, kIdChars, &rec.operatory)) {
        *fault = "operatory id without terminator";
        return false;
    }
    rec.appointment_id = r.BE32();
    rec.kind = r.BE16();
    uint16_t flags = r.BE16();
    rec.other_flags = flags & ~TextFlags();
    for (const TextSlot& slot : kTexts)
        if ((flags & slot.flag) &&
            !ReadFlaggedText(r, slot.flag, slot.name, &(rec.*slot.member), fault))
            return false;
    if (r.remaining() != 0) return BytesAfterEnd(r.remaining(), fault);
    *out = std::move(rec);
    return true;
}

nlohmann::ordered_json AppointmentRecord::ToJson() const {
    nlohmann::ordered_json j;
    j["start"] = TimeText(start_hour, start_minute);
    j["end"] = TimeText(end_hour, end_minute);
    j["date"] = DateText(date, kHandheldDateBase);
    j["provider"] = ShowText(provider);
    j["operatory"] = ShowText(operatory);
    j["appointment_id"] = appointment_id;
    j["kind"] = kind;
    for (const TextSlot& slot : kTexts)
        if (this->*slot.member) j[slot.name] = ShowText(*(this->*slot.member));
    if (other_flags) j["other_flags"] = FlagText(other_flags);
    return j;
}

bool AppointmentRecord::Set(const std::string& field, const std::string& value,
                            std::string* error) {
    if (field == "start") return ParseTime(value, &start_hour, &start_minute, error);
    if (field == "end") return ParseTime(value, &end_hour, &end_minute, error);
    if (field == "date") return ParseDate(value, kHandheldDateBase, &date, error);
    if (field == "provider") return ParseText(value, kIdChars, &provider, error);
    if (field == "operatory") return ParseText(value, kIdChars, &operatory, error);
    if (field == "appointment_id") return ParseNumberAs(value, &appointment_id, error);
    if (field == "kind") return ParseNumberAs(value, &kind, error);
    for (const TextSlot& slot : kTexts)
        if (field == slot.name)
            return ParseOptionalText(value, kAnyLength, &(this->*slot.member), error);
    return UnknownField(field, FieldNames(), error);
}

const std::vector<std::string>& AppointmentRecord::FieldNames() {
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names = {"start",          "end", "date", "provider", "operatory",
                                          "appointment_id", "kind"};
        for (const TextSlot& slot : kTexts) names.push_back(slot.name);
        return names;
    }();
    return kNames;
}

}  // namespace kv::handheld_tool
