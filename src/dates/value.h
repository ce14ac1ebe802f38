// Date values: four bytes of packed digit pairs (century, year of the
// century, month, day), so that byte order is date order. Month and day both
// 0 make an empty date.
#pragma once

#include <cstdint>
#include <string>

namespace dates {

// Each byte as two digits: its low 7 bits, with a leading zero below 10 and
// only the last two digits above 99. A date value gives CCYYMMDD.
std::string date_digits(const std::string& packed);

struct DateParts {
    std::int32_t year = 0;
    std::int16_t month = 0;
    std::int16_t day = 0;
    bool operator==(const DateParts&) const = default;
    auto operator<=>(const DateParts&) const = default;
};

// The year, month and day of a date value. A value shorter than four bytes
// reads as if zero bytes followed it; bytes after the fourth are not read.
DateParts date_parts(const std::string& date);

// The date value of the eight digits year x 10000 + month x 100 + day. A
// part outside its digits (year 0 to 9999, month and day 0 to 99) is held to
// the nearest end of that range.
std::string make_date(std::int32_t year, std::int32_t month, std::int32_t day);
std::string make_date(const DateParts& parts);

// The system's date of today in local time.
std::string today_date();

}  // namespace dates
