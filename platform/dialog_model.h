// A modal dialog as a model: its caption, its controls by id with their state,
// and the handlers of its events. The same model is driven by the Windows
// dialog, by the terminal and scripted answers on Linux, and by tests.
//
// The system builds a model, sets its handlers and calls RunModalDialog; the
// runner delivers init first, then the person's actions as events, until a
// handler calls EndDialog. The handlers read and change the controls' state;
// the runner shows what they leave.
//
// Ids: kDialogOk (1) is the default button, kDialogCancel (2) the cancel
// button. Closing the dialog (the close box, Escape) calls the close handler
// when there is one, else clicks kDialogCancel as Windows does.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kv::desktop {

constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

enum class ControlKind { kListBox, kButton, kCheckBox, kDropDownList, kEdit, kStaticText, kUpDown };
enum class ControlEvent { kClicked, kDoubleClicked, kSelectionChanged };

struct Control {
    int id = 0;
    ControlKind kind = ControlKind::kStaticText;
    std::string text;      // label, or the edit's contents
    bool checked = false;  // check boxes
    bool enabled = true;
    std::vector<std::string> items;  // list boxes and drop-down lists
    int selection = -1;              // index into items; -1 = none
    int position = 0;                // up-downs: lower <= position <= upper
    int lower = 0;
    int upper = 0;

    // The selected item's text, or "" when none is selected.
    std::string SelectedText() const;
};

class DialogModel {
  public:
    using InitHandler = std::function<void(DialogModel&)>;
    using CommandHandler = std::function<void(DialogModel&, int control_id, ControlEvent event)>;
    using CloseHandler = std::function<void(DialogModel&)>;

    explicit DialogModel(std::string caption) : caption_(std::move(caption)) {}

    const std::string& caption() const { return caption_; }

    // Adds a control; its id must be new (a repeated id replaces nothing and
    // answers the control already there). The reference stays valid for the
    // life of the model.
    Control& Add(int id, ControlKind kind, std::string text = {});
    // The control with id, or nullptr.
    Control* Find(int id);
    const Control* Find(int id) const;
    // In the order they were added.
    const std::deque<Control>& controls() const { return controls_; }

    void OnInit(InitHandler handler) { on_init_ = std::move(handler); }
    void OnCommand(CommandHandler handler) { on_command_ = std::move(handler); }
    void OnClose(CloseHandler handler) { on_close_ = std::move(handler); }

    // ---- Events, as a runner delivers them ----

    // Starts the dialog: not ended, result 0, then the init handler.
    void Init();
    // Selects item index of a list box or drop-down list, then delivers
    // kSelectionChanged. False (nothing happens) when there is no such
    // enabled list or item.
    bool SelectItem(int id, int index);
    // Clicks an enabled button or check box (a check box toggles first), then
    // delivers kClicked. False when there is no such enabled control.
    bool Click(int id);
    // Selects item index of an enabled list box and delivers kSelectionChanged
    // then kDoubleClicked. False when there is no such list or item.
    bool DoubleClickItem(int id, int index);
    // The close box: the close handler, else kClicked for kDialogCancel
    // (also when the dialog has no such button, as Windows does).
    void Close();

    // ---- What handlers call ----

    // Ends the dialog with result; the runner returns it.
    void EndDialog(int result);
    bool ended() const { return ended_; }
    int result() const { return result_; }

  private:
    void Deliver(int id, ControlEvent event);

    std::string caption_;
    std::deque<Control> controls_;
    InitHandler on_init_;
    CommandHandler on_command_;
    CloseHandler on_close_;
    bool ended_ = false;
    int result_ = 0;
};

// What shows a dialog and collects the person's actions.
class DialogRunner {
  public:
    virtual ~DialogRunner() = default;
    // Runs model from Init until it ends; returns its result. A runner always
    // comes back: when the person gives up, it ends the dialog with
    // kDialogCancel.
    virtual int Run(DialogModel& model) = 0;
};

// Shows model modally with the process's runner and returns the dialog's
// result. Never throws.
int RunModalDialog(DialogModel& model);

// The platform's own runner: on Linux, the terminal or KV_ANSWERS (see
// platform/desktop.h).
DialogRunner& PlatformDialogRunner();

// Makes runner the process's runner (tests install a scripted one); nullptr
// restores the platform's own. The caller keeps runner alive while it is set.
void SetDialogRunner(DialogRunner* runner);

}  // namespace kv::desktop
