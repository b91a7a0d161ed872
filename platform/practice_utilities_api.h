// The entry points of the practice utility library (kvr32sm, and kvr32 for
// the setup library) as the system calls them. The library is outside the
// system; docs/practice-libraries.md describes its answers and text forms.
#pragma once

#include <cstdint>

#include "platform/practice_database_api.h"

extern "C" {

// Sizes of the texts the library writes into callers' buffers, terminator
// included; callers pass buffers at least this large.
constexpr int kKvrTimeTextSize = 20;
constexpr int kKvrDateTextSize = 20;
constexpr int kKvrPhoneTextSize = 20;
constexpr int kKvrSocialSecurityTextSize = 20;
constexpr int kKvrPrivatePhoneTextSize = 20;

using KVR_DateIn_fn = int32_t(KV_PRACTICE_CALL*)(int16_t year, int16_t month, int16_t day);
using KVR_DateOut_fn = void(KV_PRACTICE_CALL*)(int32_t date, int16_t* year, int16_t* month,
                                               int16_t* day);
using KVR_SysDate_fn = int32_t(KV_PRACTICE_CALL*)(void* reserved1, void* reserved2);
using KVR_SysTime_fn = int(KV_PRACTICE_CALL*)(void* reserved, char* text);
using KVR_FormatNDate2000_fn = int(KV_PRACTICE_CALL*)(char* text, int32_t date);
using KVR_fmtDateString2000_fn = int(KV_PRACTICE_CALL*)(char* text, const char* yyyymmdd, int a,
                                                        int b, int c, int d);
using KVR_week_day_fn = int16_t(KV_PRACTICE_CALL*)(int16_t year, int16_t month, int16_t day);
using KVR_month_len_fn = int16_t(KV_PRACTICE_CALL*)(int16_t year, int16_t month);
using KVR_FormatPhone_fn = int(KV_PRACTICE_CALL*)(char* text, const char* stored);
using KVR_FormatSS_fn = int(KV_PRACTICE_CALL*)(char* text, const char* stored);
using KVR_CheckForPatientPrivatePhone_fn = int(KV_PRACTICE_CALL*)(int32_t patient_id, char* text);
using KVR_CheckForPrivatePhone_fn = int(KV_PRACTICE_CALL*)(uint8_t privacy, char* text);
using KVR_GetPrivateInfInt_fn = int(KV_PRACTICE_CALL*)(const char* section, const char* key,
                                                       int default_value);
using KVR_GetPrivateInfString_fn = int(KV_PRACTICE_CALL*)(const char* section, const char* key,
                                                          const char* default_value, char* text,
                                                          int size);
using KVR_WritePrivateInfInt_fn = int(KV_PRACTICE_CALL*)(const char* section, const char* key,
                                                         int value);
using KVR_WritePrivateInfString_fn = int(KV_PRACTICE_CALL*)(const char* section, const char* key,
                                                            const char* value);
using KVR_GetPrivateProfileString_fn = int(KV_PRACTICE_CALL*)(const char* section, const char* key,
                                                              const char* default_value, char* text,
                                                              int size, const char* file);
using KVR_Message_fn = int(KV_PRACTICE_CALL*)(void* parent, int a, int message, int b, int c,
                                              int style);
using KVR_PackName_fn = int(KV_PRACTICE_CALL*)(char* text, const char* last, const char* first,
                                               const char* middle, int max_length);

}  // extern "C"
