#include "input/line_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "format/state.h"
#include "input/key_set.h"
#include "input/state.h"
#include "platform/cp850.h"
#include "platform/headless_console.h"
#include "platform/key_codes.h"
#include "screen/state.h"
#include "startup/session.h"

using namespace input;
using platform::InputEvent;
using platform::operator""_cp850;

namespace {

InputEvent k(KeyCode code) { return platform::key_event(code); }
std::vector<InputEvent> typed(std::string_view text) {
    std::vector<InputEvent> keys;
    for (const char c : text) keys.push_back(k(static_cast<std::uint8_t>(c)));
    return keys;
}
std::vector<InputEvent> operator+(std::vector<InputEvent> a, const std::vector<InputEvent>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
InputEvent click(int row, int column) { return {std::string("\xFF\xFF\x08\x01", 4), 0, {row, column}}; }

// Palette entries with attributes of their own: "u" paints 0x1E, "h" 0x0F.
constexpr std::uint8_t EDITING = 0x1E;
constexpr std::uint8_t DONE = 0x0F;
constexpr std::uint8_t BEFORE = 0x07;

// Fields start at row 5, column 10 unless a case says otherwise.
constexpr int ROW = 5;
constexpr int COLUMN = 10;

class LineEditor : public ::testing::Test {
public:
    void SetUp() override {
        saved_session = startup::session;
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {14, 1}}};
        reset();
        platform::set_console(&console);
    }
    void TearDown() override {
        platform::set_console(nullptr);
        reset();
        startup::session = saved_session;
    }
    void reset() {
        input_state = {};
        screen::screen_state = {};
        format::format_state = {};
        console.discard_keys();
        console.set_keyboard_state({});
        console.put_clipboard("");
        console.set_attribute(BEFORE);
        console.clear();
        console.at_wait = nullptr;
    }
    void set_insert(bool on) {
        platform::KeyboardState state{};
        state[platform::INSERT_KEY_INDEX] = on ? 1 : 0;
        console.set_keyboard_state(state);
    }
    // Edits with the keys scripted; every key must be used and the script
    // must end the edit itself.
    KeyCode edit(std::string& text, std::int16_t& position, const std::vector<InputEvent>& keys, int width = 0,
                 int row = ROW, int column = COLUMN) {
        for (const auto& e : keys) console.push_event(e);
        KeyCode key = 12345;
        edit_line(static_cast<std::int16_t>(row), static_cast<std::int16_t>(column), static_cast<std::int16_t>(width),
                  text, position, key);
        EXPECT_EQ(console.pending_events(), 0u) << "keys left over";
        EXPECT_EQ(console.waits_past_script(), 0) << "the edit did not end within its keys";
        return key;
    }
    // `count` cells of a screen row as UTF-8 text.
    std::string slice(int row, int column, int count) const {
        std::string out;
        for (int c = column; c < column + count; ++c)
            platform::append_utf8(out, platform::cp850_glyph(console.read_cell(row, c).ch));
        return out;
    }

    platform::HeadlessConsole console;
    startup::Session saved_session;
};

struct EditCase {
    const char* name;
    std::string text;
    int position;
    std::vector<InputEvent> keys;
    std::string want_text;
    int want_position;
    KeyCode want_key;
    int width = 0;
    const char* accept = "";  // key set list added before the edit
    bool insert = false;
    std::string clipboard = "";
};

void run_cases(LineEditor& t, const std::vector<EditCase>& cases);

const InputEvent ENTER = k(KEY_ENTER);

