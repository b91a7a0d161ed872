#include "emulation/practice/practice_date.h"

#include <gtest/gtest.h>

namespace kv::practice {
namespace {

TEST(PracticeDate, DayOneIsTheFirstOfJanuary1800) {
    EXPECT_EQ(1, DateNumber(1800, 1, 1));
    const CivilDate first = CivilFromNumber(1);
    EXPECT_EQ(1800, first.year);
    EXPECT_EQ(1, first.month);
    EXPECT_EQ(1, first.day);
}

// Walks every day of two centuries against an independent calendar: the
// month lengths counted forward from 1900-01-01.
TEST(PracticeDate, EveryDayFrom1900To2100FollowsTheDayBefore) {
    int32_t expected = DateNumber(1900, 1, 1);
    ASSERT_GT(expected, 0);
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= MonthLength(year, month); ++day) {
                const int32_t date = DateNumber(year, month, day);
                ASSERT_EQ(expected, date) << year << "-" << month << "-" << day;
                const CivilDate back = CivilFromNumber(date);
                ASSERT_EQ(year, back.year) << date;
                ASSERT_EQ(month, back.month) << date;
                ASSERT_EQ(day, back.day) << date;
                ++expected;
            }
        }
    }
    // 201 years, 49 of them leap years (2000 is one, 1900 and 2100 are not).
    EXPECT_EQ(201 * 365 + 49, expected - DateNumber(1900, 1, 1));
}

TEST(PracticeDate, LeapYearsFollowTheGregorianRule) {
    struct Case {
        int year;
        bool leap;
    };
    for (const Case& c : {Case{1900, false}, Case{2000, true}, Case{2004, true}, Case{2005, false},
                          Case{2100, false}, Case{2400, true}}) {
        EXPECT_EQ(c.leap, IsLeapYear(c.year)) << c.year;
        EXPECT_EQ(c.leap ? 29 : 28, MonthLength(c.year, 2)) << c.year;
        EXPECT_EQ(c.leap, DateNumber(c.year, 2, 29) != 0) << c.year;
    }
    EXPECT_EQ(DateNumber(2004, 3, 1) - 2, DateNumber(2004, 2, 28));
    EXPECT_EQ(DateNumber(2005, 3, 1) - 1, DateNumber(2005, 2, 28));
}

TEST(PracticeDate, ImpossibleDatesHaveNoNumber) {
    struct Case {
        int year, month, day;
    };
    for (const Case& c :
         {Case{2005, 2, 29}, Case{2006, 4, 31}, Case{2006, 6, 31}, Case{2006, 0, 10},
          Case{2006, 13, 1}, Case{2006, 1, 0}, Case{2006, 1, 32}, Case{2006, -1, 1},
          Case{1799, 12, 31}, Case{10000, 1, 1}, Case{0, 0, 0}}) {
        EXPECT_EQ(0, DateNumber(c.year, c.month, c.day))
            << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(0, WeekDay(c.year, c.month, c.day));
    }
    EXPECT_EQ(0, MonthLength(2006, 0));
    EXPECT_EQ(0, MonthLength(2006, 13));
}

TEST(PracticeDate, LastDateIsBelowThreeMillionAndNothingFollowsIt) {
    const int32_t last = DateNumber(9999, 12, 31);
    EXPECT_GT(last, 0);
    EXPECT_LT(last, 3000000);
    EXPECT_EQ(9999, CivilFromNumber(last).year);
    EXPECT_EQ(0, CivilFromNumber(last + 1).year);
    EXPECT_EQ(0, CivilFromNumber(0).year);
    EXPECT_EQ(0, CivilFromNumber(-5).month);
}

TEST(PracticeDate, WeekDaysOfKnownDates) {
    struct Case {
        int year, month, day, week_day;
    };
    for (const Case& c : {Case{2006, 1, 3, 3}, Case{2000, 1, 1, 7}, Case{1800, 1, 1, 4},
                          Case{1969, 7, 20, 1}, Case{2100, 12, 31, 6}, Case{2024, 2, 29, 5}}) {
        EXPECT_EQ(c.week_day, WeekDay(c.year, c.month, c.day))
            << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(PracticeDate, IsoTextsRoundTrip) {
    for (const char* text : {"1800-01-01", "2000-02-29", "2006-01-03", "9999-12-31"}) {
        std::optional<int32_t> date = ParseIsoDate(text);
        ASSERT_TRUE(date) << text;
        EXPECT_EQ(text, FormatIsoDate(*date));
    }
    EXPECT_EQ(DateNumber(2006, 1, 3), ParseIsoDate("2006-01-03"));
}

TEST(PracticeDate, BadIsoTextsAndNumbersAreRefused) {
    for (const char* text :
         {"", "2006-1-03", "2006-01-3", "2006/01/03", "20060103", "2005-02-29", "2006-13-01",
          "2006-00-10", "1799-12-31", " 2006-01-03", "2006-01-03 ", "2006-01-0x", "+006-01-03"}) {
        EXPECT_FALSE(ParseIsoDate(text)) << '"' << text << '"';
    }
    EXPECT_EQ("", FormatIsoDate(0));
    EXPECT_EQ("", FormatIsoDate(-1));
    EXPECT_EQ("", FormatIsoDate(DateNumber(9999, 12, 31) + 1));
}

}  // namespace
}  // namespace kv::practice
