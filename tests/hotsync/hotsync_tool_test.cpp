// hotsync as a person runs it: the built tool, loading the test conduits
// from their folder, against a practice and a handheld directory in a
// temporary directory.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace kv {
namespace {

using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

size_t Find(const std::string& text, const std::string& part) {
    const size_t at = text.find(part);
    EXPECT_NE(std::string::npos, at) << "missing: " << part << "\nin:\n" << text;
    return at;
}

class HotSyncToolTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(practice_); }

    // Runs hotsync with args; env holds further NAME=value words.
    RunResult HotSync(const std::string& args, const std::string& env = "") {
        const std::string command =
            "env -u KV_ANSWERS -u KV_TODAY -u KV_TEST_CONDUIT_ASK KV_CONDUIT_DIR=" +
            Quote(conduit_dir_) + " KV_NOW=14:02:11 " + env + " " + HOTSYNC_PATH + " " + args +
            " </dev/null 2>" + Quote(dir_.File("stderr"));
        RunResult result{-1, {}, {}};
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return result;
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            result.out.append(buffer.data(), n);
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = ReadTextFile(dir_.File("stderr"));
        return result;
    }

    std::string Sync(const std::string& more) {
        return "sync --practice " + Quote(practice_) + " --handheld " + Quote(handheld_) +
               " --today 2024-03-05 " + more;
    }

    // The entries and outcome a test conduit prints when it runs well.
    std::string RanWell(const std::string& name, const std::string& title, int sync_type,
                        int common_inits, const std::string& user) {
        const std::string p = "  " + name + ": ";
        const std::string action =
            sync_type == 6 ? "6 (Do Nothing)" : "3 (Desktop overwrites Handheld)";
        std::string text = p + "started\n" + p + "sync type " + std::to_string(sync_type) +
                           ", user \"" + user + "\", handheld " + handheld_ + "\n" + p +
                           "common library initialised " + std::to_string(common_inits) +
                           " time(s)\n";
        if (sync_type != 6) {
            text += p + "[14:02:11] records sent: 2\n" + std::string(p.size(), ' ') +
                    "records read back: 0\n";
        }
        return text + p + title + " synchronized successfully\n  " + name + " => OK; sync action " +
               action + "\n";
    }

    TempDir dir_;
    std::string practice_ = dir_.File("practice");
    std::string handheld_ = dir_.File("handheld");
    std::string conduit_dir_ = KV_TEST_CONDUIT_DIR;
};

TEST_F(HotSyncToolTest, SyncRunsTheConduitsInOrderAndPrintsTheLog) {
    RunResult r = HotSync(Sync("--user 'Dr. Ames' --conduit KvTestConduit --conduit KvTestSecond"));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("HotSync started 2024-03-05 14:02:11 for \"Dr. Ames\"\n" +
                  RanWell("KvTestConduit", "Test Conduit", 3, 1, "Dr. Ames") +
                  RanWell("KvTestSecond", "Second Test Conduit", 3, 2, "Dr. Ames") +
                  "HotSync finished: 2 of 2 conduits OK\n",
              r.out);
    EXPECT_EQ("", r.err);
}

TEST_F(HotSyncToolTest, SyncSetsUpThePracticeHandheldAndDayForTheConduits) {
    RunResult r = HotSync(Sync("--conduit KvTestConduit"), "KV_TEST_CONDUIT_SHOW_ENV=1");
    EXPECT_EQ(0, r.status) << r.err;
    Find(r.out, "  KvTestConduit: KV_REGISTRY=" + practice_ + "/registry.ini KV_WINDIR=" +
                    practice_ + "/windows KV_HANDHELD=" + handheld_ + " KV_TODAY=2024-03-05\n");
}

