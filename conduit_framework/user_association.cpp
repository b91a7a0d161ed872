#include "conduit_framework/user_association.h"

#include "conduit_framework/practice_utilities.h"
#include "conduit_framework/select_user_dialog.h"
#include "platform/desktop.h"

namespace kv::conduit {
namespace {

// The stored association, or an empty id.
PracticeUserId StoredAssociation(const char* hotsync_user_name) {
    PracticeUserId id;  // zero-filled
    Utilities().GetPrivateInfString(kAssociationSection, hotsync_user_name, "", id.text,
                                    static_cast<int>(sizeof id.text));
    id.text[PracticeUserId::kLength] = '\0';
    return id;
}

bool PersonWantsToChoose(desktop::WindowHandle owner, const char* question_text) {
    return desktop::ShowMessageBox(owner, question_text ? question_text : "", kQuestionCaption,
                                   desktop::Buttons::kYesNo,
                                   desktop::Icon::kQuestion) == desktop::Answer::kYes;
}

}  // namespace

PracticeUserId FindPracticeUser(const char* hotsync_user_name, const char* question_text) {
    const char* name = hotsync_user_name ? hotsync_user_name : "";
    PracticeUserId id = StoredAssociation(name);
    if (id.text[0] != '\0') return id;

    const desktop::WindowHandle owner = desktop::ActiveWindow();
    if (PersonWantsToChoose(owner, question_text) && SelectUser(owner, &id) == 1) {
        Utilities().WritePrivateInfString(kAssociationSection, name, id.text);
        return id;
    }
    return PracticeUserId::Unknown();
}

}  // namespace kv::conduit
