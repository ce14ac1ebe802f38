// keyprobe: shows, for each key pressed or mouse event, the key event text
// the console delivers (in hexadecimal) and its control-key state, so that a
// user can check what a terminal or the Windows console sends. Ctrl+D ends
// it.
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include "platform/win32_console.h"
#else
#include <unistd.h>

#include "platform/terminal_console.h"
#endif

namespace {

constexpr int FIRST_LOG_ROW = 4;

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

// Shows what the console delivers until Ctrl+D; `source` names it.
void probe(platform::Console& c, const std::string& source) {
    c.hide_cursor();
    c.set_attribute(0x1F);
    c.place_cursor(1, 1);
    c.print(std::string(80, ' '));
    c.place_cursor(1, 2);
    c.print("keyprobe: key event text (hex) and control-key state.  Ctrl+D ends.");
    c.set_attribute(0x07);
    c.place_cursor(2, 1);
    c.print(source);
    c.set_attribute(0x0E);
    c.place_cursor(3, 1);
    c.print("   n  text          state  keys held / mouse");
    c.set_attribute(0x07);
    c.choose_mouse_events(platform::REPORT_MOVES | platform::REPORT_LEFT_RELEASE | platform::REPORT_RIGHT_RELEASE);
    c.set_mouse_reporting(true);

    int row = FIRST_LOG_ROW;
    for (int n = 1;; ++n) {
        const platform::InputEvent e = c.wait_event();
        if (e.text == "\x04") break;
        std::string line(96, '\0');
        const int len = std::snprintf(line.data(), line.size(), "%4d  %-12s  %04X   %s", n, hex_text(e.text).c_str(),
                                      e.control_state, state_names(e.control_state).c_str());
        line.resize(static_cast<std::size_t>(len > 0 ? len : 0));
        if (e.is_mouse()) line += " row " + std::to_string(e.mouse.row) + " column " + std::to_string(e.mouse.column);
        if (e.wheel) line += " wheel";
        if (row > c.rows()) {
            c.scroll(FIRST_LOG_ROW, 1, c.rows(), c.columns(), 1);
            row = c.rows();
        }
        line.resize(static_cast<std::size_t>(c.columns()), ' ');
        c.place_cursor(row++, 1);
        c.print(line);
    }
}

}  // namespace

int main() {
#ifdef _WIN32
    const auto console = platform::Win32Console::open();
    if (!console) {
        std::fputs("keyprobe: needs a console window\n", stderr);
        return 2;
    }
    probe(*console, "Windows console");
    console->restore();
#else
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
        std::fputs("keyprobe: needs a terminal on standard input and output\n", stderr);
        return 2;
    }
    const char* term = std::getenv("TERM");
    platform::TerminalConsole c(STDIN_FILENO, STDOUT_FILENO, term ? term : "");
    if (!c.start()) {
        std::fputs("keyprobe: cannot set up the terminal\n", stderr);
        return 2;
    }
    probe(c, std::string("TERM=") + (term ? term : ""));
    c.stop();
#endif
    return 0;
}
