// Colour codes: short texts that choose one of the five palette entries of
// the terminal and may save ("+") or restore ("-") the entry in use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace screen {

// Upper-cases `code` in place and paints from then on in the entry it
// chooses: "-" the last saved one (0 when none is saved), else "U" entry 4,
// else 2 for "R" plus 1 for "N". A "+" saves the entry in use first. A blank
// or empty code changes nothing.
void apply_colour_code(std::string& code);
// For a fresh code, as every caller passes: apply_colour_code("+n").
inline void apply_colour_code(std::string&& code) { apply_colour_code(code); }

// True (-1) when the text is nothing but `character` repeated (an empty
// text included), false (0) otherwise.
std::int16_t is_all_char(std::string_view text, std::int16_t character);

}  // namespace screen