TEST_F(LineEditor, OrdinaryFieldKeys) {
    const std::vector<EditCase> cases = {
        {"overwrite up to the end, then ignored", "AB ", 3, typed("CD") + std::vector{ENTER}, "ABC", 4, KEY_ENTER},
        {"overwrite in the middle", "ABC", 2, typed("x") + std::vector{ENTER}, "AxC", 3, KEY_ENTER},
        {"insert into a full text is ignored until Del frees the end", "ABC", 1,
         typed("X") + std::vector{k(KEY_DEL)} + typed("X") + std::vector{ENTER}, "XBC", 2, KEY_ENTER, 0, "", true},
        {"insert moves the rest right, the last blank drops", "AC  ", 2, typed("B") + std::vector{ENTER}, "ABC ", 3,
         KEY_ENTER, 0, "", true},
        {"insert past the end is ignored", "AB ", 4, typed("X") + std::vector{ENTER}, "AB ", 4, KEY_ENTER, 0, "", true},
        {"Backspace at the start does nothing", "AB ", 1, {k(KEY_BACKSPACE), ENTER}, "AB ", 1, KEY_ENTER},
        {"Backspace at the end deletes the last character", "ABC", 4, {k(KEY_BACKSPACE), ENTER}, "AB ", 3, KEY_ENTER},
        {"Backspace inside", "ABC", 2, {k(KEY_BACKSPACE), ENTER}, "BC ", 1, KEY_ENTER},
        {"Del past the end does nothing", "AB", 3, {k(KEY_DEL), ENTER}, "AB", 3, KEY_ENTER},
        {"Del inside", "ABCD", 2, {k(KEY_DEL), ENTER}, "ACD ", 2, KEY_ENTER},
        {"End goes after the last non-blank", "AB  ", 1, {k(KEY_END), ENTER}, "AB  ", 3, KEY_ENTER},
        {"Home goes to the start", "AB  ", 3, {k(KEY_END), k(KEY_HOME), ENTER}, "AB  ", 1, KEY_ENTER},
        {"Left stops at the start", "AB", 1, {k(KEY_LEFT), ENTER}, "AB", 1, KEY_ENTER},
        {"Right stops past the end", "AB", 2, {k(KEY_RIGHT), k(KEY_RIGHT), ENTER}, "AB", 3, KEY_ENTER},
        {"Ctrl+Y blanks the text", "abc", 3, {k(KEY_CTRL_Y), ENTER}, "   ", 1, KEY_ENTER},
        {"Ctrl+Home blanks the text", "abc", 2, {k(KEY_CTRL_HOME), ENTER}, "   ", 1, KEY_ENTER},
        {"an empty text ends on any other key", "", 5, {k(KEY_F5)}, "", 1, KEY_F5},
    };
    run_cases(*this, cases);
}

TEST_F(LineEditor, WordMoves) {
    const auto CL = k(KEY_CTRL_LEFT), CR = k(KEY_CTRL_RIGHT);
    const std::vector<EditCase> cases = {
        {"left to the word's start, then the previous word's", "one two", 8, {CL, ENTER}, "one two", 5, KEY_ENTER},
        {"left twice", "one two", 8, {CL, CL, ENTER}, "one two", 1, KEY_ENTER},
        {"left at the start ends editing", "one two", 8, {CL, CL, CL}, "one two", 1, KEY_CTRL_LEFT},
        {"left at the start ends when the key set holds it",
         "one two",
         8,
         {CL, CL, CL},
         "one two",
         1,
         KEY_CTRL_LEFT,
         0,
         "d,7300"},
        {"left at the start is ignored when the key set lacks it",
         "one two",
         8,
         {CL, CL, CL, ENTER},
         "one two",
         1,
         KEY_ENTER,
         0,
         "d"},
        {"left stops after a leading blank", " abc", 5, {CL, ENTER}, " abc", 2, KEY_ENTER},
        {"left over a run of separators", "ab,, cd", 6, {CL, ENTER}, "ab,, cd", 1, KEY_ENTER},
        {"right to the next word", "one two", 2, {CR, ENTER}, "one two", 5, KEY_ENTER},
        {"right from the last word goes past the end", "one two", 5, {CR, ENTER}, "one two", 8, KEY_ENTER},
        {"right past the end ends editing", "one two", 2, {CR, CR, CR}, "one two", 8, KEY_CTRL_RIGHT},
        {"right over a run of separators", "ab,, cd", 1, {CR, ENTER}, "ab,, cd", 6, KEY_ENTER},
    };
    run_cases(*this, cases);
}

