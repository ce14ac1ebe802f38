// The state of the console screen kit, one instance for the run.
#pragma once

#include <cstdint>
#include <string>

namespace screen {

struct ScreenState {
    // The palette entry (0 to 4) last applied by a colour code.
    std::int16_t current_colour_entry = 0;
    // Saved palette entries, one byte each, the most recent last.
    std::string colour_stack;
};

extern ScreenState screen_state;

}  // namespace screen
