// The practice utility library as the conduits meet it: dates, the clock,
// display texts, messages and withheld phones.
#include "practice/kvr32_fixture.h"

namespace kv {
namespace {

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

}  // namespace
}  // namespace kv
