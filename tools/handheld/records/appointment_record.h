// An appointment as the handheld keeps it in "KvrApptsDB".
//
//   offset  size  field
//        0     1  start hour
//        1     1  start minute
//        2     1  end hour (may pass 23: the end is never wrapped)
//        3     1  end minute
//        4     2  date, handheld date (years from 1904)
//        6     5  provider id: 4 characters and a zero byte
//       11     5  operatory id: 4 characters and a zero byte
//       16     4  appointment id in the practice, 0 when made on the handheld
//       20     2  kind: 0 fixed, 1 open, other values ASAP
//       22     2  text flags
//       24   var  the texts whose flags are set, zero-terminated, in this
//                 order: 0x0800 description, 0x0400 patient name, 0x0200 home
//                 phone, 0x0100 work phone, 0x0080 medical alerts (names
//                 separated by carriage returns), 0x1000 note
//
// All numbers big-endian. Flag bits without a text are kept as found. Unpack
// refuses a record shorter than the fixed part, an id or text without
// terminator, a flag announcing a text past the end, and bytes after the last
// text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct AppointmentRecord {
    static constexpr size_t kFixedSize = 24;
    static constexpr size_t kIdChars = 4;
    static constexpr uint16_t kDescriptionFlag = 0x0800;
    static constexpr uint16_t kPatientFlag = 0x0400;
    static constexpr uint16_t kHomePhoneFlag = 0x0200;
    static constexpr uint16_t kWorkPhoneFlag = 0x0100;
    static constexpr uint16_t kMedicalAlertsFlag = 0x0080;
    static constexpr uint16_t kNoteFlag = 0x1000;

    uint8_t start_hour = 0;
    uint8_t start_minute = 0;
    uint8_t end_hour = 0;
    uint8_t end_minute = 0;
    uint16_t date = 0;  // packed handheld date
    std::string provider;
    std::string operatory;
    uint32_t appointment_id = 0;
    uint16_t kind = 0;
    uint16_t other_flags = 0;  // bits that announce no text
    std::optional<std::string> description;
    std::optional<std::string> patient;
    std::optional<std::string> home_phone;
    std::optional<std::string> work_phone;
    std::optional<std::string> medical_alerts;
    std::optional<std::string> note;

    size_t PackedSize() const;
    // The record's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not an appointment record.
    static bool Unpack(const uint8_t* data, size_t size, AppointmentRecord* out,
                       std::string* fault);

    // Named fields: start, end, date, provider, operatory, appointment_id,
    // kind, description, patient, home_phone, work_phone, medical_alerts,
    // note (and other_flags when set).
    nlohmann::ordered_json ToJson() const;
    bool Set(const std::string& field, const std::string& value, std::string* error);
    static const std::vector<std::string>& FieldNames();
};

}  // namespace kv::handheld_tool
