// The reader of the suite's settings files (sections of key = value lines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace startup {

// The value of `key` in the first section named `section` of the file, or an
// empty text when the file, the section or the key is missing. Never creates
// or changes the file.
std::string read_setting(std::string_view file_path, std::string_view section, std::string_view key);

// The numeric value of a text as the settings use it: leading blanks skipped,
// reading stops at the first character that cannot continue a number, no
// number gives 0.
double numeric_value(std::string_view text);
// The same, rounded to the nearest integer and held to 16 bits.
std::int16_t integer_value(std::string_view text);

}  // namespace startup
