#include "dates/calendar.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dates/state.h"
#include "dates/text.h"
#include "dates/value.h"
#include "format/state.h"
#include "forms/engine.h"
#include "forms/state.h"
#include "input/key_set.h"
#include "input/line_editor.h"
#include "input/read_key.h"
#include "input/state.h"
#include "packed.h"
#include "platform/cp850.h"
#include "platform/headless_console.h"
#include "screen/colour.h"
#include "screen/state.h"
#include "startup/session.h"
#include "support/temp_dir.h"

using dates::pick_date;
using dates_test::packed_date;
using platform::InputEvent;
using platform::Position;
using namespace platform::key_codes;

namespace {

// Palette entries with attributes of their own.
constexpr std::uint8_t EMPHASISED = 0x0F;  // "h"
constexpr std::uint8_t NORMAL = 0x07;      // "n"
constexpr std::uint8_t REVERSE = 0x70;     // "r"
constexpr std::uint8_t ACTIVE = 0x1E;      // "u"

InputEvent k(KeyCode code) { return platform::key_event(code); }
std::vector<InputEvent> times(int n, KeyCode code) { return std::vector<InputEvent>(n, k(code)); }
std::vector<InputEvent> operator+(std::vector<InputEvent> a, const std::vector<InputEvent>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
InputEvent click(int row, int column) { return {std::string("\xFF\xFF\x08\x01", 4), 0, {row, column}}; }

// What the calendar showed while it awaited a key.
struct Shot {
    std::vector<std::string> rows;  // columns 59 to 80 of rows 1 to 24
    std::vector<Position> active;   // cells in the active colour
    bool cursor_visible = true;
    std::int16_t window_depth = 0;
};

class Calendar : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = startup::session;
        startup::session.session_dir = dir.path();
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {14, 1}}};
        startup::session.language_code = "CAT";
        env.set("JOBROOT", dir.path());
        reset();
        platform::set_console(&console);
        console.set_attribute(NORMAL);
        console.clear();
        console.at_wait = [this] { shots.push_back(shot()); };
    }
    void TearDown() override {
        platform::set_console(nullptr);
        reset();
        startup::session = saved_session;
    }
    static void reset() {
        input::input_state = {};
        screen::screen_state = {};
        dates::date_state = {};
        format::format_state = {};
    }

    // Opens the calendar on the working date with the keys scripted, which
    // must close it.
    std::string pick(const std::string& working_date, const std::vector<InputEvent>& keys) {
        startup::session.working_date = working_date;
        for (const auto& e : keys) console.push_event(e);
        shots.clear();
        std::string picked = pick_date();
        EXPECT_EQ(console.pending_events(), 0u) << "keys left over";
        EXPECT_EQ(console.waits_past_script(), 0) << "the calendar did not close within its keys";
        return picked;
    }

    std::string slice(int row, int column, int count) const {
        std::string out;
        for (int c = column; c < column + count; ++c)
            platform::append_utf8(out, platform::cp850_glyph(console.read_cell(row, c).ch));
        return out;
    }
    Shot shot() const {
        Shot s;
        for (int row = 1; row <= 24; ++row) s.rows.push_back(slice(row, 59, 22));
        for (int row = 1; row <= 25; ++row)
            for (int column = 1; column <= 80; ++column)
                if (console.attribute_at(row, column) == ACTIVE) s.active.push_back({row, column});
        s.cursor_visible = console.cursor_visible();
        s.window_depth = screen::screen_state.window_depth;
        return s;
    }

    platform::HeadlessConsole console;
    std::vector<Shot> shots;
    startup::Session saved_session;
    test_support::TempDir dir;
    test_support::EnvGuard env;
};

