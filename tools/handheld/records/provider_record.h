// One entry of the provider list ("KvrRscDB", and "KvrPVRscDB" for the
// patient viewer): a provider or operatory of the practice, filed under the
// category of its kind (0 providers, 1 staff, 2 operatories, 3 other).
//
//   offset  size  field
//        0     5  practice id: 4 characters and a zero byte
//
// Unpack refuses any other length and an id without terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct ProviderRecord {
    static constexpr size_t kSize = 5;
    static constexpr size_t kIdChars = 4;

    std::string practice_id;

    // The record's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not a provider list record.
    static bool Unpack(const uint8_t* data, size_t size, ProviderRecord* out, std::string* fault);

    // Named fields: practice_id.
    nlohmann::ordered_json ToJson() const;
    bool Set(const std::string& field, const std::string& value, std::string* error);
    static const std::vector<std::string>& FieldNames();
};

}  // namespace kv::handheld_tool
