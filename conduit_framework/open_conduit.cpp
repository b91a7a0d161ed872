#include "conduit_framework/open_conduit.h"

#include "conduit_framework/installation_settings.h"
#include "conduit_framework/mobile_settings.h"
#include "conduit_framework/practice_database.h"
#include "conduit_framework/practice_utilities.h"
#include "conduit_framework/record_helpers.h"
#include "conduit_framework/sync_log.h"
#include "conduit_framework/user_association.h"
#include "platform/bounded_text.h"
#include "platform/hotsync_log.h"
#include "platform/practice_utilities_api.h"
#include "platform/sync_manager.h"

namespace kv::conduit {
namespace {

constexpr int kDatabaseReady = 1;
constexpr const char* kPurgeWeeksSuffix = "_PurgeWks";

// "<time> <date>" as the practice utility library writes them now.
std::string TimeAndDate() {
    PracticeUtilities& utilities = Utilities();
    char time[kKvrTimeTextSize] = {};
    char date[kKvrDateTextSize] = {};
    utilities.SysTime(time);
    utilities.FormatNDate2000(date, utilities.SysDate());
    return FieldText(time, sizeof time) + " " + FieldText(date, sizeof date);
}

// ---- The steps, in their order ----

void TakeToday(ConduitSession& session) {
    session.today = Utilities().SysDate();
}

// Step 2: true when the synchronisation is to do nothing (and is done).
bool DoNothing(const ConduitVariant& variant, const SyncProperties& properties) {
    if (properties.sync_type != kSyncTypeDoNothing) return false;
    Log().LogNotice(variant.do_nothing_notice);
    Log().Clear();  // nothing is stored for a synchronisation that did nothing
    return true;
}

int32_t Register(ConduitSession& session) {
    const int32_t rc = SyncRegister(&session.conduit_handle);
    session.registered = rc == 0;
    return rc;
}

void LogStart(const ConduitVariant& variant) {
    LogAddEntry("", kLogActivityStart, 0);
    Log().AppendLine(variant.start_title + TimeAndDate());
}

bool CheckDataVersion(ConduitSession& session) {
    if (DataVersionMatches(ReadDataVersion())) return true;
    Log().LogFailure(kIncompatibleVersionMessage);
    session.Abort(kResultPracticeData);
    return false;
}

bool InitialiseDatabase(ConduitSession& session) {
    char directory[kDataDirectorySize] = {};
    ReadDataDirectory(directory, sizeof directory);
    if (Database().InitDataBase(directory) == kDatabaseReady) return true;
    Log().LogFailure(kDatabaseInitMessage);
    session.Abort(kResultPracticeData);
    return false;
}

bool ReadHotSyncUser(ConduitSession& session) {
    SyncUserIdentity identity{};
    if (SyncReadUserIdentity(&identity) == 0) {
        CopyText(session.hotsync_user, sizeof session.hotsync_user,
                 FieldText(identity.name, sizeof identity.name));
        return true;
    }
    Log().LogFailure(kNoUserIdMessage);
    session.Abort(kResultNoUser);
    return false;
}

void IdentifyPracticeUser(const ConduitVariant& variant, ConduitSession& session) {
    session.user_id = FindPracticeUser(session.hotsync_user, variant.association_question);
}

void LogUser(const ConduitSession& session) {
    if (session.user_id.IsUnknown())
        Log().AppendLine("KVMobile User: <Unknown>");
    else
        Log().AppendLine("KVMobile User: " +
                         FieldText(session.user_id.text, PracticeUserId::kLength));
    Log().Append("\r\n");
}

// Step 10: the first setting; false when its 0 ends the synchronisation.
bool ReadFirstSetting(const ConduitVariant& variant, const ConduitSession& session,
                      int32_t* value) {
    const FirstSetting& setting = variant.first_setting;
    *value = Utilities().GetPrivateInfInt(setting.section,
                                          SettingsKey(session.user_id, setting.key_suffix).c_str(),
                                          setting.default_value);
    if (*value != 0 || !setting.notice) return true;
    Log().AppendLine(setting.notice);
    return false;
}

void RunSteps(const ConduitVariant& variant, ConduitSession& session) {
    for (size_t i = 0; i < variant.step_count; ++i) {
        const int32_t rc = variant.steps[i](session);
        if (rc != 0) {
            session.Abort(rc);
            return;
        }
    }
}

void Close(const ConduitVariant& variant, ConduitSession& session) {
    SyncLog& log = Log();
    log.AppendLine((session.aborted() ? variant.aborted_title : variant.success_title) +
                   TimeAndDate());
    log.AppendLine(std::string(kRuleLength, '='));
    log.Append("\r\n");
    log.Store(session.today);
    LogAddEntry(variant.conduit_name, session.outcome, 0);
    if (session.registered) SyncUnregister(session.conduit_handle);
    session.registered = false;
    session.ReleaseLists();
}

// Steps 5 to 15; the session records how they ended.
void Synchronise(const ConduitVariant& variant, ConduitSession& session) {
    if (!CheckDataVersion(session)) return;
    if (!InitialiseDatabase(session)) return;
    if (!ReadHotSyncUser(session)) return;
    IdentifyPracticeUser(variant, session);
    LogUser(session);
    int32_t first_setting = 0;
    if (!ReadFirstSetting(variant, session, &first_setting)) return;
    if (variant.read_settings) variant.read_settings(session, first_setting);
    RunSteps(variant, session);
}

}  // namespace

int32_t PurgeDateFor(int32_t today, int32_t purge_weeks) {
    return AddDays(today, static_cast<int16_t>(-7 * purge_weeks));
}

int32_t ReadPurgeDate(const ConduitSession& session, const char* section) {
    return PurgeDateFor(session.today,
                        ReadSettingInt(section, session.user_id, kPurgeWeeksSuffix, 1));
}

int32_t RunOpenConduit(const ConduitVariant& variant, const SyncProperties& properties) {
    ConduitSession& session = Session();
    session.Reset();
    TakeToday(session);
    if (DoNothing(variant, properties)) return 0;
    if (const int32_t rc = Register(session)) return rc;
    LogStart(variant);
    Synchronise(variant, session);
    Close(variant, session);
    return session.result;
}

}  // namespace kv::conduit
