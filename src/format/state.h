// The state of the number and text helpers, one instance for the run.
#pragma once

#include <cstdint>
#include <string>

namespace format {

struct FormatState {
    // Stacked items one after another, each followed by its length in two
    // bytes, low byte first.
    std::string text_stack;
    // True (-1) while fold_text is to drop accents as well.
    std::int16_t plain_letters_mode = 0;
    // Printed for a mask's "." and ","; 0 until read from the user settings.
    char decimal_char = 0;
    char thousands_char = 0;
};

extern FormatState format_state;

}  // namespace format
