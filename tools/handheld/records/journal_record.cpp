#include "tools/handheld/records/journal_record.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {
namespace {

constexpr uint16_t kTextFlags = JournalRecord::kDescriptionFlag | JournalRecord::kNoteFlag;

}  // namespace

size_t JournalRecord::PackedSize() const {
    return kFixedSize + TextSize(description) + TextSize(note);
}

std::vector<uint8_t> JournalRecord::Pack() const {
    std::vector<uint8_t> data(PackedSize());
    ByteWriter w(data.data(), data.size());
    uint16_t flags = static_cast<uint16_t>(other_flags & ~kTextFlags);
    if (description) flags |= kDescriptionFlag;
    if (note) flags |= kNoteFlag;
    w.U8(hour);
    w.U8(minute);
    w.BE16(date);
    WriteFixedText(w, provider, kIdChars + 1);
    w.U8(0);
    w.BE16(type);
    w.BE32(practice_id);
    w.BE16(flags);
    if (description) WriteText(w, *description);
    if (note) WriteText(w, *note);
    FinishPack(w, &data);
    return data;
}

bool JournalRecord::Unpack(const uint8_t* data, size_t size, JournalRecord* out,
                           std::string* fault) {
    if (size < kFixedSize) return FixedPartShort(size, kFixedSize, fault);
    ByteReader r(data, size);
    JournalRecord rec;
    rec.hour = r.U8();
    rec.minute = r.U8();
    rec.date = r.BE16();
    if (!ReadFixedText(r, kIdChars + 1, kIdChars, &rec.provider)) {
        *fault = "provider id without terminator";
        return false;
    }
    r.U8();  // always zero, not checked
    rec.type = r.BE16();
    rec.practice_id = r.BE32();
    uint16_t flags = r.BE16();
    rec.other_flags = flags & ~kTextFlags;
    if ((flags & kDescriptionFlag) &&
        !ReadFlaggedText(r, kDescriptionFlag, "description", &rec.description, fault))
        return false;
    if ((flags & kNoteFlag) && !ReadFlaggedText(r, kNoteFlag, "note", &rec.note, fault))
        return false;
    if (r.remaining() != 0) return BytesAfterEnd(r.remaining(), fault);
    *out = std::move(rec);
    return true;
}

nlohmann::ordered_json JournalRecord::ToJson() const {
    nlohmann::ordered_json j;
    j["time"] = TimeText(hour, minute);
    j["date"] = DateText(date, kHandheldDateBase);
    j["provider"] = ShowText(provider);
    j["type"] = type;
    j["practice_id"] = practice_id;
    if (description) j["description"] = ShowText(*description);
    if (note) j["note"] = ShowText(*note);
    if (other_flags) j["other_flags"] = FlagText(other_flags);
    return j;
}

bool JournalRecord::Set(const std::string& field, const std::string& value, std::string* error) {
    if (field == "time") return ParseTime(value, &hour, &minute, error);
    if (field == "date") return ParseDate(value, kHandheldDateBase, &date, error);
    if (field == "provider") return ParseText(value, kIdChars, &provider, error);
    if (field == "type") return ParseNumberAs(value, &type, error);
    if (field == "practice_id") return ParseNumberAs(value, &practice_id, error);
    if (field == "description") return ParseOptionalText(value, kAnyLength, &description, error);
    if (field == "note") return ParseOptionalText(value, kAnyLength, &note, error);
    return UnknownField(field, FieldNames(), error);
}

const std::vector<std::string>& JournalRecord::FieldNames() {
    static const std::vector<std::string> kNames = {
        "time", "date", "provider", "type", "practice_id", "description", "note"};
    return kNames;
}

}  // namespace kv::handheld_tool
