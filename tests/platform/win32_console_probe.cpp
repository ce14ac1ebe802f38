// Run by scripts/smoke-win.sh in a real console (wine in tmux): paints the
// characters that need the wide calls, then shows the key event texts of
// the keys the script types, as hex, on row 4, and ends with exit code 0.
// Row 3 tells whether the keyboard state keeps the Insert toggle.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/cp850.h"
#include "platform/win32_console.h"

int main(int argc, char** argv) {
    using platform::operator""_cp850;
    const auto console = platform::Win32Console::open();
    if (!console) return 3;
    const int keys = argc > 1 ? std::atoi(argv[1]) : 0;
    console->clear();
    console->place_cursor(2, 3);
    console->set_colour(14, 1);
    console->print("Añ€►◄ Ok"_cp850);
    console->place_cursor(25, 80);
    console->print("Z");
    console->set_attribute(0x07);
    // The Insert byte of the keyboard state keeps what is written to it.
    platform::KeyboardState state = console->keyboard_state();
    state[platform::INSERT_KEY_INDEX] ^= 1;
    console->set_keyboard_state(state);
    const bool kept = console->keyboard_state()[platform::INSERT_KEY_INDEX] == state[platform::INSERT_KEY_INDEX];
    console->place_cursor(3, 1);
    console->print(kept ? "insert kept, ready" : "insert lost, ready");
    std::string shown;
    for (int i = 0; i < keys; ++i) {
        const platform::InputEvent e = console->wait_event();
        char hex[16];
        for (const char ch : e.text) {
            std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(ch));
            shown += hex;
        }
        std::snprintf(hex, sizeof hex, "/%u; ", e.control_state);
        shown += hex;
        console->place_cursor(4, 1);
        console->print(shown);
    }
    console->print(" done");
    console->restore();
    return 0;
}
