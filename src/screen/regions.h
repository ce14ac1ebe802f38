// The stack of saved screen regions. Every pop-up saves the rectangle it is
// about to cover and puts it back when it closes: characters, colours and
// the cursor. The stack lives in WinPush.tmp in the session directory; a
// saved region is the current window until it is restored.
#pragma once

#include <cstdint>

namespace screen {

// Saves the rectangle (screen rows and columns from 1) and makes it the
// current window. A corner off the screen saves nothing.
void save_screen_region(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right);
// Puts back the last saved region, its cursor and the window that was
// current before it. With nothing saved it changes nothing.
void restore_screen_region();

}  // namespace screen
