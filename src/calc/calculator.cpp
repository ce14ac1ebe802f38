#include "calc/calculator.h"

#include "calc/machine.h"
#include "calc/state_file.h"
#include "calc/window.h"
#include "input/key_set.h"
#include "input/read_key.h"
#include "input/state.h"
#include "platform/console.h"
#include "screen/colour.h"
#include "screen/regions.h"

namespace calc {

namespace {

constexpr std::int16_t SCREEN_TOP = 1;
constexpr std::int16_t SCREEN_BOTTOM = 25;

// The whole height of the screen under the window is saved, so the tape can
// grow without saving again.
void save_region(const CalculatorState& s) {
    screen::save_screen_region(SCREEN_TOP, s.column, SCREEN_BOTTOM,
                               static_cast<std::int16_t>(s.column + WINDOW_WIDTH - 1));
}

// Puts the screen back and saves it again where the window now stands; the
// restore leaves the colour of the last cell, so the calculator's is taken
// again.
void save_region_again(const CalculatorState& s) {
    screen::restore_screen_region();
    screen::apply_colour_code("n");
    save_region(s);
}

}  // namespace

std::string run_calculator() {
    platform::Console& console = platform::console();
    input::key_set_command("+e", "");
    screen::apply_colour_code("+n");
    // The cursor is given back as it was found.
    const bool cursor_was_visible = console.cursor_visible();
    const int cursor_size = console.cursor_size();
    console.hide_cursor();

    const std::string path = state_file_path();
    CalculatorState state = read_state_file(path);
    save_region(state);
    draw_window(state);

    std::string typed;
    for (;;) {
        const CalculatorState before = state;
        input::KeyCode key = input::KEY_NONE;
        input::read_key_or_click(key);
        const KeyOutcome outcome = press_key(state, key);
        if (outcome == KeyOutcome::finish) {
            typed = result_text(state);
            break;
        }
        if (outcome == KeyOutcome::cancel) break;
        // A moved window, or a tape that shows fewer lines, uncovers screen
        // the window stood on.
        if (state.column != before.column || state.first_tape_line > before.first_tape_line) save_region_again(state);
        if (state != before) draw_window(state);
    }

    screen::restore_screen_region();
    write_state_file(path, state);
    if (cursor_was_visible) console.show_cursor(cursor_size);
    screen::apply_colour_code("-");
    input::key_set_command("-", "");
    return typed;
}

void install_calculator_hot_key() { input::input_state.hot_keys.calculator = run_calculator; }

}  // namespace calc
