// Modal dialogs on Linux: the model is driven by the answers of the terminal
// or KV_ANSWERS (see platform/posix/desktop_answers.h), one answer a round,
// until a handler ends the dialog:
//   pick:<text or n>  selects the first item of the first enabled list (list
//                     box or drop-down list) whose text starts with <text>
//                     (ignoring case), or item n (1-based), then presses the
//                     default button (kDialogOk)
//   ok                presses kDialogOk
//   cancel            presses kDialogCancel when the dialog has it, else
//                     closes the dialog
// At the terminal, anything other than ok and cancel is a pick. No answer,
// or an answer from KV_ANSWERS that does not fit, is the cautious answer,
// cancel; a dialog that stays open after it is ended with kDialogCancel.
// What happens is echoed on standard error:
//   [dialog] <caption>: picked "<item>" (item 2 of list 3), pressed OK
//   [dialog] <caption> -> 1 (OK)
#include <cctype>

#include "platform/dialog_model.h"
#include "platform/posix/desktop_answers.h"

namespace kv::desktop {
namespace {

// A dialog whose handlers refuse to end it gets this many answers.
constexpr int kMaxRounds = 20;

bool IsList(const Control& control) {
    return control.kind == ControlKind::kListBox || control.kind == ControlKind::kDropDownList;
}

const Control* FirstList(const DialogModel& model) {
    for (const Control& control : model.controls())
        if (IsList(control) && control.enabled) return &control;
    return nullptr;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The index of the item pick names in list, or -1.
int MatchItem(const Control& list, const std::string& pick) {
    if (AllDigits(pick)) {
        const int number = std::stoi(pick);
        return number >= 1 && static_cast<size_t>(number) <= list.items.size() ? number - 1 : -1;
    }
    if (pick.empty()) return -1;
    for (size_t i = 0; i < list.items.size(); ++i)
        if (StartsWithIgnoringCase(list.items[i], pick)) return static_cast<int>(i);
    return -1;
}

std::string ButtonName(const DialogModel& model, int id) {
    const Control* button = model.Find(id);
    if (button && !button->text.empty()) return button->text;
    return id == kDialogOk ? "OK" : id == kDialogCancel ? "Cancel" : "button " + std::to_string(id);
}

std::string ResultText(int result) {
    std::string text = std::to_string(result);
    if (result == kDialogOk) return text + " (OK)";
    if (result == kDialogCancel) return text + " (Cancel)";
    return text;
}

// What the terminal shows before each answer.
std::string TerminalPrompt(const DialogModel& model) {
    std::string prompt = "[dialog] " + model.caption() + "\n";
    for (const Control& control : model.controls()) {
        const std::string off = control.enabled ? "" : " (disabled)";
        switch (control.kind) {
            case ControlKind::kListBox:
            case ControlKind::kDropDownList:
                prompt += "  list " + std::to_string(control.id) + off + ":\n";
                for (size_t i = 0; i < control.items.size(); ++i) {
                    const bool selected = static_cast<int>(i) == control.selection;
                    prompt += std::string(selected ? "  * " : "    ") + std::to_string(i + 1) +
                              ". " + control.items[i] + "\n";
                }
                break;
            case ControlKind::kButton:
                prompt +=
                    "  button " + std::to_string(control.id) + ": " + control.text + off + "\n";
                break;
            case ControlKind::kCheckBox:
                prompt += std::string("  [") + (control.checked ? "x" : " ") + "] " + control.text +
                          off + "\n";
                break;
            case ControlKind::kEdit:
                prompt +=
                    "  field " + std::to_string(control.id) + ": " + control.text + off + "\n";
                break;
            case ControlKind::kStaticText:
                if (!control.text.empty()) prompt += "  " + control.text + "\n";
                break;
            case ControlKind::kUpDown:
                prompt += "  value " + std::to_string(control.id) + ": " +
                          std::to_string(control.position) + off + "\n";
                break;
        }
    }
    return prompt + "  Answer (a number or text picks from the list; ok; cancel): ";
}

bool CanPress(const DialogModel& model, int id) {
    const Control* button = model.Find(id);
    return button && button->enabled && button->kind == ControlKind::kButton;
}

void Echo(const DialogModel& model, const std::string& what) {
    EchoLine("[dialog] " + model.caption() + ": " + what);
}

// Presses button id (echoed first, as the press may show boxes of its own);
// false when the dialog has no such enabled button.
bool Press(DialogModel& model, int id, const std::string& why) {
    if (!CanPress(model, id)) {
        Echo(model, "cannot press " + ButtonName(model, id) + ": no such enabled button");
        return false;
    }
    Echo(model, "pressed " + ButtonName(model, id) + why);
    model.Click(id);
    return true;
}

void Cancel(DialogModel& model, const std::string& why) {
    if (CanPress(model, kDialogCancel)) {
        Press(model, kDialogCancel, why);
        return;
    }
    Echo(model, "closed" + why);
    model.Close();
}

// Selects the item pick names in the first list and presses the default
// button (echoed before the press, which may show boxes of its own); false
// when no item matches.
bool Pick(DialogModel& model, const std::string& pick) {
    const Control* list = FirstList(model);
    const int index = list ? MatchItem(*list, pick) : -1;
    if (index < 0) {
        Echo(model, "\"" + pick + "\" matches no item" +
                        (list ? " of list " + std::to_string(list->id) : std::string()));
        return false;
    }
    const int id = list->id;
    const std::string picked = "picked \"" + list->items[static_cast<size_t>(index)] + "\" (item " +
                               std::to_string(index + 1) + " of list " + std::to_string(id) + ")";
    model.SelectItem(id, index);  // may enable the default button
    const bool press = !model.ended() && CanPress(model, kDialogOk);
    Echo(model, picked + (press ? ", pressed " + ButtonName(model, kDialogOk) : std::string()));
    if (press) model.Click(kDialogOk);
    return true;
}

// Acts on one answer; false when that was the cautious answer (asking again
// would bring nothing new).
bool Act(DialogModel& model, GivenAnswer given) {
    if (given.at_terminal && given.word != AnswerWord::kOk && given.word != AnswerWord::kCancel &&
        given.word != AnswerWord::kPick) {
        given.word = AnswerWord::kPick;
        given.pick = given.written;
    }
    if (!given.given) {
        Cancel(model, " (no answer given)");
        return false;
    }
    switch (given.word) {
        case AnswerWord::kCancel:
            Cancel(model, "");
            return true;
        case AnswerWord::kOk:
            if (Press(model, kDialogOk, "")) return true;
            break;
        case AnswerWord::kPick:
            if (Pick(model, given.pick)) return true;
            break;
        default:
            break;
    }
    if (given.at_terminal) return true;  // a person may try again
    EchoLine("[answers] \"" + given.written + "\" (" + given.from + ") does not fit the dialog " +
             model.caption() + ": taking cancel");
    Cancel(model, "");
    return false;
}

class PosixDialogRunner : public DialogRunner {
  public:
    int Run(DialogModel& model) override {
        model.Init();
        for (int round = 0; round < kMaxRounds && !model.ended(); ++round) {
            if (!Act(model, TakeAnswer(TerminalPrompt(model)))) break;
        }
        if (!model.ended()) {
            Echo(model, "still open; ended with Cancel");
            model.EndDialog(kDialogCancel);
        }
        EchoLine("[dialog] " + model.caption() + " -> " + ResultText(model.result()));
        return model.result();
    }
};

}  // namespace

DialogRunner& PlatformDialogRunner() {
    static PosixDialogRunner runner;
    return runner;
}

}  // namespace kv::desktop
