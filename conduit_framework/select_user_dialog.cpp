#include "conduit_framework/select_user_dialog.h"

#include <array>
#include <string>

#include "conduit_framework/practice_database.h"
#include "conduit_framework/practice_utilities.h"
#include "platform/bounded_text.h"

namespace kv::conduit {
namespace {

using desktop::Control;
using desktop::ControlEvent;
using desktop::ControlKind;
using desktop::DialogModel;

// Practice file 6, resources, through key 7 (kind, then the id); a set on
// the kind alone is a prefix of 1 byte.
constexpr int kSessionMode = 1;
constexpr int kResourceFile = 6;
constexpr int kResourceKey = 7;
constexpr size_t kResourceRecordSize = 512;
constexpr size_t kResourceIdOffset = 1;
constexpr size_t kResourceIdLength = 4;
constexpr size_t kResourceKeySize = 1 + kResourceIdLength;
constexpr int kKindPrefixLength = 1;
constexpr uint8_t kListedKinds[] = {1, 2};  // providers, then staff members

// What the dialog closes with.
constexpr int kChosen = 1;
constexpr int kNotChosen = 0;
// What a dialog runner answers when it could not show the dialog.
constexpr int kDialogNotCreated = -1;

// Adds the ids of the resources of one kind to list; the number added.
int AddKind(KdbFile file, uint8_t kind, Control* list) {
    PracticeDatabase& db = Database();
    std::array<uint8_t, kResourceKeySize> key{};
    key[0] = kind;
    std::array<uint8_t, kResourceRecordSize> record{};
    const KdbSet set =
        db.StartSet(file, kResourceKey, 0, key.data(), record.data(), kKindPrefixLength);
    if (set == 0) return 0;
    int added = 0;
    do {
        list->items.push_back(FieldText(record.data() + kResourceIdOffset, kResourceIdLength));
        ++added;
    } while (db.NextRecInSet(set, record.data()));
    db.EndSet(set);
    return added;
}

// OK, or a double click on an entry: takes the selected entry's first 4
// characters and closes with kChosen; nothing selected, nothing happens.
void TakeSelection(DialogModel& model, PracticeUserId* id) {
    const Control* list = model.Find(kUserListId);
    if (!list || list->selection < 0 || static_cast<size_t>(list->selection) >= list->items.size())
        return;
    const std::string text = list->SelectedText().substr(0, PracticeUserId::kLength);
    CopyText(id->text, sizeof id->text, text);
    model.EndDialog(kChosen);
}

}  // namespace

int FillUserList(Control* list) {
    PracticeDatabase& db = Database();
    const KdbSession session = db.StartSession(kSessionMode);
    if (session == 0) return -1;
    const KdbFile file = db.OpenFile(session, kResourceFile);
    if (file == 0) {
        db.EndSession(session);
        return -1;
    }
    list->items.clear();
    list->selection = -1;
    int added = 0;
    for (uint8_t kind : kListedKinds) added += AddKind(file, kind, list);
    db.CloseFile(file);
    db.EndSession(session);
    return added;
}

void BuildSelectUserDialog(DialogModel* model, PracticeUserId* id, bool* created) {
    model->Add(kUserListId, ControlKind::kListBox);
    model->Add(desktop::kDialogOk, ControlKind::kButton, "OK");
    model->Add(desktop::kDialogCancel, ControlKind::kButton, "Cancel");
    model->OnInit([created](DialogModel& m) {
        *created = true;
        FillUserList(m.Find(kUserListId));
    });
    model->OnCommand([id](DialogModel& m, int control, ControlEvent event) {
        if ((control == desktop::kDialogOk && event == ControlEvent::kClicked) ||
            (control == kUserListId && event == ControlEvent::kDoubleClicked))
            TakeSelection(m, id);
        else if (control == desktop::kDialogCancel && event == ControlEvent::kClicked)
            m.EndDialog(kNotChosen);
    });
    model->OnClose([](DialogModel& m) { m.EndDialog(kNotChosen); });
}

int SelectUser(desktop::WindowHandle owner, PracticeUserId* id) {
    PracticeUserId chosen;
    bool created = false;
    DialogModel model(kSelectUserCaption);
    BuildSelectUserDialog(&model, &chosen, &created);
    const int result = desktop::RunModalDialog(model);
    if (!created || result == kDialogNotCreated) {
        Utilities().Message(owner, kDialogFailedMessage);
        return 0;
    }
    if (result != kChosen) return 0;
    *id = chosen;
    return 1;
}

}  // namespace kv::conduit
