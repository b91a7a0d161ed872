#include "tools/handheld/records/provider_app_info.h"

#include "platform/byte_order.h"
#include "tools/handheld/records/field_values.h"

namespace kv::handheld_tool {

std::vector<uint8_t> ProviderAppInfo::Pack() const {
    std::vector<uint8_t> data(kSize);
    ByteWriter w(data.data(), data.size());
    w.BE16(leading_number);
    for (const std::string& name : categories) WriteFixedText(w, name, kNameSize);
    FinishPack(w, &data);
    return data;
}

bool ProviderAppInfo::Unpack(const uint8_t* data, size_t size, ProviderAppInfo* out,
                             std::string* fault) {
    if (size < kSize) return FixedPartShort(size, kSize, fault);
    if (size > kSize) return BytesAfterEnd(size - kSize, fault);
    ByteReader r(data, size);
    ProviderAppInfo info;
    info.leading_number = r.BE16();
    for (size_t i = 0; i < kCategories; ++i) {
        if (!ReadFixedText(r, kNameSize, kNameSize - 1, &info.categories[i])) {
            *fault = "name of category " + std::to_string(i) + " without terminator";
            return false;
        }
    }
    *out = std::move(info);
    return true;
}

nlohmann::ordered_json ProviderAppInfo::ToJson() const {
    nlohmann::ordered_json j;
    j["leading_number"] = leading_number;
    j["categories"] = nlohmann::ordered_json::array();
    for (const std::string& name : categories) j["categories"].push_back(ShowText(name));
    return j;
}

}  // namespace kv::handheld_tool
