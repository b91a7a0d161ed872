// The practice utility library as the conduits meet it: kvr32sm loaded by
// path from the build, its entry points looked up by name.
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
namespace {

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

TEST_F(Kvr32Test, BothModulesExportEveryEntryPoint) {
    PracticeModule setup_library("kvr32");
    ASSERT_TRUE(setup_library.loaded());
    for (const char* name : kEntryPoints) {
        EXPECT_NE(nullptr, module_.Get<void*>(name)) << "kvr32sm " << name;
        EXPECT_NE(nullptr, setup_library.Get<void*>(name)) << "kvr32 " << name;
    }
}

// ---- Dates ----

TEST_F(Kvr32Test, DatesInAndOutFollowThePracticeCalendar) {
    auto date_in = Entry<KVR_DateIn_fn>("KVR_DateIn");
    auto date_out = Entry<KVR_DateOut_fn>("KVR_DateOut");
    ASSERT_TRUE(date_in && date_out);

    EXPECT_EQ(DateNumber(2006, 1, 3), date_in(2006, 1, 3));
    EXPECT_EQ(date_in(2006, 3, 1) - 1, date_in(2006, 2, 28));
    EXPECT_EQ(0, date_in(2005, 2, 29));
    EXPECT_EQ(0, date_in(2006, 13, 1));

    int16_t year = -1, month = -1, day = -1;
    date_out(date_in(2004, 2, 29), &year, &month, &day);
    EXPECT_EQ(2004, year);
    EXPECT_EQ(2, month);
    EXPECT_EQ(29, day);
    for (int32_t bad : {0, -7, 3000000}) {
        year = month = day = -1;
        date_out(bad, &year, &month, &day);
        EXPECT_EQ(0, year + month + day) << bad;
        EXPECT_EQ(0, year) << bad;
    }
    date_out(date_in(2006, 1, 3), nullptr, &month, nullptr);  // pointers may be missing
    EXPECT_EQ(1, month);
}

TEST_F(Kvr32Test, WeekDaysAndMonthLengths) {
    auto week_day = Entry<KVR_week_day_fn>("KVR_week_day");
    auto month_len = Entry<KVR_month_len_fn>("KVR_month_len");
    ASSERT_TRUE(week_day && month_len);
    EXPECT_EQ(3, week_day(2006, 1, 3));
    EXPECT_EQ(7, week_day(2000, 1, 1));
    EXPECT_EQ(1, week_day(2006, 1, 1));
    EXPECT_EQ(0, week_day(2006, 2, 29));
    EXPECT_EQ(29, month_len(2000, 2));
    EXPECT_EQ(28, month_len(1900, 2));
    EXPECT_EQ(30, month_len(2006, 4));
    EXPECT_EQ(31, month_len(2006, 12));
    EXPECT_EQ(0, month_len(2006, 13));
}

// ---- Clock ----

int32_t ClockToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return DateNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

bool LooksLikeTime(const std::string& text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
    for (size_t i : {0, 1, 3, 4, 6, 7})
        if (text[i] < '0' || text[i] > '9') return false;
    return text.substr(0, 2) <= "23" && text.substr(3, 2) <= "59" && text.substr(6, 2) <= "59";
}

TEST_F(Kvr32Test, TodayAndTimeComeFromTheEnvironmentWhenSet) {
    auto sys_date = Entry<KVR_SysDate_fn>("KVR_SysDate");
    auto sys_time = Entry<KVR_SysTime_fn>("KVR_SysTime");
    ASSERT_TRUE(sys_date && sys_time);
    ScopedEnv today("KV_TODAY", "2006-01-03");
    ScopedEnv now("KV_NOW", "07:05:09");

    EXPECT_EQ(DateNumber(2006, 1, 3), sys_date(nullptr, nullptr));
    GuardedBuffer text(kKvrTimeTextSize);
    EXPECT_EQ(8, sys_time(nullptr, text.data()));
    EXPECT_EQ("07:05:09", text.text());
    EXPECT_TRUE(text.GuardsIntact());
    EXPECT_EQ(0, sys_time(nullptr, nullptr));
}

TEST_F(Kvr32Test, BadOrMissingEnvironmentFallsBackToTheClock) {
    auto sys_date = Entry<KVR_SysDate_fn>("KVR_SysDate");
    auto sys_time = Entry<KVR_SysTime_fn>("KVR_SysTime");
    ASSERT_TRUE(sys_date && sys_time);
    for (const char* bad_date : {"2006-02-30", "01/03/2006", ""}) {
        ScopedEnv today("KV_TODAY", bad_date);
        const int32_t before = ClockToday();
        const int32_t answer = sys_date(nullptr, nullptr);
        const int32_t after = ClockToday();  // the day may turn during the call
        EXPECT_TRUE(answer == before || answer == after) << bad_date;
    }
    for (const char* bad_time : {"24:00:00", "7:05:09", "07:60:00", "noon"}) {
        ScopedEnv now("KV_NOW", bad_time);
        GuardedBuffer text(kKvrTimeTextSize);
        EXPECT_EQ(8, sys_time(nullptr, text.data())) << bad_time;
        EXPECT_TRUE(LooksLikeTime(text.text())) << text.text();
        EXPECT_NE(bad_time, text.text());
    }
}

// ---- Display texts ----

TEST_F(Kvr32Test, DateTextsAreMonthDayYear) {
    auto format_date = Entry<KVR_FormatNDate2000_fn>("KVR_FormatNDate2000");
    auto format_compact = Entry<KVR_fmtDateString2000_fn>("KVR_fmtDateString2000");
    ASSERT_TRUE(format_date && format_compact);

    struct DateCase {
        int32_t date;
        const char* text;
    };
    for (const DateCase& c :
         {DateCase{DateNumber(2006, 1, 3), "01/03/2006"},
          DateCase{DateNumber(9999, 12, 31), "12/31/9999"}, DateCase{1, "01/01/1800"},
          DateCase{0, ""}, DateCase{-1, ""}, DateCase{3000000, ""}}) {
        GuardedBuffer text(kKvrDateTextSize);
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)), format_date(text.data(), c.date));
        EXPECT_EQ(c.text, text.text()) << c.date;
        EXPECT_TRUE(text.GuardsIntact());
    }

    struct CompactCase {
        const char* input;
        const char* text;
    };
    for (const CompactCase& c :
         {CompactCase{"20060103", "01/03/2006"}, CompactCase{"20000229", "02/29/2000"},
          CompactCase{"20060103trailing", "01/03/2006"}, CompactCase{"20050229", ""},
          CompactCase{"20061301", ""}, CompactCase{"2006013", ""}, CompactCase{"2006-1-3", ""},
          CompactCase{"", ""}}) {
        GuardedBuffer text(kKvrDateTextSize);
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)),
                  format_compact(text.data(), c.input, 1, 0, 0, 0));
        EXPECT_EQ(c.text, text.text()) << c.input;
        EXPECT_TRUE(text.GuardsIntact());
    }
    const char unterminated[8] = {'2', '0', '0', '6', '0', '1', '0', '3'};
    GuardedBuffer text(kKvrDateTextSize);
    EXPECT_EQ(10, format_compact(text.data(), unterminated, 1, 0, 0, 0));
    EXPECT_EQ("01/03/2006", text.text());
    EXPECT_EQ(0, format_compact(text.data(), nullptr, 1, 0, 0, 0));
}