TEST_F(LineEditor, PasteWritesTheCleanedClipboardOverTheText) {
    const auto V = k(KEY_CTRL_V);
    const std::vector<EditCase> cases = {
        {"blanks and the line break are dropped",
         "abcde",
         2,
         {V, ENTER},
         "a12de",
         2,
         KEY_ENTER,
         0,
         "",
         false,
         "  12\r\n"},
        {"what does not fit is cut", "abc", 3, {V, ENTER}, "abx", 3, KEY_ENTER, 0, "", false, "xyz"},
        {"control characters, 127 and 255 are dropped",
         "abcd",
         1,
         {V, ENTER},
         "123d",
         1,
         KEY_ENTER,
         0,
         "",
         false,
         "\t1\x7F"
         "2\xFF"
         "3"},
        {"insert mode plays no part", "abcd", 1, {V, ENTER}, "12cd", 1, KEY_ENTER, 0, "", true, "12"},
        {"an empty clipboard pastes nothing", "abc", 1, {V, ENTER}, "abc", 1, KEY_ENTER},
        {"past the end nothing fits", "abc", 4, {V, ENTER}, "abc", 4, KEY_ENTER, 0, "", false, "xyz"},
    };
    run_cases(*this, cases);
}

TEST_F(LineEditor, EndingRules) {
    const std::vector<EditCase> cases = {
        {"a key outside the key set is ignored", "ab", 1, {k(KEY_F5), ENTER}, "ab", 1, KEY_ENTER, 0, "d,1b"},
        {"with no key set any other key ends", "ab", 1, {k(KEY_F5)}, "ab", 1, KEY_F5},
        {"Enter is reported as End's report when End is in the set",
         "ab",
         1,
         {ENTER},
         "ab",
         1,
         KEY_F2,
         0,
         "d,4f00=3c00"},
        {"Tab ends as Enter, not translated further", "ab", 1, {k(KEY_TAB)}, "ab", 1, KEY_ENTER, 0, "d,4f00"},
        {"a reported code replaces the key", "ab", 1, {k(KEY_ESC)}, "ab", 1, KEY_END, 0, "d,1b=4f00"},
        {"Ctrl+F4 ends as Esc", "ab", 1, {k(KEY_CTRL_F4)}, "ab", 1, KEY_ESC, 0, "1b"},
        {"Alt+F4 ends as Esc", "ab", 1, {k(KEY_ALT_F4)}, "ab", 1, KEY_ESC},
        {"Shift+Tab on the first row ends as Up", "ab", 2, {k(KEY_SHIFT_TAB)}, "ab", 2, KEY_UP},
        {"Up on the first row is ignored when the set lacks it",
         "ab",
         2,
         {k(KEY_UP), ENTER},
         "ab",
         2,
         KEY_ENTER,
         0,
         "d"},
        {"an ignored key leaves the text as edited", "ab", 1, typed("x") + std::vector{k(KEY_F5), ENTER}, "xb", 2,
         KEY_ENTER, 0, "d"},
    };
    run_cases(*this, cases);
}

