// The calculator's window: the tape shown above the display, at the bottom
// of the screen, 26 columns wide from the state's column.
#pragma once

#include <cstdint>
#include <string>

#include "calc/state.h"

namespace calc {

// What the display and the tape show for a value that is not a number.
inline constexpr const char* ERROR_TEXT = "Error";

// The 22 characters of a value on the display or the tape: the number with
// its point and decimals, the sign at the left.
std::string value_text(double value, std::int16_t point, std::int16_t decimals);

// Paints the window in the colour in use: the shown tape entries with the
// border above them, the display and the bottom border.
void draw_window(const CalculatorState& state);

}  // namespace calc
