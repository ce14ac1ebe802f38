#include "dates/value.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "packed.h"

using dates::date_digits;
using dates::date_parts;
using dates::DateParts;
using dates::make_date;
using dates_test::packed_date;

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (const int v : values) text += static_cast<char>(v);
    return text;
}

TEST(DateDigits, EachByteGivesTwoDigitsOfItsLowSevenBits) {
    const struct {
        std::string packed;
        const char* digits;
    } rows[] = {
        {bytes({143, 210, 138, 133}), "15821005"},
        {packed_date(2024, 3, 15), "20240315"},
        {bytes({128}), "00"},
        {bytes({227}), "99"},
        // The low 7 bits only: 5 and 128 + 5 read alike.
        {bytes({5, 133}), "0505"},
        // Above 99 only the last two digits.
        {bytes({228, 255}), "0027"},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(date_digits(row.packed), row.digits) << row.digits;
}

TEST(DateParts, YearMonthAndDayOfTheDigits) {
    EXPECT_EQ(date_parts(packed_date(2024, 3, 15)), (DateParts{2024, 3, 15}));
    EXPECT_EQ(date_parts(packed_date(1, 12, 31)), (DateParts{1, 12, 31}));
    EXPECT_EQ(date_parts(packed_date(2024, 0, 0)), (DateParts{2024, 0, 0}));
    // Missing bytes read as zeros; bytes after the fourth are not read.
    EXPECT_EQ(date_parts(""), (DateParts{0, 0, 0}));
    EXPECT_EQ(date_parts(bytes({143, 210})), (DateParts{1582, 0, 0}));
    EXPECT_EQ(date_parts(packed_date(2024, 3, 15) + bytes({227})), (DateParts{2024, 3, 15}));
}

TEST(MakeDate, PacksTheEightDigitsAndHoldsPartsToTheirDigits) {
    EXPECT_EQ(make_date(2024, 3, 15), packed_date(2024, 3, 15));
    EXPECT_EQ(make_date(DateParts{1582, 10, 5}), bytes({143, 210, 138, 133}));
    EXPECT_EQ(make_date(0, 0, 0), packed_date(0, 0, 0));
    EXPECT_EQ(make_date(9999, 99, 99), packed_date(9999, 99, 99));
    EXPECT_EQ(make_date(10000, 100, 150), packed_date(9999, 99, 99));
    EXPECT_EQ(make_date(-1, -3, -7), packed_date(0, 0, 0));
}

TEST(TodayDate, IsTheSystemDateWithinTheTimeZones) {
    const DateParts today = date_parts(dates::today_date());
    const auto local = std::chrono::sys_days{std::chrono::year{today.year} / today.month / today.day};
    const auto utc = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    EXPECT_LE(std::chrono::abs(local - utc).count(), 1);
}

}  // namespace