// The whole calendar, rows 1 to 24 of columns 59 to 80.
const std::vector<std::string> MARCH_2024 = {
    "┌─────── 2024 ───────┐",  //
    "│DL DT DC DJ DV DS DG│",  //
    "│       GENER        │",  //
    "│ 1  2  3  4  5  6  7│",  //
    "│ 8  9 10 11 12 13 14│",  //
    "│15 16 17 18 19 20 21│",  //
    "│22 23 24 25 26 27 28│",  //
    "│29 30 31            │",  //
    "│                    │",  //
    "│       FEBRER       │",  //
    "│          1  2  3  4│",  //
    "│ 5  6  7  8  9 10 11│",  //
    "│12 13 14 15 16 17 18│",  //
    "│19 20 21 22 23 24 25│",  //
    "│26 27 28 29         │",  //
    "│                    │",  //
    "│        MARÇ        │",  //
    "│             1  2  3│",  //
    "│ 4  5  6  7  8  9 10│",  //
    "│11 12 13 14 15 16 17│",  //
    "│18 19 20 21 22 23 24│",  //
    "│25 26 27 28 29 30 31│",  //
    "│                    │",  //
    "└────────────────────┘",  //
};

TEST_F(Calendar, OpensOnTheQuarterOfTheWorkingDate) {
    EXPECT_EQ(pick(packed_date(2024, 3, 15), {k(KEY_ESC)}), "");
    ASSERT_EQ(shots.size(), 1u);
    const Shot& open = shots[0];
    EXPECT_EQ(open.rows, MARCH_2024);
    EXPECT_EQ(open.active, (std::vector<Position>{{20, 72}, {20, 73}})) << "15 March, a Friday, third week row";
    EXPECT_FALSE(open.cursor_visible);
}

TEST_F(Calendar, Colours) {
    int waits = 0;
    console.at_wait = [&] {
        if (++waits == 2) {
            EXPECT_EQ(console.attribute_at(20, 72), EMPHASISED) << "the day left";
            EXPECT_EQ(console.attribute_at(20, 75), ACTIVE) << "the day reached";
            return;
        }
        EXPECT_EQ(console.attribute_at(1, 59), NORMAL) << "frame";
        for (int column = 67; column <= 72; ++column) EXPECT_EQ(console.attribute_at(1, column), NORMAL) << "year";
        EXPECT_EQ(console.attribute_at(2, 60), NORMAL) << "header";
        EXPECT_EQ(console.attribute_at(17, 68), NORMAL) << "title";
        EXPECT_EQ(console.attribute_at(17, 60), NORMAL) << "blanked title row";
        EXPECT_EQ(console.attribute_at(4, 61), EMPHASISED) << "day 1";
        EXPECT_EQ(console.attribute_at(9, 60), EMPHASISED) << "blank cell of the grid";
        EXPECT_EQ(console.attribute_at(20, 72), ACTIVE) << "highlighted day";
    };
    pick(packed_date(2024, 3, 15), {k(KEY_RIGHT), k(KEY_ESC)});
    EXPECT_EQ(waits, 2);
}

struct MoveCase {
    const char* name;
    int year, month, day;
    std::vector<InputEvent> keys;  // F follows them
    std::string picked;
    std::string frame_year;   // in the top line when F is awaited
    std::string first_title;  // of the quarter on screen then
    Position highlight;       // its first column; row 0: not checked
};

