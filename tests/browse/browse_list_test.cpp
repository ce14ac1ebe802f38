#include "browse/browse_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browse/work_file.h"
#include "browse_fixture.h"
#include "forms/engine.h"
#include "input/key_set.h"
#include "platform/cp850.h"

using platform::operator""_cp850;

namespace {

using Lines = std::vector<std::string>;

Lines blank_window() { return Lines(10, ""); }

std::string le32(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
}

TEST_F(BrowseTest, ListsTheRangeLazilyAndNeverReadsARecordTwice) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    std::vector<std::int64_t> work_file_sizes;
    waits.on_wait = [&] { work_file_sizes.push_back(std::filesystem::file_size(dir.path() + "Browse.tmp")); };
    keys({KEY_PGDN, KEY_PGUP, KEY_PGDN, KEY_ESC});
    EXPECT_EQ(show(list), -1);

    ASSERT_EQ(waits.shots.size(), 4u);
    EXPECT_EQ(lines(0, d), item_lines(1, 10));
    EXPECT_EQ(lines(1, d), item_lines(11, 20));
    EXPECT_EQ(lines(2, d), item_lines(1, 10));
    EXPECT_EQ(lines(3, d), item_lines(11, 20));
    // A window's worth of lines at a time, and scrolling back reads the
    // work file only.
    EXPECT_EQ(row_text_calls, 20);
    const std::int64_t entry = browse::ENTRY_HEADER_SIZE + 9;
    EXPECT_EQ(work_file_sizes, (std::vector<std::int64_t>{10 * entry, 20 * entry, 20 * entry, 20 * entry}));
    EXPECT_EQ(range_calls, 1);
}

TEST_F(BrowseTest, WorkFileEntriesLinkBackAndHoldTheRecordPosition) {
    const std::int16_t list = add_list(items_list());
    dir.write("Browse.tmp", "left by an earlier list");  // a record list starts afresh
    std::string bytes;
    waits.on_wait = [&] { bytes = dir.read("Browse.tmp"); };
    keys({KEY_ESC});
    show(list);

    ASSERT_EQ(records::find_record(FILE_ID, 0, code(2), 0), 0);
    const std::int32_t second = records::record_position(FILE_ID, 0);
    ASSERT_NE(second, 0);
    // The second entry, at position 20: the first's position, the record's
    // position, the length 9 and the text, little-endian.
    const std::string expected =
        le32(1) + le32(static_cast<std::uint32_t>(second)) + std::string("\x09\0", 2) + "ITEM 0002";
    ASSERT_GE(bytes.size(), 38u);
    EXPECT_EQ(bytes.substr(19, 19), expected);
    EXPECT_EQ(bytes.substr(0, 4), std::string(4, '\0'));
}

TEST_F(BrowseTest, EmptyRangeShowsOneBlankLineAndPicksNothing) {
    struct Case {
        const char* name;
        std::string first, last;
    };
    for (const Case& c :
         {Case{"starts after the last record", "0500", ""}, Case{"first record after the end key", "0100", "0050"}}) {
        SCOPED_TRACE(c.name);
        waits.shots.clear();
        row_text_calls = 0;
        const forms::BrowseListDef d = items_list();
        const std::int16_t list = add_list(d);
        range_first = c.first;
        range_last = c.last;
        keys({KEY_DOWN, KEY_PGDN, KEY_UP, KEY_ENTER});
        EXPECT_EQ(show(list), -1);
        EXPECT_EQ(row_text_calls, 0);
        ASSERT_EQ(waits.shots.size(), 4u);
        EXPECT_EQ(lines(3, d), blank_window());
        EXPECT_EQ(highlighted(3, d), 1);
    }
}

