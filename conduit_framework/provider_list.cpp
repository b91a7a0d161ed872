#include "conduit_framework/provider_list.h"

#include <array>
#include <cstring>

#include "conduit_framework/practice_database.h"
#include "conduit_framework/record_buffer.h"
#include "conduit_framework/sync_log.h"
#include "platform/bounded_text.h"
#include "platform/byte_order.h"
#include "platform/sync_manager.h"

namespace kv::conduit {

const ProviderListVariant kJournalProviderList = {
    "KvrRscDB",
    0x4B564F4A,  // 'KVOJ'
    false,
    "Unable to create Provider database on handheld",
    "Unable to update Providers on handheld",
    "Unable to write Provider to handheld.",
};

const ProviderListVariant kAppointmentProviderList = {
    "KvrRscDB",
    0x4B56414C,  // 'KVAL'
    false,
    "Unable to create Provider/Op database on handheld",
    "Unable to update Providers/Operatories on handheld",
    "Unable to write Provider/Op to handheld.",
};

const ProviderListVariant kPatientViewerProviderList = {
    "KvrPVRscDB",
    0x4B56504D,  // 'KVPM'
    true,
    "Unable to create Provider/Op database on handheld",
    "Unable to update Providers/Operatories on handheld",
    "Unable to write Provider/Op to handheld.",
};

namespace {

constexpr int32_t kCard = 0;
constexpr uint16_t kAppInfoCount = 4;
constexpr const char* kCategoryNames[kCategoryCount] = {"Providers", "Staff", "Operatories",
                                                        "Other"};

// Practice file 6, resources, read through key 7 (kind, then the id).
constexpr int kSessionMode = 1;
constexpr int kResourceFile = 6;
constexpr int kResourceKey = 7;
constexpr size_t kResourceRecordSize = 512;
constexpr size_t kResourceKindOffset = 0;
constexpr size_t kResourceIdOffset = 1;
constexpr size_t kResourceIdLength = 4;
constexpr size_t kResourceFlagOffset = 256;
constexpr size_t kResourceKeySize = 1 + kResourceIdLength;
constexpr uint8_t kKindProvider = 1;
constexpr uint8_t kKindStaff = 2;
constexpr uint8_t kKindOperatory = 3;

using ResourceRecord = std::array<uint8_t, kResourceRecordSize>;

// Opens the variant's database, creating it when the handheld does not have
// it. 0 with *database set, or the error (logged only for a failed create).
int32_t OpenOrCreate(const ProviderListVariant& variant, SyncDatabase* database) {
    int32_t rc =
        SyncOpenDatabase(variant.database_name, kCard, database, kSyncOpenReadWriteExclusive);
    if (rc != kSyncErrNotFound) return rc;
    SyncDatabaseSpec spec{};
    spec.creator = variant.creator;
    spec.type = kProviderListType;
    spec.flags = 0;
    spec.version = 0;
    spec.card = kCard;
    CopyText(spec.name, sizeof spec.name, variant.database_name);
    rc = SyncCreateDatabase(&spec);
    if (rc != 0) {
        Log().LogFailure(variant.create_failed);
        return rc;
    }
    *database = spec.database;
    return 0;
}

// Deletes every record and writes the application-info block.
int32_t EmptyDatabase(SyncDatabase database) {
    int32_t rc = SyncDeleteAllRecords(database);
    if (rc != 0) return rc;
    std::array<uint8_t, kProviderListAppInfoSize> block{};
    if (!PackProviderListAppInfo(block.data(), block.size())) return kSyncErrGeneral;
    return SyncWriteAppInfoBlock(database, block.data(), static_cast<uint16_t>(block.size()));
}

// Writes the record of one resource as a new record in its kind's category.
int32_t WriteResourceRecord(SyncDatabase database, const ResourceRecord& resource) {
    uint8_t* buffer = RecordBuffer();
    std::memcpy(buffer, resource.data() + kResourceIdOffset, kResourceIdLength);
    buffer[kResourceIdLength] = 0;
    SyncRecord record{};
    record.database = database;
    record.record_id = 0;
    record.attributes = 0;
    record.category = CategoryOfKind(resource[kResourceKindOffset]);
    record.buffer = buffer;
    record.buffer_size = static_cast<uint32_t>(kRecordBufferSize);
    record.record_size = static_cast<uint32_t>(kProviderRecordSize);
    return SyncWriteRecord(&record);
}

// Whether a provider goes to the handheld.
bool ProviderIsSent(const ProviderListVariant& variant, const ProviderFilter& filter,
                    const ResourceRecord& resource) {
    const auto* id = reinterpret_cast<const char*>(resource.data() + kResourceIdOffset);
    if (!filter.empty() && !filter.Contains(id)) return false;
    return !(variant.skip_flagged_providers && resource[kResourceFlagOffset] != 0);
}

// Writes the resources of one kind, in the order of key 7, that `sent`
// accepts. False when a record could not be written (logged).
template <typename Accept>
bool WriteKind(KdbFile file, uint8_t kind, SyncDatabase database,
               const ProviderListVariant& variant, Accept sent) {
    std::array<uint8_t, kResourceKeySize> key{};
    key[0] = kind;  // the id zero: the first record of the kind
    ResourceRecord resource{};
    PracticeDatabase& db = Database();
    for (int found = db.GreaterThanOrEqualRec(file, kResourceKey, key.data(), resource.data());
         found && resource[kResourceKindOffset] == kind;
         found = db.NextRec(file, kResourceKey, resource.data())) {
        if (!sent(resource)) continue;
        if (WriteResourceRecord(database, resource) != 0) {
            Log().LogFailure(variant.write_failed);
            return false;
        }
    }
    return true;
}

// The providers (filtered), then the operatories; logged failures stop it.
void WriteResources(const ProviderListVariant& variant, const ProviderFilter& filter,
                    SyncDatabase database) {
    PracticeDatabase& db = Database();
    const KdbSession session = db.StartSession(kSessionMode);
    if (session == 0) {
        Log().LogFailure(kResourceFileFailed);
        return;
    }
    const KdbFile file = db.OpenFile(session, kResourceFile);
    if (file == 0) {
        Log().LogFailure(kResourceFileFailed);
        db.EndSession(session);
        return;
    }
    auto provider = [&](const ResourceRecord& r) { return ProviderIsSent(variant, filter, r); };
    auto every = [](const ResourceRecord&) { return true; };
    if (WriteKind(file, kKindProvider, database, variant, provider))
        WriteKind(file, kKindOperatory, database, variant, every);
    db.CloseFile(file);
    db.EndSession(session);
}

}  // namespace

int16_t CategoryOfKind(uint8_t kind) {
    switch (kind) {
        case kKindProvider:
            return kCategoryProviders;
        case kKindStaff:
            return kCategoryStaff;
        case kKindOperatory:
            return kCategoryOperatories;
        default:
            return kCategoryOther;
    }
}

bool PackProviderListAppInfo(uint8_t* block, size_t size) {
    ByteWriter writer(block, size);
    writer.BE16(kAppInfoCount);
    for (const char* name : kCategoryNames) {
        std::array<char, kCategoryNameSize> field{};
        CopyText(field.data(), field.size(), name);
        writer.Bytes(field.data(), field.size());
    }
    return writer.ok() && writer.position() == kProviderListAppInfoSize;
}

int32_t WriteProviderList(const ProviderListVariant& variant, const ProviderFilter& filter) {
    SyncDatabase database = 0;
    int32_t rc = OpenOrCreate(variant, &database);
    if (rc != 0) return rc;
    if (EmptyDatabase(database) == 0)
        WriteResources(variant, filter, database);
    else
        Log().LogFailure(variant.update_failed);
    rc = SyncCloseDatabase(database);
    if (rc != 0) Log().LogFailure(variant.update_failed);
    return rc;
}

}  // namespace kv::conduit
