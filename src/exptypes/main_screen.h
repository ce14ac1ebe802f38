// The maintenance screen: the table shown one table page at a time on form
// page 1 and edited there, and the program's hooks into the form engine.
#pragma once

#include <cstdint>

#include "platform/key_codes.h"

namespace exptypes {

// Runs the screen until the operator leaves it, then writes the table back
// (or not) and removes the work file.
void run_main_screen();

// The table page that a key ending form page 1 leads to: PgUp the one
// before (none before the first), PgDn and Enter the next (none after the
// last a 16-bit page number reaches), any other the same.
std::int16_t table_page_after(std::int16_t page, platform::key_codes::KeyCode key);

// Asked by the engine as a page ends: Esc on the table after a change asks
// the question of form page 2; true (-1) goes back to the table.
std::int16_t confirm_exit(std::int16_t page, platform::key_codes::KeyCode& key);

// Installs paint_screen and confirm_exit into the form engine; the browse
// hooks keep their defaults, which list nothing.
void install_program_hooks();

}  // namespace exptypes