TEST_F(BrowseTest, RecordsWithoutTextAreLeftOutAndTheEndKeyIsIncluded) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    row_text = [](int n) { return n % 2 == 0 ? "ITEM " + code(n) + "   " : std::string("   "); };
    range_first = "0010";
    range_last = "0020";
    keys({KEY_PGDN, KEY_ESC});
    show(list);
    EXPECT_EQ(lines(0, d),
              (Lines{"ITEM 0010", "ITEM 0012", "ITEM 0014", "ITEM 0016", "ITEM 0018", "ITEM 0020", "", "", "", ""}));
    EXPECT_EQ(row_text_calls, 11);
    // The range is complete: PgDn has nowhere to go.
    EXPECT_EQ(lines(1, d), lines(0, d));

    // No text at all: the whole file is read before the blank line shows.
    waits.shots.clear();
    row_text_calls = 0;
    range_first.clear();
    range_last.clear();
    row_text = [](int) { return std::string(); };
    keys({KEY_ESC});
    show(list);
    EXPECT_EQ(row_text_calls, ITEMS);
    EXPECT_EQ(lines(0, d), blank_window());
}

TEST_F(BrowseTest, RangeEndFollowsTheOrderOfABinaryKey) {
    forms::BrowseListDef d = items_list();
    d.key_number = 1;
    const std::int16_t list = add_list(d);
    // 250 to 260 along the 2-byte number: the end's low byte is below the
    // start's, so only the key's own order gives eleven lines.
    range_first = binary(250);
    range_last = binary(260);
    keys({KEY_PGDN, KEY_ESC});
    show(list);
    EXPECT_EQ(lines(0, d), item_lines(250, 259));
    EXPECT_EQ(lines(1, d), (Lines{"ITEM 0260", "", "", "", "", "", "", "", "", ""}));
}

TEST_F(BrowseTest, EscTypedWhileReadingEndsTheListAtTheLastLine) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    // Three lines, then a long stretch of records without one; the operator
    // types a letter (dropped) and then Esc while it is being read.
    row_text = [this](int n) {
        if (n == 100) console.push_key('x');
        if (n == 150) console.push_key(KEY_ESC);
        return n <= 3 ? "ITEM " + code(n) : std::string();
    };
    keys({KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_PGDN, KEY_ENTER});
    EXPECT_EQ(show(list), 0);
    EXPECT_EQ(row_text_calls, 150);
    EXPECT_EQ(console.pending_events(), 0u);
    EXPECT_EQ(lines(0, d), (Lines{"ITEM 0001", "ITEM 0002", "ITEM 0003", "", "", "", "", "", "", ""}));
    EXPECT_EQ(highlighted(4, d), 3);
    // The list's last line is the chosen one, read again.
    EXPECT_EQ(std::string(record.data(), record.size()), item(3));
}

TEST_F(BrowseTest, PageUpFromRowNineOfAWindowWhoseTopIsTheFourthEntry) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    for (int i = 0; i < 12; ++i) keys({KEY_DOWN});
    keys({KEY_UP, KEY_PGUP, KEY_PGDN, KEY_PGUP, KEY_ESC});
    show(list);
    ASSERT_EQ(waits.shots.size(), 17u);
    // Before PgUp: entries 4 to 13, the highlight on row 9 (entry 12).
    EXPECT_EQ(lines(13, d), item_lines(4, 13));
    EXPECT_EQ(highlighted(13, d), 9);
    // The list from the first entry, the highlight on row 2: ten entries
    // back.
    EXPECT_EQ(lines(14, d), item_lines(1, 10));
    EXPECT_EQ(highlighted(14, d), 2);
    // PgDn shows the next ten with the cursor on its row; PgUp then takes
    // the top back a full window and the cursor keeps its row.
    EXPECT_EQ(lines(15, d), item_lines(11, 20));
    EXPECT_EQ(highlighted(15, d), 2);
    EXPECT_EQ(lines(16, d), item_lines(1, 10));
    EXPECT_EQ(highlighted(16, d), 2);
}

