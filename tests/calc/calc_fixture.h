// The calculator on the headless console: a scripted keyboard, a screen
// full of text underneath, the terminal directory in a fresh folder, and the
// screen noted at every key wait so a test can see the window while it is up.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calculator.h"
#include "format/state.h"
#include "input/state.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/headless_console.h"
#include "screen/state.h"
#include "startup/session.h"
#include "support/temp_dir.h"

namespace calc_test {

// Screen rows as code page 850 bytes.
using Screen = std::vector<std::string>;

class RecordingConsole : public platform::HeadlessConsole {
public:
    platform::InputEvent wait_event() override {
        screens.push_back(now());
        colours.push_back(now_colours());
        window_depths.push_back(screen::screen_state.window_depth);
        if (at_wait) at_wait();
        return HeadlessConsole::wait_event();
    }
    Screen now() const {
        return grid([](const platform::Cell& c) { return c.ch; });
    }
    // The attribute of every cell, one byte each.
    Screen now_colours() const {
        return grid([](const platform::Cell& c) { return c.attr; });
    }

    std::vector<Screen> screens;
    std::vector<Screen> colours;
    std::vector<int> window_depths;
    std::function<void()> at_wait;

private:
    template <typename Part>
    Screen grid(Part part) const {
        Screen rows;
        for (int r = 1; r <= platform::SCREEN_ROWS; ++r) {
            std::string row;
            for (int c = 1; c <= platform::SCREEN_COLUMNS; ++c) row += static_cast<char>(part(read_cell(r, c)));
            rows.push_back(row);
        }
        return rows;
    }
};

// The 26 cells of a window row from `column`, as UTF-8.
inline std::string window_row(const Screen& s, int row, int column) {
    return platform::cp850_to_utf8(
        s[static_cast<std::size_t>(row - 1)].substr(static_cast<std::size_t>(column - 1), 26));
}

// A value as the display shows it: right-aligned in 22 characters, a minus
// sign in the first of them.
inline std::string right_aligned(std::string_view value) {
    if (!value.empty() && value[0] == '-')
        return "-" + std::string(22 - value.size(), ' ') + std::string(value.substr(1));
    return std::string(22 - value.size(), ' ') + std::string(value);
}
inline std::string tape_line(std::string_view value, char op) {
    return "│" + right_aligned(value) + " " + std::string(1, op) + "│";
}
inline std::string display_line(std::string_view value) { return "│" + right_aligned(value) + "  │"; }
inline std::string border(std::string_view left, std::string_view right) {
    std::string line(left);
    for (int i = 0; i < 24; ++i) line += "─";
    return line + std::string(right);
}
inline std::string top_border() { return border("┌", "┐"); }
inline std::string tape_separator() { return border("├", "┤"); }
inline std::string bottom_border() { return border("└", "┘"); }

constexpr std::uint8_t BACKGROUND = 0x1E;
constexpr std::uint8_t CALCULATOR = 0x07;

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = startup::session;
        startup::session.session_dir = dir.path();
        dir.write("TERM/.keep", "");
        startup::session.terminal_dir =
            dir.path() + "TERM" + std::string(1, std::filesystem::path::preferred_separator);
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
        reset();
        format::format_state.decimal_char = '.';
        format::format_state.thousands_char = ',';
        platform::set_console(&console);
        // Text under the calculator, so that its window and what it leaves
        // behind can be told apart.
        console.set_attribute(BACKGROUND);
        for (int r = 1; r <= platform::SCREEN_ROWS; ++r) {
            console.place_cursor(r, 1);
            console.print(std::string(platform::SCREEN_COLUMNS, static_cast<char>('a' + (r - 1) % 26)));
        }
        console.place_cursor(3, 7);
        console.show_cursor(25);
        underneath = console.now();
    }
    void TearDown() override {
        platform::set_console(nullptr);
        reset();
        startup::session = saved_session;
    }
    void reset() {
        input::input_state = {};
        screen::screen_state = {};
        format::format_state = {};
    }

    // Script keys: each character as typed, and the extended keys by name.
    void type(std::string_view text) {
        for (const char c : text) console.push_char(static_cast<std::uint8_t>(c));
    }
    void scan(std::uint8_t code, std::uint16_t control = 0) { console.push_scan(code, control); }
    void backspace() { console.push_char(8); }
    void enter() { console.push_char(13); }
    void esc() { console.push_char(27); }
    void left(std::uint16_t control = 0) { scan(0x4B, control); }
    void right(std::uint16_t control = 0) { scan(0x4D, control); }
    void alt_f() { scan(0x21); }
    void alt_x() { scan(0x2D); }
    void click(int row, int column) { console.push_mouse(platform::MOUSE_RELEASED, platform::MOUSE_LEFT, row, column); }

    // Runs the calculator over the scripted keys (Esc when they run out)
    // and gives what it returns.
    std::string run() {
        console.screens.clear();
        console.colours.clear();
        console.window_depths.clear();
        return calc::run_calculator();
    }
    // The screen while the last key was awaited.
    const Screen& last_screen() const { return console.screens.back(); }
    std::string state_file() const { return dir.read("TERM/JOBCALC.TMP"); }
    // Line n (from 1) of the state file, without its CR LF.
    std::string state_line(int n) const {
        const std::string text = state_file();
        std::size_t at = 0;
        for (int i = 1; i < n; ++i) at = text.find("\r\n", at) + 2;
        return text.substr(at, text.find("\r\n", at) - at);
    }

    startup::Session saved_session;
    test_support::TempDir dir;
    RecordingConsole console;
    Screen underneath;
};

}  // namespace calc_test
