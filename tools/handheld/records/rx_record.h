// A prescription of the patient history as the handheld keeps it in
// "KvrRxDB". A fixed part of 106 bytes is followed by the texts its presence
// flags announce.
//
//   offset  size  field
//        0     4  prescription id
//        4     2  date: ((year - 1900) << 9) | (month << 5) | day
//        6    42  patient name, at most 41 characters, zero-filled
//       48     4  patient id
//       52    52  definition text, at most 50 characters, zero-filled
//      104     2  presence flags
//      106   var  the texts present, zero-terminated, in this order:
//                 0x8000 definition's second text, 0x4000 a number in decimal
//                 digits, 0x1000 definition's third text, 0x0800 first note,
//                 0x0400 medical alerts (names separated by carriage
//                 returns), 0x0200 second note
//
// Flag 0x2000 marks the record and carries no text; bits 0x01FF are never
// set. All numbers big-endian. Unpack refuses a record shorter than the fixed
// part, a fixed text without its zero bytes, flags with unused bits, a text
// without terminator or announced past the end, a number that is not decimal
// digits and bytes after the last text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct RxRecord {
    static constexpr size_t kFixedSize = 106;
    static constexpr size_t kNameSize = 42;
    static constexpr size_t kNameChars = 41;
    static constexpr size_t kDefinitionSize = 52;
    static constexpr size_t kDefinitionChars = 50;
    static constexpr uint16_t kDefinitionTextFlag = 0x8000;
    static constexpr uint16_t kNumberFlag = 0x4000;
    static constexpr uint16_t kMarkedFlag = 0x2000;
    static constexpr uint16_t kExtraTextFlag = 0x1000;
    static constexpr uint16_t kNoteFlag = 0x0800;
    static constexpr uint16_t kMedicalAlertsFlag = 0x0400;
    static constexpr uint16_t kSecondNoteFlag = 0x0200;
    static constexpr uint16_t kUnusedFlags = 0x01FF;

    uint32_t prescription_id = 0;
    uint16_t date = 0;  // packed, years from 1900
    std::string patient_name;
    uint32_t patient_id = 0;
    std::string definition;
    bool marked = false;
    std::optional<std::string> definition_text;
    std::optional<std::string> number;  // decimal digits
    std::optional<std::string> extra_text;
    std::optional<std::string> note;
    std::optional<std::string> medical_alerts;
    std::optional<std::string> second_note;

    uint16_t Flags() const;
    size_t PackedSize() const;
    // The record's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not a prescription record.
    static bool Unpack(const uint8_t* data, size_t size, RxRecord* out, std::string* fault);

    // Named fields: prescription_id, date, patient_name, patient_id,
    // definition, marked, definition_text, number, extra_text, note,
    // medical_alerts, second_note; the dump adds the flags.
    nlohmann::ordered_json ToJson() const;
    bool Set(const std::string& field, const std::string& value, std::string* error);
    static const std::vector<std::string>& FieldNames();
};

}  // namespace kv::handheld_tool
