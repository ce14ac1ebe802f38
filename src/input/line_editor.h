// The line editor: the one editing control of every field.
#pragma once

#include <cstdint>
#include <string>

#include "platform/key_codes.h"

namespace input {

using namespace platform::key_codes;

// Edits `text` in place at (row, column) of the current window, in display
// rows of `line_width` characters (0: one row); a row or column of 0 is the
// cursor's. The text keeps its length. `position` (1 to length + 1) is where
// editing starts and, on return, where it ended; `key` is the key that ended
// it, as the key set reports it. The key set, the mask character and the
// current choices (state.h) shape what the editor does: with choices the
// field steps through them instead of taking typed text. Insert mode is the
// Insert byte of the console's keyboard state, so it outlives the call.
void edit_line(std::int16_t row, std::int16_t column, std::int16_t line_width, std::string& text,
               std::int16_t& position, KeyCode& key);

}  // namespace input
