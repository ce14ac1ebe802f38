#include "forms/engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/state.h"
#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "input/key_set.h"
#include "input/state.h"
#include "platform/cp850.h"
#include "platform/process.h"
#include "screen/regions.h"
#include "screen/screen_fixture.h"
#include "startup/language.h"
#include "startup/main_sequence.h"

using forms::form_field;
using forms::forms_state;
using forms::run_form_page;
using platform::Position;
using namespace platform::key_codes;

namespace {

// Notes where the cursor stands each time a key is awaited: the field being
// edited shows it there.
class CursorLog : public platform::HeadlessConsole {
public:
    platform::InputEvent wait_event() override {
        if (cursor_visible()) places.push_back(cursor());
        return HeadlessConsole::wait_event();
    }
    std::vector<Position> places;
};

// Scan codes of the keys the tests press.
constexpr std::uint8_t F1 = 0x3B, F2 = 0x3C, F4 = 0x3E, F5 = 0x3F, UP = 0x48, PGUP = 0x49, DOWN = 0x50, PGDN = 0x51;

class Engine : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        platform::set_console(&log);
        saved_module = startup::main_state.module_name;
        startup::main_state.module_name = "EXPTYPES";
        startup::session.root_dir = root.path();
        startup::session.language_code = "CAT";
        startup::language_state = {};
        format::format_state = {};
        input::input_state = {};
        forms_state = {};
    }
    void TearDown() override {
        forms_state = {};
        input::input_state = {};
        format::format_state = {};
        startup::main_state.module_name = saved_module;
        ScreenTest::TearDown();
    }
    void load(const std::string& form) {
        root.write("FORMS/EXPTYPES.JPN", form);
        forms::load_form();
    }
    KeyCode run(std::int16_t page, std::int16_t up = 0, std::int16_t down = 0, KeyCode key = 0) {
        run_form_page(page, up, down, key);
        return key;
    }
    void keys(std::initializer_list<std::uint8_t> scans) {
        for (const auto s : scans) log.push_scan(s);
    }
    void type(std::string_view text) { log.push_text(text); }
    std::string value(std::int16_t page, std::int16_t field) { return form_field(page, field).value; }
    // The screen row of the field being edited at each key awaited.
    std::vector<int> rows_at_each_key() const {
        std::vector<int> rows;
        for (const Position& p : log.places) rows.push_back(p.row);
        return rows;
    }

    CursorLog log;
    test_support::TempDir root;
    std::string saved_module;
};

// Page 1: four fields on rows 2 to 5, the third never edited; F2, F5 and
// Ctrl+B listed among the keys.
const std::string four_fields =
    "2,4\r\n"
    "\"d,1b,4900,5100,4800,5000,3c00,3f00,2\",4,0,0,0,0,0\r\n"
    "2,1,\"A:\",3,0,0,0,0,0,\"\"\r\n"
    "3,1,\"B:\",3,0,0,0,0,0,\"\"\r\n"
    "4,1,\"C:\",3,0,0,4,0,0,\"\"\r\n"
    "5,1,\"D:\",3,0,0,0,0,0,\"\"\r\n"
    "\"d,1b\",0,0,0,0,0,0\r\n";

TEST_F(Engine, EnterVisitsEveryEditableFieldAndEndsThePage) {
    load(four_fields);
    type("x\r");
    type("y\r");
    type("\r");
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 2, 3, 3, 5}));
    EXPECT_EQ(value(1, 1), "x  ");
    EXPECT_EQ(value(1, 2), "y  ");
    EXPECT_EQ(forms_state.table_changed, -1);
    // Once the page is over nothing is published as being edited.
    EXPECT_EQ(forms_state.current_edit_field, 0);
    EXPECT_EQ(forms_state.current_edit_text, "");
}

TEST_F(Engine, ArrowsPassTheSkippedFieldAndStopAtTheEnds) {
    load(four_fields);
    keys({UP, DOWN, DOWN, UP, DOWN, DOWN});
    type("\r");
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 2, 3, 5, 3, 5, 5}));
}