TEST_F(LineEditor, MultiRowBlockMovesByRows) {
    const std::string text(80, 'a');
    const std::vector<EditCase> cases = {
        {"Down moves one row", text, 10, {k(KEY_DOWN), ENTER}, text, 50, KEY_ENTER, 40},
        {"Down from the last row ends", text, 50, {k(KEY_DOWN)}, text, 50, KEY_DOWN, 40},
        {"Down reaching just past the end moves", text, 41, {k(KEY_DOWN), ENTER}, text, 81, KEY_ENTER, 40},
        {"Up moves one row", text, 45, {k(KEY_UP), ENTER}, text, 5, KEY_ENTER, 40},
        {"Shift+Tab moves up like Up", text, 45, {k(KEY_SHIFT_TAB), ENTER}, text, 5, KEY_ENTER, 40},
        {"Up from the first row ends", text, 40, {k(KEY_UP)}, text, 40, KEY_UP, 40},
        {"a click on the second row", text, 1, {click(ROW + 1, COLUMN + 2), ENTER}, text, 43, KEY_ENTER, 40},
        {"a click below the whole rows ends",
         text,
         1,
         {click(ROW + 2, COLUMN)},
         text,
         1,
         -(COLUMN * 100 + ROW + 2),
         40},
    };
    run_cases(*this, cases);
}

TEST_F(LineEditor, ClicksMoveInsideTheFieldAndEndOutside) {
    const std::vector<EditCase> cases = {
        {"on the third character", "abcdef", 1, {click(ROW, COLUMN + 2), ENTER}, "abcdef", 3, KEY_ENTER},
        {"just past the text", "abcdef", 1, {click(ROW, COLUMN + 6), ENTER}, "abcdef", 7, KEY_ENTER},
        {"beyond the field's columns", "abcdef", 2, {click(ROW, COLUMN + 7)}, "abcdef", 2, -(17 * 100 + 5)},
        {"on another row", "abcdef", 2, {click(ROW + 1, COLUMN + 2)}, "abcdef", 2, -(12 * 100 + 6)},
        {"left of the field", "abcdef", 2, {click(ROW, COLUMN - 1)}, "abcdef", 2, -(9 * 100 + 5)},
        {"outside, even with a key set that lacks clicks", "abcdef", 2, {click(1, 1)}, "abcdef", 2, -101, 0, "d"},
    };
    run_cases(*this, cases);
}

void run_cases(LineEditor& t, const std::vector<EditCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.reset();
        t.set_insert(c.insert);
        t.console.put_clipboard(c.clipboard);
        if (*c.accept) key_set_command("a", c.accept);
        std::string text = c.text;
        auto position = static_cast<std::int16_t>(c.position);
        const KeyCode key = t.edit(text, position, c.keys, c.width);
        EXPECT_EQ(text, c.want_text);
        EXPECT_EQ(position, c.want_position);
        EXPECT_EQ(key, c.want_key);
    }
}

TEST_F(LineEditor, PaintsInTheEditColourAndLeavesInTheDoneColour) {
    std::vector<std::string> shown;
    std::vector<platform::Position> cursor;
    std::vector<int> size;
    console.at_wait = [&] {
        shown.push_back(slice(ROW, COLUMN, 5));
        cursor.push_back(console.cursor());
        size.push_back(console.cursor_visible() ? console.cursor_size() : 0);
        EXPECT_EQ(console.attribute_at(ROW, COLUMN), EDITING);
        EXPECT_EQ(console.attribute_at(ROW, COLUMN + 3), EDITING);
    };
    std::string text = "abcd";
    std::int16_t position = 2;
    // Overwrite mode: a big cursor; Ins makes it small and switches to
    // insert mode in the keyboard state, so the next edit starts there too.
    const KeyCode key =
        edit(text, position, typed("x") + std::vector{k(KEY_INS), k(KEY_DEL)} + typed("y") + std::vector{ENTER});
    EXPECT_EQ(key, KEY_ENTER);
    EXPECT_EQ(text, "axyd");
    EXPECT_EQ(shown, (std::vector<std::string>{"abcd ", "axcd ", "axcd ", "axd  ", "axyd "}));
    EXPECT_EQ(size, (std::vector<int>{99, 99, 50, 50, 50}));
    EXPECT_EQ(cursor[0], (platform::Position{ROW, COLUMN + 1}));
    EXPECT_EQ(cursor[4], (platform::Position{ROW, COLUMN + 3}));
    EXPECT_EQ(console.keyboard_state()[platform::INSERT_KEY_INDEX], 1);
    // On return: the done colour, the cursor hidden at the field's start.
    EXPECT_EQ(console.attribute(), DONE);
    EXPECT_FALSE(console.cursor_visible());
    EXPECT_EQ(console.cursor(), (platform::Position{ROW, COLUMN}));
    EXPECT_EQ(console.attribute_at(ROW, COLUMN + 4), BEFORE);

    size.clear();
    text = "ab  ";
    position = 1;
    edit(text, position, typed("z") + std::vector{ENTER});
    EXPECT_EQ(text, "zab ");
    EXPECT_EQ(size, (std::vector<int>{50, 50}));
}

