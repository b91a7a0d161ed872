// A dialog runner that tests script: the steps a person would take, in order,
// across as many dialogs as the code under test shows. Each Run starts the
// dialog (init) and takes steps until the dialog ends; the steps left over
// are for the next dialog. When the steps run out with the dialog still
// open, the runner closes it, and ends it with kDialogCancel if it stays
// open. Install it with SetDialogRunner (platform/dialog_model.h).
//
//   ScriptedDialogRunner runner;
//   runner.Select(3, 1).Click(kDialogOk);
//   SetDialogRunner(&runner);
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_model.h"

namespace kv::desktop {

class ScriptedDialogRunner : public DialogRunner {
  public:
    using Inspection = std::function<void(const DialogModel&)>;

    // Selects item index (0-based) of list id.
    ScriptedDialogRunner& Select(int id, int index);
    // Clicks button or check box id.
    ScriptedDialogRunner& Click(int id);
    // Double-clicks item index of list box id.
    ScriptedDialogRunner& DoubleClick(int id, int index);
    // The close box.
    ScriptedDialogRunner& Close();
    // Calls inspect with the dialog as it is at this point of the script.
    ScriptedDialogRunner& Inspect(Inspection inspect);

    int Run(DialogModel& model) override;

    // What the runner did, a line a step: "Select User: select 3 item 1",
    // "Select User: click 1 (refused)", "Select User -> 1".
    const std::vector<std::string>& transcript() const { return transcript_; }
    // The captions of the dialogs run so far, in order.
    const std::vector<std::string>& dialogs() const { return dialogs_; }
    // Steps not taken yet.
    size_t steps_left() const { return steps_.size() - next_; }

  private:
    enum class Action { kSelect, kClick, kDoubleClick, kClose, kInspect };
    struct Step {
        Action action;
        int id;
        int index;
        Inspection inspect;
    };

    ScriptedDialogRunner& Add(Step step);
    void Take(DialogModel& model, const Step& step);

    std::vector<Step> steps_;
    size_t next_ = 0;
    std::vector<std::string> transcript_;
    std::vector<std::string> dialogs_;
};

}  // namespace kv::desktop
