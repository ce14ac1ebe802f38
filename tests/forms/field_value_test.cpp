#include "forms/field_value.h"

#include <gtest/gtest.h>

#include <string>

#include "format/state.h"
#include "format/text_stack.h"
#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "platform/cp850.h"
#include "screen/regions.h"
#include "screen/screen_fixture.h"
#include "startup/language.h"
#include "startup/main_sequence.h"

using forms::commit_field_value;
using forms::form_field;
using forms::forms_state;
using forms::show_field_value;
using platform::operator""_cp850;

namespace {

// A headless screen filled with "#", and a form loaded from a file of the
// test's own.
class FieldValue : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        saved_module = startup::main_state.module_name;
        startup::main_state.module_name = "EXPTYPES";
        startup::session.root_dir = root.path();
        startup::session.language_code = "CAT";
        startup::language_state = {};
        format::format_state = {};
        forms_state = {};
        for (int row = 1; row <= 25; ++row) {
            console.place_cursor(row, 1);
            console.print(std::string(80, '#'));
        }
    }
    void TearDown() override {
        forms_state = {};
        format::format_state = {};
        startup::main_state.module_name = saved_module;
        ScreenTest::TearDown();
    }
    void load(const std::string& form) {
        root.write("FORMS/EXPTYPES.JPN", form);
        forms::load_form();
    }
    // `count` characters of a row from a column.
    std::string cells(int row, int column, int count) const {
        std::string out;
        for (int c = column; c < column + count; ++c) out += static_cast<char>(console.read_cell(row, c).ch);
        return out;
    }
    platform::Position cursor() const { return console.cursor(); }

    test_support::TempDir root;
    std::string saved_module;
};

// One page: a plain field, a hidden one, a choice field with a trailing
// area, a text block; all with labels.
const std::string display_form =
    "1,4\r\n"
    "\"d\",4,0,0,0,0,0\r\n"
    "4,3,\"Nom: \",6,0,0,0,0,0,\"\"\r\n"
    "5,3,\"Clau: \",6,0,0,2,0,0,\"\"\r\n"
    "6,3,\"Sí? \",1,0,10,0,0,0,\"|N,Nop|S,Sí, i tant que sí|X,Xyz\"\r\n"_cp850 +
    "7,10,\"\",20,8,0,0,0,0,\"\"\r\n";

TEST_F(FieldValue, PlainValuesPaintAtTheInputColumn) {
    load(display_form);
    forms::store_field_value(form_field(1, 1), "ABC");
    show_field_value(1, 1);
    EXPECT_EQ(cells(4, 1, 16), "#######ABC   ###");
    EXPECT_EQ(cursor(), (platform::Position{4, 14}));

    // Hidden: nothing painted, whatever the value; the cursor at the input.
    forms::store_field_value(form_field(1, 2), "SECRET");
    show_field_value(1, 2);
    EXPECT_EQ(console.row_text(5), std::string(80, '#'));
    EXPECT_EQ(cursor(), (platform::Position{5, 9}));
}

TEST_F(FieldValue, ChoiceFieldsShowTheirDescription) {
    load(display_form);
    struct Case {
        std::string value;
        std::string painted;  // from the input column (7), 13 cells
    };
    const Case cases[] = {
        {"S", "Sí, i tant ##"_cp850},                          // cut to length + trail_width = 11
        {"X", "Xyz        ##"},                                // padded with blanks to 11
        {"N", "Nop        ##"},       {" ", "#############"},  // no entry: nothing painted
        {"s", "#############"},                                // values match exactly
    };
    for (const auto& c : cases) {
        console.place_cursor(6, 7);
        console.print(std::string(13, '#'));
        forms::store_field_value(form_field(1, 3), c.value);
        show_field_value(1, 3);
        EXPECT_EQ(cells(6, 7, 13), c.painted) << c.value;
    }
    EXPECT_EQ(cursor(), (platform::Position{6, 7}));  // nothing painted
}

TEST_F(FieldValue, TextBlocksPaintLineUnderLine) {
    load(display_form);
    forms::store_field_value(form_field(1, 4), "ABCDEFGHIJKLMNOPQRST");
    format::push_text("outer");
    show_field_value(1, 4);
    EXPECT_EQ(cells(7, 9, 10), "#ABCDEFGH#");
    EXPECT_EQ(cells(8, 9, 10), "#IJKLMNOP#");
    EXPECT_EQ(cells(9, 9, 10), "#QRST#####");
    EXPECT_EQ(console.row_text(10), std::string(80, '#'));
    EXPECT_EQ(cursor(), (platform::Position{9, 14}));
    // The positions it stacked are gone; what was stacked before stays.
    EXPECT_EQ(format::pop_text(), "outer");
    EXPECT_EQ(format::format_state.text_stack, "");
}

