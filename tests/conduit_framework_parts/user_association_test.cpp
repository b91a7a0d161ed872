#include "conduit_framework/user_association.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "conduit_framework/practice_utilities.h"
#include "conduit_framework/select_user_dialog.h"
#include "conduit_framework_parts/parts_fixture.h"
#include "hotsync/stderr_capture.h"
#include "platform/posix/desktop_answers.h"
#include "platform/scripted_dialog_runner.h"

namespace kv::conduit {
namespace {

using desktop::ControlKind;
using desktop::DialogModel;
using desktop::kDialogCancel;
using desktop::kDialogOk;
using desktop::ScriptedDialogRunner;
using Items = std::vector<std::string>;

constexpr const char* kHotSyncUser = "Dr. Ada Molar";
constexpr const char* kNothingStored = "<nothing stored>";

class UserAssociationTest : public test::PracticeWorld {
  protected:
    void SetUp() override {
        PracticeWorld::SetUp();
        desktop::AllowTerminalAnswers(false);
        Answers("");
        desktop::SetDialogRunner(&runner_);
    }
    void TearDown() override {
        desktop::SetDialogRunner(nullptr);
        desktop::RestartAnswers();
    }

    void Answers(const std::string& list) {
        answers_.reset();
        answers_ = std::make_unique<test::ScopedEnv>("KV_ANSWERS", list);
        desktop::RestartAnswers();
    }

    // Providers DR01, DR02, staff ST01 and AAAA, an operatory; added out of
    // order.
    void AddPractice(bool with_staff = true) {
        AddResource(3, "OP01");
        if (with_staff) AddResource(2, "ST01");
        AddResource(1, "DR02");
        if (with_staff) AddResource(2, "AAAA");
        AddResource(1, "DR01");
    }

    static std::string Stored(const char* name = kHotSyncUser) {
        char text[64] = {};
        Utilities().GetPrivateInfString(kAssociationSection, name, kNothingStored, text,
                                        sizeof text);
        return text;
    }

    // Runs FindPracticeUser and collects what the desktop echoed.
    std::string Find(const char* question = kHandheldQuestion) {
        test::StderrCapture capture;
        const PracticeUserId id = FindPracticeUser(kHotSyncUser, question);
        echo_ = capture.Text();
        return id.text;
    }

    // An inspection step that records the list's entries.
    ScriptedDialogRunner::Inspection ListInto(Items* items) {
        return [items](const DialogModel& m) { *items = m.Find(kUserListId)->items; };
    }

