#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "calc/calculator.h"
#include "calc_fixture.h"
#include "forms/engine.h"
#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "input/key_set.h"
#include "input/line_editor.h"
#include "input/read_key.h"
#include "input/state.h"
#include "startup/language.h"
#include "startup/main_sequence.h"

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

// A page of one field "A:" of 8 characters on row 2, ended by Enter or Esc.
class HotKeyInForm : public HotKey {
protected:
    void SetUp() override {
        HotKey::SetUp();
        saved_module = startup::main_state.module_name;
        startup::main_state.module_name = "EXPTYPES";
        startup::session.root_dir = dir.path();
        startup::session.language_code = "CAT";
        startup::language_state = {};
        forms::forms_state = {};
        dir.write("FORMS/EXPTYPES.JPN",
                  "1,1\r\n"
                  "\"d,1b\",1,0,0,0,0,0\r\n"
                  "2,1,\"A:\",8,0,0,0,0,0,\"\"\r\n");
        forms::load_form();
    }
    void TearDown() override {
        forms::forms_state = {};
        startup::language_state = {};
        startup::main_state.module_name = saved_module;
        HotKey::TearDown();
    }
    std::string saved_module;
};

TEST_F(HotKeyInForm, TheResultIsTypedIntoTheFieldOfARunningPage) {
    type("ab");
    alt_x();
    type("10+2.5=F");
    enter();
    std::int16_t page = 1;
    input::KeyCode key = input::KEY_NONE;
    forms::run_form_page(page, 0, 0, key);
    EXPECT_EQ(key, input::KEY_ENTER);
    EXPECT_EQ(forms::form_field(1, 1).value, "ab1250  ");
    EXPECT_EQ(console.waits_past_script(), 0);
    // The calculator was up while the keys after Alt+X were read.
    EXPECT_EQ(window_row(console.screens[3], 24, 1), display_line("0"));
    // The page paints no labels of its own: the field follows "A:".
    EXPECT_EQ(console.now()[1].substr(0, 10), "bbab1250  ");
    EXPECT_EQ(console.now()[23], underneath[23]);
    EXPECT_EQ(state_line(1), "1,20,12.5,12.5");
}

}  // namespace
