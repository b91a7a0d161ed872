// The Sync Manager stand-in across processes: exclusive open, a process that
// dies with a database open, and faults planned through the environment.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "emulation/handheld/handheld_device.h"
#include "handheld/sync_fixture.h"

namespace kv::test {
namespace {

// A forked child running body, with a pipe each way for one-byte signals.
// The destructor closes the parent's ends (so a waiting child goes on) and
// reaps the child.
class Child {
  public:
    explicit Child(const std::function<int(Child&)>& body) {
        if (::pipe(up_) != 0 || ::pipe(down_) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up_[0]);
            ::close(down_[1]);
            ::_exit(body(*this));
        }
        ::close(up_[1]);
        ::close(down_[0]);
    }
    ~Child() { Wait(); }

    bool started() const { return pid_ > 0; }
    // Parent side.
    char Receive() { return ReadByte(up_[0]); }
    void Send(char c) { WriteByte(down_[1], c); }
    void Kill() { ::kill(pid_, SIGKILL); }
    // The child's exit status, -1 when it did not exit normally.
    int Wait() {
        if (down_[1] >= 0) ::close(down_[1]);
        down_[1] = -1;
        if (up_[0] >= 0) ::close(up_[0]);
        up_[0] = -1;
        if (pid_ <= 0) return status_;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = 0;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }
    // Child side.
    void Tell(char c) { WriteByte(up_[1], c); }
    char Await() { return ReadByte(down_[0]); }

  private:
    static char ReadByte(int fd) {
        char c = 0;
        return ::read(fd, &c, 1) == 1 ? c : 0;
    }
    static void WriteByte(int fd, char c) {
        if (::write(fd, &c, 1) != 1) std::abort();
    }

    int up_[2] = {-1, -1};
    int down_[2] = {-1, -1};
    pid_t pid_ = -1;
    int status_ = -1;
};

TEST_F(SyncTest, OpenInAnotherProcessIsRefusedUntilItCloses) {
    PutOnDisk(NumberedDatabase("Memo", 1));
    Child child([](Child& self) {
        SyncDatabase db = 0;
        int32_t rc = SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive);
        self.Tell(rc == 0 ? 'o' : 'x');
        self.Await();
        return rc == 0 && SyncCloseDatabase(db) == 0 ? 0 : 1;
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ('o', child.Receive());
    SyncDatabase db = 0;
    EXPECT_EQ(kSyncErrAlreadyOpen, SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive));
    SyncDatabaseSpec spec{};
    std::strcpy(spec.name, "Memo");
    EXPECT_EQ(kSyncErrAlreadyOpen, SyncCreateDatabase(&spec));
    child.Send('g');
    EXPECT_EQ(0, child.Wait());
    Close(Open("Memo"));
}

TEST_F(SyncTest, OpenHeldHereIsRefusedInAnotherProcess) {
    PutOnDisk(NumberedDatabase("Memo", 1));
    SyncDatabase mine = Open("Memo");
    Child child([](Child&) {
        // The forked copy of this process's handle does not count as its own.
        SyncDatabase db = 0;
        return SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive) == kSyncErrAlreadyOpen
                   ? 0
                   : 1;
    });
    EXPECT_EQ(0, child.Wait());
    EXPECT_EQ(0, Close(mine));
}

TEST_F(SyncTest, ProcessKilledWithDatabasesOpenLeavesTheFilesAsTheyWere) {
    PutOnDisk(NumberedDatabase("Memo", 3));
    const std::string before = Bytes("Memo");
    Child child([](Child& self) -> int {
        SyncDatabase memo = 0;
        SyncDatabaseSpec spec{};
        std::strcpy(spec.name, "New");
        uint8_t byte = 1;
        SyncRecord r{};
        r.buffer = &byte;
        r.record_size = 1;
        bool ok = SyncOpenDatabase("Memo", 0, &memo, kSyncOpenReadWriteExclusive) == 0 &&
                  SyncCreateDatabase(&spec) == 0;
        r.database = memo;
        ok = ok && SyncWriteRecord(&r) == 0 && SyncWriteAppInfoBlock(memo, &byte, 1) == 0;
        r.database = spec.database;
        r.record_id = 0;
        ok = ok && SyncWriteRecord(&r) == 0;
        self.Tell(ok ? 'w' : 'x');
        for (;;) ::pause();
    });
    ASSERT_TRUE(child.started());
    EXPECT_EQ('w', child.Receive());
    child.Kill();
    EXPECT_EQ(-1, child.Wait());

    EXPECT_EQ(before, Bytes("Memo"));
    EXPECT_FALSE(FileExists(Path("New")));
    EXPECT_EQ(std::vector<std::string>{"Memo"},
              handheld::HandheldDevice(dir_.path()).DatabaseNames());
    Close(Open("Memo"));  // the locks died with the process
    Close(Create("New"));
}

TEST_F(SyncTest, PlannedFaultFailsTheNthCallAndDoesNothing) {
    SyncDatabase db = Create("Memo");
    ASSERT_EQ(0, SyncStandInFailOperation("SyncWriteRecord", kSyncErrWrite, 2));
    Add(db, {1});
    uint8_t byte = 2;
    SyncRecord r{};
    r.database = db;
    r.buffer = &byte;
    r.record_size = 1;
    EXPECT_EQ(kSyncErrWrite, SyncWriteRecord(&r));
    EXPECT_EQ(0u, r.record_id);
    EXPECT_EQ(1, Count(db));
    EXPECT_EQ(0, SyncWriteRecord(&r));
    EXPECT_EQ(2, Count(db));
}

