#include "input/read_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/state.h"
#include "platform/headless_console.h"
#include "platform/key_codes.h"

using namespace input;
using platform::InputEvent;
using platform::LEFT_ALT;
using platform::LEFT_CTRL;
using platform::RIGHT_ALT;
using platform::RIGHT_CTRL;
using platform::SHIFT;

namespace {

InputEvent scan(std::uint8_t code, std::uint16_t state = 0) {
    return {std::string{'\0', static_cast<char>(code)}, state, {}};
}
InputEvent chr(char c, std::uint16_t state = 0) { return {std::string(1, c), state, {}}; }

class ReadKey : public ::testing::Test {
protected:
    void SetUp() override {
        input_state = {};
        platform::set_console(&console);
        // Whether mouse reporting was on at each wait.
        console.at_wait = [this] { reporting_at_wait.push_back(console.mouse_reporting()); };
    }
    void TearDown() override {
        platform::set_console(nullptr);
        input_state = {};
    }
    void script(const std::vector<InputEvent>& events) {
        for (const auto& e : events) console.push_event(e);
    }
    KeyCode next() {
        KeyRead r;
        read_key(r);
        return r.key;
    }
    platform::HeadlessConsole console;
    std::vector<bool> reporting_at_wait;
};

struct KeysCase {
    const char* name;
    std::vector<InputEvent> events;
    std::vector<KeyCode> codes;  // what successive calls return
};

TEST_F(ReadKey, LeftAltWithKeypadDigitsTypesTheCharacterOfThatNumber) {
    const std::uint8_t k0 = 0x52, k1 = 0x4F, k3 = 0x51, k4 = 0x4B, k6 = 0x4D, k9 = 0x49;
    const std::vector<KeysCase> cases = {
        {"1 6 4 then any key",
         {scan(k1, LEFT_ALT), scan(k6, LEFT_ALT), scan(k4, LEFT_ALT), chr('z'), chr('q')},
         {164, 'q'}},
        {"3 0 0 is 300 modulo 256",
         {scan(k3, LEFT_ALT), scan(k0, LEFT_ALT), scan(k0, LEFT_ALT), scan(k9), chr('q')},
         {44, 'q'}},
        {"a long number stays modulo 256",
         {scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), scan(k9, LEFT_ALT),
          scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), scan(k9, LEFT_ALT), chr('z')},
         {static_cast<KeyCode>(9999999999ULL % 256)}},
        {"events without a code are passed over",
         {scan(k1, LEFT_ALT), {std::string(2, '\0'), LEFT_ALT, {}}, scan(k6, LEFT_ALT), chr('z')},
         {16}},
        {"the ending key may itself be held with Alt",
         {scan(k6, LEFT_ALT), scan(k4, LEFT_ALT), chr('a', LEFT_ALT)},
         {64}},
        {"a mouse event ends the digits and is lost",
         {scan(k1, LEFT_ALT), scan(k6, LEFT_ALT), {std::string("\xFF\xFF\x01\x00", 4), LEFT_ALT, {3, 3}}, chr('q')},
         {16, 'q'}},
        {"right Alt does not compose", {scan(k1, RIGHT_ALT), scan(k6, RIGHT_ALT), chr('q')}, {KEY_END, KEY_RIGHT, 'q'}},
        {"left Alt with another key is that key", {scan(0x3B, LEFT_ALT), chr('q')}, {KEY_ALT_F1, 'q'}},
        {"Alt+E and AltGr+E type the euro sign",
         {scan(0x12, LEFT_ALT), scan(0x12, RIGHT_ALT | LEFT_CTRL)},
         {KEY_EURO, KEY_EURO}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        input_state = {};
        console.discard_keys();
        script(c.events);
        for (const KeyCode expected : c.codes) EXPECT_EQ(next(), expected);
        EXPECT_EQ(console.pending_events(), 0u);
    }
}