TEST_F(Engine, PageKeysMoveToTheEndsOrLeaveWhenAllowed) {
    load(four_fields);
    keys({PGUP, PGDN, PGDN, PGUP, PGUP});
    EXPECT_EQ(run(1, 0, 0), KEY_ESC);  // the script's end: Esc on the first field
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 2, 5, 5, 2, 2}));
    EXPECT_EQ(forms_state.resume_page, 0);

    log.places.clear();
    keys({PGDN, PGDN});
    EXPECT_EQ(run(1, 0, -1), KEY_PGDN);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 5}));
    EXPECT_EQ(forms_state.resume_page, 1);

    log.places.clear();
    keys({PGUP});
    EXPECT_EQ(run(1, -1, 0), KEY_PGUP);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2}));
}

TEST_F(Engine, EscDropsTheEditThenEndsThePageOnTheFirstField) {
    load(four_fields);
    forms::store_field_value(form_field(1, 2), "old");
    std::vector<KeyCode> asked;
    forms_state.hooks.confirm_exit = [&](std::int16_t page, KeyCode& key) {
        EXPECT_EQ(page, 1);
        asked.push_back(key);
        return std::int16_t{0};
    };
    keys({DOWN});
    type("new\x1B");  // Esc on field 2: back to field 1, field 2 shows its value
    EXPECT_EQ(log.read_cell(3, 3).ch, ' ');
    type("\x1B");
    EXPECT_EQ(run(1), KEY_ESC);
    EXPECT_EQ(value(1, 2), "old");
    EXPECT_EQ(log.row_text(3).substr(2, 3), "old");
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 3, 3, 3, 3, 2}));
    EXPECT_EQ(asked, (std::vector<KeyCode>{KEY_ESC}));
    EXPECT_EQ(forms_state.table_changed, 0);
}

TEST_F(Engine, ConfirmExitRunsThePageAgain) {
    load(four_fields);
    int asked = 0;
    forms_state.hooks.confirm_exit = [&](std::int16_t, KeyCode&) {
        return static_cast<std::int16_t>(++asked == 1 ? -1 : 0);
    };
    type("\x1B\x1B");
    EXPECT_EQ(run(1), KEY_ESC);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 2}));
}

TEST_F(Engine, UnknownListedKeyEndsThePageAfterStoring) {
    load(four_fields);
    type("zz");
    keys({F5});
    EXPECT_EQ(run(1), scan_key(F5));
    EXPECT_EQ(value(1, 1), "zz ");
    // Ctrl+B ends the page at once.
    type("\x02");
    EXPECT_EQ(run(1), KEY_CTRL_B);
}

TEST_F(Engine, F1ShowsHelpAndDropsTheEdit) {
    load(four_fields);
    platform::change_directory(root.path());
    startup::session.menu_name = "TOPIC   ";
    startup::session.run_environment = "DOS";
    root.write("AJUDA/TOPIC.HLP", "help text" + std::string(71, ' '));
    forms::store_field_value(form_field(1, 1), "abc");
    type("XY");
    keys({F1});
    type("\x1B");  // leaves help
    type("\r\x1B\x1B");
    test_support::CwdGuard cwd;
    EXPECT_EQ(run(1), KEY_ESC);
    EXPECT_EQ(value(1, 1), "abc");
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 2, 2, 2, 3, 2}));
    EXPECT_EQ(screen::screen_state.window_depth, 0);
}

TEST_F(Engine, BlankEntriesKeepTheValueOnlyInBlankStartAndHiddenFields) {
    load(
        "1,3\r\n\"d\",3,0,0,0,0,0\r\n"
        "2,1,\"\",3,0,0,1,0,0,\"\"\r\n"
        "3,1,\"\",3,0,0,2,0,0,\"\"\r\n"
        "4,1,\"\",3,0,0,0,0,0,\"\"\r\n");
    for (std::int16_t f = 1; f <= 3; ++f) forms::store_field_value(form_field(1, f), "abc");
    type("\r");
    type("\x19\r");  // Ctrl+Y: blank
    type("\x19\r");
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(value(1, 1), "abc");
    EXPECT_EQ(value(1, 2), "abc");
    EXPECT_EQ(value(1, 3), "   ");
    // A blank-start field edits from blanks; a typed value is stored.
    type("q\r\r\r");
    run(1);
    EXPECT_EQ(value(1, 1), "q  ");
}

