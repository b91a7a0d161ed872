// Dialog models driven by the scripted runner that tests use and by the Linux
// runner from KV_ANSWERS, through RunModalDialog as system code calls it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/dialog_model.h"
#include "platform/posix/desktop_answers.h"
#include "platform/scripted_dialog_runner.h"
#include "stderr_capture.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using desktop::ControlEvent;
using desktop::ControlKind;
using desktop::DialogModel;
using desktop::kDialogCancel;
using desktop::kDialogOk;
using desktop::ScriptedDialogRunner;

constexpr int kUserList = 3;
constexpr int kRemember = 4;

const char* EventName(ControlEvent event) {
    switch (event) {
        case ControlEvent::kClicked:
            return "clicked";
        case ControlEvent::kDoubleClicked:
            return "double-clicked";
        case ControlEvent::kSelectionChanged:
            return "selection changed";
    }
    return "?";
}

// A user picker: OK is enabled once a user is selected and ends the dialog
// with 1, as does a double-click on a user; Cancel ends it with 2.
struct PickerDialog {
    PickerDialog() {
        model.Add(kUserList, ControlKind::kListBox);
        model.Add(kDialogOk, ControlKind::kButton, "OK");
        model.Add(kDialogCancel, ControlKind::kButton, "Cancel");
        model.Add(kRemember, ControlKind::kCheckBox, "Remember");
        model.OnInit([](DialogModel& m) {
            m.Find(kUserList)->items = {"DR01 Ames", "DR02 Jones", "HY01 Baker"};
            m.Find(kDialogOk)->enabled = false;
        });
        model.OnCommand([this](DialogModel& m, int id, ControlEvent event) {
            events.push_back(std::to_string(id) + " " + EventName(event));
            if (id == kUserList && event == ControlEvent::kSelectionChanged)
                m.Find(kDialogOk)->enabled = m.Find(kUserList)->selection >= 0;
            if ((id == kUserList && event == ControlEvent::kDoubleClicked) || id == kDialogOk)
                m.EndDialog(kDialogOk);
            if (id == kDialogCancel) m.EndDialog(kDialogCancel);
        });
    }

    int selection() const { return model.Find(kUserList)->selection; }

    DialogModel model{"Select User"};
    std::vector<std::string> events;
};

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop::AllowTerminalAnswers(false);
        UseAnswers("");
    }
    void TearDown() override {
        desktop::SetDialogRunner(nullptr);
        desktop::RestartAnswers();
    }

    void UseAnswers(const std::string& list) {
        answers_.reset();
        answers_ = std::make_unique<test::ScopedEnv>("KV_ANSWERS", list);
        desktop::RestartAnswers();
    }

    std::unique_ptr<test::ScopedEnv> answers_;
};