TEST_F(BrowseTest, ArrowsAndPagesStopAtTheEndsOfTheList) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    range_last = "0015";
    keys({KEY_UP, KEY_PGUP});  // nothing before the first entry
    for (int i = 0; i < 8; ++i) keys({KEY_DOWN});
    keys({KEY_PGDN, KEY_PGDN, KEY_DOWN, KEY_UP, KEY_UP, KEY_UP, KEY_UP, KEY_UP, KEY_UP, KEY_ENTER});
    EXPECT_EQ(show(list), 0);
    EXPECT_EQ(lines(2, d), item_lines(1, 10));
    EXPECT_EQ(highlighted(2, d), 1);
    EXPECT_EQ(highlighted(10, d), 9);
    // PgDn past the end: the rest of the list, the cursor on its last line.
    Lines last_page = item_lines(11, 15);
    last_page.resize(10);
    EXPECT_EQ(lines(11, d), last_page);
    EXPECT_EQ(highlighted(11, d), 5);
    EXPECT_EQ(lines(12, d), last_page);
    EXPECT_EQ(highlighted(13, d), 5);
    // Up past the window's top scrolls it back one entry at a time.
    EXPECT_EQ(lines(17, d), last_page);
    EXPECT_EQ(highlighted(17, d), 1);
    Lines scrolled = item_lines(10, 15);
    scrolled.resize(10);
    EXPECT_EQ(lines(18, d), scrolled);
    EXPECT_EQ(highlighted(18, d), 1);
    EXPECT_EQ(std::string(record.data(), record.size()), item(9));
}

