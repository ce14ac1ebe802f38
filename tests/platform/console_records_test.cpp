// Console input records, as the Windows console delivers them, to key
// event texts.
#include "platform/console_records.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

#include "platform/cp850.h"

using namespace platform;

namespace {

constexpr std::uint32_t ENHANCED = 0x100;
constexpr std::uint32_t NUM_LOCK = 0x20;
constexpr std::uint32_t CAPS_LOCK = 0x80;
constexpr unsigned ALL_MOUSE = REPORT_MOVES | REPORT_LEFT_RELEASE | REPORT_RIGHT_RELEASE;

struct KeyCase {
    const char* what;
    KeyRecord record;
    std::string text;  // empty: no event
    std::uint16_t control_state;
};

std::string nul_scan(int scan) { return std::string{'\0', static_cast<char>(scan)}; }

TEST(ConsoleRecords, KeysGiveTheirKeyEventTexts) {
    const KeyCase cases[] = {
        {"letter", {true, 0x41, 30, u'a', 0}, "a", 0},
        {"capital with Shift and the lock bits", {true, 0x41, 30, u'A', SHIFT | NUM_LOCK | CAPS_LOCK}, "A", SHIFT},
        {"ñ in code page 850", {true, 0xC0, 39, u'ñ', 0}, "\xA4", 0},
        {"euro typed", {true, 0x45, 18, u'€', 0}, "\xD5", 0},
        {"Enter", {true, 0x0D, 28, u'\r', 0}, "\r", 0},
        {"Ctrl+C as the character 3", {true, 0x43, 46, 3, LEFT_CTRL}, "\x03", LEFT_CTRL},
        {"Ctrl+V", {true, 0x56, 47, 22, RIGHT_CTRL}, "\x16", RIGHT_CTRL},
        {"Esc", {true, 0x1B, 1, 27, 0}, "\x1B", 0},
        {"Esc without its character", {true, 0x1B, 1, 0, 0}, "\x1B", 0},
        {"F1", {true, 0x70, 0x3B, 0, 0}, nul_scan(0x3B), 0},
        {"Shift+F1 keeps the plain scan code", {true, 0x70, 0x3B, 0, SHIFT}, nul_scan(0x3B), SHIFT},
        {"grey Home", {true, 0x24, 0x47, 0, ENHANCED}, nul_scan(0x47), 0},
        {"Home without its scan code", {true, 0x24, 0, 0, ENHANCED}, nul_scan(0x47), 0},
        {"End without its scan code", {true, 0x23, 0, 0, ENHANCED}, nul_scan(0x4F), 0},
        {"F10 without its scan code", {true, 0x79, 0, 0, 0}, nul_scan(0x44), 0},
        {"Ctrl+Left", {true, 0x25, 0x4B, 0, LEFT_CTRL | ENHANCED}, nul_scan(0x4B), LEFT_CTRL},
        {"keypad 1 with left Alt", {true, 0x23, 0x4F, 0, LEFT_ALT | NUM_LOCK}, nul_scan(0x4F), LEFT_ALT},
        {"Shift+Tab by its scan code", {true, 0x09, 15, u'\t', SHIFT}, nul_scan(15), SHIFT},
        {"Tab", {true, 0x09, 15, u'\t', 0}, "\t", 0},
        {"Alt+E with a character", {true, 0x45, 18, u'e', LEFT_ALT}, nul_scan(18), LEFT_ALT},
        {"AltGr+E giving the euro", {true, 0x45, 18, u'€', RIGHT_ALT | LEFT_CTRL}, nul_scan(18), RIGHT_ALT | LEFT_CTRL},
        {"Alt+X", {true, 0x58, 45, u'x', LEFT_ALT}, nul_scan(45), LEFT_ALT},
        {"Alt+C", {true, 0x43, 46, 0, RIGHT_ALT}, nul_scan(46), RIGHT_ALT},
        {"Alt+Q, first letter key", {true, 0x51, 16, u'q', LEFT_ALT}, nul_scan(16), LEFT_ALT},
        {"Alt+M, last letter key", {true, 0x4D, 50, u'm', LEFT_ALT}, nul_scan(50), LEFT_ALT},
        {"AltGr+2 keeps its character", {true, 0x32, 3, u'@', RIGHT_ALT | LEFT_CTRL}, "@", RIGHT_ALT | LEFT_CTRL},
        {"release", {false, 0x41, 30, u'a', 0}, "", 0},
        {"Shift alone", {true, 0x10, 42, 0, SHIFT}, "", 0},
        {"Ctrl alone", {true, 0x11, 29, 0, LEFT_CTRL}, "", 0},
        {"Alt alone", {true, 0x12, 56, 0, LEFT_ALT}, "", 0},
        {"right Alt alone by its own key", {true, 0xA5, 56, 0, RIGHT_ALT | ENHANCED}, "", 0},
        {"Caps Lock", {true, 0x14, 58, 0, CAPS_LOCK}, "", 0},
        {"Num Lock", {true, 0x90, 69, 0, NUM_LOCK}, "", 0},
        {"Scroll Lock", {true, 0x91, 70, 0, 0}, "", 0},
        {"character outside the code page", {true, 0x41, 30, u'ω', 0}, "", 0},
        {"picture of a control code is no text", {true, 0x41, 30, u'►', 0}, "", 0},
        {"lone surrogate", {true, 0x41, 30, char16_t(0xD83D), 0}, "", 0},
        {"no character and no key code", {true, 0, 0, 0, 0}, "", 0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto e = event_from_record(c.record, 0, ALL_MOUSE);
        if (c.text.empty()) {
            EXPECT_FALSE(e.has_value());
            continue;
        }
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->text, c.text);
        EXPECT_EQ(e->control_state, c.control_state);
        EXPECT_FALSE(e->is_mouse());
    }
}

struct MouseCase {
    const char* what;
    MouseRecord record;
    std::uint32_t previous_buttons;
    unsigned reported;
    int event;  // 0: no event
    int button;
};

TEST(ConsoleRecords, MouseReleasesAndMovesWithTheirPosition) {
    const MouseCase cases[] = {
        {"left release", {9, 4, 0, 0, 0}, 1, ALL_MOUSE, MOUSE_RELEASED, MOUSE_LEFT},
        {"right release", {9, 4, 0, 0, 0}, 2, ALL_MOUSE, MOUSE_RELEASED, MOUSE_RIGHT},
        {"right released, left still down", {9, 4, 1, 0, 0}, 3, ALL_MOUSE, MOUSE_RELEASED, MOUSE_RIGHT},
        {"release after a double click", {9, 4, 0, 2, 0}, 1, ALL_MOUSE, MOUSE_RELEASED, MOUSE_LEFT},
        {"movement", {9, 4, 0, 1, 0}, 0, ALL_MOUSE, MOUSE_MOVED, 0},
        {"drag is a movement", {9, 4, 1, 1, 0}, 1, ALL_MOUSE, MOUSE_MOVED, 0},
        {"press", {9, 4, 1, 0, 0}, 0, ALL_MOUSE, 0, 0},
        {"middle button release", {9, 4, 0, 0, 0}, 4, ALL_MOUSE, 0, 0},
        {"horizontal wheel", {9, 4, 120u << 16, 8, 0}, 0, ALL_MOUSE, 0, 0},
        {"movement not reported", {9, 4, 0, 1, 0}, 0, REPORT_LEFT_RELEASE | REPORT_RIGHT_RELEASE, 0, 0},
        {"right release not reported", {9, 4, 0, 0, 0}, 2, REPORT_MOVES | REPORT_LEFT_RELEASE, 0, 0},
    };
    for (const MouseCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto e = event_from_record(c.record, c.previous_buttons, c.reported);
        if (c.event == 0) {
            EXPECT_FALSE(e.has_value());
            continue;
        }
        ASSERT_TRUE(e.has_value());
        EXPECT_TRUE(e->is_mouse());
        EXPECT_EQ(e->text, (std::string{'\xFF', '\xFF', static_cast<char>(c.event), static_cast<char>(c.button)}));
        EXPECT_EQ(e->mouse, (Position{5, 10}));  // 1-based row and column
    }
}

// A notch of the wheel is the Up or Down key, with no modifiers, whatever
// events were chosen; whether it reaches the program is up to reporting.
TEST(ConsoleRecords, WheelGivesUpOrDown) {
    const struct {
        const char* what;
        std::uint32_t buttons;
        const char* text;
    } cases[] = {
        {"one notch away from the user", 120u << 16, "\0\x48"},
        {"one notch towards the user", 0xFF88u << 16, "\0\x50"},
        {"with the left button held", 120u << 16 | 1, "\0\x48"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto e = event_from_record(MouseRecord{9, 4, c.buttons, 4, LEFT_CTRL}, 0, 0);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->text, std::string(c.text, 2));
        EXPECT_EQ(e->control_state, 0);
        EXPECT_TRUE(e->wheel);
        EXPECT_FALSE(e->is_mouse());
    }
}

// Outside the 80 x 25 screen (a larger window) nothing is delivered, and
// no coordinate overflows on its way to 1-based.
TEST(ConsoleRecords, MouseOutsideTheScreenGivesNothing) {
    constexpr int most = std::numeric_limits<int>::max();
    constexpr int least = std::numeric_limits<int>::min();
    const std::pair<int, int> places[] = {{80, 0}, {0, 25}, {-1, 3}, {3, -1}, {most, most}, {least, least}, {most, 0}};
    for (const auto& [x, y] : places)
        for (const std::uint32_t flags : {0u, 1u, 4u}) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y) + " flags " + std::to_string(flags));
            EXPECT_FALSE(event_from_record(MouseRecord{x, y, 120u << 16, flags, 0}, 3, ALL_MOUSE).has_value());
        }
}

TEST(ConsoleRecords, MouseCornersAndControlState) {
    const auto top_left = event_from_record(MouseRecord{0, 0, 0, 0, LEFT_CTRL | NUM_LOCK}, 1, ALL_MOUSE);
    ASSERT_TRUE(top_left.has_value());
    EXPECT_EQ(top_left->mouse, (Position{1, 1}));
    EXPECT_EQ(top_left->control_state, LEFT_CTRL);
    const auto bottom_right = event_from_record(MouseRecord{79, 24, 0, 1, 0}, 0, ALL_MOUSE);
    ASSERT_TRUE(bottom_right.has_value());
    EXPECT_EQ(bottom_right->mouse, (Position{25, 80}));
}

}  // namespace