TEST_F(ReadKey, ModifiersGiveThePcCodesOfFunctionAndCursorKeys) {
    const struct {
        InputEvent event;
        KeyCode code;
    } cases[] = {
        {scan(0x3B, SHIFT), KEY_SHIFT_F1},
        {scan(0x3B, LEFT_CTRL), KEY_CTRL_F1},
        {scan(0x3B, RIGHT_CTRL), 0x5E00},
        {scan(0x3B, LEFT_ALT), KEY_ALT_F1},
        {scan(0x3B, RIGHT_ALT | LEFT_CTRL | SHIFT), 0x6800},  // Alt wins over Ctrl and Shift
        {scan(0x44, SHIFT), 0x5D00},
        {scan(0x44, LEFT_CTRL), 0x6700},
        {scan(0x44, LEFT_ALT), 0x7100},
        {scan(0x3E, LEFT_CTRL), KEY_CTRL_F4},
        {scan(0x3E, LEFT_ALT), KEY_ALT_F4},
        {scan(0x4B, LEFT_CTRL), KEY_CTRL_LEFT},
        {scan(0x4D, RIGHT_CTRL), KEY_CTRL_RIGHT},
        {scan(0x47, LEFT_CTRL), KEY_CTRL_HOME},
        {scan(0x4F, LEFT_CTRL), KEY_END},
        {scan(0x49, LEFT_CTRL), KEY_PGUP},
        {scan(0x4B, SHIFT), KEY_LEFT},
        {scan(0x4B, LEFT_CTRL | SHIFT), KEY_CTRL_LEFT},  // Ctrl before Shift
        {scan(0x0F, SHIFT), KEY_SHIFT_TAB},
        {chr('\x03', LEFT_CTRL), KEY_CTRL_C},
        {chr('A', SHIFT), 'A'},
        {chr('\xA4'), 164},
        {scan(0x85, SHIFT), static_cast<KeyCode>(0x8500)},  // F11: no modifier code
    };
    for (const auto& c : cases) {
        console.push_event(c.event);
        EXPECT_EQ(next(), c.code) << std::hex << "text " << int(c.event.text.back()) << " state "
                                  << c.event.control_state;
    }
}

TEST_F(ReadKey, HotKeysOpenTheirPopUpAndQueueItsResult) {
    int calculator_runs = 0, calendar_runs = 0;
    std::vector<KeyCode> seen_inside;
    input_state.hot_keys.calculator = [&] {
        ++calculator_runs;
        EXPECT_EQ(input_state.calculator_open, -1);
        // Inside the calculator its own hot key is a plain key, the
        // calendar's opens the calendar, whose result the calculator reads.
        seen_inside.push_back(next());
        seen_inside.push_back(next());
        seen_inside.push_back(next());
        return std::string("12,5");
    };
    input_state.hot_keys.calendar = [&] {
        ++calendar_runs;
        EXPECT_EQ(input_state.calendar_open, -1);
        return std::string("7");
    };
    script({scan(0x2D, LEFT_ALT), scan(0x2D, LEFT_ALT), scan(0x2E, LEFT_ALT), chr('a')});

    KeyRead r{0, 5, 6, 7};
    read_key(r);
    EXPECT_EQ(r.key, KEY_ALT_X);
    EXPECT_EQ(seen_inside, (std::vector<KeyCode>{KEY_ALT_X, KEY_ALT_C, '7'}));
    EXPECT_EQ(calculator_runs, 1);
    EXPECT_EQ(calendar_runs, 1);
    EXPECT_EQ(input_state.calculator_open, 0);
    EXPECT_EQ(input_state.calendar_open, 0);

    // The result comes one character per call; the mouse outputs stay as
    // the caller left them.
    for (const char c : std::string("12,5")) {
        r.mouse_button = 5;
        r.mouse_row = 6;
        r.mouse_column = 7;
        read_key(r);
        EXPECT_EQ(r.key, c);
        EXPECT_EQ(r.mouse_button, 5);
        EXPECT_EQ(r.mouse_row, 6);
        EXPECT_EQ(r.mouse_column, 7);
    }
    read_key(r);
    EXPECT_EQ(r.key, 'a');
    EXPECT_EQ(r.mouse_button, 0);
    EXPECT_EQ(calculator_runs, 1);
}