TEST_F(LineEditor, MultiRowBlockIsPaintedByRowsWithTheCursorNeverOnARowOfItsOwn) {
    std::string text = std::string(40, 'a') + std::string(40, 'b');
    std::vector<platform::Position> cursor;
    console.at_wait = [&] { cursor.push_back(console.cursor()); };
    std::int16_t position = 81;
    edit(text, position, {k(KEY_LEFT), k(KEY_HOME), k(KEY_DOWN), ENTER}, 40);
    EXPECT_EQ(slice(ROW, COLUMN, 41), std::string(40, 'a') + " ");
    EXPECT_EQ(slice(ROW + 1, COLUMN, 41), std::string(40, 'b') + " ");
    EXPECT_EQ(slice(ROW + 2, COLUMN, 1), " ");
    EXPECT_EQ(cursor, (std::vector<platform::Position>{
                          {ROW + 1, COLUMN + 40}, {ROW + 1, COLUMN + 39}, {ROW, COLUMN}, {ROW + 1, COLUMN}}));
}

TEST_F(LineEditor, HiddenFieldShowsMaskCharactersAndCopiesItsRealText) {
    key_set_command("h", "");
    std::vector<std::string> shown;
    console.at_wait = [&] { shown.push_back(slice(ROW, COLUMN, 7)); };
    std::string text = "secret";
    std::int16_t position = 1;
    edit(text, position, typed("S") + std::vector{k(KEY_CTRL_C), k(KEY_CTRL_Y), ENTER});
    EXPECT_EQ(text, "      ");
    EXPECT_EQ(console.get_clipboard(), "Secret");
    EXPECT_EQ(shown, (std::vector<std::string>(4, "XXXXXX ")));
    EXPECT_EQ(slice(ROW, COLUMN, 7), "XXXXXX ");
}

TEST_F(LineEditor, CopyPutsTheTextWithoutOuterBlanks) {
    std::string text = "  ab c  ";
    std::int16_t position = 1;
    edit(text, position, {k(KEY_CTRL_C), ENTER});
    EXPECT_EQ(console.get_clipboard(), "ab c");
}

TEST_F(LineEditor, ChoiceFieldStepsThroughItsOptionsBetweenArrows) {
    set_current_choices("|S,Sí|N,No"_cp850);
    std::vector<std::string> shown;
    console.at_wait = [&] {
        shown.push_back(slice(ROW, COLUMN - 1, 4));
        EXPECT_FALSE(console.cursor_visible());
        // The arrows are the bytes 0x11 and 0x10, in the colour in use
        // before editing; the description in the edit colour.
        EXPECT_EQ(console.read_cell(ROW, COLUMN - 1), (platform::Cell{0x11, BEFORE}));
        EXPECT_EQ(console.read_cell(ROW, COLUMN + 2), (platform::Cell{0x10, BEFORE}));
        EXPECT_EQ(console.attribute_at(ROW, COLUMN), EDITING);
    };
    std::string text = "N";
    std::int16_t position = 1;
    const KeyCode key = edit(text, position,
                             {k(KEY_RIGHT), k('n'), k('x'), k(KEY_LEFT), k(KEY_LEFT), k(KEY_SPACE), k(KEY_BACKSPACE),
                              k(KEY_CTRL_Y), k(KEY_CTRL_C), ENTER});
    EXPECT_EQ(shown, (std::vector<std::string>{"◄No►", "◄Sí►", "◄No►", "◄No►", "◄Sí►", "◄No►", "◄Sí►", "◄Sí►", "◄Sí►",
                                               "◄Sí►"}));
    EXPECT_EQ(key, KEY_ENTER);
    EXPECT_EQ(text, "S");
    EXPECT_EQ(console.get_clipboard(), ("Sí"_cp850).str());
    // The arrows go when editing ends; the description stays.
    EXPECT_EQ(slice(ROW, COLUMN - 1, 4), " Sí ");
}

