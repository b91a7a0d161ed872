// The Select User dialog ("IDD_DLG_RSC"): a list of the practice's providers
// and staff members, by their bare 4-character ids (providers first, each
// group in the order of the resource key), from which the person at the
// desktop picks the practice user of a handheld. Built as a dialog model and
// shown modally by the desktop's dialog runner.
//
// OK, or a double click on an entry, takes the selected entry and closes the
// dialog; OK with nothing selected does nothing. Cancel and the close box
// close it without a choice.
#pragma once

#include "conduit_framework/practice_user_id.h"
#include "platform/desktop.h"
#include "platform/dialog_model.h"

namespace kv::conduit {

// The dialog as its resource describes it: modal, with a system menu, font
// "MS Sans Serif" 8 point; positions and sizes in dialog units.
struct DialogItemLayout {
    int id;
    int x, y, width, height;
};

constexpr const char* kSelectUserResource = "IDD_DLG_RSC";
constexpr const char* kSelectUserCaption = "Select User";
constexpr const char* kSelectUserFont = "MS Sans Serif";
constexpr int kSelectUserFontPoints = 8;
constexpr DialogItemLayout kSelectUserFrame = {0, 74, 41, 126, 108};

// The list box (border, vertical scroll bar, tab stop, notifies its parent,
// not sorted), the default OK button and Cancel.
constexpr int kUserListId = 3;
constexpr DialogItemLayout kUserListLayout = {kUserListId, 6, 6, 114, 79};
constexpr DialogItemLayout kSelectUserOkLayout = {desktop::kDialogOk, 10, 91, 50, 14};
constexpr DialogItemLayout kSelectUserCancelLayout = {desktop::kDialogCancel, 65, 91, 50, 14};

// The practice message shown when the dialog cannot be created.
constexpr int kDialogFailedMessage = 3040;

// Empties list and fills it with the ids of the practice's providers (kind 1)
// then staff members (kind 2). Returns the number of entries added, or -1
// (list untouched) when the practice database or its resource file cannot
// be opened.
int FillUserList(desktop::Control* list);

// The dialog's model: its controls and handlers. A choice is written into
// *id (4 characters and the terminator); *created becomes true when the
// dialog starts. Both must outlive the model.
void BuildSelectUserDialog(desktop::DialogModel* model, PracticeUserId* id, bool* created);

// Shows the dialog modally, owned by owner. 1 when a user was chosen and
// written into *id, else 0 (*id unchanged). When the dialog cannot be
// created, the practice shows message 3040 and the answer is 0.
int SelectUser(desktop::WindowHandle owner, PracticeUserId* id);

}  // namespace kv::conduit
