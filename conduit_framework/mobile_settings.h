// Mobile settings as the conduits read them: per-user values in the practice
// settings store, reached through the practice utility library (Utilities()).
// A value lives in a section ("KVMOBILE_APPTLIST") under a key made of the
// handheld user's PracticeUserId and a suffix ("ABCD_Cnt"); a user without a
// practice id reads the keys of "____" and so, normally, the defaults.
//
// Nothing is cached: every call reads the store. A missing key or an
// unreadable store gives the caller's default; no reader reports an error.
#pragma once

#include <cstddef>
#include <string>

#include "conduit_framework/practice_user_id.h"
#include "conduit_framework/provider_filter.h"

namespace kv::conduit {

// Sections of the settings store.
constexpr const char* kSectionMobile = "KVMOBILE";
constexpr const char* kSectionAppointments = "KVMOBILE_APPTLIST";
constexpr const char* kSectionJournal = "KVMOBILE_OFFICEJOURNAL";
constexpr const char* kSectionPrescriptions = "KVMOBILE_RX";
constexpr const char* kSectionPatientViewer = "KVMOBILE_PATVIEWER";

// The provider selections: of the appointment, journal and prescription
// conduits in kSectionMobile, of the patient list in kSectionPatientViewer.
constexpr const char* kSelectedProviderCount = "_SEL_PROV_CNT";
constexpr const char* kSelectedProviders = "_SEL_PROVIDERS";
constexpr const char* kDetailsProviderCount = "_DETAILS_PROV_CNT";
constexpr const char* kDetailsProviders = "_DETAILS_PROVIDERS";

// The room a provider selection's id text is read into, terminator included.
constexpr size_t kProviderIdsTextSize = 259;

// The key of a user's setting: the id's (at most) 4 characters, then suffix.
std::string SettingsKey(const PracticeUserId& user, const char* suffix);

// The integer setting, or default_value when the store has none.
int ReadSettingInt(const char* section, const PracticeUserId& user, const char* suffix,
                   int default_value);

// A provider selection: the count under count_suffix (default 0) and the ids
// written back to back, 4 characters each, under ids_suffix (default empty).
// A count of 0 or less, or an empty id text, gives the empty filter (every
// provider); a count above 10 is taken as 10; an id text shorter than the
// count gives fewer ids (the first one that starts with the terminator ends
// the list). The ids come back sorted.
ProviderFilter ReadProviderFilter(const char* section, const PracticeUserId& user,
                                  const char* count_suffix, const char* ids_suffix);

}  // namespace kv::conduit
