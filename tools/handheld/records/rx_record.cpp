#include "tools/handheld/records/rx_record.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

using Text = std::optional<std::string> RxRecord::*;

struct TextSlot {
    uint16_t flag;
    const char* name;
    Text member;
};

// The optional texts in the order they follow the fixed part.
constexpr TextSlot kTexts[] = {
    {RxRecord::kDefinitionTextFlag, "definition_text", &RxRecord::definition_text},
    {RxRecord::kNumberFlag, "number", &RxRecord::number},
    {RxRecord::kExtraTextFlag, "extra_text", &RxRecord::extra_text},
    {RxRecord::kNoteFlag, "note", &RxRecord::note},
    {RxRecord::kMedicalAlertsFlag, "medical_alerts", &RxRecord::medical_alerts},
    {RxRecord::kSecondNoteFlag, "second_note", &RxRecord::second_note},
};

bool IsDecimal(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool ReadFixedFields(ByteReader& r, RxRecord* rec, uint16_t* flags, std::string* fault) {
    rec->prescription_id = r.BE32();
    rec->date = r.BE16();
    if (!ReadFixedText(r, RxRecord::kNameSize, RxRecord::kNameChars, &rec->patient_name)) {
        *fault = "patient name longer than 41 characters";
        return false;
    }
    rec->patient_id = r.BE32();
    if (!ReadFixedText(r, RxRecord::kDefinitionSize, RxRecord::kDefinitionChars,
                       &rec->definition)) {
        *fault = "definition text longer than 50 characters";
        return false;
    }
    *flags = r.BE16();
    if (*flags & RxRecord::kUnusedFlags) {
        *fault = "flags " + FlagText(*flags) + " set unused bits";
        return false;
    }
    rec->marked = (*flags & RxRecord::kMarkedFlag) != 0;
    return true;
}

}  // namespace

uint16_t RxRecord::Flags() const {
    uint16_t flags = marked ? kMarkedFlag : 0;
    for (const TextSlot& slot : kTexts)
        if (this->*slot.member) flags |= slot.flag;
    return flags;
}

size_t RxRecord::PackedSize() const {
    size_t size = kFixedSize;
    for (const TextSlot& slot : kTexts) size += TextSize(this->*slot.member);
    return size;
}

std::vector<uint8_t> RxRecord::Pack() const {
    std::vector<uint8_t> data(PackedSize());
    ByteWriter w(data.data(), data.size());
    w.BE32(prescription_id);
    w.BE16(date);
    WriteFixedText(w, patient_name, kNameSize);
    w.BE32(patient_id);
    WriteFixedText(w, definition, kDefinitionSize);
    w.BE16(Flags());
    for (const TextSlot& slot : kTexts)
        if (this->*slot.member) WriteText(w, *(this->*slot.member));
    FinishPack(w, &data);
    return data;
}

bool RxRecord::Unpack(const uint8_t* data, size_t size, RxRecord* out, std::string* fault) {
    if (size < kFixedSize) return FixedPartShort(size, kFixedSize, fault);
    ByteReader r(data, size);
    RxRecord rec;
    uint16_t flags = 0;
    if (!ReadFixedFields(r, &rec, &flags, fault)) return false;
    for (const TextSlot& slot : kTexts)
        if ((flags & slot.flag) &&
            !ReadFlaggedText(r, slot.flag, slot.name, &(rec.*slot.member), fault))
            return false;
    if (rec.number && !IsDecimal(*rec.number)) {
        *fault = "number text is not decimal digits";
        return false;
    }
    if (r.remaining() != 0) return BytesAfterEnd(r.remaining(), fault);
    *out = std::move(rec);
    return true;
}

nlohmann::ordered_json RxRecord::ToJson() const {
    nlohmann::ordered_json j;
    j["prescription_id"] = prescription_id;
    j["date"] = DateText(date, kRxDateBase);
    j["patient_name"] = ShowText(patient_name);
    j["patient_id"] = patient_id;
    j["definition"] = ShowText(definition);
    j["flags"] = FlagText(Flags());
    j["marked"] = marked;
    for (const TextSlot& slot : kTexts)
        if (this->*slot.member) j[slot.name] = ShowText(*(this->*slot.member));
    return j;
}

bool RxRecord::Set(const std::string& field, const std::string& value, std::string* error) {
    if (field == "prescription_id") return ParseNumberAs(value, &prescription_id, error);
    if (field == "date") return ParseDate(value, kRxDateBase, &date, error);
    if (field == "patient_name") return ParseText(value, kNameChars, &patient_name, error);
    if (field == "patient_id") return ParseNumberAs(value, &patient_id, error);
    if (field == "definition") return ParseText(value, kDefinitionChars, &definition, error);
    if (field == "marked") {
        if (value != "true" && value != "false") {
            *error = "marked is true or false, not '" + value + "'";
            return false;
        }
        marked = value == "true";
        return true;
    }
    if (field == "number" && !value.empty() && !IsDecimal(value)) {
        *error = "number is decimal digits, not '" + value + "'";
        return false;
    }
    for (const TextSlot& slot : kTexts)
        if (field == slot.name)
            return ParseOptionalText(value, kAnyLength, &(this->*slot.member), error);
    return UnknownField(field, FieldNames(), error);
}

const std::vector<std::string>& RxRecord::FieldNames() {
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names = {"prescription_id", "date",       "patient_name",
                                          "patient_id",      "definition", "marked"};
        for (const TextSlot& slot : kTexts) names.push_back(slot.name);
        return names;
    }();
    return kNames;
}

}  // namespace kv::handheld_tool
