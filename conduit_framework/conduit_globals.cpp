// The process-wide objects of a conduit library, constructed when the library
// is loaded in the order of their definitions here (one translation unit
// keeps that order) and destroyed in reverse order when it is unloaded:
//
//   1. the sync log text, empty;
//   2. the application object, whose start-up initialises the HotSync common
//      library once per loaded conduit library;
//   3. PracticeDatabase, which loads the practice database library at once;
//   4. PracticeUtilities, which loads the practice utility library at once;
//
// and the synchronisation's session, which owns nothing until a
// synchronisation runs.
#include "conduit_framework/conduit_session.h"
#include "conduit_framework/practice_database.h"
#include "conduit_framework/practice_utilities.h"
#include "conduit_framework/sync_log.h"
#include "platform/hotsync_log.h"

namespace kv::conduit {
namespace {

// The conduit library's application: its start-up initialises the HotSync
// common library when no application of this library has yet, its shut-down
// gives its use back. The count is a plain counter of this library.
class ConduitApplication {
  public:
    ConduitApplication() {
        if (use_count_ == 0) InitPdcmn5DLL();
        ++use_count_;
    }
    ~ConduitApplication() { --use_count_; }
    ConduitApplication(const ConduitApplication&) = delete;
    ConduitApplication& operator=(const ConduitApplication&) = delete;

  private:
    static int use_count_;
};

int ConduitApplication::use_count_ = 0;

SyncLog g_sync_log;
ConduitApplication g_application;
PracticeDatabase g_database;
PracticeUtilities g_utilities;
ConduitSession g_session;

}  // namespace

SyncLog& Log() {
    return g_sync_log;
}
PracticeDatabase& Database() {
    return g_database;
}
PracticeUtilities& Utilities() {
    return g_utilities;
}
ConduitSession& Session() {
    return g_session;
}

}  // namespace kv::conduit