TEST_F(Calendar, Moves) {
    const std::vector<MoveCase> cases = {
        {"Right on the last day of a quarter", 2024, 3, 31, {k(KEY_RIGHT)}, "1/4/2024  ", "2024", "ABRIL", {4, 60}},
        {"Right on 30 June", 2024, 6, 30, {k(KEY_RIGHT)}, "1/7/2024  ", "2024", "JULIOL", {4, 60}},
        {"Right on the last day of a year", 2023, 12, 31, {k(KEY_RIGHT)}, "1/1/2024  ", "2024", "GENER", {4, 60}},
        {"Right on 28 February of a common year", 2023, 2, 28, {k(KEY_RIGHT)}, "1/3/2023  ", "2023", "GENER", {18, 66}},
        {"Right on 28 February of a leap year", 2024, 2, 28, {k(KEY_RIGHT)}, "29/2/2024 ", "2024", "GENER", {15, 69}},
        {"Left on 1 January", 2024, 1, 1, {k(KEY_LEFT)}, "31/12/2023", "2023", "OCTUBRE", {22, 78}},
        {"Left on 1 October", 2024, 10, 1, {k(KEY_LEFT)}, "30/9/2024 ", "2024", "JULIOL", {23, 60}},
        {"Left on 1 March 2100, not a leap year", 2100, 3, 1, {k(KEY_LEFT)}, "28/2/2100 ", "2100", "GENER", {14, 78}},
        {"Down within a quarter, into the next month",
         2025,
         2,
         28,
         {k(KEY_DOWN)},
         "7/3/2025  ",
         "2025",
         "GENER",
         {19, 72}},
        {"Down across a year end", 2023, 12, 28, {k(KEY_DOWN)}, "4/1/2024  ", "2024", "GENER", {4, 69}},
        {"Up across a year end", 2024, 1, 3, {k(KEY_UP)}, "27/12/2023", "2023", "OCTUBRE", {22, 66}},
        {"Down out of the quarter and Up back into it",
         2024,
         3,
         15,
         times(3, KEY_DOWN) + std::vector{k(KEY_UP)},
         "29/3/2024 ",
         "2024",
         "GENER",
         {22, 72}},
        {"PgDn from 31 January", 2024, 1, 31, {k(KEY_PGDN)}, "30/4/2024 ", "2024", "ABRIL", {8, 63}},
        {"PgDn four times from 29 February", 2024, 2, 29, times(4, KEY_PGDN), "28/2/2025 ", "2025", "GENER", {15, 72}},
        {"PgUp onto 29 February", 2024, 5, 31, {k(KEY_PGUP)}, "29/2/2024 ", "2024", "GENER", {15, 69}},
        {"PgUp across a year end", 2024, 2, 15, {k(KEY_PGUP)}, "15/11/2023", "2023", "OCTUBRE", {13, 66}},
        {"Home in the first quarter", 2024, 3, 15, {k(KEY_HOME)}, "15/1/2024 ", "2024", "GENER", {6, 60}},
        {"Home from the third quarter keeps the day",
         2024,
         8,
         31,
         {k(KEY_HOME)},
         "31/1/2024 ",
         "2024",
         "GENER",
         {8, 66}},
        {"End", 2024, 3, 15, {k(KEY_END)}, "15/12/2024", "2024", "OCTUBRE", {20, 78}},
        {"End in the last quarter", 2024, 11, 15, {k(KEY_END)}, "15/12/2024", "2024", "OCTUBRE", {20, 78}},
        {"other keys and clicks are ignored",
         2024,
         3,
         15,
         {k('x'), k(KEY_ENTER), k(KEY_ALT_C), k(KEY_INS), k(KEY_F1), click(20, 75)},
         "15/3/2024 ",
         "2024",
         "GENER",
         {20, 72}},
        {"no year before 1", 1, 1, 1, {k(KEY_LEFT), k(KEY_UP), k(KEY_PGUP)}, "1/1/0001  ", "   1", "GENER", {}},
        {"no year after 9999",
         9999,
         11,
         15,
         {k(KEY_PGDN), k(KEY_END), k(KEY_DOWN), k(KEY_DOWN)},
         "29/12/9999",
         "9999",
         "OCTUBRE",
         {}},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pick(packed_date(c.year, c.month, c.day), c.keys + std::vector{k('F')}), c.picked);
        ASSERT_EQ(shots.size(), c.keys.size() + 1);
        const Shot& last = shots.back();
        EXPECT_EQ(last.rows[0], "┌─────── " + c.frame_year + " ───────┐");
        EXPECT_EQ(platform::trim_blanks(last.rows[2].substr(3, 20)), c.first_title);
        for (const Shot& s : shots) EXPECT_EQ(s.active.size(), 2u) << "one day highlighted at a time";
        if (c.highlight.row != 0) {
            EXPECT_EQ(last.active, (std::vector<Position>{c.highlight, {c.highlight.row, c.highlight.column + 1}}));
        }
    }
}

