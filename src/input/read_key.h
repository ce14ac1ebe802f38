// Reading keys: every key and mouse event of the program passes through
// read_key, which turns it into one key code (key_codes.h), composes
// characters typed by number with the left Alt key and the keypad, and opens
// the calculator (Alt+X) and the calendar (Alt+C) wherever a key is awaited.
#pragma once

#include <cstdint>

#include "platform/key_codes.h"

namespace input {

using namespace platform::key_codes;

// The outputs of read_key. For a mouse event: the button released (1 left,
// 2 right, else 0) and the 1-based screen row and column of the mouse.
struct KeyRead {
    KeyCode key = KEY_NONE;
    std::int16_t mouse_button = 0;
    std::int16_t mouse_row = 0;
    std::int16_t mouse_column = 0;
};

// Waits for the next key or reported mouse event (code 0 for a movement or a
// release, with the mouse outputs set). A character queued by a pop-up comes
// first; the mouse outputs are then left as the caller passed them.
void read_key(KeyRead& read);

// Waits for a key or a mouse click and gives its code, never 0. A click is
// column * 256 + button * 64 + row, held to 16 bits.
void read_key_or_click(KeyCode& key);

}  // namespace input