std::string repeat(std::string_view text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

TEST_F(BrowseTest, RightScrollingStopsPastTheLongestLine) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    row_text = [&](int n) { return n == 3 ? "ITEM 0003 " + letters : "ITEM " + code(n); };
    keys({KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_LEFT, KEY_LEFT, KEY_LEFT, KEY_ESC});
    show(list);
    ASSERT_EQ(waits.shots.size(), 7u);
    const std::string edge = "═"_cp850;
    // The 35-character line is 15 wider than the window: 1, 9, 17 and no
    // further.
    EXPECT_EQ(title(0, d), "╔ITEMS"_cp850.str() + repeat(edge, 15) + "►"_cp850.str());
    EXPECT_EQ(lines(0, d)[2], "ITEM 0003 ABCDEFGHIJ");
    EXPECT_EQ(title(1, d), "◄"_cp850.str() + repeat(edge, 20) + "►"_cp850.str());
    EXPECT_EQ(lines(1, d)[0], "1");
    EXPECT_EQ(lines(1, d)[2], "3 ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(title(2, d), "◄"_cp850.str() + repeat(edge, 20) + "╗"_cp850.str());
    EXPECT_EQ(lines(2, d)[2], letters.substr(6));
    EXPECT_EQ(lines(2, d)[0], "");
    EXPECT_EQ(title(3, d), title(2, d));
    EXPECT_EQ(lines(3, d), lines(2, d));
    EXPECT_EQ(lines(4, d), lines(1, d));
    EXPECT_EQ(title(5, d), title(0, d));
    EXPECT_EQ(lines(6, d), lines(0, d));
}

TEST_F(BrowseTest, HeadingUsesUnderscoresForBlanksAndBlanksForTheEdge) {
    forms::BrowseListDef d = items_list();
    d.window_right = 41;  // 30 columns
    d.heading = "__CODI_______DESCRIPCIO PLUS";
    const std::int16_t wide = add_list(d);
    forms::BrowseListDef narrow = items_list();
    narrow.heading = "A HEADING LONGER THAN 20";
    const std::int16_t short_window = add_list(narrow);
    keys({KEY_ESC});
    show(wide);
    keys({KEY_ESC});
    show(short_window);
    EXPECT_EQ(title(0, d), "╔  CODI       DESCRIPCIO═PLUS══╗"_cp850.str());
    EXPECT_EQ(title(1, narrow), "╔A═HEADING═LONGER═THA►"_cp850.str());
}

TEST_F(BrowseTest, ReadyMadeListKeepsTheWorkFileAndLeavesThePick) {
    forms::BrowseListDef d = items_list();
    d.record_file = 0;
    const std::int16_t list = add_list(d);
    // Three entries written as the list's maker would.
    const std::string entries = le32(0) + le32(111) + std::string("\x05\0", 2) + "ALPHA" +  // at 1
                                le32(1) + le32(222) + std::string("\x04\0", 2) + "BETA" +   // at 16
                                le32(16) + le32(333) + std::string("\x05\0", 2) + "GAMMA";  // at 30
    dir.write("Browse.tmp", entries);
    keys({KEY_DOWN, KEY_DOWN, KEY_UP, KEY_ENTER});
    EXPECT_EQ(show(list), 0);
    EXPECT_EQ(browse::browse_state.browse_choice_value, 222);
    EXPECT_EQ(browse::browse_state.browse_choice_text, "BETA");
    EXPECT_EQ(lines(0, d), (Lines{"ALPHA", "BETA", "GAMMA", "", "", "", "", "", "", ""}));
    EXPECT_EQ(highlighted(3, d), 2);
    EXPECT_EQ(row_text_calls, 0);
    EXPECT_EQ(range_calls, 1);

    // Esc leaves the last pick as it was; an empty list picks nothing.
    dir.write("Browse.tmp", entries);
    keys({KEY_ESC});
    EXPECT_EQ(show(list), -1);
    dir.write("Browse.tmp", "");
    keys({KEY_ENTER});
    EXPECT_EQ(show(list), -1);
    EXPECT_EQ(browse::browse_state.browse_choice_value, 222);
    EXPECT_EQ(browse::browse_state.browse_choice_text, "BETA");
}

TEST_F(BrowseTest, DamagedReadyMadeListIsReadInsideTheFileOnly) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines first_lines;
        std::string picked;  // after Down, Down, Up, Up, PgUp, PgDn, Right, Left
    };
    const auto entry = [](std::uint32_t previous, std::uint32_t length, const std::string& text) {
        return le32(previous) + le32(7) +
               std::string{static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)} + text;
    };
    const std::string one = entry(0, 3, "ONE");  // at 1; the second entry is at 14, the third at 27
    const std::vector<Case> cases = {
        {"previous at itself", one + entry(14, 3, "TWO") + entry(14, 5, "THREE"), {"ONE", "TWO"}, "TWO"},
        {"previous ahead", one + entry(27, 3, "TWO") + entry(14, 5, "THREE"), {"ONE", "TWO"}, "TWO"},
        {"previous below zero", one + entry(0xFFFFFFFF, 3, "TWO") + entry(14, 5, "THREE"), {"ONE", "TWO"}, "TWO"},
        {"previous past the end", one + entry(1, 3, "TWO") + entry(9999, 5, "THREE"), {"ONE", "TWO"}, "THREE"},
        // The second entry claims more text than the file has left.
        {"length past the end", one + entry(1, 500, "TW"), {"ONE", "TW"}, "ONE"},
        // A header cut short by the end of the file; a line feed in a text
        // shows as a blank, in its row.
        {"cut header", entry(0, 3, "O\nE") + "\x01\x02", {"O E", ""}, ""},
    };
    // Two rows, so that the moves scroll.
    forms::BrowseListDef d = items_list();
    d.record_file = 0;
    d.window_bottom = 6;
    const std::int16_t list = add_list(d);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        waits.shots.clear();
        dir.write("Browse.tmp", c.bytes);
        keys({KEY_DOWN, KEY_DOWN, KEY_UP, KEY_UP, KEY_PGUP, KEY_PGDN, KEY_RIGHT, KEY_LEFT, KEY_ENTER});
        EXPECT_EQ(show(list), 0);
        EXPECT_EQ(lines(0, d), c.first_lines);
        EXPECT_EQ(browse::browse_state.browse_choice_text, c.picked);
        EXPECT_EQ(console.row_text(4), std::string(80, ' '));
    }
}

