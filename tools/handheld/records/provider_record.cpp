#include "tools/handheld/records/provider_record.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {

std::vector<uint8_t> ProviderRecord::Pack() const {
    std::vector<uint8_t> data(kSize);
    ByteWriter w(data.data(), data.size());
    WriteFixedText(w, practice_id, kSize);
    FinishPack(w, &data);
    return data;
}

bool ProviderRecord::Unpack(const uint8_t* data, size_t size, ProviderRecord* out,
                            std::string* fault) {
    if (size < kSize) return FixedPartShort(size, kSize, fault);
    if (size > kSize) return BytesAfterEnd(size - kSize, fault);
    ByteReader r(data, size);
    ProviderRecord rec;
    if (!ReadFixedText(r, kSize, kIdChars, &rec.practice_id)) {
        *fault = "practice id without terminator";
        return false;
    }
    *out = std::move(rec);
    return true;
}

nlohmann::ordered_json ProviderRecord::ToJson() const {
    nlohmann::ordered_json j;
    j["practice_id"] = ShowText(practice_id);
    return j;
}

bool ProviderRecord::Set(const std::string& field, const std::string& value, std::string* error) {
    if (field == "practice_id") return ParseText(value, kIdChars, &practice_id, error);
    return UnknownField(field, FieldNames(), error);
}

const std::vector<std::string>& ProviderRecord::FieldNames() {
    static const std::vector<std::string> kNames = {"practice_id"};
    return kNames;
}

}  // namespace kv::handheld_tool