TEST_F(Engine, HiddenEntryIsNeverShownEvenInATrailingArea) {
    load("1,1\r\n\"d\",1,0,0,0,0,0\r\n2,1,\"\",6,0,4,2,0,0,\"\"\r\n");
    type("secret\r");
    run(1);
    EXPECT_EQ(value(1, 1), "secret");
    EXPECT_EQ(log.row_text(2).find("secret"), std::string::npos);
}

TEST_F(Engine, ClicksSelectFieldsByLabelOrInputInsideTheWindow) {
    load(
        "1,3\r\n\"d,1b\",3,0,5,10,9,40\r\n"
        "2,3,\"Nom \",4,0,0,0,0,0,\"\"\r\n"
        "3,3,\"Cog \",4,0,2,0,0,0,\"\"\r\n"
        "4,3,\"Mut \",4,0,0,4,0,0,\"\"\r\n");
    const auto click = [&](int row, int column) {
        log.push_mouse(platform::MOUSE_RELEASED, platform::MOUSE_LEFT, row, column);
    };
    click(8, 13);      // the label of field 2
    click(7, 20);      // the input of field 1
    click(8, 22);      // the trailing area of field 2
    click(9, 15);      // the skipped field: nothing
    click(2, 2);       // outside every field: nothing
    type("\x1B\x1B");  // to the first field, then out
    EXPECT_EQ(run(1), KEY_ESC);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{7, 8, 7, 8, 8, 8, 7}));
    // The window is drawn, then given back.
    EXPECT_EQ(screen::screen_state.window_depth, 0);
    EXPECT_EQ(log.row_text(5), std::string(80, ' '));
}

// Page 1 continues on page 2; page 3 is alone.
const std::string chain =
    "3,2\r\n"
    "\"d,1b,4900,5100,4800,5000,3c00\",2,2,0,0,0,0\r\n"
    "2,1,\"\",2,0,0,0,0,0,\"\"\r\n3,1,\"\",2,0,0,0,0,0,\"\"\r\n"
    "\"d,1b,4900,5100,4800,5000,3c00\",2,0,0,0,0,0\r\n"
    "10,1,\"\",2,0,0,0,0,0,\"\"\r\n11,1,\"\",2,0,0,0,0,0,\"\"\r\n"
    "\"d,1b\",1,0,0,0,0,0\r\n20,1,\"\",2,0,0,0,0,0,\"\"\r\n";

TEST_F(Engine, ContinuationPagesAreEnteredAndLeft) {
    load(chain);
    std::vector<std::int16_t> painted;
    forms_state.hooks.paint_screen = [&](std::int16_t page) { painted.push_back(page); };
    type("\r\r");          // page 1 fields 1, 2, then page 2
    keys({UP});            // back to page 1's last field
    type("\r");            // page 2 again
    keys({DOWN, UP, UP});  // page 2 field 2, field 1, out to page 1
    keys({F2});            // F2 from page 1's last field: page 2
    type("\x1B");          // Esc on page 2's first field: back to page 1
    keys({UP});            // page 1 field 1
    keys({F2});            // F2 from any field
    type("\r\r");          // through page 2: ends both pages
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 3, 10, 3, 10, 11, 10, 3, 10, 3, 2, 10, 11}));
    EXPECT_EQ(painted, (std::vector<std::int16_t>{1, 2, 2, 2, 2}));
}

TEST_F(Engine, PageKeyOnAContinuationResumesThere) {
    load(chain);
    type("\r\r");
    keys({PGDN, PGDN});  // page 2: to its last field, then out
    EXPECT_EQ(run(1, -1, -1), KEY_PGDN);
    EXPECT_EQ(forms_state.resume_page, 2);

    log.places.clear();
    keys({PGUP});
    EXPECT_EQ(run(1, -1, -1), KEY_PGUP);
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{10}));  // straight into page 2
    EXPECT_EQ(forms_state.resume_page, 2);

    // A page whose chain does not hold it forgets it.
    log.places.clear();
    type("\r");
    EXPECT_EQ(run(3), KEY_ENTER);
    EXPECT_EQ(forms_state.resume_page, 0);
}