TEST_F(BrowseTest, F4OpensTheFurtherListAndHandsItsPickToTheProgram) {
    forms::BrowseListDef first = items_list();
    first.f4_list = 2;
    forms::BrowseListDef further = items_list();
    further.key_number = 1;
    further.window_top = 5;
    further.window_bottom = 9;
    further.heading = "PER_NUMERO";
    add_list(first);
    add_list(further);
    // Both from item 100, each in its key's own terms.
    forms::forms_state.hooks.browse_range = [](const forms::BrowseListDef& d, std::string& first, std::string&) {
        first = d.key_number == 0 ? code(100) : binary(100);
        return std::int16_t{0};
    };
    std::vector<std::string> key_sets;
    waits.on_wait = [&] { key_sets.push_back(input::input_state.accept_key_list); };
    keys({KEY_DOWN, KEY_F4, KEY_DOWN, KEY_DOWN, KEY_ENTER});
    EXPECT_EQ(show(1), 0);
    ASSERT_EQ(waits.shots.size(), 5u);
    EXPECT_EQ(lines(1, first), item_lines(100, 109));
    // The further list reads its own range along its own key, over the
    // first one's window.
    EXPECT_EQ(lines(2, further), item_lines(100, 102));
    EXPECT_EQ(title(2, further), "╔PER NUMERO══════════╗"_cp850.str());
    EXPECT_EQ(waits.shots[2].bytes(11, 11, 19), "ITEM 0107");  // the first list stays below it
    EXPECT_EQ(std::string(record.data(), record.size()), item(102));
    EXPECT_EQ(after_browse_calls, (std::vector<AfterBrowse>{{2, 0, 0}}));
    // Enter, Esc, the arrows and the page keys; F4 only while a further
    // list is named.
    const std::string browse_keys = input::key_code_bytes(13) + input::key_code_bytes(27) +
                                    input::key_code_bytes(0x4800) + input::key_code_bytes(0x5000) +
                                    input::key_code_bytes(0x4900) + input::key_code_bytes(0x5100) +
                                    input::key_code_bytes(0x4B00) + input::key_code_bytes(0x4D00);
    EXPECT_EQ(key_sets[0], browse_keys + input::key_code_bytes(0x3E00));
    EXPECT_EQ(key_sets[2], browse_keys);
    EXPECT_EQ(input::input_state.accept_key_list, "");
    EXPECT_EQ(input::input_state.save_depth, 0);
}

TEST_F(BrowseTest, AnyOtherKeyEndsTheListAndEverythingIsPutBack) {
    const forms::BrowseListDef d = items_list();
    const std::int16_t list = add_list(d);
    std::int16_t status = 0;
    records::set_lock_mode(FILE_ID, "B", status);
    const std::int16_t slot = records::find_file_slot(FILE_ID);
    std::vector<std::int16_t> lock_modes;
    waits.on_wait = [&] { lock_modes.push_back(records::records_state.file_table[slot].lock_mode); };
    console.place_cursor(5, 12);
    console.print("UNDER THE LIST");
    for (const KeyCode key : {KEY_ESC, KeyCode{'x'}, KEY_F5, KEY_F4}) {  // F4: the list names no further one
        keys({key});
        EXPECT_EQ(show(list), -1);
    }
    const std::string left_click = {'\xFF', '\xFF', platform::MOUSE_RELEASED, platform::MOUSE_LEFT};
    waits.script.push_back({left_click, 0, {5, 12}});
    EXPECT_EQ(show(list), -1);
    EXPECT_EQ(waits.shots.size(), 5u);
    EXPECT_TRUE(after_browse_calls.empty());
    // Read without locks while open; the file's own mode afterwards.
    EXPECT_EQ(lock_modes, std::vector<std::int16_t>(5, records::LOCK_NONE));
    EXPECT_EQ(records::records_state.file_table[slot].lock_mode, records::LOCK_REPORT);
    EXPECT_EQ(records::records_state.lock_mode_stack, "");
    EXPECT_EQ(waits.shots[0].bytes(5, 11, 19), "ITEM 0002");
    EXPECT_EQ(console.row_text(5).substr(11, 14), "UNDER THE LIST");
    EXPECT_EQ(console.row_text(3), std::string(80, ' '));
    EXPECT_EQ(screen::screen_state.window_depth, 0);
    EXPECT_EQ(screen::screen_state.colour_stack, "");
    EXPECT_FALSE(dir.exists("WinPush.tmp"));
}

