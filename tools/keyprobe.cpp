// keyprobe: shows, for each key pressed or mouse event, the key event text
// the console delivers (in hexadecimal) and its control-key state, so that a
// user can check what a terminal sends, and the key code the program reads
// from it (on the event that completes a key). Ctrl+D ends it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "input/read_key.h"
#include "platform/terminal_console.h"

namespace {

constexpr int FIRST_LOG_ROW = 4;
// Where the key code goes on an event's line.
constexpr int CODE_COLUMN = 28;

std::string hex_text(const std::string& text) {
    std::string out;
    char buf[4];
    for (const char c : text) {
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(c));
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

std::string state_names(std::uint16_t state) {
    static constexpr struct {
        std::uint16_t bit;
        const char* name;
    } names[] = {{platform::RIGHT_ALT, "RightAlt"},
                 {platform::LEFT_ALT, "LeftAlt"},
                 {platform::RIGHT_CTRL, "RightCtrl"},
                 {platform::LEFT_CTRL, "LeftCtrl"},
                 {platform::SHIFT, "Shift"}};
    std::string out;
    for (const auto& n : names)
        if (state & n.bit) out += std::string(out.empty() ? "" : " ") + n.name;
    return out;
}

// The terminal, logging each event on a line of its own as it arrives, so
// that the events read_key takes in (Alt with keypad digits) are seen too.
class ProbeConsole : public platform::TerminalConsole {
public:
    using TerminalConsole::TerminalConsole;

    platform::InputEvent wait_event() override {
        platform::InputEvent e = TerminalConsole::wait_event();
        log(e);
        return e;
    }
    // The row of the last event's line.
    int last_row() const { return row_ - 1; }

private:
    void log(const platform::InputEvent& e) {
        std::string line(96, '\0');
        const int len = std::snprintf(line.data(), line.size(), "%4d  %-12s  %04X         %s", ++count_,
                                      hex_text(e.text).c_str(), e.control_state, state_names(e.control_state).c_str());
        line.resize(static_cast<std::size_t>(len > 0 ? len : 0));
        if (e.is_mouse()) line += " row " + std::to_string(e.mouse.row) + " column " + std::to_string(e.mouse.column);
        if (row_ > rows()) {
            scroll(FIRST_LOG_ROW, 1, rows(), columns(), 1);
            row_ = rows();
        }
        line.resize(static_cast<std::size_t>(columns()), ' ');
        place_cursor(row_++, 1);
        print(line);
    }

    int count_ = 0;
    int row_ = FIRST_LOG_ROW;
};

}  // namespace

int main() {
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
        std::fputs("keyprobe: needs a terminal on standard input and output\n", stderr);
        return 2;
    }
    const char* term = std::getenv("TERM");
    ProbeConsole c(STDIN_FILENO, STDOUT_FILENO, term ? term : "");
    if (!c.start()) {
        std::fputs("keyprobe: cannot set up the terminal\n", stderr);
        return 2;
    }
    c.hide_cursor();
    c.set_attribute(0x1F);
    c.place_cursor(1, 1);
    c.print(std::string(80, ' '));
    c.place_cursor(1, 2);
    c.print("keyprobe: key event text (hex) and control-key state.  Ctrl+D ends.");
    c.set_attribute(0x07);
    c.place_cursor(2, 1);
    c.print(std::string("TERM=") + (term ? term : ""));
    c.set_attribute(0x0E);
    c.place_cursor(3, 1);
    c.print("   n  text          state  code  keys held / mouse");
    c.set_attribute(0x07);
    // read_key reports the mouse while it waits, as in the program.
    platform::set_console(&c);

    for (;;) {
        input::KeyRead read;
        input::read_key(read);
        if (read.key == 4) break;  // Ctrl+D
        char code[8];
        std::snprintf(code, sizeof code, "%04X", static_cast<std::uint16_t>(read.key));
        c.place_cursor(c.last_row(), CODE_COLUMN);
        c.print(code);
    }
    platform::set_console(nullptr);
    c.stop();
    return 0;
}
