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
    // Saved screen regions not yet restored; a window is current while this
    // is not 0.
    std::int16_t window_depth = 0;
    // The current window (the region last saved), screen rows and columns.
    std::int16_t win_top = 0;
    std::int16_t win_left = 0;
    std::int16_t win_bottom = 0;
    std::int16_t win_right = 0;
};

extern ScreenState screen_state;

}  // namespace screen
