// The world of the practice utility library's tests: kvr32sm loaded by path
// from the build as the conduits load it, its entry points looked up by name,
// a practice installation in a temporary directory, guarded caller buffers.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "emulation/practice/practice_date.h"
#include "platform/byte_order.h"
#include "platform/posix/desktop_answers.h"
#include "platform/practice_utilities_api.h"
#include "support/practice_fixture.h"

namespace kv {

using practice::DateNumber;
using test::PracticeInstallation;
using test::PracticeModule;
using test::ReadTextFile;
using test::ScopedEnv;
using test::WriteTextFile;

constexpr const char* kEntryPoints[] = {"KVR_DateIn",
                                        "KVR_DateOut",
                                        "KVR_SysDate",
                                        "KVR_SysTime",
                                        "KVR_FormatNDate2000",
                                        "KVR_fmtDateString2000",
                                        "KVR_week_day",
                                        "KVR_month_len",
                                        "KVR_FormatPhone",
                                        "KVR_FormatSS",
                                        "KVR_CheckForPatientPrivatePhone",
                                        "KVR_CheckForPrivatePhone",
                                        "KVR_GetPrivateInfInt",
                                        "KVR_GetPrivateInfString",
                                        "KVR_WritePrivateInfInt",
                                        "KVR_WritePrivateInfString",
                                        "KVR_GetPrivateProfileString",
                                        "KVR_Message",
                                        "KVR_PackName"};

// A caller's buffer of a stated size with guard bytes on both sides; a call
// that writes outside the buffer spoils a guard.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(size_t size = 20) : bytes_(size + 2 * kGuard, kFill), size_(size) {}

    char* data() { return bytes_.data() + kGuard; }
    int size() const { return static_cast<int>(size_); }
    // The text written, which must end inside the buffer.
    std::string text() const {
        const char* begin = bytes_.data() + kGuard;
        const void* end = std::memchr(begin, 0, size_);
        return end ? std::string(begin, static_cast<const char*>(end)) : "<unterminated>";
    }
    bool GuardsIntact() const { return Filled(0, kGuard) && Filled(kGuard + size_, kGuard); }
    bool Untouched() const { return Filled(0, bytes_.size()); }

  private:
    static constexpr size_t kGuard = 16;
    static constexpr char kFill = '#';

    bool Filled(size_t from, size_t count) const {
        for (size_t i = from; i < from + count; ++i)
            if (bytes_[i] != kFill) return false;
        return true;
    }

    std::vector<char> bytes_;
    size_t size_;
};

class Kvr32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(module_.loaded()) << "kvr32sm not found in " << test::PracticeLibraryDir();
    }

    template <typename F>
    F Entry(const char* name) {
        F entry = module_.Get<F>(name);
        EXPECT_NE(nullptr, entry) << name;
        return entry;
    }

    void AddPatient(int32_t id, uint8_t privacy) {
        std::vector<uint8_t> record(558, 0);
        StoreLE32(&record[2], static_cast<uint32_t>(id));
        std::memcpy(&record[10], "Patient", 7);
        record[519] = privacy;
        auto store = install_.OpenStore();
        ASSERT_NE(nullptr, store);
        ASSERT_TRUE(store->Add(18, record, nullptr));
    }

    PracticeInstallation install_;
    PracticeModule module_{"kvr32sm"};
};

}  // namespace kv
