// Date values for the tests, made by the session's packing of digits rather
// than by the date library.
#pragma once

#include <cstdio>
#include <string>

#include "startup/session.h"

namespace dates_test {

inline std::string packed_date(int year, int month, int day) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d", year, month, day);
    return startup::pack_digit_pairs(digits);
}

}  // namespace dates_test