TEST_F(HotSyncToolTest, ExitStatusIsZeroOnlyWhenEveryConduitAnswersZero) {
    struct Case {
        const char* env;
        int status;
        const char* outcome;
        const char* finished;
    };
    const Case cases[] = {
        {"", 0, "  KvTestSecond => OK", "HotSync finished: 2 of 2 conduits OK\n"},
        {"KV_TEST_RESULT_KvTestSecond=16385", 1,
         "  KvTestSecond: error: asked to fail with 16385\n"
         "  KvTestSecond: Second Test Conduit aborted\n"
         "  KvTestSecond => FAILED: OpenConduit answered 16385 (0x4001); sync action 3 (Desktop "
         "overwrites Handheld)\n",
         "HotSync finished: 1 of 2 conduits OK\n"},
        {"KV_TEST_RESULT_KvTestConduit=-1", 1,
         "  KvTestConduit => FAILED: OpenConduit answered -1 (0xFFFFFFFF)",
         "HotSync finished: 1 of 2 conduits OK\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.env);
        RunResult r = HotSync(Sync("--conduit KvTestConduit --conduit KvTestSecond"), c.env);
        EXPECT_EQ(c.status, r.status) << r.out << r.err;
        Find(r.out, c.outcome);
        Find(r.out, c.finished);
        // The run goes on after a failing conduit.
        Find(r.out, "  KvTestSecond: started\n");
    }
}

TEST_F(HotSyncToolTest, AConduitThatCannotBeLoadedOrLacksAnExportIsReportedAndTheRunGoesOn) {
    RunResult r =
        HotSync(Sync("--conduit KvNoSuchConduit --conduit KvTestPartial --conduit KvTestConduit"));
    EXPECT_EQ(1, r.status);
    const size_t missing = Find(r.out, "  KvNoSuchConduit => NOT RUN: cannot load " + conduit_dir_ +
                                           "/KvNoSuchConduit.so (error 126: module not found)\n");
    const size_t partial = Find(r.out, "  KvTestPartial => NOT RUN: " + conduit_dir_ +
                                           "/KvTestPartial.so lacks exports GetConduitInfo, "
                                           "ConfigureConduit\n");
    const size_t ran = Find(r.out, "  KvTestConduit => OK");
    EXPECT_LT(missing, partial);
    EXPECT_LT(partial, ran);
    Find(r.out, "HotSync finished: 1 of 3 conduits OK\n");
}

TEST_F(HotSyncToolTest, WithoutConduitOptionsTheFourConduitsRunInTheirOrder) {
    // Two of the four present, as copies of a test conduit.
    TempDir conduits;
    for (const char* name : {"KvrRXC", "KvrALC"})
        std::filesystem::copy_file(conduit_dir_ + "/KvTestConduit.so",
                                   conduits.File(std::string(name) + ".so"));
    conduit_dir_ = conduits.path();

    RunResult r = HotSync(Sync(""));
    EXPECT_EQ(1, r.status);
    const char* order[] = {
        "  KvrALC => OK",
        "  KvrOJC => NOT RUN: cannot load ",
        "  KvrPVC => NOT RUN: cannot load ",
        "  KvrRXC => OK",
        "HotSync finished: 2 of 4 conduits OK\n",
    };
    size_t last = 0;
    for (const char* line : order) {
        const size_t at = Find(r.out, line);
        EXPECT_LT(last, at) << line;
        last = at;
    }
    Find(r.out, "  KvrRXC: started\n");
}

TEST_F(HotSyncToolTest, ConfigureKeepsTheChosenActionForTheNextSync) {
    const std::string configure = "configure KvTestConduit --handheld " + Quote(handheld_);
    const std::string ini = handheld_ + "/hotsync.ini";

    RunResult r = HotSync(configure + " --answers yes");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("KvTestConduit: sync action 6 (Do Nothing), kept in " + ini + "\n", r.out);
    Find(r.err,
         "[message box] Test Conduit: Leave the handheld as it is at the next "
         "HotSync?\\nNo: the desktop overwrites it. -> Yes\n");
    EXPECT_EQ("[SyncActions]\nKvTestConduit=6\n", ReadTextFile(ini));

    r = HotSync(Sync("--user 'Dr. Ames' --conduit KvTestConduit --conduit KvTestSecond"));
    EXPECT_EQ(0, r.status) << r.err;
    Find(r.out, RanWell("KvTestConduit", "Test Conduit", 6, 1, "Dr. Ames"));
    Find(r.out, RanWell("KvTestSecond", "Second Test Conduit", 3, 2, "Dr. Ames"));

    struct Case {
        const char* answers;
        const char* out;
        const char* kept;
    };
    const Case cases[] = {
        {" --answers cancel", "KvTestConduit: configuration cancelled; nothing kept\n", "6"},
        {"", "KvTestConduit: configuration cancelled; nothing kept\n", "6"},  // cautious
        {" --answers pick:1", "KvTestConduit: configuration cancelled; nothing kept\n", "6"},
        {" --answers no", nullptr, "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        r = HotSync(configure + c.answers);
        EXPECT_EQ(0, r.status) << r.err;
        if (c.out) {
            EXPECT_EQ(c.out, r.out);
        }
        EXPECT_EQ(std::string("[SyncActions]\nKvTestConduit=") + c.kept + "\n", ReadTextFile(ini));
    }
    EXPECT_EQ("KvTestConduit: sync action 3 (Desktop overwrites Handheld), kept in " + ini + "\n",
              r.out);

    r = HotSync("configure KvTestPartial --handheld " + Quote(handheld_));
    EXPECT_EQ(1, r.status);
    Find(r.err, "KvTestPartial.so lacks exports GetConduitInfo, ConfigureConduit");
}

TEST_F(HotSyncToolTest, InfoPrintsWhatTheConduitAnswers) {
    RunResult r = HotSync("info KvTestConduit");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("Conduit module:                  " + conduit_dir_ +
                  "/KvTestConduit.so\n"
                  "GetConduitName:                  \"Test Conduit\"\n"
                  "GetConduitVersion:               0x101\n"
                  "GetConduitInfo 0 (name):         \"Test Conduit (HotSync)\"\n"
                  "GetConduitInfo 1 (value):        0x00000600 (1536)\n"
                  "GetConduitInfo 2 (sync action):  3 (Desktop overwrites Handheld)\n",
              r.out);

    r = HotSync("info KvNoSuchConduit");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("hotsync: cannot load " + conduit_dir_ +
                  "/KvNoSuchConduit.so (error 126: module not found)\n",
              r.err);
}

TEST_F(HotSyncToolTest, TheUserNameGoesToTheHandheldAndToTheConduits) {
    WriteTextFile(handheld_ + "/user.txt", "Old Name\nmore the handheld keeps\n");
    RunResult r = HotSync(Sync("--user 'Dr. Ames' --conduit KvTestConduit"));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("Dr. Ames\nmore the handheld keeps\n", ReadTextFile(handheld_ + "/user.txt"));

    // Without --user the name comes from the handheld.
    r = HotSync(Sync("--conduit KvTestConduit"));
    EXPECT_EQ(0, r.status) << r.err;
    Find(r.out, "HotSync started 2024-03-05 14:02:11 for \"Dr. Ames\"\n");
    Find(r.out, "sync type 3, user \"Dr. Ames\"");
}

// Every module of the run takes the next answer of the one list.
TEST_F(HotSyncToolTest, ConduitsTakeTheAnswersInTurn) {
    RunResult r = HotSync(Sync("--conduit KvTestConduit --conduit KvTestSecond --answers yes,no"),
                          "KV_TEST_CONDUIT_ASK=1");
    EXPECT_EQ(0, r.status) << r.err;
    Find(r.out, "  KvTestConduit: answer Yes\n");
    Find(r.out, "  KvTestSecond: answer No\n");
    EXPECT_EQ(
        "[message box] Test Conduit: Send everything again? -> Yes\n"
        "[message box] Second Test Conduit: Send everything again? -> No\n",
        r.err);
}

TEST_F(HotSyncToolTest, RefusesOptionsItCannotUse) {
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"sync --practice " + Quote(practice_) + " --handheld " + Quote(handheld_) +
             " --today 2024-02-30",
         "hotsync: --today wants a date YYYY-MM-DD, not 2024-02-30\n"},
        {"sync --practice " + Quote(dir_.File("none")) + " --handheld " + Quote(handheld_),
         "hotsync: " + dir_.File("none") + " is not a directory (a practice installation)\n"},
        {Sync("--user " + Quote("two\nlines")), "hotsync: a HotSync user name is one line\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        RunResult r = HotSync(c.args);
        EXPECT_EQ(1, r.status);
        EXPECT_EQ(c.message, r.err);
        EXPECT_EQ("", r.out);
    }
    EXPECT_NE(0, HotSync("sync --handheld " + Quote(handheld_)).status);  // no practice
    EXPECT_NE(0, HotSync("").status);                                     // no command
}

}  // namespace
}  // namespace kv
