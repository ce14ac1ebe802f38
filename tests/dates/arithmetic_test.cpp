#include "dates/arithmetic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "packed.h"

using dates::date_difference;
using dates::days_in_month;
using dates::is_gregorian_leap_year;
using dates::is_leap_year;
using dates::is_valid_date;
using dates::month_length;
using dates::week_day;
using dates_test::packed_date;

namespace {

struct Ymd {
    int year, month, day;
};

std::string packed(const Ymd& d) { return packed_date(d.year, d.month, d.day); }

// Reference reckonings, by other means than the library's: the Julian day
// number of a Julian calendar date by the usual closed formula, and the
// proleptic Gregorian calendar of the standard library.
long julian_day_number(const Ymd& d) {
    const long a = (14 - d.month) / 12;
    const long y = d.year + 4800 - a;
    const long m = d.month + 12 * a - 3;
    return d.day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083;
}

std::chrono::sys_days gregorian(const Ymd& d) {
    return std::chrono::sys_days{std::chrono::year{d.year} / d.month / d.day};
}

// Days as the library counts them: the Julian calendar up to the end of
// 1581, the Gregorian one from 1582 on, joined without a gap.
long day_count(const Ymd& d) {
    if (d.year < 1582) return julian_day_number(d);
    const Ymd join{1582, 1, 1};
    return julian_day_number(join) + (gregorian(d) - gregorian(join)).count();
}

// 1 = Monday: Julian reckoning before 5 October 1582, Gregorian from then on.
int reference_week_day(const Ymd& d) {
    const bool julian = d.year < 1582 || (d.year == 1582 && (d.month < 10 || (d.month == 10 && d.day < 5)));
    if (julian) return static_cast<int>(julian_day_number(d) % 7) + 1;  // day 0 was a Monday
    return static_cast<int>(std::chrono::weekday{gregorian(d)}.iso_encoding());
}

int reference_month_length(const Ymd& d) {
    if (d.month == 2 && d.year < 1582) return d.year % 4 == 0 ? 29 : 28;
    return static_cast<int>(unsigned{(std::chrono::year{d.year} / d.month / std::chrono::last).day()});
}

TEST(ReferenceReckonings, AgreeWithTheReformsJulianDayNumbers) {
    EXPECT_EQ(julian_day_number({1582, 10, 4}), 2299160);
    EXPECT_EQ(julian_day_number({1582, 10, 4}) + 1, day_count({1582, 10, 15}) - 10);
    EXPECT_EQ((gregorian({1582, 10, 15}) - gregorian({1970, 1, 1})).count(), 2299161 - 2440588);
}

TEST(LeapYears, JulianRuleBefore1582GregorianFrom1582) {
    const struct {
        int year;
        bool leap;
        bool gregorian_leap;
    } rows[] = {
        {4, true, true},      {1300, true, false},  {1500, true, false}, {1580, true, true},   {1581, false, false},
        {1582, false, false}, {1584, true, true},   {1600, true, true},  {1700, false, false}, {1900, false, false},
        {2000, true, true},   {2023, false, false}, {2024, true, true},  {2100, false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(is_leap_year(row.year), row.leap) << row.year;
        EXPECT_EQ(is_gregorian_leap_year(row.year), row.gregorian_leap) << row.year;
    }
}

TEST(MonthLengths, EveryMonthInCommonAndLeapYears) {
    const int common[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(month_length(m, false), common[m - 1]) << m;
        EXPECT_EQ(month_length(m, true), common[m - 1] + (m == 2 ? 1 : 0)) << m;
    }
    EXPECT_EQ(days_in_month(2, 1500), 29);
    EXPECT_EQ(days_in_month(2, 1600), 29);
    EXPECT_EQ(days_in_month(2, 1700), 28);
    EXPECT_EQ(days_in_month(2, 1900), 28);
    EXPECT_EQ(days_in_month(2, 2024), 29);
    // Numbers that are no month still get a length, not an error.
    for (const int m : {-5, 0, 13, 99}) {
        EXPECT_GE(month_length(m, false), 30) << m;
        EXPECT_LE(month_length(m, false), 31) << m;
    }
}

TEST(ValidDates, CalendarDaysOnly) {
    EXPECT_TRUE(is_valid_date(packed_date(2024, 2, 29)));
    EXPECT_TRUE(is_valid_date(packed_date(1500, 2, 29)));
    EXPECT_TRUE(is_valid_date(packed_date(1, 1, 1)));
    EXPECT_TRUE(is_valid_date(packed_date(9999, 12, 31)));
    EXPECT_TRUE(is_valid_date(packed_date(1582, 10, 10)));
    EXPECT_FALSE(is_valid_date(packed_date(2023, 2, 29)));
    EXPECT_FALSE(is_valid_date(packed_date(1700, 2, 29)));
    EXPECT_FALSE(is_valid_date(packed_date(2024, 4, 31)));
    EXPECT_FALSE(is_valid_date(packed_date(2024, 13, 1)));
    EXPECT_FALSE(is_valid_date(packed_date(2024, 0, 0)));
    EXPECT_FALSE(is_valid_date(packed_date(0, 1, 1)));
    EXPECT_FALSE(is_valid_date(""));
    EXPECT_FALSE(is_valid_date(packed_date(2024, 3, 15).substr(0, 3)));
    EXPECT_FALSE(is_valid_date(packed_date(2024, 3, 15) + '\x80'));
    EXPECT_FALSE(is_valid_date(std::string("\x94\x98\x03\x0f", 4)));
}

TEST(DateDifference, TableInEitherOrder) {
    const struct {
        Ymd from, to;
        const char* unit;
        int expected;
    } rows[] = {
        {{2024, 3, 15}, {2024, 5, 10}, "D", 56},
        {{2023, 12, 31}, {2024, 1, 1}, "D", 1},
        {{2023, 12, 31}, {2024, 1, 1}, "M", 1},
        {{2023, 12, 31}, {2024, 1, 1}, "A", 0},
        {{2020, 3, 15}, {2024, 3, 14}, "A", 3},
        {{2020, 3, 15}, {2024, 3, 15}, "A", 4},
        {{2020, 3, 15}, {2024, 2, 20}, "A", 3},
        {{2024, 2, 29}, {2025, 2, 28}, "A", 0},
        {{2024, 2, 29}, {2025, 3, 1}, "A", 1},
        {{2024, 1, 31}, {2024, 2, 1}, "M", 1},
        {{2024, 1, 1}, {2024, 1, 31}, "M", 0},
        {{1999, 11, 30}, {2024, 3, 1}, "M", 292},
        {{2024, 1, 1}, {2025, 1, 1}, "D", 366},
        {{1900, 1, 1}, {1901, 1, 1}, "D", 365},
        {{1500, 1, 1}, {1501, 1, 1}, "D", 366},
        {{1700, 2, 28}, {1700, 3, 1}, "D", 1},
        {{1500, 2, 28}, {1500, 3, 1}, "D", 2},
        {{2024, 3, 15}, {2024, 3, 15}, "D", 0},
        // The ten days the reform skipped are counted like any others.
        {{1582, 10, 4}, {1582, 10, 15}, "D", 11},
        {{1581, 12, 31}, {1582, 1, 1}, "D", 1},
        {{2024, 3, 15}, {2024, 5, 10}, "d", 56},
        {{2020, 3, 15}, {2024, 3, 15}, "a", 4},
        {{2023, 12, 31}, {2024, 1, 1}, "m", 1},
        {{2024, 3, 15}, {2024, 5, 10}, "X", 0},
        {{2024, 3, 15}, {2024, 5, 10}, "", 0},
        {{2024, 3, 15}, {2024, 5, 10}, "DD", 0},
    };
    for (const auto& row : rows) {
        const std::string a = packed(row.from), b = packed(row.to);
        EXPECT_EQ(date_difference(a, b, row.unit), row.expected) << row.unit << " " << row.from.year;
        EXPECT_EQ(date_difference(b, a, row.unit), row.expected) << row.unit << " " << row.from.year;
    }
}

Ymd random_date(std::mt19937& engine) {
    Ymd d{std::uniform_int_distribution<int>(1, 9999)(engine), std::uniform_int_distribution<int>(1, 12)(engine), 1};
    d.day = std::uniform_int_distribution<int>(1, reference_month_length(d))(engine);
    return d;
}

TEST(DateDifference, DaysAgreeWithTheReferenceCountAcrossTheYears) {
    std::mt19937 engine(20240315);
    for (int i = 0; i < 20000; ++i) {
        const Ymd a = random_date(engine), b = random_date(engine);
        ASSERT_EQ(date_difference(packed(a), packed(b), "D"), std::labs(day_count(a) - day_count(b)))
            << a.year << "-" << a.month << "-" << a.day << " " << b.year << "-" << b.month << "-" << b.day;
    }
}

TEST(WeekDay, WellKnownDates) {
    const struct {
        Ymd date;
        int expected;
    } rows[] = {
        {{2024, 1, 1}, 1},   {{2024, 3, 15}, 5}, {{1582, 10, 4}, 4},  {{1582, 10, 15}, 5},
        {{1900, 1, 1}, 1},   {{2000, 1, 1}, 6},  {{2000, 2, 29}, 2},  {{1969, 7, 20}, 7},
        {{1492, 10, 12}, 5}, {{1, 1, 1}, 6},     {{9999, 12, 31}, 5}, {{1582, 10, 5}, 2},
    };
    for (const auto& row : rows)
        EXPECT_EQ(week_day(packed(row.date)), row.expected)
            << row.date.year << "-" << row.date.month << "-" << row.date.day;
}

// Every day around the reform and the Gregorian century years; the sample
// below covers the rest.
TEST(WeekDay, EveryDayFrom1400To2100AgreesWithTheReference) {
    for (Ymd d{1400, 1, 1}; d.year <= 2100;) {
        ASSERT_EQ(week_day(packed(d)), reference_week_day(d)) << d.year << "-" << d.month << "-" << d.day;
        if (++d.day > reference_month_length(d)) {
            d.day = 1;
            if (++d.month > 12) d.month = 1, ++d.year;
        }
    }
}

TEST(WeekDay, SampledDaysOfYears1To9999AgreeWithTheReference) {
    std::mt19937 engine(1582);
    for (int i = 0; i < 20000; ++i) {
        const Ymd d = random_date(engine);
        ASSERT_EQ(week_day(packed(d)), reference_week_day(d)) << d.year << "-" << d.month << "-" << d.day;
    }
}

TEST(WeekDay, YearZeroKeepsTheJulianReckoning) {
    // 1 January of the year 0 lies 366 days before a Saturday.
    EXPECT_EQ(week_day(packed_date(0, 1, 1)), 4);
    EXPECT_EQ(week_day(packed_date(0, 12, 31)), 5);
}

}  // namespace
