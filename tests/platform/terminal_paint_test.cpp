// What the painter sends to bring a terminal to a new screen, played on the
// model terminal: the screen must be shown, with few bytes.
#include "platform/terminal_paint.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/cp850.h"
#include "platform/headless_console.h"
#include "support/terminal_model.h"

using namespace platform;
using test_support::TerminalModel;

namespace {

std::vector<Cell> cells_of(const Console& c) {
    std::vector<Cell> out;
    for (int r = 1; r <= c.rows(); ++r)
        for (int col = 1; col <= c.columns(); ++col) out.push_back(c.read_cell(r, col));
    return out;
}

// A screen, the painter and the terminal it paints on, `width` columns wide.
struct Painted {
    explicit Painted(PaintStyle style = {}, int width = 80) : painter(25, 80, style), model(25, width), width(width) {}
    std::string paint(bool everything = false) {
        std::string out;
        painter.paint(cells_of(screen), everything, width, out);
        model.feed(out);
        return out;
    }
    HeadlessConsole screen;
    TerminalPainter painter;
    TerminalModel model;
    int width;
};

TEST(TerminalPaint, WholePaintIsAClearInTheMostCommonColourAndWhatDiffers) {
    Painted p;
    p.screen.set_attribute(0x1F);
    p.screen.clear();
    p.screen.print("VERTICAL");
    p.screen.place_cursor(5, 10);
    p.screen.set_attribute(0x1E);
    p.screen.print("abc");
    p.screen.place_cursor(6, 1);
    p.screen.print("  ");  // blanks of another foreground show as the cleared ones
    EXPECT_EQ(p.paint(true), "\x1b[0;97;44m\x1b[2J\x1b[HVERTICAL\x1b[5;10H\x1b[93mabc");
    p.model.expect_shows(p.screen);
    EXPECT_EQ(p.paint(), "") << "nothing changed";
}

// Changes to a known screen: rows 4 and 5 full of letters, the rest blank;
// the cursor stays on row 5 after it is painted.
TEST(TerminalPaint, ChangesSendOnlyWhatLooksDifferentWithTheShortestMoves) {
    struct Case {
        const char* what;
        std::function<void(Console&)> change;
        std::string bytes;
    };
    const auto at = [](Console& c, int row, int column, std::uint8_t attr, std::string_view text) {
        c.place_cursor(row, column);
        c.set_attribute(attr);
        c.print(text);
    };
    const Case cases[] = {
        {"one cell", [&](Console& c) { at(c, 12, 40, 0x1E, "ñ"_cp850); }, "\x1b[12;40H\x1b[93;44mñ"},
        {"only the foreground changes", [&](Console& c) { at(c, 3, 3, 0x0E, "x"); }, "\x1b[3;3H\x1b[93mx"},
        {"only the background changes", [&](Console& c) { at(c, 3, 3, 0x17, "x"); }, "\x1b[3;3H\x1b[44mx"},
        {"a cell written again as it was", [&](Console& c) { at(c, 4, 7, 0x07, "x"); }, ""},
        {"a blank in another foreground", [&](Console& c) { at(c, 8, 1, 0x01, " "); }, ""},
        {"a gap of one cell is written again",
         [&](Console& c) {
             at(c, 2, 5, 0x07, "ab");
             at(c, 2, 8, 0x07, "cd");
         },
         "\x1b[2;5Hab cd"},
        {"a longer gap is skipped",
         [&](Console& c) {
             at(c, 2, 5, 0x07, "ab");
             at(c, 2, 20, 0x07, "cd");
         },
         "\x1b[2;5Hab\x1b[20Gcd"},
        {"on to the next row", [&](Console& c) { at(c, 2, 79, 0x07, "abcd"); }, "\x1b[2;79Hab\r\ncd"},
        {"another row and column are placed",
         [&](Console& c) {
             at(c, 2, 70, 0x07, "ab");
             at(c, 3, 60, 0x07, "cd");
         },
         "\x1b[2;70Hab\x1b[3;60Hcd"},
        {"blanks to the end of a row are erased", [&](Console& c) { at(c, 4, 11, 0x07, std::string(70, ' ')); },
         "\x1b[4;11H\x1b[K"},
        {"blanks inside a row are erased", [&](Console& c) { at(c, 5, 11, 0x07, std::string(20, ' ')); },
         "\x1b[11G\x1b[20X"},
        {"a short run of blanks is written", [&](Console& c) { at(c, 5, 11, 0x07, "  "); }, "\x1b[11G  "},
        {"a new background everywhere is a clear",
         [&](Console& c) {
             c.set_attribute(0x1F);
             c.clear();
         },
         "\x1b[44m\x1b[2J"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Painted p;
        p.screen.set_attribute(0x07);
        p.screen.clear();
        at(p.screen, 4, 1, 0x07, std::string(80, 'x'));
        at(p.screen, 5, 1, 0x07, std::string(80, 'y'));
        p.paint();
        c.change(p.screen);
        EXPECT_EQ(p.paint(), c.bytes);
        p.model.expect_shows(p.screen);
    }
}

TEST(TerminalPaint, RowsEndingBeforeTheTerminalsAreNotErasedToItsEnd) {
    Painted p({}, 100);
    p.screen.set_attribute(0x07);
    p.screen.clear();
    p.screen.print(std::string(80, 'x'));
    p.paint();
    p.screen.place_cursor(1, 11);
    p.screen.print(std::string(70, ' '));
    EXPECT_EQ(p.paint(), "\x1b[11G\x1b[70X");
    p.model.expect_shows(p.screen);
}

// GNU screen erases in its default colours: every cell is written, and
// neither erase is used.
TEST(TerminalPaint, WithoutColouredErasesEveryCellIsWritten) {
    Painted p({false, false});
    p.screen.set_attribute(0x1F);
    p.screen.clear();
    p.screen.print("ab");
    const std::string out = p.paint();
    EXPECT_EQ(out.rfind("\x1b[0m\x1b[2J\x1b[H\x1b[0;97;44mab   ", 0), 0u);
    EXPECT_EQ(out.find("X"), std::string::npos);
    EXPECT_EQ(out.find("\x1b[K"), std::string::npos);
    p.model.expect_shows(p.screen);
}

// Any sequence of changes, in every style and on a wider terminal too,
// leaves the terminal showing the screen, and never moves relative to a
// cursor that waits to wrap.
TEST(TerminalPaint, AnySequenceOfChangesIsShown) {
    const struct {
        PaintStyle style;
        int width;
    } setups[] = {{{false, true}, 80}, {{false, true}, 100}, {{true, true}, 80}, {{false, false}, 80}};
    for (const auto& setup : setups) {
        SCOPED_TRACE(std::to_string(setup.width) + (setup.style.linux_console ? " linux" : "") +
                     (setup.style.colour_erase ? "" : " no erase"));
        Painted p(setup.style, setup.width);
        std::mt19937 rng(11);
        const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        for (int step = 0; step < 200; ++step) {
            const int kind = pick(0, 9);
            if (kind == 0) {
                p.screen.set_attribute(static_cast<std::uint8_t>(pick(0, 255)));
                p.screen.clear();
            } else if (kind == 1) {
                p.screen.scroll(pick(1, 25), pick(1, 80), pick(1, 25), pick(1, 80), pick(-3, 3));
            } else {
                // Blanks are common on screens, and runs of them matter here.
                p.screen.set_attribute(static_cast<std::uint8_t>(pick(0, 3) == 0 ? pick(0, 255) : 0x17));
                p.screen.place_cursor(pick(1, 25), pick(1, 80));
                std::string text;
                for (int n = pick(1, 90); n > 0; --n) text += pick(0, 2) ? ' ' : static_cast<char>(pick(0, 255));
                p.screen.print(text);
            }
            p.paint(pick(0, 20) == 0);
            SCOPED_TRACE(step);
            p.model.expect_shows(p.screen);
            if (testing::Test::HasFatalFailure()) return;
        }
    }
}

}  // namespace