TEST_F(BrowseTest, RangeRefusalAndListsThatCannotBeShownShowNothing) {
    range_result = 42;
    EXPECT_EQ(show(add_list(items_list())), 42);
    range_result = 0;
    forms::BrowseListDef off_screen = items_list();
    off_screen.window_right = 81;
    forms::BrowseListDef no_inside = items_list();
    no_inside.window_bottom = 4;
    EXPECT_EQ(show(add_list(off_screen)), -1);
    EXPECT_EQ(show(add_list(no_inside)), -1);
    EXPECT_EQ(show(99), -1);  // a list the form lacks
    EXPECT_EQ(range_calls, 1);
    EXPECT_TRUE(waits.shots.empty());
    EXPECT_EQ(row_text_calls, 0);
    EXPECT_EQ(console.row_text(3), std::string(80, ' '));
}

// Page 1: a code field whose F4 opens list 2; page 2: a window asking
// where list 1 starts. Both lists go over the items.
const std::string form_with_lists =
    "2,1\r\n"
    "\"d,1b,3e00\",1,0,0,0,0,0\r\n"
    "2,1,\"CODI:\",4,0,0,0,0,2,\"\"\r\n"
    "\"d,1b\",1,0,16,10,20,50\r\n"
    "2,2,\"DES DE:\",4,0,0,0,0,0,\"\"\r\n"
    "2\r\n"
    "7,0,3,10,14,31,2,\"ITEMS\",0\r\n"
    "7,0,3,10,14,31,0,\"ITEMS\",0\r\n";

class BrowseFormTest : public BrowseTest {
protected:
    void SetUp() override {
        BrowseTest::SetUp();
        dir.write("FORMS/EXPTYPES.JPN", form_with_lists);
        forms::load_form();
        ASSERT_EQ(forms::browse_list_count(), 2);
    }
};

TEST_F(BrowseFormTest, SelectionPageRunsFirstAndEscThereShowsNoList) {
    forms::forms_state.hooks.browse_range = [this](const forms::BrowseListDef&, std::string& first, std::string&) {
        ++range_calls;
        first = forms::form_field(2, 1).value;
        return std::int16_t{0};
    };
    waits.text("0050\r");
    keys({KEY_DOWN, KEY_ENTER});
    EXPECT_EQ(show(1), 0);
    EXPECT_EQ(std::string(record.data(), record.size()), item(51));
    EXPECT_EQ(range_calls, 1);

    const std::size_t shots_before = waits.shots.size();
    keys({KEY_ESC});
    EXPECT_EQ(show(1), -1);
    EXPECT_EQ(range_calls, 1);
    EXPECT_EQ(waits.shots.size(), shots_before + 1);  // the selection page's one wait
    EXPECT_EQ(screen::screen_state.window_depth, 0);
}

TEST_F(BrowseFormTest, F4InAFieldOpensItsListThroughTheEngine) {
    forms::forms_state.hooks.after_browse = [this](std::int16_t& list, std::int16_t& page, std::int16_t& field) {
        after_browse_calls.push_back({list, page, field});
        forms::store_field_value(forms::form_field(page, field), std::string(record.data(), 4));
    };
    keys({KEY_F4, KEY_DOWN, KEY_DOWN, KEY_ENTER});
    std::int16_t page = 1;
    KeyCode key = 0;
    forms::run_form_page(page, 0, 0, key);
    // The pick is the field's: the engine goes on as after Enter.
    EXPECT_EQ(key, KEY_ENTER);
    EXPECT_EQ(forms::form_field(1, 1).value, "0003");
    EXPECT_EQ(after_browse_calls, (std::vector<AfterBrowse>{{2, 1, 1}}));
    EXPECT_FALSE(work_file_exists());

    // Nothing picked: a beep and the same field again, with the field's
    // own keys (F5, which the page does not list, does not end it).
    keys({KEY_F4, KEY_ESC, KEY_F5, KEY_ENTER});
    key = 0;
    forms::run_form_page(page, 0, 0, key);
    EXPECT_EQ(key, KEY_ENTER);
    EXPECT_EQ(console.beeps(), 1);
    EXPECT_EQ(after_browse_calls.size(), 1u);
    EXPECT_EQ(input::input_state.save_depth, 0);
    EXPECT_EQ(input::input_state.accept_key_list, "");
}

}  // namespace
