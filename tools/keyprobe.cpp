// keyprobe: shows, for each key pressed or mouse event, the key event text
// the console delivers (in hexadecimal) and its control-key state, so that a
// user can check what a terminal or the Windows console sends, and the key
// code the program reads from it (on the event that completes a key).
// Ctrl+D ends it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "input/read_key.h"

#ifdef _WIN32
#include "platform/win32_console.h"
#else
#include <unistd.h>

#include "platform/terminal_console.h"
#endif

namespace {

using platform::Cell;
using platform::InputEvent;
using platform::KeyboardState;
using platform::Position;

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

// The console of the system, logging each event on a line of its own as it
// arrives, so that the events read_key takes in (Alt with keypad digits) are
// seen too. Everything else goes to the console as it is.
class ProbeConsole final : public platform::Console {
public:
    explicit ProbeConsole(platform::Console& c) : c_(c) {}

    InputEvent wait_event() override { return log(c_.wait_event()); }
    std::optional<InputEvent> poll_event() override {
        auto e = c_.poll_event();
        if (e) log(*e);
        return e;
    }
    // The row of the last event's line.
    int last_row() const { return row_ - 1; }

    int rows() const override { return c_.rows(); }
    int columns() const override { return c_.columns(); }
    void place_cursor(int row, int column) override { c_.place_cursor(row, column); }
    Position cursor() const override { return c_.cursor(); }
    void hide_cursor() override { c_.hide_cursor(); }
    void show_cursor(int size) override { c_.show_cursor(size); }
    bool cursor_visible() const override { return c_.cursor_visible(); }
    int cursor_size() const override { return c_.cursor_size(); }
    void set_colour(int foreground, int background) override { c_.set_colour(foreground, background); }
    void set_attribute(std::uint8_t attr) override { c_.set_attribute(attr); }
    std::uint8_t attribute() const override { return c_.attribute(); }
    void print(std::string_view text) override { c_.print(text); }
    void clear() override { c_.clear(); }
    Cell read_cell(int row, int column) const override { return c_.read_cell(row, column); }
    void scroll(int top, int left, int bottom, int right, int n) override { c_.scroll(top, left, bottom, right, n); }
    void beep() override { c_.beep(); }
    void flush() override { c_.flush(); }
    void discard_keys() override { c_.discard_keys(); }
    int mouse_buttons() const override { return c_.mouse_buttons(); }
    void choose_mouse_events(unsigned mask) override { c_.choose_mouse_events(mask); }
    void set_mouse_reporting(bool on) override { c_.set_mouse_reporting(on); }
    bool mouse_reporting() const override { return c_.mouse_reporting(); }
    Position mouse_position() const override { return c_.mouse_position(); }
    KeyboardState keyboard_state() const override { return c_.keyboard_state(); }
    void set_keyboard_state(const KeyboardState& state) override { c_.set_keyboard_state(state); }
    void put_clipboard(std::string_view text) override { c_.put_clipboard(text); }
    std::string get_clipboard() override { return c_.get_clipboard(); }

private:
    const InputEvent& log(const InputEvent& e) {
        std::string line(96, '\0');
        const int len = std::snprintf(line.data(), line.size(), "%4d  %-12s  %04X         %s", ++count_,
                                      hex_text(e.text).c_str(), e.control_state, state_names(e.control_state).c_str());
        line.resize(static_cast<std::size_t>(len > 0 ? len : 0));
        if (e.is_mouse()) line += " row " + std::to_string(e.mouse.row) + " column " + std::to_string(e.mouse.column);
        if (e.wheel) line += " wheel";
        if (row_ > rows()) {
            scroll(FIRST_LOG_ROW, 1, rows(), columns(), 1);
            row_ = rows();
        }
        line.resize(static_cast<std::size_t>(columns()), ' ');
        place_cursor(row_++, 1);
        print(line);
        return e;
    }

    platform::Console& c_;
    int count_ = 0;
    int row_ = FIRST_LOG_ROW;
};

// Logs what the console delivers, with the key codes read_key makes of it,
// until Ctrl+D; `source` names the console.
void probe(platform::Console& console, const std::string& source) {
    ProbeConsole c(console);
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
