// The application-info block of the provider list: the names of its four
// categories, the position of a name being its category number.
//
//   offset  size  field
//        0     2  a leading number, 4 in every list the conduits write
//        2    16  name of category 0 ("Providers"), zero-terminated, zero-filled
//       18    16  name of category 1 ("Staff")
//       34    16  name of category 2 ("Operatories")
//       50    16  name of category 3 ("Other")
//
// Unpack refuses any other length and a name without terminator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct ProviderAppInfo {
    static constexpr size_t kCategories = 4;
    static constexpr size_t kNameSize = 16;  // 15 characters and a terminator
    static constexpr size_t kSize = 2 + kCategories * kNameSize;

    uint16_t leading_number = 0;
    std::array<std::string, kCategories> categories;

    // The block's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not this block.
    static bool Unpack(const uint8_t* data, size_t size, ProviderAppInfo* out, std::string* fault);

    // {"leading_number": 4, "categories": ["Providers", ...]}
    nlohmann::ordered_json ToJson() const;
};

}  // namespace kv::handheld_tool
