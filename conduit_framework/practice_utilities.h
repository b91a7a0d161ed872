// PracticeUtilities: the binding of the practice utility library (kvr32sm),
// loaded at run time like PracticeDatabase, with one pointer per export. There
// is no second loading attempt: when the library could not be loaded with the
// conduit library, every forwarding function answers 0 (or does nothing) for
// the rest of the process's life.
#pragma once

#include <cstdint>

#include "conduit_framework/library_binding.h"
#include "platform/practice_utilities_api.h"

namespace kv::conduit {

class PracticeUtilities : public LibraryBinding {
  public:
    static constexpr int kSlotCount = 41;
    static const char* const kEntryPointNames[kSlotCount];

    PracticeUtilities();   // load and bind
    ~PracticeUtilities();  // release

    int32_t DateIn(int16_t year, int16_t month, int16_t day);
    void DateOut(int32_t date, int16_t* year, int16_t* month, int16_t* day);
    int32_t SysDate();
    // text: at least kKvrTimeTextSize bytes.
    void SysTime(char* text);
    // text: at least kKvrDateTextSize bytes.
    int FormatNDate2000(char* text, int32_t date);
    int FmtDateString2000(char* text, const char* yyyymmdd);
    int16_t WeekDay(int16_t year, int16_t month, int16_t day);
    int16_t MonthLength(int16_t year, int16_t month);
    int FormatPhone(char* text, const char* stored);
    int FormatSS(char* text, const char* stored);
    int CheckForPatientPrivatePhone(int32_t patient_id, char* text);
    int CheckForPrivatePhone(uint8_t privacy, char* text);
    int GetPrivateInfInt(const char* section, const char* key, int default_value);
    int GetPrivateInfString(const char* section, const char* key, const char* default_value,
                            char* text, int size);
    int WritePrivateInfInt(const char* section, const char* key, int value);
    int WritePrivateInfString(const char* section, const char* key, const char* value);
    int GetPrivateProfileString(const char* section, const char* key, const char* default_value,
                                char* text, int size, const char* file);
    int Message(void* parent, int message);
    int PackName(char* text, const char* last, const char* first, const char* middle,
                 int max_length);
};

// The conduit library's binding.
PracticeUtilities& Utilities();

}  // namespace kv::conduit
