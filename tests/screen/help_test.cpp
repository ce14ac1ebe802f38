#include "screen/help.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/process.h"
#include "screen/regions.h"
#include "screen_fixture.h"

using screen::show_help;

namespace {

constexpr std::uint8_t DOWN = 0x50, UP = 0x48, PGDN = 0x51, PGUP = 0x49, HOME = 0x47, END = 0x4F, F1 = 0x3B;
constexpr char HIGHLIGHT = 30, MARKED = 31, REVERSE = 16;

// A headless console that keeps a copy of the screen each time the program
// waits for a key, so what a viewer showed can be read after it closed.
class RecordingConsole : public platform::HeadlessConsole {
public:
    platform::InputEvent wait_event() override {
        std::vector<platform::Cell> screen;
        for (int row = 1; row <= rows(); ++row)
            for (int column = 1; column <= columns(); ++column) screen.push_back(read_cell(row, column));
        screens.push_back(std::move(screen));
        return HeadlessConsole::wait_event();
    }
    std::vector<std::vector<platform::Cell>> screens;
};

// A help file of fixed 80-byte records.
std::string help_file(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + std::string(80 - std::min<std::size_t>(80, line.size()), ' ');
    return bytes;
}

std::string numbered(int n) {
    std::vector<std::string> lines;
    for (int k = 1; k <= n; ++k) lines.push_back("line " + std::to_string(k));
    return help_file(lines);
}

class Help : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        platform::set_console(&recording);
        platform::change_directory(dir.path());
        startup::session.run_environment = "DOS";
        // Palette entries told apart by their attributes: 0x0F, 0x07, 0x70, 0x30, 0x1E.
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 3}, {14, 1}}};
    }

    static platform::Cell cell(const std::vector<platform::Cell>& screen, int row, int column) {
        return screen[static_cast<std::size_t>((row - 1) * 80 + column - 1)];
    }
    static std::string text(const std::vector<platform::Cell>& screen, int row, int first, int last) {
        std::string t;
        for (int c = first; c <= last; ++c) t += static_cast<char>(cell(screen, row, c).ch);
        return t;
    }
    // The first and last line numbers in the text area of one screen.
    static std::pair<int, int> lines_shown(const std::vector<platform::Cell>& screen) {
        int first = 0, last = 0;
        for (int row = 5; row <= 21; ++row) {
            const std::string t = text(screen, row, 3, 12);
            if (t.rfind("line ", 0) != 0) continue;
            const int k = std::stoi(t.substr(5));
            if (first == 0) first = k;
            last = k;
        }
        return {first, last};
    }
    // Shows TOPIC with the keys, and gives the lines shown before each key.
    std::vector<std::pair<int, int>> pages(const std::vector<std::uint8_t>& scans) {
        for (const auto s : scans) recording.push_scan(s);
        recording.push_char(27);
        show_help("TOPIC");
        std::vector<std::pair<int, int>> shown;
        for (const auto& screen : recording.screens) shown.push_back(lines_shown(screen));
        recording.screens.clear();
        return shown;
    }

    RecordingConsole recording;
    test_support::CwdGuard cwd;
};

using Pages = std::vector<std::pair<int, int>>;

TEST_F(Help, FortyLinesPageByLineAndByPage) {
    dir.write("AJUDA/TOPIC.HLP", numbered(40));
    EXPECT_EQ(pages({DOWN, UP, UP}), (Pages{{1, 17}, {2, 18}, {1, 17}, {1, 17}}));
    EXPECT_EQ(pages({PGDN, PGDN, PGDN, DOWN, END}), (Pages{{1, 17}, {18, 34}, {24, 40}, {24, 40}, {24, 40}, {24, 40}}));
    EXPECT_EQ(pages({END, PGUP, PGUP, PGUP, PGUP, PGUP}),
              (Pages{{1, 17}, {24, 40}, {8, 24}, {1, 17}, {1, 17}, {1, 17}, {1, 17}}));
    EXPECT_EQ(pages({PGDN, PGUP, PGUP}), (Pages{{1, 17}, {18, 34}, {2, 18}, {1, 17}}));
    EXPECT_EQ(pages({PGDN, DOWN, HOME, HOME}), (Pages{{1, 17}, {18, 34}, {19, 35}, {1, 17}, {1, 17}}));
}