TEST_F(DialogTest, ScriptedRunnerTakesTheStepsAPersonTakes) {
    using Script = std::function<void(ScriptedDialogRunner&)>;
    struct Case {
        const char* name;
        Script script;
        int result;
        int selection;
        bool remembered;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"select then OK",
         [](ScriptedDialogRunner& r) { r.Select(kUserList, 1).Click(kDialogOk); },
         kDialogOk,
         1,
         false,
         {"3 selection changed", "1 clicked"}},
        {"double-click",
         [](ScriptedDialogRunner& r) { r.DoubleClick(kUserList, 2); },
         kDialogOk,
         2,
         false,
         {"3 selection changed", "3 double-clicked"}},
        {"OK while disabled, then the script ends",
         [](ScriptedDialogRunner& r) { r.Click(kDialogOk); },
         kDialogCancel,
         -1,
         false,
         {"2 clicked"}},
        {"no such item",
         [](ScriptedDialogRunner& r) { r.Select(kUserList, 3).Click(kDialogCancel); },
         kDialogCancel,
         -1,
         false,
         {"2 clicked"}},
        {"check box toggles",
         [](ScriptedDialogRunner& r) {
             r.Click(kRemember)
                 .Click(kRemember)
                 .Click(kRemember)
                 .Select(kUserList, 0)
                 .Click(kDialogOk);
         },
         kDialogOk,
         0,
         true,
         {"4 clicked", "4 clicked", "4 clicked", "3 selection changed", "1 clicked"}},
        {"close box",
         [](ScriptedDialogRunner& r) { r.Select(kUserList, 0).Close(); },
         kDialogCancel,
         0,
         false,
         {"3 selection changed", "2 clicked"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PickerDialog dialog;
        ScriptedDialogRunner runner;
        c.script(runner);
        desktop::SetDialogRunner(&runner);
        EXPECT_EQ(c.result, desktop::RunModalDialog(dialog.model));
        EXPECT_EQ(c.selection, dialog.selection());
        EXPECT_EQ(c.remembered, dialog.model.Find(kRemember)->checked);
        EXPECT_EQ(c.events, dialog.events);
    }
}

TEST_F(DialogTest, ScriptedRunnerKeepsATranscriptAndLeavesStepsForTheNextDialog) {
    ScriptedDialogRunner runner;
    std::vector<bool> ok_enabled;
    auto look = [&](const DialogModel& m) { ok_enabled.push_back(m.Find(kDialogOk)->enabled); };
    runner.Inspect(look).Click(kDialogOk).Select(kUserList, 1).Inspect(look).Click(kDialogOk);
    runner.Click(kDialogCancel);
    desktop::SetDialogRunner(&runner);

    PickerDialog first;
    EXPECT_EQ(kDialogOk, desktop::RunModalDialog(first.model));
    EXPECT_EQ((std::vector<bool>{false, true}), ok_enabled);
    EXPECT_EQ(1u, runner.steps_left());
    PickerDialog second;
    EXPECT_EQ(kDialogCancel, desktop::RunModalDialog(second.model));
    EXPECT_EQ(0u, runner.steps_left());

    EXPECT_EQ((std::vector<std::string>{"Select User", "Select User"}), runner.dialogs());
    EXPECT_EQ((std::vector<std::string>{"Select User: inspect", "Select User: click 1 (refused)",
                                        "Select User: select 3 item 1", "Select User: inspect",
                                        "Select User: click 1", "Select User -> 1",
                                        "Select User: click 2", "Select User -> 2"}),
              runner.transcript());
}

TEST_F(DialogTest, ADialogThatWillNotEndIsEndedWithCancel) {
    DialogModel stubborn("Stubborn");
    stubborn.Add(kDialogOk, ControlKind::kButton, "OK");
    int closes = 0;
    stubborn.OnClose([&](DialogModel&) { ++closes; });

    ScriptedDialogRunner runner;
    runner.Click(kDialogOk);
    EXPECT_EQ(kDialogCancel, runner.Run(stubborn));
    EXPECT_EQ(1, closes);

    UseAnswers("ok,ok");
    test::StderrCapture capture;
    EXPECT_EQ(kDialogCancel, desktop::PlatformDialogRunner().Run(stubborn));
    EXPECT_EQ(
        "[dialog] Stubborn: pressed OK\n"
        "[dialog] Stubborn: pressed OK\n"
        "[dialog] Stubborn: closed (no answer given)\n"
        "[dialog] Stubborn: still open; ended with Cancel\n"
        "[dialog] Stubborn -> 2 (Cancel)\n",
        capture.Text());
    EXPECT_EQ(2, closes);
}

TEST_F(DialogTest, PlatformRunnerTakesPicksAndWordsFromTheAnswers) {
    struct Case {
        const char* answers;
        int result;
        int selection;
        const char* echo;
    };
    const Case cases[] = {
        {"pick:dr02", kDialogOk, 1,
         "[dialog] Select User: picked \"DR02 Jones\" (item 2 of list 3), pressed OK\n"
         "[dialog] Select User -> 1 (OK)\n"},
        {"pick:3", kDialogOk, 2,
         "[dialog] Select User: picked \"HY01 Baker\" (item 3 of list 3), pressed OK\n"
         "[dialog] Select User -> 1 (OK)\n"},
        {"cancel,pick:1", kDialogCancel, -1,
         "[dialog] Select User: pressed Cancel\n"
         "[dialog] Select User -> 2 (Cancel)\n"},
        {"", kDialogCancel, -1,
         "[dialog] Select User: pressed Cancel (no answer given)\n"
         "[dialog] Select User -> 2 (Cancel)\n"},
        {"ok,pick:1", kDialogCancel, -1,
         "[dialog] Select User: cannot press OK: no such enabled button\n"
         "[answers] \"ok\" (KV_ANSWERS item 1) does not fit the dialog Select User: taking "
         "cancel\n"
         "[dialog] Select User: pressed Cancel\n"
         "[dialog] Select User -> 2 (Cancel)\n"},
        {"pick:4", kDialogCancel, -1,
         "[dialog] Select User: \"4\" matches no item of list 3\n"
         "[answers] \"pick:4\" (KV_ANSWERS item 1) does not fit the dialog Select User: taking "
         "cancel\n"
         "[dialog] Select User: pressed Cancel\n"
         "[dialog] Select User -> 2 (Cancel)\n"},
        {"yes", kDialogCancel, -1,
         "[answers] \"yes\" (KV_ANSWERS item 1) does not fit the dialog Select User: taking "
         "cancel\n"
         "[dialog] Select User: pressed Cancel\n"
         "[dialog] Select User -> 2 (Cancel)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        UseAnswers(c.answers);
        PickerDialog dialog;
        test::StderrCapture capture;
        EXPECT_EQ(c.result, desktop::RunModalDialog(dialog.model));
        EXPECT_EQ(c.selection, dialog.selection());
        EXPECT_EQ(c.echo, capture.Text());
    }
}

// A dialog and the boxes its handlers show take their answers from the one
// list, in the order they are asked.
TEST_F(DialogTest, BoxesShownByHandlersTakeTheNextAnswers) {
    DialogModel dialog("Select User");
    dialog.Add(kUserList, ControlKind::kDropDownList).items = {"DR01 Ames", "DR02 Jones"};
    dialog.Add(kDialogOk, ControlKind::kButton, "OK");
    dialog.OnCommand([](DialogModel& m, int id, ControlEvent event) {
        if (id != kDialogOk || event != ControlEvent::kClicked) return;
        if (m.Find(kUserList)->selection >= 0) {
            m.EndDialog(kDialogOk);
            return;
        }
        desktop::ShowMessageBox(desktop::ActiveWindow(), "Select a user first.", "Select User",
                                desktop::Buttons::kOk, desktop::Icon::kExclamation);
    });

    UseAnswers("ok,ok,pick:DR02");
    test::StderrCapture capture;
    EXPECT_EQ(kDialogOk, desktop::RunModalDialog(dialog));
    EXPECT_EQ("DR02 Jones", dialog.Find(kUserList)->SelectedText());
    EXPECT_EQ(
        "[dialog] Select User: pressed OK\n"
        "[message box] Select User: Select a user first. -> OK\n"
        "[dialog] Select User: picked \"DR02 Jones\" (item 2 of list 3), pressed OK\n"
        "[dialog] Select User -> 1 (OK)\n",
        capture.Text());
}

TEST_F(DialogTest, ModelRefusesEventsForDisabledOrMissingControls) {
    PickerDialog dialog;
    dialog.model.Init();
    dialog.model.Find(kUserList)->enabled = false;
    EXPECT_FALSE(dialog.model.SelectItem(kUserList, 0));
    EXPECT_FALSE(dialog.model.DoubleClickItem(kUserList, 0));
    EXPECT_FALSE(dialog.model.Click(kDialogOk));  // disabled until a selection
    EXPECT_FALSE(dialog.model.Click(99));
    EXPECT_FALSE(dialog.model.Click(kUserList));  // not a button
    EXPECT_TRUE(dialog.events.empty());
    EXPECT_EQ(-1, dialog.selection());
    EXPECT_EQ("", dialog.model.Find(kUserList)->SelectedText());

    // A repeated id answers the control already there.
    desktop::Control& again = dialog.model.Add(kDialogOk, ControlKind::kEdit, "other");
    EXPECT_EQ(ControlKind::kButton, again.kind);
    EXPECT_EQ(4u, dialog.model.controls().size());
}

}  // namespace
}  // namespace kv
