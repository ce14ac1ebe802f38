#include "screen/colour.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/headless_console.h"
#include "screen/state.h"
#include "startup/session.h"

using platform::operator""_cp850;
using screen::apply_colour_code;
using screen::is_all_char;
using screen::screen_state;
using startup::session;

namespace {

// Each entry of this palette gives its own attribute: entry e paints
// foreground 10 + e on background e + 1.
const std::array<startup::PaletteEntry, 5> distinct = {{{10, 1}, {11, 2}, {12, 3}, {13, 4}, {14, 5}}};
std::uint8_t attribute_of(int entry) { return static_cast<std::uint8_t>((entry + 1) * 16 + 10 + entry); }

class Colour : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = session;
        session.screen_palette = distinct;
        screen_state = {};
        platform::set_console(&console);
    }
    void TearDown() override {
        platform::set_console(nullptr);
        screen_state = {};
        session = saved_session;
    }
    // Applies the code and paints one cell with it, returning that cell's
    // attribute as read back from the screen.
    std::uint8_t paint(const std::string& code) {
        std::string c = code;
        apply_colour_code(c);
        console.place_cursor(1, 1);
        console.print("X");
        return console.attribute_at(1, 1);
    }
    std::string stack() const { return screen_state.colour_stack; }

    startup::Session saved_session;
    platform::HeadlessConsole console;
};

TEST_F(Colour, CodesChooseEntries) {
    struct Case {
        const char* code;
        int entry;
        std::string stack_after;  // starting from entry 1 with an empty stack
    };
    const Case cases[] = {
        {"n", 1, ""},      {"N", 1, ""},      {"h", 0, ""},      {"u", 4, ""},       {"r", 2, ""},
        {"rh", 2, ""},     {"rn", 3, ""},     {"nru", 4, ""},    {"eadh", 0, ""},    {"?", 0, ""},
        {"+h", 0, "\x01"}, {"+n", 1, "\x01"}, {"+u", 4, "\x01"}, {"+rh", 2, "\x01"}, {"hr+", 2, "\x01"},
        {"-", 0, ""},      {"-n", 0, ""},     {"n-u", 0, ""},    {"+-", 1, ""},      {" n ", 1, ""},
    };
    for (const auto& c : cases) {
        screen_state = {1, ""};
        console.set_attribute(0);
        EXPECT_EQ(paint(c.code), attribute_of(c.entry)) << c.code;
        EXPECT_EQ(screen_state.current_colour_entry, c.entry) << c.code;
        EXPECT_EQ(stack(), c.stack_after) << c.code;
    }
}

TEST_F(Colour, CodeIsUpperCasedInPlace) {
    std::string code = "+rhé"_cp850;
    apply_colour_code(code);
    EXPECT_EQ(code, "+RHÉ"_cp850.str());
    std::string blank = "  ";
    apply_colour_code(blank);
    EXPECT_EQ(blank, "  ");
}

TEST_F(Colour, BlankCodesChangeNothing) {
    paint("+u");
    console.set_attribute(0x5A);
    for (const std::string code : {"", " ", "    "}) {
        EXPECT_EQ(paint(code), 0x5A);
        EXPECT_EQ(screen_state.current_colour_entry, 4);
        EXPECT_EQ(stack(), std::string(1, '\0'));
    }
}

TEST_F(Colour, SavedEntriesComeBackInReverse) {
    paint("n");
    EXPECT_EQ(paint("+rh"), attribute_of(2));
    EXPECT_EQ(paint("+u"), attribute_of(4));
    EXPECT_EQ(stack(), "\x01\x02");
    EXPECT_EQ(paint("-"), attribute_of(2));
    EXPECT_EQ(paint("-"), attribute_of(1));
    EXPECT_EQ(stack(), "");
    EXPECT_EQ(screen_state.current_colour_entry, 1);

    // A minus ignores the letters: back to the entry before "+rh".
    paint("+rh");
    EXPECT_EQ(paint("-n"), attribute_of(1));
    // An empty stack gives entry 0, not entry 1, and stays empty.
    EXPECT_EQ(paint("-"), attribute_of(0));
    EXPECT_EQ(stack(), "");
}

TEST_F(Colour, DefaultPaletteAndColoursAboveFifteen) {
    session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
    EXPECT_EQ(paint("-"), 0x0F);
    EXPECT_EQ(paint("n"), 0x07);
    EXPECT_EQ(paint("u"), 0x70);

    // 99 keeps the half of the attribute that was in use.
    session.screen_palette = {{{14, 1}, {99, 4}, {3, 16}, {99, 99}, {0, 7}}};
    EXPECT_EQ(paint("h"), 0x1E);
    EXPECT_EQ(paint("n"), 0x4E);
    EXPECT_EQ(paint("r"), 0x43);
    EXPECT_EQ(paint("rn"), 0x43);
}

TEST_F(Colour, StrayStackBytePaintsEntryZero) {
    screen_state.colour_stack = "\x09";
    EXPECT_EQ(paint("-"), attribute_of(0));
    EXPECT_EQ(screen_state.current_colour_entry, 0);
}

TEST(IsAllChar, Cases) {
    struct Case {
        std::string text;
        int character;
        int expected;
    };
    const Case cases[] = {
        {"", ' ', -1},         {"", 'x', -1},       {"   ", ' ', -1},
        {"  a", ' ', 0},       {"xxx", 'x', -1},    {"xX", 'x', 0},
        {"\xFF\xFF", 255, -1}, {"a", 'a' + 256, 0}, {std::string(1, '\0'), 0, -1},
        {"a", -159, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(is_all_char(c.text, static_cast<std::int16_t>(c.character)), c.expected)
            << c.text << " " << c.character;
}

}  // namespace