TEST_F(Help, ShortFileNeverMoves) {
    dir.write("AJUDA/TOPIC.HLP", numbered(10));
    EXPECT_EQ(pages({DOWN, PGDN, END, UP, PGUP, HOME}), Pages(7, {1, 10}));
    // Rows below the last line stay blank inside the frame.
    dir.write("AJUDA/TOPIC.HLP", numbered(10));
    recording.push_char(27);
    show_help("TOPIC");
    EXPECT_EQ(text(recording.screens[0], 15, 2, 79), std::string(78, ' '));
    EXPECT_EQ(cell(recording.screens[0], 15, 1).ch, 0xBA);
}

TEST_F(Help, LineCountRoundsAPartRecord) {
    // 40 records and a few bytes more: 40 lines; half a record more: 41.
    dir.write("AJUDA/TOPIC.HLP", numbered(40) + "line 41");
    EXPECT_EQ(pages({END}).back(), (std::pair{24, 40}));
    dir.write("AJUDA/TOPIC.HLP", numbered(40) + "line 41" + std::string(33, ' '));
    EXPECT_EQ(pages({END}).back(), (std::pair{25, 41}));
}

TEST_F(Help, MarkupColoursAndTheCut) {
    dir.write("AJUDA/TOPIC.HLP",
              help_file({std::string(1, HIGHLIGHT) + "Total" + HIGHLIGHT + " 12",
                         std::string(1, MARKED) + "ab" + HIGHLIGHT + "cd" + MARKED + "ef" + HIGHLIGHT + "g",
                         std::string("x") + REVERSE + "rev" + REVERSE + "y", std::string(80, 'z'),
                         std::string(40, 'q') + HIGHLIGHT + std::string(39, 'w')}));
    recording.push_char(27);
    show_help("TOPIC");
    const auto& s = recording.screens[0];
    // Window: a double frame from row 4 to 22; lines start at column 3.
    EXPECT_EQ(cell(s, 4, 1).ch, 0xC9);
    EXPECT_EQ(cell(s, 22, 80).ch, 0xBC);
    EXPECT_EQ(cell(s, 4, 1).attr, 0x0F);  // the frame in the "+h" colour
    EXPECT_EQ(text(s, 5, 3, 10), "Total 12");
    EXPECT_EQ(cell(s, 5, 3).attr, 0x0F);
    EXPECT_EQ(cell(s, 5, 8).attr, 0x07);
    // Inside marked text the highlight switch changes no colour; the end
    // of the marked text goes back to normal even with highlight on.
    EXPECT_EQ(text(s, 6, 3, 9), "abcdefg");
    for (int c = 3; c <= 6; ++c) EXPECT_EQ(cell(s, 6, c).attr, 0x1E) << c;
    EXPECT_EQ(cell(s, 6, 7).attr, 0x07);
    EXPECT_EQ(cell(s, 6, 9).attr, 0x07);  // highlight switched off again: normal
    EXPECT_EQ(text(s, 7, 3, 7), "xrevy");
    EXPECT_EQ(cell(s, 7, 4).attr, 0x70);
    EXPECT_EQ(cell(s, 7, 7).attr, 0x07);
    // At most 76 characters, markup not counted.
    EXPECT_EQ(text(s, 8, 3, 79), std::string(76, 'z') + " ");
    EXPECT_EQ(text(s, 9, 3, 79), std::string(40, 'q') + std::string(36, 'w') + " ");
}

TEST_F(Help, MissingPageShowsAnEmptyWindowAndCreatesNothing) {
    recording.set_attribute(0x5A);
    recording.place_cursor(2, 2);
    recording.print("under");
    recording.push_char(27);
    show_help("NOTHERE");
    EXPECT_EQ(lines_shown(recording.screens[0]), (std::pair{0, 0}));
    EXPECT_EQ(cell(recording.screens[0], 4, 1).ch, 0xC9);
    EXPECT_FALSE(dir.exists("AJUDA/NOTHERE.HLP"));
    EXPECT_EQ(recording.row_text(4), std::string(80, ' '));
    EXPECT_EQ(recording.row_text(2).substr(0, 6), " under");
    EXPECT_EQ(screen::screen_state.window_depth, 0);
    EXPECT_TRUE(screen::screen_state.colour_stack.empty());
}