TEST_F(ReadKey, HotKeysWithNothingInstalledAreReturnedAndOpenNothing) {
    script({scan(0x2D, LEFT_ALT), scan(0x2E, LEFT_ALT), chr('a')});
    EXPECT_EQ(next(), KEY_ALT_X);
    EXPECT_EQ(next(), KEY_ALT_C);
    EXPECT_EQ(next(), 'a');
    EXPECT_TRUE(input_state.pending_keys.empty());
}

TEST_F(ReadKey, MouseIsReportedOnlyWhileAKeyIsAwaited) {
    EXPECT_FALSE(console.mouse_reporting());
    console.push_mouse(platform::MOUSE_MOVED, 0, 3, 4);
    console.push_mouse(0, platform::MOUSE_RIGHT, 9, 9);  // a press: not chosen, never delivered
    console.push_mouse(platform::MOUSE_RELEASED, platform::MOUSE_RIGHT, 7, 20);
    console.push_mouse(platform::MOUSE_MOVED, 0, 8, 21);
    script({chr('a'), chr('b')});

    KeyRead r;
    read_key(r);  // movement: code 0 with the new position, reporting stays on
    EXPECT_EQ(console.mouse_events(),
              platform::REPORT_MOVES | platform::REPORT_LEFT_RELEASE | platform::REPORT_RIGHT_RELEASE);
    EXPECT_EQ(r.key, 0);
    EXPECT_EQ(r.mouse_button, 0);
    EXPECT_EQ(r.mouse_row, 3);
    EXPECT_EQ(r.mouse_column, 4);
    EXPECT_TRUE(console.mouse_reporting());

    read_key(r);  // release of the right button: reporting off until the next wait
    EXPECT_EQ(r.key, 0);
    EXPECT_EQ(r.mouse_button, 2);
    EXPECT_EQ(r.mouse_row, 7);
    EXPECT_EQ(r.mouse_column, 20);
    EXPECT_FALSE(console.mouse_reporting());

    read_key(r);  // movement, then a key: the key carries the last position
    read_key(r);
    EXPECT_EQ(r.key, 'a');
    EXPECT_EQ(r.mouse_button, 0);
    EXPECT_EQ(r.mouse_row, 8);
    EXPECT_EQ(r.mouse_column, 21);
    EXPECT_FALSE(console.mouse_reporting());

    read_key(r);  // reporting went off after the key, forgetting the position
    EXPECT_EQ(r.key, 'b');
    EXPECT_EQ(r.mouse_row, 0);
    EXPECT_EQ(r.mouse_column, 0);
    EXPECT_EQ(reporting_at_wait, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(console.mouse_reporting());
    EXPECT_EQ(input_state.mouse_state, MOUSE_IDLE);
}

TEST_F(ReadKey, WithoutAMouseReportingIsNeverSwitchedOn) {
    console.set_mouse_buttons(0);
    console.push_mouse(platform::MOUSE_RELEASED, platform::MOUSE_LEFT, 2, 2);
    script({chr('a'), scan(0x48)});
    EXPECT_EQ(next(), 'a');
    EXPECT_EQ(next(), KEY_UP);
    EXPECT_EQ(input_state.mouse_state, NO_MOUSE);
    EXPECT_EQ(reporting_at_wait, (std::vector<bool>{false, false}));
    EXPECT_FALSE(console.mouse_reporting());
}

TEST_F(ReadKey, ReadKeyOrClickPacksClicksAndNeverGivesZero) {
    console.push_mouse(platform::MOUSE_MOVED, 0, 1, 1);
    console.push_mouse(platform::MOUSE_RELEASED, platform::MOUSE_LEFT, 5, 10);
    console.push_mouse(platform::MOUSE_MOVED, 0, 1, 2);
    console.push_mouse(platform::MOUSE_RELEASED, platform::MOUSE_RIGHT, 25, 80);
    script({scan(0x3B)});
    KeyCode key = 0;
    read_key_or_click(key);
    EXPECT_EQ(key, 10 * 256 + 64 + 5);
    read_key_or_click(key);
    EXPECT_EQ(key, 80 * 256 + 128 + 25);
    read_key_or_click(key);
    EXPECT_EQ(key, KEY_F1);
}

}  // namespace
