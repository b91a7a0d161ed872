// The exports of the practice utility library: thin shims over practice
// dates, the clock, the display formats and the settings store. Built twice,
// as kvr32sm (bound by the conduits at run time) and kvr32 (linked by the
// setup library). Every export catches whatever its body throws and answers
// as it does for a failure; every text goes into the caller's buffer through
// a bounded copy.
#include <cstdio>
#include <optional>
#include <string>
#include <type_traits>

#include "emulation/practice/installation.h"
#include "emulation/practice/kvr32/display_formats.h"
#include "emulation/practice/kvr32/practice_clock.h"
#include "emulation/practice/practice_date.h"
#include "emulation/practice/settings_store.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"
#include "platform/desktop.h"
#include "platform/export_guard.h"
#include "platform/os.h"
#include "platform/practice_utilities_api.h"

#define KVR_EXPORT extern "C" __attribute__((visibility("default")))

// What this library uses of the practice database library, linked at load time.
extern "C" {
KdbSession KV_PRACTICE_CALL KDB_StartSession(int mode);
void KV_PRACTICE_CALL KDB_EndSession(KdbSession session);
KdbFile KV_PRACTICE_CALL KDB_OpenFile(KdbSession session, int file_number);
void KV_PRACTICE_CALL KDB_CloseFile(KdbFile file);
int KV_PRACTICE_CALL KDB_FindRec(KdbFile file, int key_number, const void* key_value, void* record);
}

static_assert(std::is_same_v<decltype(&KDB_StartSession), KDB_StartSession_fn>);
static_assert(std::is_same_v<decltype(&KDB_EndSession), KDB_EndSession_fn>);
static_assert(std::is_same_v<decltype(&KDB_OpenFile), KDB_OpenFile_fn>);
static_assert(std::is_same_v<decltype(&KDB_CloseFile), KDB_CloseFile_fn>);
static_assert(std::is_same_v<decltype(&KDB_FindRec), KDB_FindRec_fn>);

namespace kv::practice {
namespace {

// The patient file and what the withheld-phone check reads of it.
constexpr int kPatientFile = 18;
constexpr int kPatientIdKey = 19;
constexpr size_t kPatientRecordLength = 558;
constexpr size_t kPatientPrivacyOffset = 519;

// Bounds on the texts callers hand in: names of sections, keys and files,
// and values. A longer text is read cut, never past the bound.
constexpr size_t kMaxNameLength = 259;
constexpr size_t kMaxValueLength = 65535;

std::string Input(const char* text, size_t max) {
    return text ? std::string(text, BoundedLength(text, max)) : std::string();
}

// Copies value into a caller's buffer of size bytes; returns its length.
int Output(char* text, size_t size, const std::string& value) {
    return text ? static_cast<int>(CopyText(text, size, value)) : 0;
}

int AnswerWithheld(bool withheld, char* text) {
    Output(text, kKvrPrivatePhoneTextSize, withheld ? kWithheldPhoneText : "");
    return withheld ? 1 : 0;
}

// The privacy byte of a patient's record; 0 when there is no such patient or
// the practice database cannot be read.
uint8_t PatientPrivacy(int32_t patient_id) {
    const KdbSession session = KDB_StartSession(1);
    if (session == 0) return 0;
    uint8_t privacy = 0;
    if (const KdbFile file = KDB_OpenFile(session, kPatientFile)) {
        uint8_t key[4];
        StoreLE32(key, static_cast<uint32_t>(patient_id));
        uint8_t record[kPatientRecordLength] = {};
        if (KDB_FindRec(file, kPatientIdKey, key, record) != 0)
            privacy = record[kPatientPrivacyOffset];
        KDB_CloseFile(file);
    }
    KDB_EndSession(session);
    return privacy;
}

// The settings store of the installation as configured at this moment;
// nothing when no data directory is configured.
std::optional<SettingsStore> InstalledSettings() {
    const std::string directory = InstalledDataDirectory();
    if (directory.empty()) return std::nullopt;
    return SettingsStore(directory);
}

// A bare profile name without an extension names an .INI file, as "KALVORA"
// does; a path is taken as it is.
std::string ProfileFileName(const char* file) {
    std::string name = Input(file, kMaxNameLength);
    const bool bare = name.find_first_of("/\\") == std::string::npos;
    if (bare && !name.empty() && name.find('.') == std::string::npos) name += ".INI";
    return name;
}

}  // namespace
}  // namespace kv::practice