    ScriptedDialogRunner runner_;
    std::unique_ptr<test::ScopedEnv> answers_;
    std::string echo_;
};

const std::string kQuestionEcho =
    "[message box] Kalvora Dental Systems: This handheld is currently not associated with a "
    "Kalvora user.  Would you like to select one? -> ";

TEST_F(UserAssociationTest, AStoredAssociationIsUsedWithoutAQuestion) {
    AddPractice();
    // The id need not exist in the practice.
    Utilities().WritePrivateInfString(kAssociationSection, kHotSyncUser, "ZZZZ");
    Answers("yes");
    EXPECT_EQ("ZZZZ", Find());
    EXPECT_EQ("", echo_);
    EXPECT_TRUE(runner_.dialogs().empty());
    EXPECT_EQ("ZZZZ", Stored());
}

TEST_F(UserAssociationTest, AnAssociationIsReadAsFourCharactersAtMost) {
    Utilities().WritePrivateInfString(kAssociationSection, kHotSyncUser, "ABCDEFG");
    EXPECT_EQ("ABCD", Find());
    EXPECT_TRUE(runner_.dialogs().empty());
}

TEST_F(UserAssociationTest, YesAndAPickStoreTheChoice) {
    AddPractice();
    Answers("yes");
    Utilities().WritePrivateInfString(kAssociationSection, "Someone Else", "ST01");
    runner_.Select(kUserListId, 1).Click(kDialogOk);
    EXPECT_EQ("DR02", Find());
    EXPECT_EQ(kQuestionEcho + "Yes\n", echo_);
    EXPECT_EQ((Items{"Select User"}), runner_.dialogs());
    EXPECT_EQ("DR02", Stored());
    EXPECT_EQ("ST01", Stored("Someone Else"));
    // The next synchronisation asks no more.
    Answers("");
    EXPECT_EQ("DR02", Find());
    EXPECT_EQ("", echo_);
    EXPECT_EQ(1u, runner_.dialogs().size());
}

TEST_F(UserAssociationTest, WithoutAChoiceTheUserIsUnknownAndNothingIsStored) {
    AddPractice();
    struct Case {
        const char* name;
        const char* answers;
        std::function<void(ScriptedDialogRunner&)> script;
        const char* answered;
        size_t dialogs;
    };
    const Case cases[] = {
        {"No", "no", [](ScriptedDialogRunner&) {}, "No", 0},
        {"no answer at all", "", [](ScriptedDialogRunner&) {}, "No", 0},
        {"Yes, then Cancel", "yes",
         [](ScriptedDialogRunner& r) { r.Select(kUserListId, 0).Click(kDialogCancel); }, "Yes", 1},
        {"Yes, then the close box", "yes",
         [](ScriptedDialogRunner& r) { r.Select(kUserListId, 0).Close(); }, "Yes", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogRunner runner;
        desktop::SetDialogRunner(&runner);
        c.script(runner);
        Answers(c.answers);
        EXPECT_EQ("____", Find());
        EXPECT_EQ(kQuestionEcho + c.answered + "\n", echo_);
        EXPECT_EQ(c.dialogs, runner.dialogs().size());
        EXPECT_EQ(kNothingStored, Stored());
    }
}

TEST_F(UserAssociationTest, AsksTheQuestionItIsGiven) {
    Answers("no");
    EXPECT_EQ("____", Find(kPalmQuestion));
    EXPECT_EQ(
        "[message box] Kalvora Dental Systems: This Palm is currently not associated with a "
        "Kalvora user.  Would you like to select one? -> No\n",
        echo_);
}

// ---- The Select User dialog ----

class SelectUserTest : public UserAssociationTest {
  protected:
    int Select(PracticeUserId* id) { return SelectUser(desktop::ActiveWindow(), id); }
};

TEST_F(SelectUserTest, IsBuiltAsItsResourceDescribesIt) {
    const DialogModel* seen = nullptr;
    std::vector<std::tuple<int, ControlKind, std::string>> controls;
    runner_.Inspect([&](const DialogModel& m) {
        seen = &m;
        EXPECT_EQ("Select User", m.caption());
        for (const auto& c : m.controls()) controls.emplace_back(c.id, c.kind, c.text);
    });
    PracticeUserId id;
    EXPECT_EQ(0, Select(&id));
    ASSERT_NE(nullptr, seen);
    EXPECT_EQ((std::vector<std::tuple<int, ControlKind, std::string>>{
                  {3, ControlKind::kListBox, ""},
                  {1, ControlKind::kButton, "OK"},
                  {2, ControlKind::kButton, "Cancel"}}),
              controls);
    EXPECT_STREQ("IDD_DLG_RSC", kSelectUserResource);
    EXPECT_EQ(74, kSelectUserFrame.x);
    EXPECT_EQ(41, kSelectUserFrame.y);
    EXPECT_EQ(126, kSelectUserFrame.width);
    EXPECT_EQ(108, kSelectUserFrame.height);
}

TEST_F(SelectUserTest, ListsProvidersThenStaffByTheirBareIds) {
    AddPractice();
    Items items;
    runner_.Inspect(ListInto(&items));
    PracticeUserId id;
    EXPECT_EQ(0, Select(&id));
    EXPECT_EQ((Items{"DR01", "DR02", "AAAA", "ST01"}), items);
}

TEST_F(SelectUserTest, APracticeWithoutStaffListsItsProvidersAlone) {
    AddPractice(false);
    Items items;
    runner_.Inspect(ListInto(&items));
    PracticeUserId id;
    EXPECT_EQ(0, Select(&id));
    EXPECT_EQ((Items{"DR01", "DR02"}), items);
}

TEST_F(SelectUserTest, DoubleClickingAnEntryIsSelectingItAndPressingOk) {
    AddPractice();
    struct Case {
        const char* name;
        std::function<void(ScriptedDialogRunner&)> script;
    };
    const Case cases[] = {
        {"select and OK",
         [](ScriptedDialogRunner& r) { r.Select(kUserListId, 3).Click(kDialogOk); }},
        {"double click", [](ScriptedDialogRunner& r) { r.DoubleClick(kUserListId, 3); }},
        {"another entry first, then a double click",
         [](ScriptedDialogRunner& r) { r.Select(kUserListId, 0).DoubleClick(kUserListId, 3); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogRunner runner;
        desktop::SetDialogRunner(&runner);
        c.script(runner);
        PracticeUserId id;
        EXPECT_EQ(1, Select(&id));
        EXPECT_STREQ("ST01", id.text);
        EXPECT_EQ(0u, runner.steps_left());
        EXPECT_EQ("Select User -> 1", runner.transcript().back());
    }
}

TEST_F(SelectUserTest, OkWithoutASelectionLeavesTheDialogOpen) {
    AddPractice();
    bool open_after_ok = false;
    runner_.Click(kDialogOk)
        .Inspect([&](const DialogModel& m) { open_after_ok = !m.ended(); })
        .Select(kUserListId, 2)
        .Click(kDialogOk);
    PracticeUserId id;
    EXPECT_EQ(1, Select(&id));
    EXPECT_TRUE(open_after_ok);
    EXPECT_STREQ("AAAA", id.text);
}

TEST_F(SelectUserTest, CancelAndTheCloseBoxLeaveTheIdAlone) {
    AddPractice();
    for (bool close_box : {false, true}) {
        ScriptedDialogRunner runner;
        desktop::SetDialogRunner(&runner);
        runner.Select(kUserListId, 0);
        if (close_box)
            runner.Close();
        else
            runner.Click(kDialogCancel);
        PracticeUserId id;
        EXPECT_EQ(0, Select(&id)) << close_box;
        EXPECT_EQ(0, std::memcmp(PracticeUserId{}.text, id.text, sizeof id.text)) << close_box;
        EXPECT_EQ("Select User -> 0", runner.transcript().back());
    }
}

TEST_F(SelectUserTest, WithoutAPracticeDatabaseTheListIsEmptyAndOnlyCancelCloses) {
    AddPractice();
    RemovePracticeDatabase();
    Items items = {"not filled"};
    bool open_after_ok = false;
    runner_.Inspect(ListInto(&items))
        .Click(kDialogOk)
        .Inspect([&](const DialogModel& m) { open_after_ok = !m.ended(); })
        .Click(kDialogCancel);
    PracticeUserId id;
    EXPECT_EQ(0, Select(&id));
    EXPECT_TRUE(items.empty());
    EXPECT_TRUE(open_after_ok);
    EXPECT_EQ(0u, runner_.steps_left());
}

// A runner that cannot show the dialog, as Windows answers when the
// resource cannot be loaded.
class FailingRunner : public desktop::DialogRunner {
  public:
    int Run(DialogModel&) override { return -1; }
};

TEST_F(SelectUserTest, ADialogThatCannotBeCreatedShowsThePracticeMessage) {
    FailingRunner failing;
    desktop::SetDialogRunner(&failing);
    PracticeUserId id;
    test::StderrCapture capture;
    EXPECT_EQ(0, Select(&id));
    EXPECT_EQ(
        "[message box] Kalvora Dental Systems: The requested window could not be opened. Please "
        "restart Kalvora and try again. -> OK\n",
        capture.Text());
    EXPECT_STREQ("", id.text);
}

TEST_F(SelectUserTest, AFailedDialogMakesTheUserUnknown) {
    AddPractice();
    FailingRunner failing;
    desktop::SetDialogRunner(&failing);
    Answers("yes");
    EXPECT_EQ("____", Find());
    EXPECT_EQ(kNothingStored, Stored());
}

// ---- Filling the list ----

TEST_F(SelectUserTest, FillingReplacesTheEntriesAndCountsThem) {
    AddPractice();
    desktop::Control list;
    list.kind = ControlKind::kListBox;
    list.items = {"old", "entries"};
    list.selection = 1;
    EXPECT_EQ(4, FillUserList(&list));
    EXPECT_EQ((Items{"DR01", "DR02", "AAAA", "ST01"}), list.items);
    EXPECT_EQ(-1, list.selection);
}

TEST_F(SelectUserTest, FillingWithoutAPracticeDatabaseAnswersMinusOne) {
    AddPractice();
    RemovePracticeDatabase();
    desktop::Control list;
    list.kind = ControlKind::kListBox;
    EXPECT_EQ(-1, FillUserList(&list));
    EXPECT_TRUE(list.items.empty());
}

TEST_F(SelectUserTest, AnEmptyPracticeFillsNothing) {
    AddResource(3, "OP01");
    desktop::Control list;
    list.kind = ControlKind::kListBox;
    EXPECT_EQ(0, FillUserList(&list));
    EXPECT_TRUE(list.items.empty());
}

}  // namespace
}  // namespace kv::conduit
