#include "platform/scripted_dialog_runner.h"

namespace kv::desktop {

ScriptedDialogRunner& ScriptedDialogRunner::Add(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

ScriptedDialogRunner& ScriptedDialogRunner::Select(int id, int index) {
    return Add(Step{Action::kSelect, id, index, {}});
}

ScriptedDialogRunner& ScriptedDialogRunner::Click(int id) {
    return Add(Step{Action::kClick, id, 0, {}});
}

ScriptedDialogRunner& ScriptedDialogRunner::DoubleClick(int id, int index) {
    return Add(Step{Action::kDoubleClick, id, index, {}});
}

ScriptedDialogRunner& ScriptedDialogRunner::Close() {
    return Add(Step{Action::kClose, 0, 0, {}});
}

ScriptedDialogRunner& ScriptedDialogRunner::Inspect(Inspection inspect) {
    return Add(Step{Action::kInspect, 0, 0, std::move(inspect)});
}

int ScriptedDialogRunner::Run(DialogModel& model) {
    dialogs_.push_back(model.caption());
    model.Init();
    while (!model.ended() && next_ < steps_.size()) {
        const Step step = steps_[next_++];  // a copy: an inspection may add steps
        Take(model, step);
    }
    if (!model.ended()) {
        transcript_.push_back(model.caption() + ": close (script ended)");
        model.Close();
    }
    if (!model.ended()) {
        transcript_.push_back(model.caption() + ": still open; ended with Cancel");
        model.EndDialog(kDialogCancel);
    }
    transcript_.push_back(model.caption() + " -> " + std::to_string(model.result()));
    return model.result();
}

void ScriptedDialogRunner::Take(DialogModel& model, const Step& step) {
    const std::string id = std::to_string(step.id);
    const std::string item = " item " + std::to_string(step.index);
    const std::string who = model.caption() + ": ";
    // The line goes in first: the step may show further dialogs.
    const size_t line = transcript_.size();
    bool done = true;
    switch (step.action) {
        case Action::kSelect:
            transcript_.push_back(who + "select " + id + item);
            done = model.SelectItem(step.id, step.index);
            break;
        case Action::kClick:
            transcript_.push_back(who + "click " + id);
            done = model.Click(step.id);
            break;
        case Action::kDoubleClick:
            transcript_.push_back(who + "double-click " + id + item);
            done = model.DoubleClickItem(step.id, step.index);
            break;
        case Action::kClose:
            transcript_.push_back(who + "close");
            model.Close();
            break;
        case Action::kInspect:
            transcript_.push_back(who + "inspect");
            if (step.inspect) step.inspect(model);
            break;
    }
    if (!done) transcript_[line] += " (refused)";
}

}  // namespace kv::desktop
