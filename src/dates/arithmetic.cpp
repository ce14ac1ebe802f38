#include "dates/arithmetic.h"

#include <utility>

#include "platform/cp850.h"

namespace dates {

namespace {

// The first day of the Gregorian reckoning of week days.
const DateParts SWITCH_DATE{1582, 10, 5};

// Division and remainder rounded toward minus infinity, so that the week-day
// reckoning also holds for the year 0, where (y - 1) is negative.
std::int32_t floor_div(std::int32_t a, std::int32_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
std::int32_t floor_mod(std::int32_t a, std::int32_t b) { return a - b * floor_div(a, b); }

std::int32_t year_length(std::int32_t year) { return is_leap_year(year) ? 366 : 365; }

// Days of months first to last (none when last < first) of a year.
std::int32_t months_length(std::int32_t year, std::int32_t first, std::int32_t last) {
    std::int32_t days = 0;
    for (std::int32_t month = first; month <= last; ++month) days += days_in_month(month, year);
    return days;
}

std::int32_t day_difference(const DateParts& earlier, const DateParts& later) {
    std::int32_t days = 0;
    for (std::int32_t year = earlier.year + 1; year < later.year; ++year) days += year_length(year);
    if (earlier.year < later.year) {
        days += months_length(earlier.year, earlier.month, 12);
        days += months_length(later.year, 1, later.month - 1);
    } else {
        days += months_length(earlier.year, earlier.month, later.month - 1);
    }
    return days + later.day - earlier.day;
}

}  // namespace

bool is_leap_year(std::int32_t year) {
    return year < GREGORIAN_FIRST_YEAR ? year % 4 == 0 : is_gregorian_leap_year(year);
}

bool is_gregorian_leap_year(std::int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

std::int16_t month_length(std::int32_t month, bool leap_year) {
    const std::int32_t days = 30 + (floor_mod(month + 1, 9) + 1) % 2;
    return static_cast<std::int16_t>(month == 2 ? days - 2 + (leap_year ? 1 : 0) : days);
}

std::int16_t days_in_month(std::int32_t month, std::int32_t year) { return month_length(month, is_leap_year(year)); }

bool is_valid_date(const std::string& date) {
    if (date.size() != 4) return false;
    for (const char byte : date)
        if (static_cast<unsigned char>(byte) < 128 || static_cast<unsigned char>(byte) > 227) return false;
    const DateParts p = date_parts(date);
    return p.year >= 1 && p.month >= 1 && p.month <= 12 && p.day >= 1 && p.day <= days_in_month(p.month, p.year);
}

std::int32_t date_difference(const std::string& date1, const std::string& date2, std::string_view unit) {
    DateParts earlier = date_parts(date1);
    DateParts later = date_parts(date2);
    if (later < earlier) std::swap(earlier, later);

    const std::string which = platform::upper_case(unit);
    if (which == "A") {
        const bool short_of_anniversary =
            later.month < earlier.month || (later.month == earlier.month && later.day < earlier.day);
        return later.year - earlier.year - (short_of_anniversary ? 1 : 0);
    }
    if (which == "M") return (later.year - earlier.year) * 12 + later.month - earlier.month;
    if (which == "D") return day_difference(earlier, later);
    return 0;
}

std::int16_t week_day(const std::string& date) {
    const DateParts p = date_parts(date);
    const std::int32_t y = p.year - 1;
    // Days since 1 January, that day being -1.
    const std::int32_t s = date_difference(date, make_date(p.year, 1, 1), "D") - 1;
    std::int32_t day;
    if (p < SWITCH_DATE)
        day = floor_mod(floor_mod(y + floor_div(y, 4), 7) + 6 + s, 7) + 1;
    else
        day = floor_mod(floor_mod(y + floor_div(y, 4) - floor_div(y, 100) + floor_div(y, 400), 7) + 1 + s, 7) + 1;
    return static_cast<std::int16_t>(day);
}

}  // namespace dates
