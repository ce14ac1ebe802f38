#include "screen/windows.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp850.h"
#include "screen/colour.h"
#include "screen/regions.h"
#include "screen_fixture.h"

using platform::operator""_cp850;
using platform::Position;
namespace s = screen;

namespace {

class Windows : public ScreenTest {
protected:
    std::string row(int r) const { return console.row_text(r); }
};

TEST_F(Windows, PositionsFollowTheCurrentWindow) {
    s::locate_in_window(1, 1);
    EXPECT_EQ(console.cursor(), (Position{1, 1}));
    EXPECT_EQ(s::window_first_row(), 1);
    EXPECT_EQ(s::window_first_column(), 1);
    EXPECT_EQ(s::window_last_column(), 80);
    EXPECT_EQ(s::screen_rows(), 25);
    EXPECT_EQ(s::screen_columns(), 80);

    s::save_screen_region(4, 1, 22, 80);
    s::locate_in_window(1, 1);
    EXPECT_EQ(console.cursor(), (Position{5, 2}));
    EXPECT_EQ(s::window_first_row(), 5);
    EXPECT_EQ(s::window_first_column(), 2);
    EXPECT_EQ(s::window_last_column(), 79);
    // Off the screen: that coordinate stays.
    s::locate_in_window(30, 3);
    EXPECT_EQ(console.cursor(), (Position{5, 4}));
    s::restore_screen_region();
}

TEST_F(Windows, FramesInEachStyle) {
    s::draw_window_frame(s::FRAME_DOUBLE);  // no window: nothing
    EXPECT_EQ(row(4), std::string(80, ' '));

    console.set_attribute(0x1E);
    s::save_screen_region(4, 1, 22, 80);
    console.place_cursor(10, 10);
    console.print("old");
    s::draw_window_frame(s::FRAME_DOUBLE);
    EXPECT_EQ(
        row(4), "╔" + [] {
            std::string r;
            for (int i = 0; i < 78; ++i) r += "═";
            return r;
        }() + "╗");
    for (int r = 5; r <= 21; ++r) EXPECT_EQ(row(r), "║" + std::string(78, ' ') + "║") << r;
    EXPECT_EQ(row(22).substr(0, 3), "╚");
    EXPECT_EQ(console.attribute_at(22, 80), 0x1E);
    s::restore_screen_region();

    s::save_screen_region(2, 3, 4, 6);
    s::draw_window_frame(s::FRAME_SINGLE);
    EXPECT_EQ(row(2).substr(0, 14), "  ┌──┐");
    EXPECT_EQ(row(3).substr(0, 10), "  │  │");
    EXPECT_EQ(row(4).substr(0, 14), "  └──┘");
    s::draw_window_frame(s::FRAME_BLANK);
    EXPECT_EQ(row(2), std::string(80, ' '));
    s::restore_screen_region();
}

struct Box {
    int top, left, bottom, right;
};

class MessageBox : public Windows {
protected:
    // Shows the box, reads its frame corners off the screen, restores it.
    Box show(int at, std::string text) {
        s::show_message_box(static_cast<std::int16_t>(at), text);
        const Box b{s::screen_state.win_top, s::screen_state.win_left, s::screen_state.win_bottom,
                    s::screen_state.win_right};
        EXPECT_EQ(console.read_cell(b.top, b.left).ch, 0xDA);
        EXPECT_EQ(console.read_cell(b.bottom, b.right).ch, 0xD9);
        return b;
    }
};

TEST_F(MessageBox, PlacedAroundTheRowAndCentred) {
    const std::string thirty(30, 'x');
    const struct {
        int row;
        std::string text;
        Box box;
    } cases[] = {
        {24, thirty, {21, 24, 23, 57}},
        {25, thirty, {22, 24, 24, 57}},
        {26, thirty, {23, 24, 25, 57}},
        {40, thirty, {23, 24, 25, 57}},
        {12, thirty, {9, 24, 11, 57}},
        {1, thirty, {1, 24, 3, 57}},
        {12, std::string(76, 'y'), {9, 1, 11, 80}},
        // Two lines: the longest one sizes the box.
        {12, std::string(70, 'a') + " " + std::string(10, 'b'), {9, 4, 12, 77}},
    };
    for (const auto& c : cases) {
        const Box b = show(c.row, c.text);
        EXPECT_EQ(b.top, c.box.top) << c.row;
        EXPECT_EQ(b.left, c.box.left) << c.row;
        EXPECT_EQ(b.bottom, c.box.bottom) << c.row;
        EXPECT_EQ(b.right, c.box.right) << c.row;
        s::restore_screen_region();
        EXPECT_EQ(s::screen_state.window_depth, 0);
    }
}

TEST_F(MessageBox, TextInReverseAndColourGivenBack) {
    std::string code = "n";
    s::apply_colour_code(code);
    std::string text = "FITXER BLOQUEJAT. ESPEREU UN MOMENT."_cp850;
    s::show_message_box(24, text);
    EXPECT_EQ(text.size(), 76u);  // wrapped in place
    // 36 characters: columns 21 to 60, the text from column 23.
    std::string inside;
    for (int c = 22; c <= 59; ++c) inside += static_cast<char>(console.read_cell(22, c).ch);
    EXPECT_EQ(inside, " FITXER BLOQUEJAT. ESPEREU UN MOMENT. ");
    EXPECT_EQ(console.read_cell(22, 21).ch, 0xB3);
    EXPECT_EQ(console.read_cell(22, 60).ch, 0xB3);
    EXPECT_EQ(console.attribute_at(22, 23), 0x70);
    EXPECT_EQ(console.attribute_at(21, 21), 0x70);
    EXPECT_EQ(s::screen_state.current_colour_entry, 1);
    EXPECT_TRUE(s::screen_state.colour_stack.empty());
    s::restore_screen_region();
    EXPECT_EQ(row(22), std::string(80, ' '));
}

TEST_F(MessageBox, EmptyAndOverlongTextsStillSaveOneRegion) {
    const Box empty = show(12, "");
    EXPECT_EQ(empty.bottom - empty.top, 2);
    s::restore_screen_region();
    EXPECT_EQ(s::screen_state.window_depth, 0);

    std::string many;
    for (int i = 0; i < 30; ++i) many += std::string(75, 'a' + i % 26) + " ";
    const Box full = show(12, many);
    EXPECT_EQ(full.top, 1);
    EXPECT_EQ(full.bottom, 25);
    EXPECT_EQ(console.read_cell(24, 3).ch, 'a' + 22);  // line 23 is the last shown
    s::restore_screen_region();
    EXPECT_EQ(s::screen_state.window_depth, 0);
    EXPECT_TRUE(s::screen_state.colour_stack.empty());
}

TEST_F(Windows, ScrollMovesTheRectangleInsideTheGivenEdges) {
    for (int r = 1; r <= 25; ++r) {
        console.place_cursor(r, 1);
        console.print(std::string(80, static_cast<char>('A' + r)));
    }
    console.set_attribute(0x2A);
    s::scroll_region(4, 1, 20, 78, 1);
    EXPECT_EQ(row(5), std::string(1, 'A' + 5) + std::string(78, 'A' + 6) + std::string(1, 'A' + 5));
    EXPECT_EQ(row(20), std::string(1, 'A' + 20) + std::string(78, 'A' + 21) + std::string(1, 'A' + 20));
    EXPECT_EQ(row(21), std::string(1, 'A' + 21) + std::string(78, ' ') + std::string(1, 'A' + 21));
    EXPECT_EQ(console.attribute_at(21, 2), 0x2A);
    EXPECT_EQ(row(4), std::string(80, 'A' + 4));

    // 0 counts as one row down.
    s::scroll_region(4, 1, 20, 78, 0);
    EXPECT_EQ(row(5).substr(1, 78), std::string(78, ' '));
    EXPECT_EQ(row(6).substr(1, 78), std::string(78, 'A' + 6));
}

}  // namespace
