#include "tools/handheld/database_registry.h"

#include <utility>

#include "tools/handheld/records/appointment_record.h"
#include "tools/handheld/records/day_note_record.h"
#include "tools/handheld/records/journal_record.h"
#include "tools/handheld/records/patient_record.h"
#include "tools/handheld/records/provider_app_info.h"
#include "tools/handheld/records/provider_record.h"
#include "tools/handheld/records/rx_record.h"

namespace kv::handheld_tool {
namespace {

RecordCodec ProviderListCodec() {
    RecordCodec codec = CodecFor<ProviderRecord>();
    codec.decode_app_info = &DecodeAppInfoAs<ProviderAppInfo>;
    return codec;
}

const std::vector<std::pair<std::string, RecordCodec>>& Registry() {
    static const std::vector<std::pair<std::string, RecordCodec>> kRegistry = {
        {"KvrRscDB", ProviderListCodec()},
        {"KvrPVRscDB", ProviderListCodec()},
        {"KvrOJDB", CodecFor<JournalRecord>()},
        {"KvrApptsDB", CodecFor<AppointmentRecord>()},
        {"KvrDayNotesDB", CodecFor<DayNoteRecord>()},
        {"KvPatientsDB", CodecFor<PatientRecord>()},
        {"KvrRxDB", CodecFor<RxRecord>()},
    };
    return kRegistry;
}

}  // namespace

const RecordCodec* FindCodec(const std::string& database) {
    for (const auto& entry : Registry())
        if (entry.first == database) return &entry.second;
    return nullptr;
}

std::vector<std::string> KnownDatabases() {
    std::vector<std::string> names;
    for (const auto& entry : Registry()) names.push_back(entry.first);
    return names;
}

}  // namespace kv::handheld_tool
