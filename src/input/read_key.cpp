#include "input/read_key.h"

#include <string>

#include "input/key_set.h"
#include "input/state.h"
#include "platform/console.h"

namespace input {

namespace {

// The digit of a keypad key when Num Lock is off, or -1.
int keypad_digit(KeyCode code) {
    static constexpr KeyCode keypad[10] = {KEY_INS,      KEY_END,   KEY_DOWN, KEY_PGDN, KEY_LEFT,
                                           KEY_KEYPAD_5, KEY_RIGHT, KEY_HOME, KEY_UP,   KEY_PGUP};
    for (int d = 0; d < 10; ++d)
        if (keypad[d] == code) return d;
    return -1;
}

bool left_alt(const platform::InputEvent& e) { return (e.control_state & platform::LEFT_ALT) != 0; }

// While the left Alt key is held, keypad digits spell a character's number;
// the key that follows them stands for that character (modulo 256) and is
// itself lost. Right Alt (AltGr) never composes.
void compose_alt_digits(platform::Console& c, platform::InputEvent& e) {
    bool composed = false;
    unsigned number = 0;
    while (left_alt(e) && !e.is_mouse()) {
        const KeyCode code = platform::key_event_code(e);
        const int digit = keypad_digit(code);
        if (digit < 0 && code != KEY_NONE) break;
        if (digit >= 0) {
            number = (number * 10 + static_cast<unsigned>(digit)) % 256;
            composed = true;
        }
        e = c.wait_event();
    }
    if (composed) e.text = std::string(1, static_cast<char>(number));
}

bool is_f_key(KeyCode code) { return code >= KEY_F1 && code <= KEY_F10; }

// PC codes for function and cursor keys with Alt, Ctrl or Shift held; the
// first modifier that applies decides.
KeyCode with_modifiers(KeyCode code, std::uint16_t state) {
    if (state & (platform::LEFT_ALT | platform::RIGHT_ALT))
        return is_f_key(code) ? static_cast<KeyCode>(code + ALT_F_KEY_OFFSET) : code;
    if (state & (platform::LEFT_CTRL | platform::RIGHT_CTRL)) {
        if (is_f_key(code)) return static_cast<KeyCode>(code + CTRL_F_KEY_OFFSET);
        if (code == KEY_HOME) return KEY_CTRL_HOME;
        if (code == KEY_RIGHT) return KEY_CTRL_RIGHT;
        if (code == KEY_LEFT) return KEY_CTRL_LEFT;
        return code;
    }
    if (state & platform::SHIFT) return is_f_key(code) ? static_cast<KeyCode>(code + SHIFT_F_KEY_OFFSET) : code;
    return code;
}

// Runs a hot key's pop-up unless it is already open (or not installed); what
// it gives is typed by the following calls.
void run_hot_key(const std::function<std::string()>& action, std::int16_t& open) {
    if (open != 0 || !action) return;
    // A pop-up sets its own keys with the one save level, which a field
    // being edited already holds: its closing "-" would bring back the keys
    // from before the field, and the field's edit would then end on the
    // hot key's own code. The edit gets its keys back whole.
    KeySet keys = current_key_set();
    open = -1;
    std::string typed = action();
    open = 0;
    restore_key_set(std::move(keys));
    input_state.pending_keys = std::move(typed);
}

}  // namespace

void read_key(KeyRead& read) {
    InputState& s = input_state;
    if (!s.pending_keys.empty()) {
        read.key = static_cast<std::uint8_t>(s.pending_keys.front());
        s.pending_keys.erase(0, 1);
        return;
    }

    platform::Console& c = platform::console();
    if (s.mouse_state == MOUSE_NOT_LOOKED_FOR) {
        c.choose_mouse_events(platform::REPORT_MOVES | platform::REPORT_LEFT_RELEASE | platform::REPORT_RIGHT_RELEASE);
        s.mouse_state = c.mouse_buttons() == 0 ? NO_MOUSE : MOUSE_IDLE;
    }
    if (s.mouse_state == MOUSE_IDLE) {
        c.set_mouse_reporting(true);
        s.mouse_state = MOUSE_REPORTING;
    }

    read = {};
    platform::InputEvent e = c.wait_event();
    compose_alt_digits(c, e);

    if (!e.is_mouse()) {
        read.key = platform::key_event_code(e);
        if (read.key == KEY_ALT_E) read.key = KEY_EURO;
        read.key = with_modifiers(read.key, e.control_state);
    }

    if (s.mouse_state == MOUSE_REPORTING) {
        if (e.is_mouse() && static_cast<std::uint8_t>(e.text[2]) == platform::MOUSE_RELEASED)
            read.mouse_button = static_cast<std::uint8_t>(e.text[3]);
        const platform::Position at = c.mouse_position();
        read.mouse_row = static_cast<std::int16_t>(at.row);
        read.mouse_column = static_cast<std::int16_t>(at.column);
    }

    if (read.key == KEY_ALT_X)
        run_hot_key(s.hot_keys.calculator, s.calculator_open);
    else if (read.key == KEY_ALT_C)
        run_hot_key(s.hot_keys.calendar, s.calendar_open);

    // Reporting stays on only while a key is awaited: off once something
    // other than a movement came (a pop-up may already have done it).
    if (s.mouse_state == MOUSE_REPORTING && (read.key != KEY_NONE || read.mouse_button > 0)) {
        c.set_mouse_reporting(false);
        s.mouse_state = MOUSE_IDLE;
    }
}

void read_key_or_click(KeyCode& key) {
    KeyRead read;
    do {
        read_key(read);
        key = read.mouse_button != 0 ? static_cast<KeyCode>(static_cast<std::uint16_t>(
                                           read.mouse_column * 256 + read.mouse_button * 64 + read.mouse_row))
                                     : read.key;
    } while (key == KEY_NONE);
}

}  // namespace input
