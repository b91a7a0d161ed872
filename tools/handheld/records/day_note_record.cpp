#include "tools/handheld/records/day_note_record.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {

size_t DayNoteRecord::PackedSize() const {
    return kFixedSize + TextSize(text);
}

std::vector<uint8_t> DayNoteRecord::Pack() const {
    std::vector<uint8_t> data(PackedSize());
    ByteWriter w(data.data(), data.size());
    w.BE16(date);
    w.U8(origin);
    WriteText(w, text);
    FinishPack(w, &data);
    return data;
}

bool DayNoteRecord::Unpack(const uint8_t* data, size_t size, DayNoteRecord* out,
                           std::string* fault) {
    if (size < kFixedSize) return FixedPartShort(size, kFixedSize, fault);
    ByteReader r(data, size);
    DayNoteRecord rec;
    rec.date = r.BE16();
    rec.origin = r.U8();
    if (!ReadText(r, &rec.text)) {
        *fault =
            r.position() == kFixedSize ? "no text after the fixed part" : "text without terminator";
        return false;
    }
    if (r.remaining() != 0) return BytesAfterEnd(r.remaining(), fault);
    *out = std::move(rec);
    return true;
}

nlohmann::ordered_json DayNoteRecord::ToJson() const {
    nlohmann::ordered_json j;
    j["date"] = DateText(date, kHandheldDateBase);
    j["origin"] = origin;
    j["text"] = ShowText(text);
    return j;
}

bool DayNoteRecord::Set(const std::string& field, const std::string& value, std::string* error) {
    if (field == "date") return ParseDate(value, kHandheldDateBase, &date, error);
    if (field == "origin") return ParseNumberAs(value, &origin, error);
    if (field == "text") return ParseText(value, kAnyLength, &text, error);
    return UnknownField(field, FieldNames(), error);
}

const std::vector<std::string>& DayNoteRecord::FieldNames() {
    static const std::vector<std::string> kNames = {"date", "origin", "text"};
    return kNames;
}

}  // namespace kv::handheld_tool
