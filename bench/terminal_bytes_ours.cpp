// The sample screen on the terminal backend, for terminal_bytes.sh: paints
// it, then "x" types one key into it, "p" changes the page number and "q"
// ends. A resize is repainted by
// the backend itself.
#include <unistd.h>

#include <cstdlib>

#include "platform/cp850.h"
#include "platform/terminal_console.h"
#include "terminal_sample.h"

int main() {
    const char* term = std::getenv("TERM");
    platform::TerminalConsole c(STDIN_FILENO, STDOUT_FILENO, term ? term : "");
    if (!c.start()) return 2;
    const auto put = [&](int row, int column, int attr, const char* text) {
        c.place_cursor(row, column);
        c.set_attribute(static_cast<std::uint8_t>(attr));
        c.print(platform::utf8_to_cp850(text));
    };
    c.set_attribute(sample::NORMAL);
    c.clear();
    sample::paint(put);
    c.place_cursor(sample::CURSOR_ROW, sample::CURSOR_COLUMN);
    c.show_cursor(25);
    for (;;) {
        const platform::InputEvent e = c.wait_event();
        if (e.text == "q") break;
        if (e.text == "x") sample::type_key(put);
        if (e.text == "p") {
            const platform::Position at = c.cursor();
            sample::next_page(put);
            c.place_cursor(at.row, at.column);
        }
    }
    c.stop();
    return 0;
}