TEST_F(Kvr32Test, PhoneAndSocialSecurityNumbersFormatOnlyWhenAllDigits) {
    auto format_phone = Entry<KVR_FormatPhone_fn>("KVR_FormatPhone");
    auto format_ss = Entry<KVR_FormatSS_fn>("KVR_FormatSS");
    ASSERT_TRUE(format_phone && format_ss);

    struct Case {
        KVR_FormatPhone_fn format;
        const char* stored;
        const char* text;
    };
    for (const Case& c :
         {Case{format_phone, "5551234567", "(555) 123-4567"},
          Case{format_phone, "1234567", "123-4567"}, Case{format_phone, "555-123-4567", ""},
          Case{format_phone, "(555) 123-4567", ""}, Case{format_phone, "555123456", ""},
          Case{format_phone, "12345678", ""}, Case{format_phone, "55512345678", ""},
          Case{format_phone, "", ""}, Case{format_ss, "123456789", "123-45-6789"},
          Case{format_ss, "123-45-6789", ""}, Case{format_ss, "12345678", ""},
          Case{format_ss, "1234567890", ""}, Case{format_ss, "12345678a", ""}}) {
        GuardedBuffer text(kKvrPhoneTextSize);
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)), c.format(text.data(), c.stored))
            << c.stored;
        EXPECT_EQ(c.text, text.text()) << c.stored;
        EXPECT_TRUE(text.GuardsIntact());
    }

    std::vector<char> digits(64, '5');  // no terminator: read no further than 31
    GuardedBuffer text(kKvrPhoneTextSize);
    EXPECT_EQ(0, format_phone(text.data(), digits.data()));
    EXPECT_EQ(0, format_ss(text.data(), digits.data()));
    EXPECT_EQ(0, format_phone(text.data(), nullptr));
    EXPECT_EQ("", text.text());
}

