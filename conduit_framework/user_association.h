// The association of a handheld's HotSync user with a practice user. The
// practice settings store keeps it in section "PALMID": the key is the
// HotSync user name exactly as the Sync Manager gives it, the value the
// user's 4-character PracticeUserId.
//
// A handheld without an association makes the conduit ask the person at the
// desktop whether to choose a practice user; a user chosen in the Select User
// dialog is stored at once, so that it survives a later failure of the
// synchronisation. Without a choice the handheld's user is unknown ("____")
// for this synchronisation, nothing is stored and the question comes again
// next time.
#pragma once

#include "conduit_framework/practice_user_id.h"

namespace kv::conduit {

constexpr const char* kAssociationSection = "PALMID";
constexpr const char* kQuestionCaption = "Kalvora Dental Systems";

// The questions the conduits ask.
constexpr const char* kHandheldQuestion =
    "This handheld is currently not associated with a Kalvora user.  Would you like to select "
    "one?";
constexpr const char* kPalmQuestion =
    "This Palm is currently not associated with a Kalvora user.  Would you like to select one?";

// The practice user of hotsync_user_name: the stored association; else, when
// the person answers Yes to question_text (a Yes/No question box owned by the
// active window) and picks a user in the Select User dialog, that user, stored
// before returning; else PracticeUserId::Unknown().
PracticeUserId FindPracticeUser(const char* hotsync_user_name, const char* question_text);

}  // namespace kv::conduit
