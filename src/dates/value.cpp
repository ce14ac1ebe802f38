#include "dates/value.h"

#include <algorithm>
#include <ctime>

namespace dates {

std::string date_digits(const std::string& packed) {
    std::string digits;
    digits.reserve(packed.size() * 2);
    for (const char byte : packed) {
        const int number = (static_cast<unsigned char>(byte) & 127) % 100;
        digits += static_cast<char>('0' + number / 10);
        digits += static_cast<char>('0' + number % 10);
    }
    return digits;
}

DateParts date_parts(const std::string& date) {
    std::string digits = date_digits(date.substr(0, 4));
    digits.resize(8, '0');
    const auto number = [&](std::size_t from, std::size_t count) {
        std::int32_t n = 0;
        for (std::size_t i = from; i < from + count; ++i) n = n * 10 + (digits[i] - '0');
        return n;
    };
    return {number(0, 4), static_cast<std::int16_t>(number(4, 2)), static_cast<std::int16_t>(number(6, 2))};
}

std::string make_date(std::int32_t year, std::int32_t month, std::int32_t day) {
    year = std::clamp(year, 0, 9999);
    month = std::clamp(month, 0, 99);
    day = std::clamp(day, 0, 99);
    const auto pair = [](std::int32_t n) { return static_cast<char>(128 + n); };
    return {pair(year / 100), pair(year % 100), pair(month), pair(day)};
}

std::string make_date(const DateParts& parts) { return make_date(parts.year, parts.month, parts.day); }

std::string today_date() {
    const std::time_t now = std::time(nullptr);
    // The program is single-threaded, so the shared result of localtime is safe.
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return make_date(0, 0, 0);
    return make_date(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
}

}  // namespace dates
