#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "calc/calculator.h"
#include "calc_fixture.h"
#include "input/state.h"
#include "screen/state.h"

using namespace calc_test;

namespace {

int line_count(const std::string& text) {
    int n = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
    return n;
}

TEST_F(CalculatorTest, AddsWithItsTapeAndTypesTheResultInHundredths) {
    // Keys and clicks that mean nothing to it are passed over.
    type("10+2");
    click(24, 5);
    type("x");
    scan(0x3F);  // F5
    scan(0x48);  // Up
    type(".5=");
    type("F");
    EXPECT_EQ(run(), "1250");

    const Screen& s = last_screen();
    EXPECT_EQ(window_row(s, 18, 1), std::string(26, 'r'));
    EXPECT_EQ(window_row(s, 19, 1), top_border());
    EXPECT_EQ(window_row(s, 20, 1), tape_line("10", '+'));
    EXPECT_EQ(window_row(s, 21, 1), tape_line("2.5", '='));
    EXPECT_EQ(window_row(s, 22, 1), tape_line("12.5", ' '));
    EXPECT_EQ(window_row(s, 23, 1), tape_separator());
    EXPECT_EQ(window_row(s, 24, 1), display_line("12.5"));
    EXPECT_EQ(window_row(s, 25, 1), bottom_border());
    // Painted in the normal colour; the screen beside it is untouched.
    const Screen& colours = console.colours.back();
    EXPECT_EQ(static_cast<std::uint8_t>(colours[23][0]), CALCULATOR);
    EXPECT_EQ(static_cast<std::uint8_t>(colours[23][25]), CALCULATOR);
    EXPECT_EQ(static_cast<std::uint8_t>(colours[23][26]), BACKGROUND);
    EXPECT_EQ(s[23].substr(26), std::string(54, 'x'));

    // Closed: the screen, cursor, colour and key set are as they were.
    EXPECT_EQ(console.now(), underneath);
    EXPECT_EQ(console.cursor(), (platform::Position{3, 7}));
    EXPECT_TRUE(console.cursor_visible());
    EXPECT_EQ(console.cursor_size(), 25);
    EXPECT_EQ(screen::screen_state.window_depth, 0);
    EXPECT_EQ(screen::screen_state.colour_stack, "");
    EXPECT_EQ(input::input_state.save_depth, 0);

    EXPECT_EQ(line_count(state_file()), 25);
    EXPECT_EQ(state_line(1), "1,20,12.5,12.5");
    EXPECT_EQ(state_line(2), "0,0,-1,1");
    EXPECT_EQ(state_line(3), R"("F","")");
    for (int n = 4; n <= 22; ++n) EXPECT_EQ(state_line(n), R"(0,0,0," ")") << n;
    EXPECT_EQ(state_line(23), R"(10,0,0,"+")");
    EXPECT_EQ(state_line(24), R"(2.5,-1,1,"=")");
    EXPECT_EQ(state_line(25), R"(12.5,-1,1," ")");
}

struct KeysCase {
    const char* keys;
    const char* display;
    std::vector<std::pair<const char*, char>> tape;  // from the top
    const char* pending;
    const char* result;
};

TEST_F(CalculatorTest, KeysGiveTheirDisplayTapeAndResult) {
    const KeysCase cases[] = {
        // Equals right after an operator does nothing; another operator
        // applies the pending one to the value shown.
        {"7+=", "7", {{"7", '+'}}, "+", "700"},
        {"7+*", "14", {{"7", '+'}, {"7", '*'}}, "*", "1400"},
        {"200+10%=", "220", {{"200", '+'}, {"10", '%'}, {"20", '='}, {"220", ' '}}, "", "22000"},
        {"50%", "0.5", {{"50", '%'}}, "", "50"},
        {"8-10=", "-2", {{"8", '-'}, {"10", '='}, {"-2", ' '}}, "", "200"},
        {"1234567.5+", "1,234,567.5", {{"1,234,567.5", '+'}}, "+", "123456750"},
        {"1/3=", "0.333333333333333", {{"1", '/'}, {"3", '='}, {"0.333333333333333", ' '}}, "", "33.3333333333333"},
        {"0.1+0.2=", "0.3", {{"0.1", '+'}, {"0.2", '='}, {"0.3", ' '}}, "", "30"},
        // The result text: hundredths, more decimals after a point, no sign.
        {"", "0", {}, "", "0"},
        {"12.34", "12.34", {}, "", "1234"},
        {"12.345", "12.345", {}, "", "1234.5"},
        {"0.001", "0.001", {}, "", ".1"},
        {"5t", "-5", {}, "", "500"},
        // Digits after T go on with the negative number.
        {"5T3", "-53", {}, "", "5300"},
        // A dropped entry shows the running result with its decimals.
        {"2.5+3C", "2.5", {{"2.5", '+'}}, "+", "250"},
        // R rounds the digits shown, half to even, negatives like their
        // magnitude.
        {"1.236R", "1.24", {{"1.24", 'R'}}, "", "124"},
        {"1.234r", "1.23", {{"1.23", 'R'}}, "", "123"},
        {"0.125R", "0.12", {{"0.12", 'R'}}, "", "12"},
        {"0.375R", "0.38", {{"0.38", 'R'}}, "", "38"},
        {"1.015R", "1.02", {{"1.02", 'R'}}, "", "102"},
        {"1.237TR", "-1.24", {{"-1.24", 'R'}}, "", "124"},
        {"7R", "7.00", {{"7.00", 'R'}}, "", "700"},
        // A division by zero shows an error and types nothing, until C.
        {"5/0=", "Error", {{"5", '/'}, {"0", '='}, {"Error", ' '}}, "", ""},
        {"0/0=", "Error", {{"0", '/'}, {"0", '='}, {"Error", ' '}}, "", ""},
        {"5/0+3=", "Error", {{"5", '/'}, {"0", '+'}, {"3", '='}, {"Error", ' '}}, "", ""},
        {"5/0=C", "0", {{"5", '/'}, {"0", '='}, {"Error", ' '}}, "", "0"},
    };
    for (const KeysCase& c : cases) {
        SCOPED_TRACE(c.keys);
        dir.write("TERM/JOBCALC.TMP", "");
        type(c.keys);
        type("F");
        EXPECT_EQ(run(), c.result);
        const Screen& s = last_screen();
        EXPECT_EQ(window_row(s, 24, 1), display_line(c.display));
        const int first = 23 - static_cast<int>(c.tape.size());
        if (!c.tape.empty()) {
            EXPECT_EQ(window_row(s, first - 1, 1), top_border());
        }
        for (std::size_t i = 0; i < c.tape.size(); ++i)
            EXPECT_EQ(window_row(s, first + static_cast<int>(i), 1), tape_line(c.tape[i].first, c.tape[i].second));
        EXPECT_EQ(window_row(s, 23, 1), c.tape.empty() ? top_border() : tape_separator());
        EXPECT_EQ(state_line(3), "\"F\",\"" + std::string(c.pending) + "\"");
        EXPECT_EQ(console.now(), underneath);
    }
}

TEST_F(CalculatorTest, ADivisionByZeroIsWrittenAsZero) {
    type("5/0=");
    EXPECT_EQ(run(), "");
    EXPECT_EQ(state_line(1), "1,20,0,0");
    EXPECT_EQ(state_line(25), R"(0,0,0," ")");
}

TEST_F(CalculatorTest, ThreeClearsDropTheEntryThenEverythingThenHideTheTape) {
    type("5+3CCC");
    run();
    const auto& screens = console.screens;
    ASSERT_EQ(screens.size(), 7u);  // before each key and before Esc
    EXPECT_EQ(window_row(screens[3], 24, 1), display_line("3"));
    // First C: the entry is dropped, the running result shows.
    EXPECT_EQ(window_row(screens[4], 24, 1), display_line("5"));
    EXPECT_EQ(window_row(screens[4], 22, 1), tape_line("5", '+'));
    // Second: everything is cleared, the tape stays.
    EXPECT_EQ(window_row(screens[5], 24, 1), display_line("0"));
    EXPECT_EQ(window_row(screens[5], 22, 1), tape_line("5", '+'));
    EXPECT_EQ(window_row(screens[5], 21, 1), top_border());
    // Third: the tape is hidden and the screen under it shows again.
    EXPECT_EQ(window_row(screens[6], 21, 1), std::string(26, 'u'));
    EXPECT_EQ(window_row(screens[6], 22, 1), std::string(26, 'v'));
    EXPECT_EQ(window_row(screens[6], 23, 1), top_border());
    EXPECT_EQ(window_row(screens[6], 24, 1), display_line("0"));
    EXPECT_EQ(console.window_depths[6], 1);

    EXPECT_EQ(state_line(1), "1,23,0,0");
    EXPECT_EQ(state_line(2), "-1,0,0,0");
    EXPECT_EQ(state_line(25), R"(5,0,0,"+")");

    // The hidden entries come back as new lines push them up.
    type("7+");
    run();
    const Screen& s = last_screen();
    EXPECT_EQ(window_row(s, 20, 1), std::string(26, 't'));
    EXPECT_EQ(window_row(s, 21, 1), top_border());
    EXPECT_EQ(window_row(s, 22, 1), tape_line("7", '+'));
    type("1+");
    run();
    EXPECT_EQ(window_row(last_screen(), 21, 1), tape_line("7", '+'));
    EXPECT_EQ(window_row(last_screen(), 20, 1), top_border());
    EXPECT_EQ(state_line(23), R"(5,0,0,"+")");
}

TEST_F(CalculatorTest, BackspaceTakesBackTheDigitsShown) {
    type("1.234");
    for (int i = 0; i < 4; ++i) backspace();
    type("+");
    run();
    const auto& screens = console.screens;
    ASSERT_EQ(screens.size(), 11u);
    const char* shown[] = {"1.234", "1.23", "1.2", "1.", "1"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window_row(screens[static_cast<std::size_t>(5 + i)], 24, 1), display_line(shown[i]));
    // Still entering: the operator takes the 1.
    EXPECT_EQ(window_row(screens[10], 22, 1), tape_line("1", '+'));

    // Digits cut from what is shown, not from the binary fraction.
    const std::pair<const char*, const char*> cases[] = {
        {"4.350", "4.35"}, {"0.580", "0.58"}, {"123", "12"}, {"5.5T", "-5."}, {"7", "0"}};
    for (const auto& [keys, after] : cases) {
        SCOPED_TRACE(keys);
        dir.write("TERM/JOBCALC.TMP", "");
        type(keys);
        backspace();
        run();
        EXPECT_EQ(window_row(last_screen(), 24, 1), display_line(after));
    }
    // Taken back to 0, the number is no longer being entered: "=" does
    // nothing.
    type("C4+7");
    backspace();
    type("=");
    run();
    EXPECT_EQ(window_row(last_screen(), 22, 1), tape_line("4", '+'));
    EXPECT_EQ(window_row(last_screen(), 24, 1), display_line("0"));
}

TEST_F(CalculatorTest, TheTapeShowsTwentyOneLinesAndScrolls) {
    std::string keys;
    for (int i = 1; i <= 21; ++i) keys += std::to_string(i) + "+";
    type(keys);
    run();
    const Screen& s21 = last_screen();
    EXPECT_EQ(window_row(s21, 1, 1), top_border());
    EXPECT_EQ(window_row(s21, 2, 1), tape_line("1", '+'));
    EXPECT_EQ(window_row(s21, 22, 1), tape_line("21", '+'));
    EXPECT_EQ(state_line(1).substr(0, 4), "1,2,");
    EXPECT_EQ(state_line(4), R"(0,0,0," ")");

    type("22+");
    run();
    const Screen& s22 = last_screen();
    EXPECT_EQ(window_row(s22, 1, 1), top_border());
    EXPECT_EQ(window_row(s22, 2, 1), tape_line("2", '+'));
    EXPECT_EQ(window_row(s22, 22, 1), tape_line("22", '+'));
    // Entry 1 holds the oldest line, never shown; the next one is lost.
    EXPECT_EQ(state_line(4), R"(1,0,0,"+")");
    type("23+");
    run();
    EXPECT_EQ(state_line(4), R"(2,0,0,"+")");
    EXPECT_EQ(window_row(last_screen(), 2, 1), tape_line("3", '+'));
}

TEST_F(CalculatorTest, TheWindowMovesAndWrapsBetweenColumnsOneAndFiftyFive) {
    type("9+");
    left();
    right();
    right(platform::LEFT_CTRL);
    left(platform::LEFT_CTRL);
    left(platform::LEFT_CTRL);
    run();
    const auto& screens = console.screens;
    ASSERT_EQ(screens.size(), 8u);
    // Left from column 1: columns 55 to 80, the screen at 1 to 26 put back.
    EXPECT_EQ(window_row(screens[3], 24, 55), display_line("9"));
    EXPECT_EQ(window_row(screens[3], 22, 55), tape_line("9", '+'));
    EXPECT_EQ(window_row(screens[3], 21, 55), top_border());
    EXPECT_EQ(window_row(screens[3], 24, 1), std::string(26, 'x'));
    EXPECT_EQ(window_row(screens[3], 22, 1), std::string(26, 'v'));
    // Right from 55: back at column 1.
    EXPECT_EQ(window_row(screens[4], 24, 1), display_line("9"));
    EXPECT_EQ(window_row(screens[4], 24, 55), std::string(26, 'x'));
    EXPECT_EQ(window_row(screens[5], 24, 2), display_line("9"));
    EXPECT_EQ(window_row(screens[5], 24, 1).substr(0, 1), "x");
    EXPECT_EQ(window_row(screens[6], 24, 1), display_line("9"));
    EXPECT_EQ(window_row(screens[7], 24, 55), display_line("9"));
    for (const int depth : console.window_depths) EXPECT_EQ(depth, 1);
    EXPECT_EQ(console.now(), underneath);
    EXPECT_EQ(state_line(1).substr(0, 6), "55,22,");
}

TEST_F(CalculatorTest, ReopeningShowsTheSameDisplayTapeAndPlace) {
    type("10+2.5=");
    left();
    left();
    type("3.25");
    EXPECT_EQ(run(), "");  // Esc
    const Screen closed_on = last_screen();
    const std::string file = state_file();
    EXPECT_EQ(window_row(closed_on, 24, 54), display_line("3.25"));

    type("F");
    // Still entering 3.25.
    EXPECT_EQ(run(), "325");
    EXPECT_EQ(console.screens.front(), closed_on);
    type("+");
    run();
    // After "=" a new number starts a new sum.
    EXPECT_EQ(window_row(last_screen(), 21, 54), tape_line("12.5", ' '));
    EXPECT_EQ(window_row(last_screen(), 22, 54), tape_line("3.25", '+'));
    EXPECT_EQ(window_row(last_screen(), 24, 54), display_line("3.25"));
    EXPECT_NE(state_file(), file);
}

TEST_F(CalculatorTest, AMissingStateFileIsCreatedEmptyOnOpening) {
    bool checked = false;
    console.at_wait = [&] {
        if (checked) return;
        checked = true;
        EXPECT_TRUE(dir.exists("TERM/JOBCALC.TMP"));
        EXPECT_EQ(state_file(), "");
    };
    type("4F");
    EXPECT_EQ(run(), "400");
    EXPECT_TRUE(checked);
    EXPECT_EQ(state_line(1), "1,23,4,0");
}

TEST_F(CalculatorTest, AnUnwritableTerminalDirectoryStillRuns) {
    startup::session.terminal_dir = dir.path() + "MISSING" + std::string(1, std::filesystem::path::preferred_separator);
    type("6*7=F");
    EXPECT_EQ(run(), "4200");
    EXPECT_EQ(window_row(last_screen(), 24, 1), display_line("42"));
    EXPECT_EQ(console.now(), underneath);
    EXPECT_FALSE(dir.exists("MISSING"));
}

TEST_F(CalculatorTest, AltFFinishesLikeF) {
    type("2.5");
    alt_f();
    EXPECT_EQ(run(), "250");
    type("3");
    esc();
    type("F");  // never read: Esc has closed it
    EXPECT_EQ(run(), "");
    EXPECT_EQ(console.pending_events(), 1u);
}

TEST_F(CalculatorTest, AHiddenCursorStaysHidden) {
    console.hide_cursor();
    type("F");
    run();
    EXPECT_FALSE(console.cursor_visible());
}

}  // namespace
