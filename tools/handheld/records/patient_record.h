// A patient as the handheld keeps it in "KvPatientsDB". A fixed head is
// followed by the fields that the presence word announces, always in the
// order below; texts are zero-terminated, numbers big-endian, nothing is
// aligned.
//
//   offset  size  field                               presence bit
//        0     4  patient id
//        4     2  presence word
//        6     2  flag text: "Y" or "N" and a zero byte
//        8     5  primary provider: 4 characters, zero 0x0001 (always)
//       13   var  last name                              0x0002 (always)
//      var   var  first name                             0x0004 (always)
//      var   var  middle initial                         0x0008
//      var   var  preferred name                         0x0010
//      var   var  home phone                             0x0020
//      var   var  work phone                             0x0040
//      var   var  social security number                 0x0080
//      var   var  chart number                           0x0100
//      var     2  birth date, handheld date              0x0200
//      var     2  last visit date, handheld date         0x0400
//      var     1  patient status                         0x0800
//      var     1  billing type                           0x1000
//      var     2  next appointment date, handheld date   0x2000
//      var     2  next appointment time: hour, minute    0x4000
//      var   var  patient note                           0x8000
//
// Unpack refuses a record shorter than the head, a presence word without the
// three always-present bits, a flag text other than "Y" or "N", a text
// without terminator, a field announced past the end and bytes after the last
// field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::handheld_tool {

struct PatientRecord {
    static constexpr size_t kFixedSize = 13;  // id, presence word, flag text, provider
    static constexpr size_t kIdChars = 4;
    static constexpr uint16_t kProviderBit = 0x0001;
    static constexpr uint16_t kLastNameBit = 0x0002;
    static constexpr uint16_t kFirstNameBit = 0x0004;
    static constexpr uint16_t kAlwaysPresent = kProviderBit | kLastNameBit | kFirstNameBit;
    static constexpr uint16_t kMiddleInitialBit = 0x0008;
    static constexpr uint16_t kPreferredNameBit = 0x0010;
    static constexpr uint16_t kHomePhoneBit = 0x0020;
    static constexpr uint16_t kWorkPhoneBit = 0x0040;
    static constexpr uint16_t kSsnBit = 0x0080;
    static constexpr uint16_t kChartNumberBit = 0x0100;
    static constexpr uint16_t kBirthDateBit = 0x0200;
    static constexpr uint16_t kLastVisitBit = 0x0400;
    static constexpr uint16_t kStatusBit = 0x0800;
    static constexpr uint16_t kBillingTypeBit = 0x1000;
    static constexpr uint16_t kNextDateBit = 0x2000;
    static constexpr uint16_t kNextTimeBit = 0x4000;
    static constexpr uint16_t kNoteBit = 0x8000;

    struct ClockTime {
        uint8_t hour = 0;
        uint8_t minute = 0;
    };

    uint32_t patient_id = 0;
    bool flag = false;  // the flag text: "Y" when set, "N" when not
    std::string provider;
    std::string last_name;
    std::string first_name;
    std::optional<std::string> middle_initial;
    std::optional<std::string> preferred_name;
    std::optional<std::string> home_phone;
    std::optional<std::string> work_phone;
    std::optional<std::string> ssn;
    std::optional<std::string> chart_number;
    std::optional<uint16_t> birth_date;  // packed handheld dates
    std::optional<uint16_t> last_visit;
    std::optional<uint8_t> status;
    std::optional<uint8_t> billing_type;
    std::optional<uint16_t> next_appointment_date;
    std::optional<ClockTime> next_appointment_time;
    std::optional<std::string> note;

    // The presence word these fields give.
    uint16_t Presence() const;
    size_t PackedSize() const;
    // The record's bytes; empty only if the encoder broke its own layout.
    std::vector<uint8_t> Pack() const;
    // False with the fault when the bytes are not a patient record.
    static bool Unpack(const uint8_t* data, size_t size, PatientRecord* out, std::string* fault);

    // Named fields, in record order: patient_id, flag, provider, last_name,
    // first_name, middle_initial, preferred_name, home_phone, work_phone,
    // ssn, chart_number, birth_date, last_visit, status, billing_type,
    // next_appointment_date, next_appointment_time, note; the dump adds the
    // presence word.
    nlohmann::ordered_json ToJson() const;
    bool Set(const std::string& field, const std::string& value, std::string* error);
    static const std::vector<std::string>& FieldNames();
};

}  // namespace kv::handheld_tool
