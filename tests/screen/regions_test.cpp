#include "screen/regions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp850.h"
#include "screen/windows.h"
#include "screen_fixture.h"

using platform::operator""_cp850;
using screen::restore_screen_region;
using screen::save_screen_region;
using screen::screen_state;

namespace {

class Regions : public ScreenTest {
protected:
    // Every cell different: its character and attribute follow from its
    // place.
    void paint_pattern() {
        for (int row = 1; row <= 25; ++row) {
            for (int column = 1; column <= 80; ++column) {
                console.set_attribute(static_cast<std::uint8_t>(row * 7 + column));
                console.place_cursor(row, column);
                console.print(std::string(1, static_cast<char>('!' + (row * 3 + column) % 90)));
            }
        }
    }
    std::vector<platform::Cell> all_cells() const {
        std::vector<platform::Cell> cells;
        for (int row = 1; row <= 25; ++row)
            for (int column = 1; column <= 80; ++column) cells.push_back(console.read_cell(row, column));
        return cells;
    }
    // Paints over a rectangle, as a pop-up would.
    void scribble(int top, int left, int bottom, int right) {
        console.set_attribute(0x1F);
        for (int row = top; row <= bottom; ++row) {
            console.place_cursor(row, left);
            console.print(std::string(static_cast<std::size_t>(right - left + 1), '#'));
        }
    }
    std::string stack_file() const { return dir.read("WinPush.tmp"); }
    bool stack_exists() const { return dir.exists("WinPush.tmp"); }
};

TEST_F(Regions, SaveWritesOneRecordOfTheLayout) {
    paint_pattern();
    console.place_cursor(7, 33);
    save_screen_region(10, 20, 12, 29);

    const std::string file = stack_file();
    ASSERT_EQ(file.size(), 4u + 85u);
    EXPECT_EQ(file.substr(0, 4), std::string("\x5A\x00\x00\x00", 4));  // top of the stack: 90
    EXPECT_EQ(file.substr(4, 20), "07330000000010201229");
    for (int k = 0; k < 30; ++k) {
        const platform::Cell cell = console.read_cell(10 + k / 10, 20 + k % 10);
        EXPECT_EQ(static_cast<std::uint8_t>(file[24 + 2 * k]), cell.ch) << k;
        EXPECT_EQ(static_cast<std::uint8_t>(file[25 + 2 * k]), cell.attr) << k;
    }
    EXPECT_EQ(file.substr(84), "00085");

    EXPECT_EQ(screen_state.window_depth, 1);
    EXPECT_EQ(screen_state.win_top, 10);
    EXPECT_EQ(screen_state.win_right, 29);
    EXPECT_EQ(console.cursor(), (platform::Position{7, 33}));  // saving paints nothing
}

TEST_F(Regions, NestedSavesComeBackInReverse) {
    paint_pattern();
    const auto before = all_cells();
    console.place_cursor(3, 4);
    console.set_attribute(0x0F);

    save_screen_region(4, 1, 22, 80);
    scribble(4, 1, 22, 80);
    const auto middle = all_cells();
    console.place_cursor(9, 9);
    save_screen_region(10, 30, 14, 50);
    // The record keeps the window that was current at the second save.
    EXPECT_EQ(stack_file().substr(4 + 3065 + 4, 8), "04012280");
    scribble(10, 30, 14, 50);

    restore_screen_region();
    EXPECT_EQ(all_cells(), middle);
    EXPECT_EQ(console.cursor(), (platform::Position{9, 9}));
    EXPECT_EQ(screen_state.window_depth, 1);
    EXPECT_EQ(screen_state.win_top, 4);
    EXPECT_EQ(screen_state.win_bottom, 22);
    EXPECT_TRUE(stack_exists());

    restore_screen_region();
    EXPECT_EQ(all_cells(), before);
    EXPECT_EQ(console.cursor(), (platform::Position{3, 4}));
    EXPECT_EQ(screen_state.window_depth, 0);
    EXPECT_EQ(screen_state.win_top, 0);
    EXPECT_FALSE(stack_exists());
    // The colour in force is the bottom-right cell's.
    EXPECT_EQ(console.attribute(), console.read_cell(22, 80).attr);
}

TEST_F(Regions, WindowRowOneIsJustInsideTheFrame) {
    save_screen_region(10, 20, 12, 29);
    screen::locate_in_window(1, 1);
    EXPECT_EQ(console.cursor(), (platform::Position{11, 21}));
}

TEST_F(Regions, SaveOffTheScreenDoesNothing) {
    const struct {
        int top, left, bottom, right;
    } off[] = {{1, 1, 25, 81}, {0, 1, 3, 3}, {1, 0, 3, 3}, {26, 1, 26, 3}, {-1, -1, 2, 2}};
    for (const auto& r : off) {
        save_screen_region(static_cast<std::int16_t>(r.top), static_cast<std::int16_t>(r.left),
                           static_cast<std::int16_t>(r.bottom), static_cast<std::int16_t>(r.right));
        EXPECT_FALSE(stack_exists());
        EXPECT_EQ(screen_state.window_depth, 0);
    }
}

TEST_F(Regions, InvertedRegionSavesNoCells) {
    save_screen_region(12, 20, 10, 29);
    EXPECT_EQ(stack_file().size(), 4u + 25u);
    EXPECT_EQ(stack_file().substr(24), "00025");
    restore_screen_region();
    EXPECT_FALSE(stack_exists());
    EXPECT_EQ(screen_state.window_depth, 0);
}

TEST_F(Regions, RestoreWithNothingSavedChangesNothing) {
    paint_pattern();
    const auto before = all_cells();
    console.place_cursor(5, 6);
    restore_screen_region();
    EXPECT_EQ(all_cells(), before);
    EXPECT_EQ(console.cursor(), (platform::Position{5, 6}));
    EXPECT_FALSE(stack_exists());

    dir.write("WinPush.tmp", "abc");
    restore_screen_region();
    EXPECT_EQ(all_cells(), before);
    EXPECT_FALSE(stack_exists());
}

TEST_F(Regions, DamagedStackIsNeverPaintedFromOrWrittenPast) {
    // A real record to damage.
    paint_pattern();
    save_screen_region(2, 2, 3, 5);
    const std::string good = stack_file();
    const auto damaged = [&](std::size_t at, std::string bytes) {
        std::string f = good;
        f.replace(at, bytes.size(), bytes);
        return f;
    };
    const std::string files[] = {
        good.substr(0, 20),                               // truncated
        damaged(0, std::string("\xFF\xFF\xFF\x7F", 4)),   // top far past the end
        damaged(0, std::string("\x02\x00\x00\x00", 4)),   // top before the records
        damaged(0, std::string("\x00\x00\x00\x80", 4)),   // negative top
        damaged(good.size() - 5, "99999"),                // length before the start
        damaged(good.size() - 5, "0004x"),                // length not a number
        damaged(good.size() - 5, "00030"),                // length disagrees with the region
        damaged(4 + 12, "0x"),                            // a field not a number
        std::string("\x0C\x00\x00\x00", 4) + "junkjunk",  // foreign bytes
    };
    for (const std::string& f : files) {
        screen_state = {};
        screen_state.window_depth = 1;
        screen_state.win_top = 2;
        console.set_attribute(0x1F);
        console.clear();
        const auto before = all_cells();
        dir.write("WinPush.tmp", f);
        restore_screen_region();
        EXPECT_EQ(all_cells(), before);
        EXPECT_EQ(screen_state.window_depth, 0);
        EXPECT_EQ(screen_state.win_top, 0);
        EXPECT_FALSE(stack_exists());
    }

    // A save over a top that points nowhere starts the stack afresh.
    dir.write("WinPush.tmp", damaged(0, std::string("\xFF\xFF\xFF\x7F", 4)));
    screen_state = {};
    save_screen_region(2, 2, 3, 5);
    EXPECT_EQ(stack_file().substr(0, 4), good.substr(0, 4));
    EXPECT_EQ(screen_state.window_depth, 1);
    restore_screen_region();
    EXPECT_EQ(screen_state.window_depth, 0);
    EXPECT_FALSE(stack_exists());
}

TEST_F(Regions, RestoreRepaintsSavedColoursWhateverThePalette) {
    console.set_attribute(0x4E);
    console.place_cursor(5, 5);
    console.print("é€"_cp850);
    save_screen_region(5, 5, 5, 6);
    startup::session.screen_palette = {{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}}};
    scribble(5, 5, 5, 6);
    restore_screen_region();
    EXPECT_EQ(console.read_cell(5, 5), (platform::Cell{0x82, 0x4E}));
    EXPECT_EQ(console.read_cell(5, 6), (platform::Cell{0xD5, 0x4E}));
}

}  // namespace