TEST_F(Calendar, WithinAQuarterOnlyTheHighlightMoves) {
    pick(packed_date(2025, 2, 28), {k(KEY_DOWN), k(KEY_HOME), k(KEY_ESC)});
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[1].rows, shots[0].rows);
    EXPECT_EQ(shots[2].rows, shots[0].rows);
    EXPECT_EQ(shots[1].active, (std::vector<Position>{{19, 72}, {19, 73}}));
    EXPECT_EQ(shots[2].active, (std::vector<Position>{{5, 63}, {5, 64}}));
}

TEST_F(Calendar, PickingKeys) {
    for (const KeyCode key : {KeyCode{'F'}, KeyCode{'f'}, KEY_ALT_F}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(pick(packed_date(2024, 3, 5), {k(key)}), "5/3/2024  ");
    }
    EXPECT_EQ(pick(packed_date(2024, 3, 5), {k(KEY_RIGHT), k(KEY_ESC)}), "");
}

TEST_F(Calendar, PickedDateFollowsTheUserDateSettings) {
    dir.write("Nalo.ini", "[Usuari]\r\nDatOrdre=AMD\r\nDatCaracter=-\r\n");
    EXPECT_EQ(pick(packed_date(2024, 3, 15), {k('F')}), "2024-3-15 ");
}

struct LanguageCase {
    const char* language;
    int month;
    std::string header;
    std::vector<std::string> titles;  // columns 60 to 79 of the three title rows
};

TEST_F(Calendar, Languages) {
    const std::vector<LanguageCase> cases = {
        {"CAT", 3, "DL DT DC DJ DV DS DG", {"       GENER        ", "       FEBRER       ", "        MARÇ        "}},
        {"OCI", 1, "DL DT DC DJ DD DS DG", {"        GÈR         ", "      HEREUÈR       ", "        MARÇ        "}},
        {"SPA", 3, " L  M  X  J  V  S  D", {"       ENERO        ", "      FEBRERO       ", "       MARZO        "}},
        {"GLG", 3, " L  M  X  J  V  S  D", {"      JANEIRO       ", "     FEVEREIRO      ", "       MARÇO        "}},
        {"SPA", 9, " L  M  X  J  V  S  D", {"       JULIO        ", "       AGOSTO       ", "     SEPTIEMBRE     "}},
        {"OCI", 7, "DL DT DC DJ DD DS DG", {"      JUNHSEGA      ", "       AGOST        ", "       SETEME       "}},
        {"XYZ", 3, "DL DT DC DJ DV DS DG", {"       GENER        ", "       FEBRER       ", "        MARÇ        "}},
    };
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " month " + std::to_string(c.month));
        startup::session.language_code = c.language;
        pick(packed_date(2024, c.month, 1), {k(KEY_ESC)});
        ASSERT_EQ(shots.size(), 1u);
        const std::vector<std::string>& rows = shots[0].rows;
        EXPECT_EQ(rows[1], "│" + c.header + "│");
        EXPECT_EQ(rows[2], "│" + c.titles[0] + "│");
        EXPECT_EQ(rows[9], "│" + c.titles[1] + "│");
        EXPECT_EQ(rows[16], "│" + c.titles[2] + "│");
    }
}

