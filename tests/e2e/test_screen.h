// A known screen for the terminal tests: every code of the page in colours
// that cover all 16 foregrounds and backgrounds, a frame and accented text.
#pragma once

#include "platform/console.h"

namespace test_screen {

void paint(platform::Console& c);

}  // namespace test_screen