TEST_F(Help, KeyGuideOpensOnceOverThePageAndGivesItBack) {
    dir.write("AJUDA/TOPIC.HLP", numbered(40));
    dir.write("AJUDA/KEYGUIDE.HLP", help_file({"keys"}));
    // Down, F1 (guide), F1 in the guide (nothing), Esc (back), Esc.
    recording.push_scan(DOWN);
    recording.push_scan(F1);
    recording.push_scan(F1);
    recording.push_char(27);
    recording.push_char(27);
    show_help("TOPIC");
    ASSERT_EQ(recording.screens.size(), 5u);
    EXPECT_EQ(text(recording.screens[2], 5, 3, 6), "keys");
    EXPECT_EQ(text(recording.screens[3], 5, 3, 6), "keys");
    EXPECT_EQ(recording.screens[4], recording.screens[1]);  // the first page as it was
    EXPECT_EQ(screen::screen_state.window_depth, 0);
    EXPECT_FALSE(dir.exists("WinPush.tmp"));
}

#ifndef _WIN32
// A POSIX shell stands in for the Windows one here.
TEST_F(Help, UnderWindowsTheShellRunsHtmrunAndIsWaitedFor) {
    startup::session.run_environment = "WIN";
    // A stand-in HTMRUN on the path that notes its argument, slowly.
    const std::string bin = dir.path() + "bin/";
    dir.write("bin/HTMRUN", "#!/bin/sh\nsleep 0.2\necho \"$1\" > \"" + dir.path() + "ran\"\n");
    ASSERT_EQ(platform::run_command("chmod +x '" + bin + "HTMRUN'"), 0);
    test_support::EnvGuard env;
    env.set("PATH", bin + ":" + platform::get_env("PATH"));
    dir.write("AJUDA/MENU1.HTM", "<html></html>");

    show_help("MENU1");
    EXPECT_EQ(dir.read("ran"), "AJUDA/MENU1.HTM\n");
    EXPECT_EQ(recording.screens.size(), 0u);  // nothing shown, no key read

    // Anything but a plain name never reaches the shell.
    for (const std::string topic : {"a;touch bad", "$(touch bad)", "a b", "../x", "", "`x`"}) {
        show_help(topic);
        EXPECT_FALSE(dir.exists("bad")) << topic;
    }
    dir.write("ran", "");
    show_help("Help_2-b");
    EXPECT_EQ(dir.read("ran"), "AJUDA/Help_2-b.HTM\n");
}

// The pages that ship with the program: whole records, every line within
// what the viewer shows, and each with its page for the Windows help.
TEST_F(Help, InstalledPagesAreWholeRecords) {
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SAMPLE_INSTALL "/AJUDA")) {
        if (entry.path().extension() != ".HLP") continue;
        ++pages;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(bytes.size() % 80, 0u) << entry.path();
        for (std::size_t at = 0; at < bytes.size(); at += 80) {
            const std::string line = bytes.substr(at, 80);
            const auto markup = std::count_if(line.begin(), line.end(),
                                              [](char c) { return c == HIGHLIGHT || c == MARKED || c == REVERSE; });
            EXPECT_EQ(markup % 2, 0) << entry.path() << " line " << at / 80 + 1;
            EXPECT_LE(line.find_last_not_of(' ') + 1 - static_cast<std::size_t>(markup), 76u)
                << entry.path() << " line " << at / 80 + 1;
        }
        auto htm = entry.path();
        EXPECT_TRUE(std::filesystem::exists(htm.replace_extension(".HTM"))) << htm;
    }
    EXPECT_GE(pages, 2);

    platform::change_directory(SAMPLE_INSTALL "/");
    recording.push_char(27);
    show_help("KEYGUIDE");
    EXPECT_EQ(text(recording.screens[0], 5, 3, 22), "COM FUNCIONA L'AJUDA");
    EXPECT_EQ(cell(recording.screens[0], 5, 3).attr, 0x0F);
}
#endif

}  // namespace
