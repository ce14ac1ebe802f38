#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "calc/calculator.h"
#include "calc_fixture.h"
#include "input/key_set.h"
#include "input/line_editor.h"
#include "input/read_key.h"
#include "input/state.h"

using namespace calc_test;

namespace {

class HotKey : public CalculatorTest {
protected:
    void SetUp() override {
        CalculatorTest::SetUp();
        calc::install_calculator_hot_key();
    }
    input::KeyCode next_key() {
        input::KeyRead r;
        input::read_key(r);
        return r.key;
    }
};

TEST_F(HotKey, AltXOpensTheCalculatorAndItsResultIsTyped) {
    alt_x();
    type("12");
    alt_x();  // inside the calculator: opens nothing
    type("3F");
    type("z");
    EXPECT_EQ(next_key(), input::KEY_ALT_X);
    std::string typed;
    for (int i = 0; i < 5; ++i) typed += static_cast<char>(next_key());
    EXPECT_EQ(typed, "12300");
    EXPECT_EQ(next_key(), 'z');
    // One window the whole time the calculator was up.
    ASSERT_EQ(console.window_depths.size(), 7u);
    EXPECT_EQ(*std::max_element(console.window_depths.begin() + 1, console.window_depths.end() - 1), 1);
    EXPECT_EQ(window_row(console.screens[4], 24, 1), display_line("12"));
    EXPECT_EQ(window_row(console.screens[5], 24, 1), display_line("123"));
    EXPECT_EQ(console.now(), underneath);
    EXPECT_EQ(input::input_state.calculator_open, 0);
}

TEST_F(HotKey, EscapeTypesNothing) {
    alt_x();
    type("45");
    esc();
    type("z");
    EXPECT_EQ(next_key(), input::KEY_ALT_X);
    EXPECT_EQ(next_key(), 'z');
    EXPECT_EQ(state_line(1), "1,23,45,0");
}

TEST_F(HotKey, TheResultIsTypedIntoTheFieldBeingEdited) {
    // A field's key set, as the form engine sets it over the page's.
    input::key_set_command("a", "1b");
    input::key_set_command("+ea", "d,3b00");
    const input::InputState before = input::input_state;
    std::string text = "ab      ";
    std::int16_t position = 3;
    input::KeyCode key = input::KEY_NONE;
    alt_x();
    type("10+2.5=F");
    enter();
    input::edit_line(5, 10, 0, text, position, key);
    EXPECT_EQ(text, "ab1250  ");
    EXPECT_EQ(key, input::KEY_ENTER);
    EXPECT_EQ(underneath[4].substr(0, 9), std::string(9, 'e'));
    EXPECT_EQ(console.now()[4].substr(9, 8), "ab1250  ");
    EXPECT_EQ(console.now()[23], underneath[23]);
    // The calculator left the field's key set and the page's saved one.
    EXPECT_EQ(input::input_state.accept_key_list, before.accept_key_list);
    EXPECT_EQ(input::input_state.report_key_list, before.report_key_list);
    EXPECT_EQ(input::input_state.saved_accept_key_list, before.saved_accept_key_list);
    EXPECT_EQ(input::input_state.save_depth, 1);
    input::key_set_command("-", "");
    EXPECT_EQ(input::input_state.accept_key_list, input::key_code_bytes(input::KEY_ESC));
}

}  // namespace