TEST_F(Engine, RejectedValueBeepsAndIsEditedAgain) {
    load("1,2\r\n\"d,5000\",2,0,0,0,0,0\r\n2,1,\"\",2,0,0,0,1,0,\"\"\r\n3,1,\"\",2,0,0,0,1,0,\"\"\r\n");
    forms::store_field_value(form_field(1, 1), "AB");
    keys({DOWN});
    type("ab\r");  // a code the first field holds
    type(
        "\x19"
        "cd\r");
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_EQ(value(1, 2), "CD");
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 3, 3, 3, 3, 3, 3, 3}));
}

TEST_F(Engine, F4OpensTheFieldsListAndTheHookTakesThePick) {
    load(
        "1,3\r\n\"d,1b,5000,3e00\",3,0,0,0,0,0\r\n"
        "2,1,\"\",2,0,0,0,0,1,\"\"\r\n3,1,\"\",2,0,0,0,0,0,\"\"\r\n4,1,\"\",2,0,0,0,0,0,\"\"\r\n"
        "1\r\n0,0,5,5,15,40,0,\"Llista\",0\r\n");
    std::vector<std::int16_t> results = {-1, 0, 0};  // nothing picked, then picked twice
    forms_state.hooks.show_browse_list = [&](std::int16_t list, std::int16_t& result) {
        EXPECT_EQ(list, 1);
        result = results.front();
        results.erase(results.begin());
    };
    int calls = 0;
    forms_state.hooks.after_browse = [&](std::int16_t& list, std::int16_t& page, std::int16_t& field) {
        EXPECT_EQ(page, 1);
        EXPECT_EQ(field, 1);
        form_field(1, 1).value = "PK";
        if (++calls == 1) list = 0;  // show the list again
    };
    type("zz");
    keys({F4});  // nothing picked: beep, the same field again
    keys({F4});  // picked, shown again, picked: Down to field 2
    type("\r\r");
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(value(1, 1), "PK");
    EXPECT_EQ(rows_at_each_key(), (std::vector<int>{2, 2, 2, 2, 3, 4}));
    EXPECT_TRUE(format::format_state.text_stack.empty());

    // Without a browse list installed nothing is ever picked.
    forms_state.hooks.show_browse_list = nullptr;
    log.places.clear();
    keys({F4});
    type("\x1B");
    run(1);
    EXPECT_EQ(log.beeps(), 2);
}

TEST_F(Engine, ReferencesToPagesTheFormLacksAreAbsent) {
    // Page 1 names page 9 as its continuation; pages 2 and 3 form a loop
    // that the resume walk must not go round for ever.
    load(
        "3,1\r\n"
        "\"d,1b\",1,9,0,0,0,0\r\n2,1,\"\",2,0,0,0,0,0,\"\"\r\n"
        "\"d,1b\",1,3,0,0,0,0\r\n2,1,\"\",2,0,0,0,0,0,\"\"\r\n"
        "\"d,1b\",1,2,0,0,0,0\r\n2,1,\"\",2,0,0,0,0,0,\"\"\r\n");
    type("\r");
    EXPECT_EQ(run(1), KEY_ENTER);
    EXPECT_EQ(run(7, 0, 0, 1234), 1234);  // no such page: nothing to edit
    forms_state.resume_page = 1;
    type("\x1B");
    EXPECT_EQ(run(2), KEY_ESC);
    EXPECT_EQ(forms_state.resume_page, 0);
}

TEST_F(Engine, KeySetIsGivenBackAfterEachField) {
    load(four_fields);
    input::key_set_command("a", "4400");
    const std::string before = input::input_state.accept_key_list;
    type("\r\x1B\x1B");
    run(1);
    EXPECT_EQ(input::input_state.accept_key_list, before);
    EXPECT_EQ(input::input_state.save_depth, 0);
}

}  // namespace
