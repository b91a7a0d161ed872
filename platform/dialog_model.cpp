#include "platform/dialog_model.h"

#include <algorithm>
#include <mutex>

namespace kv::desktop {
namespace {

bool IsList(const Control& control) {
    return control.kind == ControlKind::kListBox || control.kind == ControlKind::kDropDownList;
}

bool HasItem(const Control& control, int index) {
    return index >= 0 && static_cast<size_t>(index) < control.items.size();
}

}  // namespace

std::string Control::SelectedText() const {
    return HasItem(*this, selection) ? items[static_cast<size_t>(selection)] : std::string();
}

Control& DialogModel::Add(int id, ControlKind kind, std::string text) {
    if (Control* existing = Find(id)) return *existing;
    Control control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    controls_.push_back(std::move(control));
    return controls_.back();
}

Control* DialogModel::Find(int id) {
    auto it = std::find_if(controls_.begin(), controls_.end(),
                           [id](const Control& c) { return c.id == id; });
    return it == controls_.end() ? nullptr : &*it;
}

const Control* DialogModel::Find(int id) const {
    return const_cast<DialogModel*>(this)->Find(id);
}

void DialogModel::Init() {
    ended_ = false;
    result_ = 0;
    if (on_init_) on_init_(*this);
}

bool DialogModel::SelectItem(int id, int index) {
    Control* control = Find(id);
    if (!control || !control->enabled || !IsList(*control) || !HasItem(*control, index))
        return false;
    control->selection = index;
    Deliver(id, ControlEvent::kSelectionChanged);
    return true;
}

bool DialogModel::Click(int id) {
    Control* control = Find(id);
    if (!control || !control->enabled) return false;
    if (control->kind == ControlKind::kCheckBox)
        control->checked = !control->checked;
    else if (control->kind != ControlKind::kButton)
        return false;
    Deliver(id, ControlEvent::kClicked);
    return true;
}

bool DialogModel::DoubleClickItem(int id, int index) {
    Control* control = Find(id);
    if (!control || !control->enabled || control->kind != ControlKind::kListBox ||
        !HasItem(*control, index))
        return false;
    control->selection = index;
    Deliver(id, ControlEvent::kSelectionChanged);
    if (!ended_) Deliver(id, ControlEvent::kDoubleClicked);
    return true;
}

void DialogModel::Close() {
    if (on_close_) {
        on_close_(*this);
        return;
    }
    Deliver(kDialogCancel, ControlEvent::kClicked);
}

void DialogModel::EndDialog(int result) {
    ended_ = true;
    result_ = result;
}

void DialogModel::Deliver(int id, ControlEvent event) {
    if (on_command_) on_command_(*this, id, event);
}

// ---- The process's runner ----

namespace {

struct RunnerChoice {
    std::mutex mutex;
    DialogRunner* runner = nullptr;
};

RunnerChoice& TheRunnerChoice() {
    static RunnerChoice choice;
    return choice;
}

}  // namespace

void SetDialogRunner(DialogRunner* runner) {
    std::lock_guard<std::mutex> lock(TheRunnerChoice().mutex);
    TheRunnerChoice().runner = runner;
}

int RunModalDialog(DialogModel& model) {
    try {
        DialogRunner* runner;
        {
            std::lock_guard<std::mutex> lock(TheRunnerChoice().mutex);
            runner = TheRunnerChoice().runner;
        }
        return (runner ? *runner : PlatformDialogRunner()).Run(model);
    } catch (...) {
        return kDialogCancel;
    }
}

}  // namespace kv::desktop
