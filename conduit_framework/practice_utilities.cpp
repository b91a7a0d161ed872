#include "conduit_framework/practice_utilities.h"

#include "conduit_framework/library_loader.h"

namespace kv::conduit {
namespace {

const PracticeLibrary kUtilityLibrary = {
    "kvr32sm.dll",
    "Unable to load KVR32sm.DLL\nPlease make sure the location of all Kalvora Executables is "
    "included in the PATH Statement\nError Code = %ld",
    "Kalvora DLL Loader"};

// Slot indexes (0-based) of the entry points the conduits call.
enum Slot {
    kDateIn = 0,
    kDateOut = 1,
    kSysDate = 2,
    kSysTime = 3,
    kFormatNDate2000 = 4,
    kFmtDateString2000 = 5,
    kWeekDay = 6,
    kMonthLength = 7,
    kFormatPhone = 8,
    kGetPrivateInfInt = 9,
    kGetPrivateInfString = 10,
    kGetPrivateProfileString = 11,
    kWritePrivateInfString = 12,
    kWritePrivateInfInt = 13,
    kMessage = 14,
    kPackName = 15,
    kFormatSS = 37,
    kCheckForPrivatePhone = 39,
    kCheckForPatientPrivatePhone = 40,
};

// The practice message's arguments besides the parent and the number.
constexpr int kMessageKind = 6;
constexpr int kMessageStyle = 4096;

template <typename Function>
Function Entry(const PracticeUtilities& utilities, int index) {
    return reinterpret_cast<Function>(utilities.slot(index));
}

}  // namespace

const char* const PracticeUtilities::kEntryPointNames[kSlotCount] = {
    "KVR_DateIn",
    "KVR_DateOut",
    "KVR_SysDate",
    "KVR_SysTime",
    "KVR_FormatNDate2000",
    "KVR_fmtDateString2000",
    "KVR_week_day",
    "KVR_month_len",
    "KVR_FormatPhone",
    "KVR_GetPrivateInfInt",
    "KVR_GetPrivateInfString",
    "KVR_GetPrivateProfileString",
    "KVR_WritePrivateInfString",
    "KVR_WritePrivateInfInt",
    "KVR_Message",
    "KVR_PackName",
    "KVR_StripTime",
    "KVR_FormatNDate1900",
    "KVR_FormatNDate",
    "KVR_DateStr",
    "KVR_fmtDateString1900",
    "KVR_fmtDateString",
    "KVR_day_name",
    "KVR_getday_name",
    "KVR_month_day",
    "KVR_month_name",
    "KVR_getmonth_name",
    "KVR_stripDateString1900",
    "KVR_stripDateString",
    "KVR_stripDateString2000",
    "KVR_Lfmt_StripNDate2000",
    "KVR_LfSet_Date2000",
    "KVR_PackPrefName",
    "KVR_UnpackName",
    "KVR_FormatMoney",
    "KVR_FormatPercent",
    "KVR_FormatPackTime",
    "KVR_FormatSS",
    "KVR_StripSS",
    "KVR_CheckForPrivatePhone",
    "KVR_CheckForPatientPrivatePhone",
};

PracticeUtilities::PracticeUtilities()
    : LibraryBinding(kUtilityLibrary, kEntryPointNames, kSlotCount) {
    LoadAndBind();
}

PracticeUtilities::~PracticeUtilities() = default;

int32_t PracticeUtilities::DateIn(int16_t year, int16_t month, int16_t day) {
    auto f = Entry<KVR_DateIn_fn>(kDateIn);
    return f ? f(year, month, day) : 0;
}

void PracticeUtilities::DateOut(int32_t date, int16_t* year, int16_t* month, int16_t* day) {
    if (auto f = Entry<KVR_DateOut_fn>(kDateOut)) f(date, year, month, day);
}

int32_t PracticeUtilities::SysDate() {
    auto f = Entry<KVR_SysDate_fn>(kSysDate);
    return f ? f(nullptr, nullptr) : 0;
}

void PracticeUtilities::SysTime(char* text) {
    if (auto f = Entry<KVR_SysTime_fn>(kSysTime)) f(nullptr, text);
}

int PracticeUtilities::FormatNDate2000(char* text, int32_t date) {
    auto f = Entry<KVR_FormatNDate2000_fn>(kFormatNDate2000);
    return f ? f(text, date) : 0;
}

int PracticeUtilities::FmtDateString2000(char* text, const char* yyyymmdd) {
    auto f = Entry<KVR_fmtDateString2000_fn>(kFmtDateString2000);
    return f ? f(text, yyyymmdd, 1, 0, 0, 0) : 0;
}

int16_t PracticeUtilities::WeekDay(int16_t year, int16_t month, int16_t day) {
    auto f = Entry<KVR_week_day_fn>(kWeekDay);
    return f ? f(year, month, day) : int16_t{0};
}

int16_t PracticeUtilities::MonthLength(int16_t year, int16_t month) {
    auto f = Entry<KVR_month_len_fn>(kMonthLength);
    return f ? f(year, month) : int16_t{0};
}

int PracticeUtilities::FormatPhone(char* text, const char* stored) {
    auto f = Entry<KVR_FormatPhone_fn>(kFormatPhone);
    return f ? f(text, stored) : 0;
}

int PracticeUtilities::FormatSS(char* text, const char* stored) {
    auto f = Entry<KVR_FormatSS_fn>(kFormatSS);
    return f ? f(text, stored) : 0;
}

int PracticeUtilities::CheckForPatientPrivatePhone(int32_t patient_id, char* text) {
    auto f = Entry<KVR_CheckForPatientPrivatePhone_fn>(kCheckForPatientPrivatePhone);
    return f ? f(patient_id, text) : 0;
}

int PracticeUtilities::CheckForPrivatePhone(uint8_t privacy, char* text) {
    auto f = Entry<KVR_CheckForPrivatePhone_fn>(kCheckForPrivatePhone);
    return f ? f(privacy, text) : 0;
}

int PracticeUtilities::GetPrivateInfInt(const char* section, const char* key, int default_value) {
    auto f = Entry<KVR_GetPrivateInfInt_fn>(kGetPrivateInfInt);
    return f ? f(section, key, default_value) : 0;
}

int PracticeUtilities::GetPrivateInfString(const char* section, const char* key,
                                           const char* default_value, char* text, int size) {
    auto f = Entry<KVR_GetPrivateInfString_fn>(kGetPrivateInfString);
    return f ? f(section, key, default_value, text, size) : 0;
}

int PracticeUtilities::WritePrivateInfInt(const char* section, const char* key, int value) {
    auto f = Entry<KVR_WritePrivateInfInt_fn>(kWritePrivateInfInt);
    return f ? f(section, key, value) : 0;
}

int PracticeUtilities::WritePrivateInfString(const char* section, const char* key,
                                             const char* value) {
    auto f = Entry<KVR_WritePrivateInfString_fn>(kWritePrivateInfString);
    return f ? f(section, key, value) : 0;
}

int PracticeUtilities::GetPrivateProfileString(const char* section, const char* key,
                                               const char* default_value, char* text, int size,
                                               const char* file) {
    auto f = Entry<KVR_GetPrivateProfileString_fn>(kGetPrivateProfileString);
    return f ? f(section, key, default_value, text, size, file) : 0;
}

int PracticeUtilities::Message(void* parent, int message) {
    auto f = Entry<KVR_Message_fn>(kMessage);
    return f ? f(parent, kMessageKind, message, 0, 0, kMessageStyle) : 0;
}

int PracticeUtilities::PackName(char* text, const char* last, const char* first, const char* middle,
                                int max_length) {
    auto f = Entry<KVR_PackName_fn>(kPackName);
    return f ? f(text, last, first, middle, max_length) : 0;
}

}  // namespace kv::conduit