TEST_F(Calendar, UnsoundWorkingDates) {
    struct Case {
        const char* name;
        std::string working_date;
        std::string opens_on;  // as F picks it; empty: today
    };
    const std::vector<Case> cases = {
        {"empty", "", ""},
        {"year 0", packed_date(0, 3, 15), ""},
        {"only a year", startup::pack_digit_pairs("2024"), "1/1/2024  "},
        {"month 13", packed_date(2024, 13, 1), "1/1/2024  "},
        {"day 0", packed_date(2024, 3, 0), "1/1/2024  "},
        {"29 February of a common year", packed_date(2023, 2, 29), "1/1/2023  "},
        {"a Julian leap day, which the calendar's February lacks", packed_date(1500, 2, 29), "1/1/1500  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = dates::format_date(dates::today_date(), 0, "dma");
        const std::string picked = pick(c.working_date, {k('F')});
        const std::string after = dates::format_date(dates::today_date(), 0, "dma");
        if (c.opens_on.empty())
            EXPECT_TRUE(picked == before || picked == after) << picked;
        else
            EXPECT_EQ(picked, c.opens_on);
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_EQ(shots[0].active.size(), 2u);
    }
}

// Everything the calendar touches, to compare before and after.
struct World {
    std::vector<std::string> text;
    std::vector<std::uint8_t> attributes;
    Position cursor;
    bool cursor_visible = false;
    int cursor_size = 0;
    std::uint8_t attribute = 0;
    screen::ScreenState screen;
    input::InputState keys;
};

World world(const platform::HeadlessConsole& c) {
    World w{c.screen_text(),   {}, c.cursor(), c.cursor_visible(), c.cursor_size(), c.attribute(), screen::screen_state,
            input::input_state};
    for (int row = 1; row <= 25; ++row)
        for (int column = 1; column <= 80; ++column) w.attributes.push_back(c.attribute_at(row, column));
    return w;
}

void expect_same(const World& after, const World& before) {
    EXPECT_EQ(after.text, before.text);
    EXPECT_EQ(after.attributes, before.attributes);
    EXPECT_EQ(after.cursor, before.cursor);
    EXPECT_EQ(after.cursor_visible, before.cursor_visible);
    EXPECT_EQ(after.cursor_size, before.cursor_size);
    EXPECT_EQ(after.attribute, before.attribute);
    const screen::ScreenState& a = after.screen;
    const screen::ScreenState& b = before.screen;
    EXPECT_EQ(a.current_colour_entry, b.current_colour_entry);
    EXPECT_EQ(a.colour_stack, b.colour_stack);
    EXPECT_EQ(a.window_depth, b.window_depth);
    EXPECT_EQ((std::vector{a.win_top, a.win_left, a.win_bottom, a.win_right}),
              (std::vector{b.win_top, b.win_left, b.win_bottom, b.win_right}));
    const input::InputState& ka = after.keys;
    const input::InputState& kb = before.keys;
    EXPECT_EQ(ka.accept_key_list, kb.accept_key_list);
    EXPECT_EQ(ka.report_key_list, kb.report_key_list);
    EXPECT_EQ(ka.saved_accept_key_list, kb.saved_accept_key_list);
    EXPECT_EQ(ka.saved_report_key_list, kb.saved_report_key_list);
    EXPECT_EQ(ka.save_depth, kb.save_depth);
}

TEST_F(Calendar, LeavesEverythingAsItWas) {
    // A busy screen under the calendar.
    for (int row = 1; row <= 25; ++row) {
        console.place_cursor(row, 1);
        console.set_attribute(static_cast<std::uint8_t>(row % 2 == 0 ? REVERSE : EMPHASISED));
        std::string line;
        for (int column = 1; column <= 80; ++column) line += static_cast<char>('A' + (row + column) % 26);
        console.print(line);
    }
    struct Case {
        const char* name;
        std::vector<InputEvent> keys;
        bool field_holds_the_save;  // as while a form field is edited
        bool cursor_shown;
    };
    const std::vector<Case> cases = {
        {"Esc after a new quarter", {k(KEY_PGDN), k(KEY_ESC)}, false, true},
        {"a pick", {k(KEY_RIGHT), k('F')}, false, true},
        {"inside a field that holds the key set's save", {k(KEY_LEFT), k('F')}, true, true},
        {"with the cursor hidden", {k(KEY_END), k(KEY_ESC)}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        screen::apply_colour_code("+r");
        input::key_set_command("ea", "d,1b");
        if (c.field_holds_the_save) input::key_set_command("+ea", "d,1b,4800,3b00");
        console.place_cursor(12, 40);
        if (c.cursor_shown)
            console.show_cursor(25);
        else
            console.hide_cursor();
        const World before = world(console);
        if (c.field_holds_the_save) {
            // As in a field being edited: Alt+C through the key reader.
            dates::install_calendar_hot_key();
            startup::session.working_date = packed_date(2024, 3, 15);
            console.push_event(k(KEY_ALT_C));
            for (const auto& e : c.keys) console.push_event(e);
            input::KeyRead read;
            input::read_key(read);
            EXPECT_EQ(read.key, KEY_ALT_C);
            input::input_state.pending_keys.clear();
            input::input_state.mouse_state = before.keys.mouse_state;
        } else {
            pick(packed_date(2024, 3, 15), c.keys);
            EXPECT_EQ(shots.size(), c.keys.size());
        }
        expect_same(world(console), before);
        EXPECT_FALSE(dir.exists("WinPush.tmp"));
    }
}

// Alt+C while a field is edited: the calendar opens over it, and the date
// picked is typed into the field, which goes on being edited.
TEST_F(Calendar, HotKeyTypesThePickedDateIntoTheField) {
    dates::install_calendar_hot_key();
    startup::session.working_date = packed_date(2024, 3, 15);
    // The key set as a form field has it: its own keys, the empty set of the
    // top level saved. Were the empty set back after the calendar, Alt+C
    // would end the edit.
    input::key_set_command("+ea", "d,1b,3b00");
    const std::string keys_before = input::input_state.accept_key_list;

    std::vector<std::int16_t> depths;
    console.at_wait = [&] { depths.push_back(screen::screen_state.window_depth); };
    for (const InputEvent& e : {k(KEY_ALT_C), k(KEY_RIGHT), k(KEY_ALT_C), k('F'), k('!'), k(KEY_ENTER)})
        console.push_event(e);
    std::string text(12, '.');
    std::int16_t position = 1;
    KeyCode key = KEY_NONE;
    input::edit_line(5, 10, 0, text, position, key);

    EXPECT_EQ(console.pending_events(), 0u);
    EXPECT_EQ(console.waits_past_script(), 0);
    EXPECT_EQ(text, "16/3/2024 !.");
    EXPECT_EQ(key, KEY_ENTER);
    EXPECT_EQ(depths, (std::vector<std::int16_t>{0, 1, 1, 1, 0, 0})) << "Alt+C in the calendar opens no other";
    EXPECT_EQ(slice(5, 10, 12), "16/3/2024 !.");
    EXPECT_EQ(slice(1, 59, 22), std::string(22, ' ')) << "the calendar is gone";
    EXPECT_EQ(input::input_state.accept_key_list, keys_before);
    EXPECT_EQ(input::input_state.calendar_open, 0);
    EXPECT_TRUE(input::input_state.pending_keys.empty());
}

// The same in a field of a running form page, the key set the engine's own.
TEST_F(Calendar, HotKeyInARunningFormPage) {
    dates::install_calendar_hot_key();
    startup::session.working_date = packed_date(2024, 3, 15);
    forms::forms_state = {};
    forms::forms_state.form_pages = {{"d,1b", 1, 0, 0, 0, 0, 0}};
    forms::FormField date_field;
    date_field.label = "Data: ";
    date_field.row = 5;
    date_field.column = 10;
    date_field.length = 10;
    forms::store_field_value(date_field, "");
    forms::forms_state.form_fields = {{date_field}};

    for (const InputEvent& e : {k(KEY_ALT_C), k(KEY_PGDN), k('F'), k(KEY_ENTER)}) console.push_event(e);
    std::int16_t page = 1;
    KeyCode key = KEY_NONE;
    forms::run_form_page(page, 0, 0, key);

    EXPECT_EQ(console.pending_events(), 0u);
    EXPECT_EQ(console.waits_past_script(), 0);
    EXPECT_EQ(key, KEY_ENTER);
    EXPECT_EQ(forms::form_field(1, 1).value, "15/6/2024 ");
    EXPECT_EQ(forms::forms_state.table_changed, -1);
    EXPECT_EQ(slice(1, 59, 22), std::string(22, ' ')) << "the calendar is gone";
    EXPECT_TRUE(input::input_state.accept_key_list.empty());
    EXPECT_EQ(input::input_state.save_depth, 0);
    forms::forms_state = {};
}

}  // namespace