TEST_F(FieldValue, PositionsAreInsideTheCurrentWindow) {
    load(display_form);
    forms::store_field_value(form_field(1, 1), "IN");
    screen::save_screen_region(10, 20, 20, 70);
    show_field_value(1, 1);
    // Row 4, input column 8 of a window whose first inner cell is (11, 21).
    EXPECT_EQ(cells(14, 27, 8), "#IN    #");
    screen::restore_screen_region();
}

// Page 1: two codes that must be unique, a description, a code of another
// check; page 2: one plain field of the codes' length.
const std::string commit_form =
    "2,4\r\n"
    "\"d\",4,0,0,0,0,0\r\n"
    "4,1,,2,0,0,0,1,0,\r\n"
    "5,1,,2,0,0,0,1,0,\r\n"
    "4,9,,10,0,0,0,0,0,\r\n"
    "6,1,,2,0,0,0,7,0,\r\n"
    "\"d\",1,0,0,0,0,0\r\n"
    "2,1,,2,0,0,0,0,0,\r\n";

TEST_F(FieldValue, UniqueCodesAreCheckedAcrossEveryPage) {
    load(commit_form);
    forms::store_field_value(form_field(1, 1), "AB");
    forms::store_field_value(form_field(2, 1), "XY");

    struct Case {
        std::string text;
        std::int16_t rejected;
        std::string stored;  // field 2 of page 1 afterwards
    };
    const Case cases[] = {
        {"ab", -1, "  "},             // field 1 holds AB: small letters are folded first
        {"xy", -1, "  "},             // a field of another page, of no check
        {"cd", 0, "CD"},              // stored folded
        {"çà"_cp850, 0, "ÇÀ"_cp850},  // accents kept
        {"  ", 0, "  "},              // blank, though other fields are blank too
        {"", 0, "  "},
        {"EFG", 0, "EF"},  // cut to the field's length
    };
    for (const auto& c : cases) {
        EXPECT_EQ(commit_field_value(1, c.text, 2, 13), c.rejected) << c.text;
        EXPECT_EQ(form_field(1, 2).value, c.stored) << c.text;
    }

    // The field's own stored value is accepted without a search, though
    // another field holds it too.
    forms::store_field_value(form_field(2, 1), "AB");
    EXPECT_EQ(commit_field_value(1, "AB", 1, 13), 0);
    EXPECT_EQ(commit_field_value(1, "ab", 1, 13), 0);
    EXPECT_EQ(form_field(1, 1).value, "AB");

    // Any other check stores the text as typed.
    EXPECT_EQ(commit_field_value(1, "ab", 4, 13), 0);
    EXPECT_EQ(form_field(1, 4).value, "ab");
}

TEST_F(FieldValue, ACommitRepaintsOnlyWhatItStored) {
    load(commit_form);
    forms::store_field_value(form_field(1, 1), "AB");
    EXPECT_EQ(commit_field_value(1, "ab", 2, 13), -1);
    EXPECT_EQ(cells(5, 1, 3), "###");
    EXPECT_EQ(commit_field_value(1, "cd", 2, 13), 0);
    EXPECT_EQ(cells(5, 1, 3), "CD#");
    EXPECT_EQ(commit_field_value(1, "Per a taxis", 3, 13), 0);
    EXPECT_EQ(cells(4, 9, 11), "Per a taxi#");
}

TEST_F(FieldValue, TableChangedFollowsTheTextCommitted) {
    load(commit_form);
    forms::store_field_value(form_field(1, 1), "AB");
    forms::store_field_value(form_field(1, 2), "CD");

    // The same text as stored changes nothing.
    commit_field_value(1, "CD", 2, 13);
    commit_field_value(1, "          ", 3, 13);
    EXPECT_EQ(forms_state.table_changed, 0);

    // A different one raises it, even when the check then refuses it; a
    // text that folds to the stored one is different too.
    EXPECT_EQ(commit_field_value(1, "AB", 2, 13), -1);
    EXPECT_EQ(forms_state.table_changed, -1);
    forms_state.table_changed = 0;
    commit_field_value(1, "cd", 2, 13);
    EXPECT_EQ(forms_state.table_changed, -1);

    // Nothing here clears it.
    commit_field_value(1, "CD", 2, 13);
    EXPECT_EQ(forms_state.table_changed, -1);
}

}  // namespace
