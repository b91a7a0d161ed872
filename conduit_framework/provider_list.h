// The provider list: a small handheld database of the practice's providers
// and operatories, one 5-byte record each (the 4-character practice id and a
// zero), filed under the category of its kind. The handheld applications
// read it to show names; every synchronisation rewrites it whole and nothing
// in it is read back.
//
// The appointment list and office journal conduits share "KvrRscDB" (the one
// that creates it first sets its creator); the patient viewer conduit keeps
// its own "KvrPVRscDB" and leaves out flagged providers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "conduit_framework/provider_filter.h"

namespace kv::conduit {

// What differs between the conduits that write a provider list.
struct ProviderListVariant {
    const char* database_name;
    uint32_t creator;             // four-character code, first character most significant
    bool skip_flagged_providers;  // leave out providers whose resource byte 256 is not 0
    const char* create_failed;    // the database cannot be created
    const char* update_failed;    // records cannot be deleted, app info or close fails
    const char* write_failed;     // a record cannot be written
};

extern const ProviderListVariant kJournalProviderList;        // "KvrRscDB", 'KVOJ'
extern const ProviderListVariant kAppointmentProviderList;    // "KvrRscDB", 'KVAL'
extern const ProviderListVariant kPatientViewerProviderList;  // "KvrPVRscDB", 'KVPM'

// The message when the practice's resource file cannot be opened (all
// conduits).
constexpr const char* kResourceFileFailed = "Unable to open Kalvora Resource database file";

// The database: type 'RSCS', card 0, a record database (flags 0), version 0.
constexpr uint32_t kProviderListType = 0x52534353;  // 'RSCS'

// Categories, by their position in the application-info block.
constexpr int16_t kCategoryProviders = 0;
constexpr int16_t kCategoryStaff = 1;
constexpr int16_t kCategoryOperatories = 2;
constexpr int16_t kCategoryOther = 3;

// Application-info block: the 16-bit number 4, then the four category names,
// 16 bytes each, zero-terminated and zero-filled.
constexpr size_t kCategoryNameSize = 16;
constexpr int kCategoryCount = 4;
constexpr size_t kProviderListAppInfoSize = 2 + kCategoryNameSize * kCategoryCount;
static_assert(kProviderListAppInfoSize == 66, "the count and four names");

// Record: the 4-character id and a zero.
constexpr size_t kProviderRecordSize = 5;

// The category of a practice resource kind: 1 provider, 2 staff member,
// 3 operatory, anything else Other.
int16_t CategoryOfKind(uint8_t kind);

// Packs the application-info block into block (kProviderListAppInfoSize
// bytes); false when it did not come out at exactly that size.
bool PackProviderListAppInfo(uint8_t* block, size_t size);

// Rewrites the variant's provider list on the handheld: opens it (creating it
// when it does not exist), deletes every record, writes the application-info
// block, then one record per provider (kind 1, those of filter when it is not
// empty) and per operatory (kind 3, all), in the order of the practice's
// resource key; staff members are not written. Messages go to both logs.
//
// Returns 0, the error of opening (other than not found, without a message)
// or of creating the database, or the error of closing it. A failure to
// delete, to write the block, to read the practice or to write a record is
// logged and stops the writing but not the synchronisation.
int32_t WriteProviderList(const ProviderListVariant& variant, const ProviderFilter& filter);

}  // namespace kv::conduit