TEST_F(Kvr32Test, NamesPackAsLastFirstMiddleInitial) {
    auto pack = Entry<KVR_PackName_fn>("KVR_PackName");
    ASSERT_TRUE(pack);
    struct Case {
        const char* last;
        const char* first;
        const char* middle;
        int max;
        const char* text;
    };
    for (const Case& c :
         {Case{"Smith", "John", "Q", 41, "Smith, John Q"},
          Case{"Smith", "John", "", 41, "Smith, John"}, Case{"Smith", "", "Q", 41, "Smith"},
          Case{"", "John", "Quincy", 41, "John Q"},
          Case{" Smith ", " John ", " Q", 41, "Smith, John Q"}, Case{"", "", "", 41, ""},
          Case{"Smith", "John", "Q", 8, "Smith, J"}, Case{"Smith", "John", "Q", 0, ""}}) {
        GuardedBuffer text(static_cast<size_t>(c.max) + 1);
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)),
                  pack(text.data(), c.last, c.first, c.middle, c.max));
        EXPECT_EQ(c.text, text.text());
        EXPECT_TRUE(text.GuardsIntact()) << c.text;
    }

    std::vector<char> long_last(100, 'L');  // no terminator: read 64 at most
    GuardedBuffer text(42);
    EXPECT_EQ(41, pack(text.data(), long_last.data(), "John", "Q", 41));
    EXPECT_EQ(std::string(41, 'L'), text.text());
    EXPECT_EQ(0, pack(text.data(), "Smith", "John", "Q", -1));  // no room stated: nothing written
    EXPECT_EQ(std::string(41, 'L'), text.text());
    EXPECT_TRUE(text.GuardsIntact());
}

TEST_F(Kvr32Test, MessageIsShownInAMessageBox) {
    auto message = Entry<KVR_Message_fn>("KVR_Message");
    ASSERT_TRUE(message);
    kv::desktop::AllowTerminalAnswers(false);
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, message(nullptr, 6, 3040, 0, 0, 4096));
    EXPECT_EQ(1, message(nullptr, 6, 17, 0, 0, 4096));
    EXPECT_EQ(
        "[message box] Kalvora Dental Systems: The requested window could not be opened. Please "
        "restart Kalvora and try again. -> OK\n"
        "[message box] Kalvora Dental Systems: Kalvora message 17 -> OK\n",
        testing::internal::GetCapturedStderr());
}

// ---- Withheld phones ----

TEST_F(Kvr32Test, PrivacyByteWithholdsThePhone) {
    auto check = Entry<KVR_CheckForPrivatePhone_fn>("KVR_CheckForPrivatePhone");
    ASSERT_TRUE(check);
    for (uint8_t privacy : {1, 2, 0xff}) {
        GuardedBuffer text(kKvrPrivatePhoneTextSize);
        EXPECT_NE(0, check(privacy, text.data()));
        EXPECT_EQ("Unlisted", text.text());
        EXPECT_TRUE(text.GuardsIntact());
    }
    GuardedBuffer text(kKvrPrivatePhoneTextSize);
    EXPECT_EQ(0, check(0, text.data()));
    EXPECT_EQ("", text.text());
    EXPECT_NE(0, check(1, nullptr));
}

TEST_F(Kvr32Test, PatientRecordWithholdsThePhone) {
    auto check = Entry<KVR_CheckForPatientPrivatePhone_fn>("KVR_CheckForPatientPrivatePhone");
    ASSERT_TRUE(check);
    AddPatient(501, 1);
    AddPatient(502, 0);
    AddPatient(-3, 4);
    AddPatient(0x01020304, 1);

    struct Case {
        int32_t patient;
        bool withheld;
    };
    for (const Case& c : {Case{501, true}, Case{502, false}, Case{-3, true}, Case{0x01020304, true},
                          Case{0x04030201, false}, Case{999, false}, Case{0, false}}) {
        GuardedBuffer text(kKvrPrivatePhoneTextSize);
        EXPECT_EQ(c.withheld, check(c.patient, text.data()) != 0) << c.patient;
        EXPECT_EQ(c.withheld ? "Unlisted" : "", text.text()) << c.patient;
        EXPECT_TRUE(text.GuardsIntact());
    }
}

