// Screen geometry relative to the current window, frames, the message box
// and scrolling.
#pragma once

#include <cstdint>
#include <string>

namespace screen {

std::int16_t screen_columns();
std::int16_t screen_rows();

// Places the cursor at (row, column) of the current window, where row 1,
// column 1 is the first cell inside its frame; with no window, at the screen
// position. A coordinate off the screen leaves that coordinate unchanged.
void locate_in_window(std::int16_t row, std::int16_t column);
// The screen row and column of window row 1 and column 1, and the last
// column inside the frame (the screen's when no window is current).
std::int16_t window_first_row();
std::int16_t window_first_column();
std::int16_t window_last_column();

// Frame styles: blanks, single line, double line.
inline constexpr std::int16_t FRAME_BLANK = 0;
inline constexpr std::int16_t FRAME_SINGLE = 1;
inline constexpr std::int16_t FRAME_DOUBLE = 2;

// Draws the frame of the current window in the colour in use and blanks its
// inside; does nothing when no window is current.
void draw_window_frame(std::int16_t style);

// Wraps `text` in place into lines of 76 and shows it in a framed box in the
// reverse colour around `row`. Always saves exactly one region, which the
// caller removes with restore_screen_region.
void show_message_box(std::int16_t row, std::string& text);

// The box, a beep, and a wait for a key pressed after it appeared (keys
// typed before are dropped); then the box is removed.
void show_message_until_key(std::int16_t row, std::string text);

// Scrolls screen rows top + 1 to bottom + 1, columns left + 1 to right + 1:
// up by count rows when count > 0, else down by -count (0 counts as 1). The
// opened rows are blank in the colour in use.
void scroll_region(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right, std::int16_t count);

}  // namespace screen
