#include "platform/headless_console.h"

#include <gtest/gtest.h>

#include "platform/cp850.h"

using namespace platform;

namespace {

TEST(HeadlessConsole, PrintsInTheCurrentAttributeAndWraps) {
    HeadlessConsole c;
    c.set_colour(14, 1);
    EXPECT_EQ(c.attribute(), 0x1E);
    c.place_cursor(3, 79);
    c.print("abc");
    EXPECT_EQ(c.read_cell(3, 79), (Cell{'a', 0x1E}));
    EXPECT_EQ(c.read_cell(3, 80), (Cell{'b', 0x1E}));
    EXPECT_EQ(c.read_cell(4, 1), (Cell{'c', 0x1E}));
    EXPECT_EQ(c.cursor(), (Position{4, 2}));
}

TEST(HeadlessConsole, BottomRightCornerDoesNotScroll) {
    HeadlessConsole c;
    c.place_cursor(1, 1);
    c.print("top");
    c.place_cursor(25, 79);
    c.print("\xBC\xBCZ");
    EXPECT_EQ(c.row_text(1).substr(0, 3), "top");
    EXPECT_EQ(c.read_cell(25, 80).ch, 'Z');
    EXPECT_EQ(c.cursor(), (Position{25, 80}));
}

TEST(HeadlessConsole, ControlCharactersActAsProcessedOutput) {
    HeadlessConsole c;
    c.place_cursor(2, 5);
    c.print("ab\bc\rd\ne\a\tf");
    EXPECT_EQ(c.row_text(2).substr(0, 8), "d   ac  ");
    EXPECT_EQ(c.row_text(3).substr(0, 10), "e       f ");
    EXPECT_EQ(c.beeps(), 1);
    // The arrows and other low bytes are characters.
    c.place_cursor(5, 1);
    c.print("\x11\x10\x01");
    EXPECT_EQ(c.row_text(5).substr(0, 9), "◄►☺");
    EXPECT_EQ(c.read_cell(5, 1).ch, 0x11);
}

TEST(HeadlessConsole, ColourNumbersOf16OrMoreKeepThatHalf) {
    HeadlessConsole c;
    c.set_colour(15, 4);
    c.set_colour(16, 2);
    EXPECT_EQ(c.attribute(), 0x2F);
    c.set_colour(3, 99);
    EXPECT_EQ(c.attribute(), 0x23);
    c.set_colour(-1, 16);
    EXPECT_EQ(c.attribute(), 0x23);
}

TEST(HeadlessConsole, CursorPlaceAndShape) {
    HeadlessConsole c;
    c.place_cursor(10, 20);
    c.place_cursor(0, 81);  // both outside: nothing changes
    EXPECT_EQ(c.cursor(), (Position{10, 20}));
    c.place_cursor(26, 5);  // row outside, column taken
    EXPECT_EQ(c.cursor(), (Position{10, 5}));
    c.show_cursor(100);
    EXPECT_TRUE(c.cursor_visible());
    EXPECT_EQ(c.cursor_size(), 99);
    c.show_cursor(1);
    EXPECT_EQ(c.cursor_size(), 10);
    c.hide_cursor();
    EXPECT_FALSE(c.cursor_visible());
}

TEST(HeadlessConsole, ClearAndReadOutside) {
    HeadlessConsole c;
    c.set_colour(7, 1);
    c.clear();
    for (int row : {1, 25})
        for (int col : {1, 80}) EXPECT_EQ(c.read_cell(row, col), (Cell{' ', 0x17}));
    EXPECT_EQ(c.read_cell(0, 1), (Cell{' ', 0}));
    EXPECT_EQ(c.read_cell(1, 81), (Cell{' ', 0}));
}

std::string column_letters(const HeadlessConsole& c, int col, int from, int to) {
    std::string out;
    for (int row = from; row <= to; ++row) out += static_cast<char>(c.read_cell(row, col).ch);
    return out;
}

TEST(HeadlessConsole, ScrollsARectangleUpAndDown) {
    HeadlessConsole c;
    for (int row = 1; row <= 6; ++row) {
        c.place_cursor(row, 1);
        c.print(std::string(5, static_cast<char>('a' + row - 1)));
    }
    c.set_colour(0, 3);
    c.scroll(2, 2, 5, 3, 1);
    EXPECT_EQ(column_letters(c, 2, 1, 6), "acde f");
    EXPECT_EQ(column_letters(c, 1, 1, 6), "abcdef");  // outside the rectangle
    EXPECT_EQ(c.read_cell(5, 2).attr, 0x30);
    c.scroll(2, 2, 5, 3, -2);
    EXPECT_EQ(column_letters(c, 3, 1, 6), "a  cdf");
    c.scroll(2, 2, 5, 3, 9);  // more rows than the rectangle: all blank
    EXPECT_EQ(column_letters(c, 2, 1, 6), "a    f");
}

TEST(HeadlessConsole, MouseEventsOnlyWhileReportingAndChosen) {
    HeadlessConsole c;
    c.push_mouse(MOUSE_RELEASED, MOUSE_LEFT, 3, 4);  // reporting off: dropped
    c.push_char('x');
    EXPECT_EQ(c.wait_event().text, "x");

    c.choose_mouse_events(REPORT_MOVES | REPORT_LEFT_RELEASE);
    c.set_mouse_reporting(true);
    c.push_mouse(MOUSE_RELEASED, MOUSE_RIGHT, 1, 1);  // not chosen
    c.push_mouse(MOUSE_RELEASED, MOUSE_LEFT, 7, 9);
    const InputEvent e = c.wait_event();
    EXPECT_TRUE(e.is_mouse());
    EXPECT_EQ(e.text, std::string("\xFF\xFF\x08\x01", 4));
    EXPECT_EQ(c.mouse_position(), (Position{7, 9}));
    c.set_mouse_reporting(false);
    EXPECT_EQ(c.mouse_position(), (Position{0, 0}));

    c.set_mouse_buttons(0);
    c.set_mouse_reporting(true);
    c.push_mouse(MOUSE_MOVED, 0, 2, 2);  // no mouse: nothing arrives
    EXPECT_FALSE(c.poll_event().has_value());
}

// The wheel's keys come, like mouse events, only while reporting is on;
// they leave the mouse position alone.
TEST(HeadlessConsole, WheelGivesUpAndDownOnlyWhileReporting) {
    HeadlessConsole c;
    c.push_wheel(true);
    c.push_char('x');
    EXPECT_EQ(c.wait_event().text, "x");
    c.choose_mouse_events(REPORT_LEFT_RELEASE);
    c.set_mouse_reporting(true);
    c.push_wheel(true);
    c.push_wheel(false);
    InputEvent e = c.wait_event();
    EXPECT_EQ(e.text, std::string("\0\x48", 2));
    EXPECT_EQ(e.control_state, 0);
    EXPECT_FALSE(e.is_mouse());
    e = c.wait_event();
    EXPECT_EQ(e.text, std::string("\0\x50", 2));
    EXPECT_EQ(c.mouse_position(), (Position{0, 0}));
}

TEST(HeadlessConsole, KeysWithControlStatePollAndDiscard) {
    HeadlessConsole c;
    c.push_scan(0x3B, SHIFT);
    c.push_char('a', LEFT_ALT);
    const InputEvent f1 = c.poll_event().value();
    EXPECT_EQ(f1.text, std::string("\0\x3B", 2));
    EXPECT_EQ(f1.control_state, SHIFT);
    c.discard_keys();
    EXPECT_FALSE(c.poll_event().has_value());
    // A used-up script answers Esc, so a screen under test ends.
    EXPECT_EQ(c.wait_event().text, "\x1B");
    EXPECT_EQ(c.waits_past_script(), 1);
}

TEST(HeadlessConsole, KeyboardStateClipboardAndBeeps) {
    HeadlessConsole c;
    KeyboardState k = c.keyboard_state();
    EXPECT_EQ(k[INSERT_KEY_INDEX], 0);
    k[INSERT_KEY_INDEX] = 1;
    c.set_keyboard_state(k);
    EXPECT_EQ(c.keyboard_state()[INSERT_KEY_INDEX], 1);
    EXPECT_EQ(c.get_clipboard(), "");
    c.put_clipboard("12 \xD5");
    EXPECT_EQ(c.get_clipboard(), "12 \xD5");
    c.beep();
    c.beep();
    EXPECT_EQ(c.beeps(), 2);
}

TEST(ConsoleOfTheRun, IsHeadlessUntilOneIsInstalled) {
    HeadlessConsole mine;
    set_console(&mine);
    console().print("hi");
    EXPECT_EQ(mine.row_text(1).substr(0, 2), "hi");
    set_console(nullptr);
    EXPECT_NE(&console(), static_cast<Console*>(&mine));
}

}  // namespace