TEST_F(Kvr32Test, PatientCheckWithoutADatabaseAnswersNotWithheld) {
    auto check = Entry<KVR_CheckForPatientPrivatePhone_fn>("KVR_CheckForPatientPrivatePhone");
    ASSERT_TRUE(check);
    AddPatient(501, 1);
    const std::string empty_dir = install_.root() + "/empty/";
    std::filesystem::create_directories(empty_dir);
    install_.SetRegistry({{"path", empty_dir}});
    install_.SetKalvoraIni({{"path", empty_dir}});
    GuardedBuffer text(kKvrPrivatePhoneTextSize);
    EXPECT_EQ(0, check(501, text.data()));
    EXPECT_EQ("", text.text());
}

// ---- Settings ----

class Kvr32SettingsTest : public Kvr32Test {
  protected:
    void SetUp() override {
        Kvr32Test::SetUp();
        get_int_ = Entry<KVR_GetPrivateInfInt_fn>("KVR_GetPrivateInfInt");
        get_string_ = Entry<KVR_GetPrivateInfString_fn>("KVR_GetPrivateInfString");
        write_int_ = Entry<KVR_WritePrivateInfInt_fn>("KVR_WritePrivateInfInt");
        write_string_ = Entry<KVR_WritePrivateInfString_fn>("KVR_WritePrivateInfString");
        ASSERT_TRUE(get_int_ && get_string_ && write_int_ && write_string_);
    }

    std::string GetString(const char* section, const char* key, const char* default_value) {
        char text[260];
        get_string_(section, key, default_value, text, sizeof text);
        return text;
    }

    KVR_GetPrivateInfInt_fn get_int_ = nullptr;
    KVR_GetPrivateInfString_fn get_string_ = nullptr;
    KVR_WritePrivateInfInt_fn write_int_ = nullptr;
    KVR_WritePrivateInfString_fn write_string_ = nullptr;
};

TEST_F(Kvr32SettingsTest, StoredInTheRegistryDataDirectory) {
    EXPECT_EQ(5, get_int_("KVMOBILE_APPTLIST", "ABCD_Cnt", 5));
    EXPECT_EQ("none", GetString("PALMID", "Dr Smith", "none"));

    EXPECT_NE(0, write_string_("PALMID", "Dr Smith", "ABCD"));
    EXPECT_NE(0, write_int_("KVMOBILE_APPTLIST", "ABCD_Cnt", 3));
    EXPECT_EQ("ABCD", GetString("palmid", "DR SMITH", "none"));
    EXPECT_EQ(3, get_int_("kvmobile_apptlist", "abcd_cnt", 5));
    EXPECT_EQ("3", GetString("KVMOBILE_APPTLIST", "ABCD_Cnt", ""));

    const std::string file = install_.data_dir() + "KVSETTINGS.INI";
    EXPECT_NE(std::string::npos, ReadTextFile(file).find("Dr Smith=ABCD"));
    EXPECT_EQ(0600, test::FileMode(file));
}

TEST_F(Kvr32SettingsTest, StringsAreCutToTheBuffer) {
    ASSERT_NE(0, write_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "DR01DR02DR03"));
    struct Case {
        int size;
        const char* text;
    };
    for (const Case& c :
         {Case{13, "DR01DR02DR03"}, Case{12, "DR01DR02DR0"}, Case{5, "DR01"}, Case{1, ""}}) {
        GuardedBuffer text(static_cast<size_t>(c.size));
        EXPECT_EQ(static_cast<int>(std::strlen(c.text)),
                  get_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "", text.data(), text.size()));
        EXPECT_EQ(c.text, text.text());
        EXPECT_TRUE(text.GuardsIntact()) << c.size;
    }
    GuardedBuffer text(4);
    EXPECT_EQ(3, get_string_("KVMOBILE", "absent", "default", text.data(), text.size()));
    EXPECT_EQ("def", text.text());
    EXPECT_TRUE(text.GuardsIntact());

    GuardedBuffer untouched(4);
    EXPECT_EQ(0, get_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "", untouched.data(), 0));
    EXPECT_EQ(0, get_string_("KVMOBILE", "ABCD_SEL_PROVIDERS", "", untouched.data(), -5));
    EXPECT_TRUE(untouched.Untouched());
}

TEST_F(Kvr32SettingsTest, DataDirectoryFallsBackToKalvoraIniAndIsLookedUpEveryCall) {
    const std::string other = install_.root() + "/other/";
    std::filesystem::create_directories(other);
    install_.SetRegistry({{"ExePath", install_.exe_dir()}});  // no "path"
    install_.SetKalvoraIni({{"path", other}});

    EXPECT_NE(0, write_string_("PALMID", "Handheld", "WXYZ"));
    EXPECT_NE(std::string::npos, ReadTextFile(other + "KVSETTINGS.INI").find("Handheld=WXYZ"));
    EXPECT_FALSE(test::FileExists(install_.data_dir() + "KVSETTINGS.INI"));

    install_.SetRegistry({{"path", install_.data_dir()}});
    EXPECT_EQ("", GetString("PALMID", "Handheld", ""));
    install_.SetRegistry({});
    EXPECT_EQ("WXYZ", GetString("PALMID", "Handheld", ""));
}