TEST_F(SyncTest, FailedCloseLeavesTheDatabaseOpenAndItsFileAlone) {
    PutOnDisk(NumberedDatabase("Memo", 1));
    const std::string before = Bytes("Memo");
    SyncDatabase db = Open("Memo");
    Add(db, {7});
    ASSERT_EQ(0, SyncStandInFailOperation("SyncCloseDatabase", 0x4003, 1));
    EXPECT_EQ(0x4003, SyncCloseDatabase(db));
    EXPECT_EQ(before, Bytes("Memo"));
    EXPECT_EQ(2, Count(db));
    EXPECT_EQ(0, Close(db));
    EXPECT_EQ(2u, OnDisk("Memo").records.size());
}

TEST_F(SyncTest, FaultedOpenAndRegisterTakeNothing) {
    PutOnDisk(NumberedDatabase("Memo", 1));
    ASSERT_EQ(0, SyncStandInFailOperation("SyncOpenDatabase", kSyncErrNotFound, 1));
    ASSERT_EQ(0, SyncStandInFailOperation("SyncRegister", kSyncErrGeneral, 2));  // 1: SetUp
    SyncDatabase db = 0;
    EXPECT_EQ(kSyncErrNotFound, SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive));
    EXPECT_EQ(0, db);
    Close(Open("Memo"));  // no lock was left behind
    SyncConduitHandle handle = 77;
    EXPECT_EQ(kSyncErrGeneral, SyncRegister(&handle));
    EXPECT_EQ(77u, handle);
}

TEST_F(SyncTest, ResetForgetsFaultsAndCounts) {
    SyncDatabase db = Create("Memo");
    uint16_t count = 0;
    ASSERT_EQ(0, SyncStandInFailOperation("SyncGetDBRecordCount", 0x4001, 1));
    SyncStandInResetFaults();
    EXPECT_EQ(0, SyncGetDBRecordCount(db, &count));
    EXPECT_EQ(0, SyncGetDBRecordCount(db, &count));
    SyncStandInResetFaults();
    ASSERT_EQ(0, SyncStandInFailOperation("SyncGetDBRecordCount", 0x4001, 1));
    EXPECT_EQ(0x4001, SyncGetDBRecordCount(db, &count));
}

TEST(SyncFaults, RefusesFaultsThatCannotHappen) {
    EXPECT_EQ(kSyncErrBadArgument, SyncStandInFailOperation(nullptr, 1, 1));
    EXPECT_EQ(kSyncErrBadArgument, SyncStandInFailOperation("SyncHostToHHWord", 1, 1));
    EXPECT_EQ(kSyncErrBadArgument, SyncStandInFailOperation("SyncWriteRecord", 0, 1));
    EXPECT_EQ(kSyncErrBadArgument, SyncStandInFailOperation("SyncWriteRecord", 1, 0));
    SyncStandInResetFaults();
}

constexpr const char* kEnvironmentChild = "KV_SYNC_FAULTS_TEST_CHILD";

TEST(SyncFaultsFromEnvironment, PlannedWhenTheLibraryLoads) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(handheld::WritePdbFile(dir.File("Memo.pdb"), NumberedDatabase("Memo", 1), &error));
    const std::string log = dir.File("child.log");
    Child child([&](Child&) {
        ::setenv("KV_HANDHELD", dir.path().c_str(), 1);
        ::setenv("KV_SYNC_FAULTS",
                 "SyncOpenDatabase:0x4001:2,SyncWriteRecord:16398:1,Bogus:1:1,"
                 "SyncCloseDatabase:1:1",
                 1);
        ::setenv(kEnvironmentChild, "1", 1);
        int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::execl("/proc/self/exe", "/proc/self/exe", "--gtest_filter=SyncFaultsEnvironmentChild.*",
                static_cast<char*>(nullptr));
        return 127;
    });
    const std::string output = (child.Wait(), ReadTextFile(log));
    ASSERT_TRUE(output.find("[  PASSED  ] 1 test") != std::string::npos) << output;
    EXPECT_NE(std::string::npos, output.find("sync20: KV_SYNC_FAULTS: bad fault \"Bogus:1:1\""))
        << output;
}

// Runs only as the child of the test above.
TEST(SyncFaultsEnvironmentChild, SeesTheFaultsPlannedBeforeItsFirstCall) {
    if (!std::getenv(kEnvironmentChild)) GTEST_SKIP() << "runs in a child process only";
    SyncConduitHandle conduit = 0;
    ASSERT_EQ(0, SyncRegister(&conduit));
    SyncDatabase db = 0;
    ASSERT_EQ(0, SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive));
    EXPECT_EQ(0, SyncCloseDatabase(db));  // listed after the bad entry: not planned
    EXPECT_EQ(0x4001, SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive));
    ASSERT_EQ(0, SyncOpenDatabase("Memo", 0, &db, kSyncOpenReadWriteExclusive));
    uint8_t byte = 1;
    SyncRecord r{};
    r.database = db;
    r.buffer = &byte;
    r.record_size = 1;
    EXPECT_EQ(16398, SyncWriteRecord(&r));
    EXPECT_EQ(0, SyncWriteRecord(&r));
    EXPECT_EQ(0, SyncCloseDatabase(db));
    EXPECT_EQ(0, SyncUnregister(conduit));
}

}  // namespace
}  // namespace kv::test
