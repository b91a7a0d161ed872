// Message boxes on Linux: scripted answers taken in order by every module of
// the process, the cautious answers, and the echo on standard error.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/conduit_exports.h"
#include "platform/desktop.h"
#include "platform/os.h"
#include "platform/posix/desktop_answers.h"
#include "stderr_capture.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using desktop::Answer;
using desktop::Buttons;

class MessageBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop::AllowTerminalAnswers(false);
        UseAnswers("");
    }
    void TearDown() override { desktop::RestartAnswers(); }

    void UseAnswers(const std::string& list) {
        answers_.reset();
        answers_ = std::make_unique<test::ScopedEnv>("KV_ANSWERS", list);
        desktop::RestartAnswers();
    }

    static Answer Box(Buttons buttons, const std::string& text = "Text",
                      const std::string& caption = "Caption") {
        return desktop::ShowMessageBox(desktop::ActiveWindow(), text, caption, buttons,
                                       desktop::Icon::kQuestion);
    }

    std::unique_ptr<test::ScopedEnv> answers_;
};

TEST_F(MessageBoxTest, TakesScriptedAnswersInOrderAcrossBoxes) {
    UseAnswers(" yes, NO ,ok,, cancel,Y,c");
    struct Case {
        Buttons buttons;
        Answer expected;
    };
    const Case cases[] = {
        {Buttons::kYesNo, Answer::kYes}, {Buttons::kYesNoCancel, Answer::kNo},
        {Buttons::kOk, Answer::kOk},     {Buttons::kOkCancel, Answer::kCancel},
        {Buttons::kYesNo, Answer::kYes}, {Buttons::kYesNoCancel, Answer::kCancel},
        {Buttons::kYesNo, Answer::kNo},  // the list is used up
    };
    test::StderrCapture capture;
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].expected, Box(cases[i].buttons)) << "box " << i;

    // The list is read once; a restart reads it afresh.
    test::ScopedEnv changed("KV_ANSWERS", "yes");
    EXPECT_EQ(Answer::kNo, Box(Buttons::kYesNo));
    desktop::RestartAnswers();
    EXPECT_EQ(Answer::kYes, Box(Buttons::kYesNo));
    EXPECT_EQ(std::string::npos, capture.Text().find("[answers]")) << capture.Text();
}

TEST_F(MessageBoxTest, WithoutAnswersTakesTheCautiousOne) {
    struct Case {
        Buttons buttons;
        Answer expected;
        const char* echo;
    };
    const Case cases[] = {
        {Buttons::kOk, Answer::kOk, "[message box] Caption: Text -> OK\n"},
        {Buttons::kOkCancel, Answer::kCancel, "[message box] Caption: Text -> Cancel\n"},
        {Buttons::kYesNo, Answer::kNo, "[message box] Caption: Text -> No\n"},
        {Buttons::kYesNoCancel, Answer::kCancel, "[message box] Caption: Text -> Cancel\n"},
    };
    for (const Case& c : cases) {
        test::StderrCapture capture;
        EXPECT_EQ(c.expected, Box(c.buttons));
        EXPECT_EQ(c.echo, capture.Text());
    }
}

TEST_F(MessageBoxTest, AnAnswerThatDoesNotFitIsUsedUpAndTheCautiousOneTaken) {
    struct Case {
        const char* answer;
        Buttons buttons;
        Answer expected;
        const char* note;
    };
    const Case cases[] = {
        {"yes", Buttons::kOk, Answer::kOk,
         "[answers] \"yes\" (KV_ANSWERS item 1) does not fit an OK box: taking OK\n"},
        {"OK", Buttons::kYesNo, Answer::kNo,
         "[answers] \"OK\" (KV_ANSWERS item 1) does not fit a Yes/No box: taking No\n"},
        {"no", Buttons::kOkCancel, Answer::kCancel,
         "[answers] \"no\" (KV_ANSWERS item 1) does not fit an OK/Cancel box: taking Cancel\n"},
        {"pick:2", Buttons::kYesNoCancel, Answer::kCancel,
         "[answers] \"pick:2\" (KV_ANSWERS item 1) does not fit a Yes/No/Cancel box: taking "
         "Cancel\n"},
        {"maybe", Buttons::kYesNo, Answer::kNo,
         "[answers] \"maybe\" (KV_ANSWERS item 1) does not fit a Yes/No box: taking No\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        UseAnswers(std::string(c.answer) + ",yes");
        test::StderrCapture capture;
        EXPECT_EQ(c.expected, Box(c.buttons));
        const std::string text = capture.Text();
        EXPECT_EQ(0u, text.find(c.note)) << text;
        // The misfit was used up: the next box takes the next answer.
        EXPECT_EQ(Answer::kYes, Box(Buttons::kYesNo));
    }
}

TEST_F(MessageBoxTest, EchoesCaptionTextAndAnswerOnOneLine) {
    UseAnswers("no");
    test::StderrCapture capture;
    EXPECT_EQ(Answer::kNo, Box(Buttons::kYesNoCancel,
                               "Delete 3 records?\r\nThey were archived.\nReally?\r", "Journal"));
    EXPECT_EQ("[message box] Journal: Delete 3 records?\\nThey were archived.\\nReally?\\n -> No\n",
              capture.Text());
}

// The answers are the process's: a conduit module loaded at run time takes
// the next one after the host's.
TEST_F(MessageBoxTest, AConduitModuleTakesTheNextAnswerOfTheSameList) {
    UseAnswers("yes,no,cancel,yes");
    os::ModuleHandle module =
        os::LoadModule((std::string(KV_TEST_CONDUIT_DIR) + "/KvTestConduit.dll").c_str());
    ASSERT_NE(nullptr, module);
    auto configure =
        reinterpret_cast<ConfigureConduit_fn>(os::FindSymbol(module, kConfigureConduitExport));
    ASSERT_NE(nullptr, configure);

    test::StderrCapture capture;
    EXPECT_EQ(Answer::kYes, Box(Buttons::kYesNo));
    SyncPreference preference{};
    preference.scope = 77;
    preference.sync_type = kSyncTypeDoNothing;
    EXPECT_EQ(0, configure(&preference));  // "no"
    EXPECT_EQ(0, preference.scope);
    EXPECT_EQ(kSyncTypeDesktopOverwritesHandheld, preference.sync_type);
    EXPECT_EQ(kConfigureCancelled, configure(&preference));  // "cancel"
    EXPECT_EQ(0, configure(&preference));                    // "yes"
    EXPECT_EQ(kSyncTypeDoNothing, preference.sync_type);
    EXPECT_EQ(Answer::kCancel, Box(Buttons::kOkCancel));  // used up: cautious
    os::FreeModule(module);

    const std::string asked =
        "[message box] Test Conduit: Leave the handheld as it is at the next HotSync?\\nNo: the "
        "desktop overwrites it. -> ";
    EXPECT_EQ("[message box] Caption: Text -> Yes\n" + asked + "No\n" + asked + "Cancel\n" + asked +
                  "Yes\n[message box] Caption: Text -> Cancel\n",
              capture.Text());
}

}  // namespace
}  // namespace kv