TEST_F(LineEditor, ChoiceFieldTypeAheadIgnoresCaseAndAccentsAndWrapsOnce) {
    set_current_choices("|1,Àlgebra|2,Aritmètica|3,Bé|4,àvia"_cp850);
    std::vector<std::string> texts;
    console.at_wait = [&] { texts.push_back(slice(ROW, COLUMN, 10)); };
    std::string text = "2 ";  // no option's value: the first is shown
    std::int16_t position = 1;
    edit(text, position, {k('a'), k('A'), k(0xB7 /* À */), k('b'), k('b'), k('z'), ENTER});
    EXPECT_EQ(texts, (std::vector<std::string>{"Àlgebra   ", "Aritmètica", "àvia      ", "Àlgebra   ", "Bé        ",
                                               "Bé        ", "Bé        "}));
    EXPECT_EQ(text, "3 ");
    EXPECT_EQ(format::format_state.plain_letters_mode, 0);
}

TEST_F(LineEditor, ChoiceFieldClicks) {
    const auto run = [&](const std::vector<InputEvent>& keys, const char* accept, KeyCode want_key,
                         const std::string& want_text) {
        reset();
        set_current_choices("|S,Sí|N,No"_cp850);
        if (*accept) key_set_command("a", accept);
        std::string text = "S";
        std::int16_t position = 1;
        EXPECT_EQ(edit(text, position, keys), want_key);
        EXPECT_EQ(text, want_text);
    };
    // The arrows at columns 9 and 12 step; the description between ends
    // as key 0, which a key set ignores.
    run({click(ROW, COLUMN + 2), ENTER}, "", KEY_ENTER, "N");
    run({click(ROW, COLUMN - 1), click(ROW, COLUMN - 1), ENTER}, "", KEY_ENTER, "S");
    run({click(ROW, COLUMN + 1)}, "", KEY_NONE, "S");
    run({click(ROW, COLUMN), ENTER}, "d", KEY_ENTER, "S");
    run({click(ROW, COLUMN + 3)}, "d", -(13 * 100 + ROW), "S");
    run({k(KEY_DOWN)}, "", KEY_DOWN, "S");
}

TEST_F(LineEditor, PositionsAreRelativeToTheCurrentWindow) {
    screen::screen_state.window_depth = 1;
    screen::screen_state.win_top = 4;
    screen::screen_state.win_left = 1;
    screen::screen_state.win_bottom = 22;
    screen::screen_state.win_right = 80;
    std::string text = "abcdef";
    std::int16_t position = 1;
    // Window row 2, column 5 is screen row 6, column 6.
    edit(text, position, {click(6, 8), ENTER}, 0, 2, 5);
    EXPECT_EQ(position, 3);
    EXPECT_EQ(slice(6, 6, 6), "abcdef");
    EXPECT_EQ(console.cursor(), (platform::Position{6, 6}));

    // Row and column 0: where the cursor stands.
    console.place_cursor(10, 20);
    text = "xyz";
    position = 1;
    edit(text, position, {click(10, 21), ENTER}, 0, 0, 0);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(slice(10, 20, 3), "xyz");
}

}  // namespace
