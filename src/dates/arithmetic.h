// Date arithmetic over the Julian calendar before the Gregorian reform and
// the Gregorian calendar after it: the leap-year rule changes with the year
// 1582, the reckoning of week days on 5 October 1582.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dates/value.h"

namespace dates {

// The year the Gregorian leap-year rule starts with.
inline constexpr std::int32_t GREGORIAN_FIRST_YEAR = 1582;

// Julian rule before 1582, Gregorian rule from 1582 on.
bool is_leap_year(std::int32_t year);
// The Gregorian rule whatever the year.
bool is_gregorian_leap_year(std::int32_t year);

// Days of month 1 to 12 (31, 28 or 29, 31, 30, ...). Other month numbers
// get what the same rule gives them (30 or 31), never an error.
std::int16_t month_length(std::int32_t month, bool leap_year);
// The same for a month of a year, by is_leap_year.
std::int16_t days_in_month(std::int32_t month, std::int32_t year);

// Four bytes of packed digit pairs holding a year 1 to 9999, a month 1 to 12
// and a day the month has by is_leap_year. The ten days the reform skipped
// in October 1582 count as dates, as they do for date_difference.
bool is_valid_date(const std::string& date);

// The distance between two dates in unit "D" (days), "M" (months, days not
// looked at) or "A" (whole years), in either case of letter; never negative,
// whatever the order of the dates; 0 for any other unit. Days are counted
// with the leap-year rule of each year, the ten skipped days of October 1582
// like any others.
std::int32_t date_difference(const std::string& date1, const std::string& date2, std::string_view unit);

// 1 = Monday ... 7 = Sunday; Julian reckoning before 5 October 1582,
// Gregorian from then on.
std::int16_t week_day(const std::string& date);

}  // namespace dates