TEST_F(Kvr32SettingsTest, NoDataDirectoryReadsDefaultsAndRefusesWrites) {
    install_.SetRegistry({});
    install_.SetKalvoraIni({});
    EXPECT_EQ(0, write_string_("PALMID", "Handheld", "WXYZ"));
    EXPECT_EQ(0, write_int_("KVMOBILE", "ABCD_Cnt", 2));
    EXPECT_EQ(9, get_int_("KVMOBILE", "ABCD_Cnt", 9));
    EXPECT_EQ("dflt", GetString("PALMID", "Handheld", "dflt"));
}

TEST_F(Kvr32SettingsTest, MissingArgumentsAreRefused) {
    EXPECT_EQ(0, write_string_(nullptr, "k", "v"));
    EXPECT_EQ(0, write_string_("S", nullptr, "v"));
    EXPECT_EQ(0, write_string_("S", "k", nullptr));
    EXPECT_EQ(0, write_int_("S", nullptr, 1));
    EXPECT_EQ(4, get_int_(nullptr, "k", 4));
    EXPECT_EQ("", GetString("S", nullptr, nullptr));
}

// ---- Profile files ----

class Kvr32ProfileTest : public Kvr32Test {
  protected:
    void SetUp() override {
        Kvr32Test::SetUp();
        get_profile_ = Entry<KVR_GetPrivateProfileString_fn>("KVR_GetPrivateProfileString");
        ASSERT_TRUE(get_profile_);
    }

    KVR_GetPrivateProfileString_fn get_profile_ = nullptr;
};

TEST_F(Kvr32ProfileTest, BareNamesAreReadFromTheWindowsDirectory) {
    WriteTextFile(install_.windows_dir() + "/KALVORA.INI",
                  "junk before any section\n"
                  "[GENERAL]\n"
                  "no equals here\n"
                  "=empty key\n"
                  "path=" +
                      install_.data_dir() +
                      "\n"
                      "[broken\n"
                      "path=wrong\n");
    for (const char* file : {"KALVORA.INI", "KALVORA", "kalvora.ini"}) {
        char text[260] = "?";
        const int length = get_profile_("GENERAL", "path", "", text, sizeof text, file);
        EXPECT_EQ(install_.data_dir(), text) << file;
        EXPECT_EQ(static_cast<int>(install_.data_dir().size()), length);
    }
    char text[32];
    EXPECT_EQ(4, get_profile_("GENERAL", "ExePath", "none", text, sizeof text, "KALVORA.INI"));
    EXPECT_STREQ("none", text);
    EXPECT_EQ(4, get_profile_("broken", "path", "none", text, sizeof text, "KALVORA.INI"));
    EXPECT_EQ(4, get_profile_("GENERAL", "path", "none", text, sizeof text, "ABSENT"));
}

TEST_F(Kvr32ProfileTest, DataVersionIsReadByPathAndCutToTheBuffer) {
    const std::string file = install_.data_dir() + "KVRDATA.INF";
    struct Case {
        int size;
        const char* text;
    };
    for (const Case& c : {Case{259, "11.1"}, Case{5, "11.1"}, Case{4, "11."}, Case{1, ""}}) {
        GuardedBuffer text(static_cast<size_t>(c.size));
        EXPECT_EQ(
            static_cast<int>(std::strlen(c.text)),
            get_profile_("GENERAL", "Data_Version", "", text.data(), text.size(), file.c_str()));
        EXPECT_EQ(c.text, text.text());
        EXPECT_TRUE(text.GuardsIntact()) << c.size;
    }
    GuardedBuffer untouched(8);
    EXPECT_EQ(0, get_profile_("GENERAL", "Data_Version", "", untouched.data(), 0, file.c_str()));
    EXPECT_TRUE(untouched.Untouched());

    const std::string absent = install_.root() + "/nowhere/KVRDATA.INF";
    char text[16] = "?";
    EXPECT_EQ(0, get_profile_("GENERAL", "Data_Version", "", text, sizeof text, absent.c_str()));
    EXPECT_STREQ("", text);
}

}  // namespace
}  // namespace kv
