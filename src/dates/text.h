// Dates as the operator reads them: numeric (15/3/2024), with an abbreviated
// month (15/mar/2024) or long (15 de març del 2024), in the user's order and
// separator and in the session's language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dates {

// Styles of format_date.
inline constexpr std::int16_t DATE_ISO = -1;     // 2024-03-15, parts ignored
inline constexpr std::int16_t DATE_NUMERIC = 0;  // 15/3/2024, filled to a fixed width
inline constexpr std::int16_t DATE_SHORT = 1;    // 15/mar/2024, filled to a fixed width
inline constexpr std::int16_t DATE_LONG = 2;     // 15 de març del 2024 (and any style above)

// The date's parts named in `parts` (D day, M month, A year, in any case and
// order), in the order of the user's date_order. Styles below 2 are filled
// with blanks or cut to a width fixed by `parts` and the style, so an empty
// date gives blanks there and an empty text in the long style.
std::string format_date(const std::string& date, std::int16_t style, std::string_view parts);

}  // namespace dates