using namespace kv::practice;
using kv::GuardedCall;

// ---- Dates and the clock ----

KVR_EXPORT int32_t KV_PRACTICE_CALL KVR_DateIn(int16_t year, int16_t month, int16_t day) {
    return GuardedCall<int32_t>(0, [&] { return DateNumber(year, month, day); });
}

KVR_EXPORT void KV_PRACTICE_CALL KVR_DateOut(int32_t date, int16_t* year, int16_t* month,
                                             int16_t* day) {
    const CivilDate civil = GuardedCall(CivilDate{}, [&] { return CivilFromNumber(date); });
    if (year) *year = static_cast<int16_t>(civil.year);
    if (month) *month = static_cast<int16_t>(civil.month);
    if (day) *day = static_cast<int16_t>(civil.day);
}

KVR_EXPORT int16_t KV_PRACTICE_CALL KVR_week_day(int16_t year, int16_t month, int16_t day) {
    return GuardedCall<int16_t>(0, [&] { return static_cast<int16_t>(WeekDay(year, month, day)); });
}

KVR_EXPORT int16_t KV_PRACTICE_CALL KVR_month_len(int16_t year, int16_t month) {
    return GuardedCall<int16_t>(0, [&] { return static_cast<int16_t>(MonthLength(year, month)); });
}

KVR_EXPORT int32_t KV_PRACTICE_CALL KVR_SysDate(void*, void*) {
    return GuardedCall<int32_t>(0, [] { return Today(); });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_SysTime(void*, char* text) {
    return GuardedCall(0, [&] {
        const ClockTime now = Now();
        return Output(text, kKvrTimeTextSize, FormatTime(now.hour, now.minute, now.second));
    });
}

// ---- Display texts ----

KVR_EXPORT int KV_PRACTICE_CALL KVR_FormatNDate2000(char* text, int32_t date) {
    return GuardedCall(0, [&] { return Output(text, kKvrDateTextSize, FormatDisplayDate(date)); });
}

// The four trailing arguments choose among display styles; every style
// answers the one date form of this library.
KVR_EXPORT int KV_PRACTICE_CALL KVR_fmtDateString2000(char* text, const char* yyyymmdd, int, int,
                                                      int, int) {
    return GuardedCall(0, [&] {
        return Output(text, kKvrDateTextSize, FormatDisplayDate(CompactDateNumber(yyyymmdd)));
    });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_FormatPhone(char* text, const char* stored) {
    return GuardedCall(0, [&] { return Output(text, kKvrPhoneTextSize, FormatPhone(stored)); });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_FormatSS(char* text, const char* stored) {
    return GuardedCall(
        0, [&] { return Output(text, kKvrSocialSecurityTextSize, FormatSocialSecurity(stored)); });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_CheckForPrivatePhone(uint8_t privacy, char* text) {
    return GuardedCall(0, [&] { return AnswerWithheld(privacy != 0, text); });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_CheckForPatientPrivatePhone(int32_t patient_id, char* text) {
    return GuardedCall(0, [&] {
        return AnswerWithheld(patient_id != 0 && PatientPrivacy(patient_id) != 0, text);
    });
}

// max_length characters at most; text holds max_length + 1 bytes.
KVR_EXPORT int KV_PRACTICE_CALL KVR_PackName(char* text, const char* last, const char* first,
                                             const char* middle, int max_length) {
    if (max_length < 0) return 0;
    return GuardedCall(0, [&] {
        return Output(text, static_cast<size_t>(max_length) + 1, PackName(last, first, middle));
    });
}

// A practice message is a message box with OK alone, owned by the caller's
// window.
KVR_EXPORT int KV_PRACTICE_CALL KVR_Message(void* parent, int, int message, int, int, int) {
    return GuardedCall(1, [&] {
        kv::desktop::ShowMessageBox(parent, MessageText(message), kMessageCaption,
                                    kv::desktop::Buttons::kOk, kv::desktop::Icon::kExclamation);
        return 1;
    });
}

// ---- The settings store ----

KVR_EXPORT int KV_PRACTICE_CALL KVR_GetPrivateInfInt(const char* section, const char* key,
                                                     int default_value) {
    return GuardedCall(default_value, [&] {
        std::optional<SettingsStore> store = InstalledSettings();
        if (!store || !section || !key) return default_value;
        return store->GetInt(Input(section, kMaxNameLength), Input(key, kMaxNameLength),
                             default_value);
    });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_GetPrivateInfString(const char* section, const char* key,
                                                        const char* default_value, char* text,
                                                        int size) {
    if (!text || size <= 0) return 0;
    text[0] = '\0';
    return GuardedCall(0, [&] {
        std::optional<std::string> value;
        std::optional<SettingsStore> store = InstalledSettings();
        if (store && section && key)
            value = store->GetString(Input(section, kMaxNameLength), Input(key, kMaxNameLength));
        if (!value) value = Input(default_value, kMaxValueLength);
        return Output(text, static_cast<size_t>(size), *value);
    });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_WritePrivateInfInt(const char* section, const char* key,
                                                       int value) {
    return GuardedCall(0, [&] {
        std::optional<SettingsStore> store = InstalledSettings();
        if (!store || !section || !key) return 0;
        return store->SetInt(Input(section, kMaxNameLength), Input(key, kMaxNameLength), value) ? 1
                                                                                                : 0;
    });
}

KVR_EXPORT int KV_PRACTICE_CALL KVR_WritePrivateInfString(const char* section, const char* key,
                                                          const char* value) {
    return GuardedCall(0, [&] {
        std::optional<SettingsStore> store = InstalledSettings();
        if (!store || !section || !key || !value) return 0;
        return store->SetString(Input(section, kMaxNameLength), Input(key, kMaxNameLength),
                                Input(value, kMaxValueLength))
                   ? 1
                   : 0;
    });
}

// ---- Profile files ----

KVR_EXPORT int KV_PRACTICE_CALL KVR_GetPrivateProfileString(const char* section, const char* key,
                                                            const char* default_value, char* text,
                                                            int size, const char* file) {
    if (!text || size <= 0) return 0;
    text[0] = '\0';
    return GuardedCall(0, [&] {
        const std::string name = ProfileFileName(file);
        return static_cast<int>(kv::os::GetProfileString(
            section, key, default_value, text, static_cast<uint32_t>(size), name.c_str()));
    });
}

static_assert(std::is_same_v<decltype(&KVR_DateIn), KVR_DateIn_fn>);
static_assert(std::is_same_v<decltype(&KVR_DateOut), KVR_DateOut_fn>);
static_assert(std::is_same_v<decltype(&KVR_SysDate), KVR_SysDate_fn>);
static_assert(std::is_same_v<decltype(&KVR_SysTime), KVR_SysTime_fn>);
static_assert(std::is_same_v<decltype(&KVR_FormatNDate2000), KVR_FormatNDate2000_fn>);
static_assert(std::is_same_v<decltype(&KVR_fmtDateString2000), KVR_fmtDateString2000_fn>);
static_assert(std::is_same_v<decltype(&KVR_week_day), KVR_week_day_fn>);
static_assert(std::is_same_v<decltype(&KVR_month_len), KVR_month_len_fn>);
static_assert(std::is_same_v<decltype(&KVR_FormatPhone), KVR_FormatPhone_fn>);
static_assert(std::is_same_v<decltype(&KVR_FormatSS), KVR_FormatSS_fn>);
static_assert(
    std::is_same_v<decltype(&KVR_CheckForPatientPrivatePhone), KVR_CheckForPatientPrivatePhone_fn>);
static_assert(std::is_same_v<decltype(&KVR_CheckForPrivatePhone), KVR_CheckForPrivatePhone_fn>);
static_assert(std::is_same_v<decltype(&KVR_GetPrivateInfInt), KVR_GetPrivateInfInt_fn>);
static_assert(std::is_same_v<decltype(&KVR_GetPrivateInfString), KVR_GetPrivateInfString_fn>);
static_assert(std::is_same_v<decltype(&KVR_WritePrivateInfInt), KVR_WritePrivateInfInt_fn>);
static_assert(std::is_same_v<decltype(&KVR_WritePrivateInfString), KVR_WritePrivateInfString_fn>);
static_assert(
    std::is_same_v<decltype(&KVR_GetPrivateProfileString), KVR_GetPrivateProfileString_fn>);
static_assert(std::is_same_v<decltype(&KVR_Message), KVR_Message_fn>);
static_assert(std::is_same_v<decltype(&KVR_PackName), KVR_PackName_fn>);
