#include "forms/load_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "forms/form_tables.h"
#include "forms/state.h"
#include "platform/cp850.h"
#include "startup/language.h"
#include "startup/main_sequence.h"
#include "startup/session.h"
#include "support/temp_dir.h"

using forms::browse_list_count;
using forms::browse_list_def;
using forms::form_field;
using forms::form_page;
using forms::form_page_count;
using forms::forms_state;
using forms::max_fields_per_page;
using platform::operator""_cp850;
using startup::session;

namespace {

// An installation root of its own for each test, in Catalan, with the
// module name set as the main sequence sets it and empty form tables.
class LoadForm : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = session;
        saved_module = startup::main_state.module_name;
        startup::language_state = {};
        forms_state = {};
        session.root_dir = root.path();
        session.language_code = "CAT";
        startup::main_state.module_name = "EXPTYPES";
    }
    void TearDown() override {
        forms_state = {};
        startup::language_state = {};
        startup::main_state.module_name = saved_module;
        session = saved_session;
    }
    void load(const std::string& bytes) {
        root.write("FORMS/EXPTYPES.JPN", bytes);
        forms::load_form();
    }
    // Every page, field and list as loaded, to compare whole loads.
    struct Tables {
        std::vector<forms::FormPage> pages;
        std::vector<std::vector<forms::FormField>> fields;
        std::vector<forms::BrowseListDef> lists;
        std::int16_t max_fields = 0;
        bool operator==(const Tables&) const = default;
    };
    static Tables tables() {
        return {forms_state.form_pages, forms_state.form_fields, forms_state.browse_list_defs,
                forms_state.max_fields_per_page};
    }

    test_support::TempDir root;
    startup::Session saved_session;
    std::string saved_module;
};

// Two pages (the second a window continuing the first) and one browse list,
// written one record to a line.
const std::string two_pages =
    "2,3\r\n"
    "\"d,1b,4900=4f00\",2,2,0,0,0,0\r\n"
    "4,1,\"Codi: \",2,0,0,5,1,1,\"\"\r\n"
    "5,1,Nom ,12,0,3,8,0,0,\"|S,Sí|N,No\"\r\n"_cp850 +
    "\"d\",1,0,5,10,9,60\r\n"
    "2,3,,40,20,0,0,0,0,\r\n"
    "1\r\n"
    "501,0,4,20,20,60,2,Tipus,0\r\n";

TEST_F(LoadForm, ReadsEveryItemIntoTheTables) {
    load(two_pages);
    EXPECT_EQ(form_page_count(), 2);
    EXPECT_EQ(max_fields_per_page(), 3);
    EXPECT_EQ(browse_list_count(), 1);

    EXPECT_EQ(form_page(1), (forms::FormPage{"d,1b,4900=4f00", 2, 2, 0, 0, 0, 0}));
    EXPECT_EQ(form_page(2), (forms::FormPage{"d", 1, 0, 5, 10, 9, 60}));

    const forms::FormField& code = form_field(1, 1);
    EXPECT_EQ(code, (forms::FormField{"Codi: ", 4, 1, 2, 0, 0, 5, forms::CHECK_UNIQUE, 1, "", "  "}));
    const forms::FormField& name = form_field(1, 2);
    EXPECT_EQ(name, (forms::FormField{"Nom ", 5, 1, 12, 0, 3, forms::FIELD_CURSOR_AT_END, 0, 0, "|S,Sí|N,No"_cp850,
                                      std::string(12, ' ')}));
    EXPECT_EQ(forms::input_column(name), 5);
    const forms::FormField& block = form_field(2, 1);
    EXPECT_EQ(block, (forms::FormField{"", 2, 3, 40, 20, 0, 0, 0, 0, "", std::string(40, ' ')}));

    EXPECT_EQ(browse_list_def(1), (forms::BrowseListDef{501, 0, 4, 20, 20, 60, 2, 0, "Tipus"}));
}

TEST_F(LoadForm, LineEndsAreOrdinarySeparators) {
    load(two_pages);
    const Tables one_record_a_line = tables();

    // Every item of each group on one line, records sharing lines.
    load(
        "2,3\r\n"
        "\"d,1b,4900=4f00\",2,2,0,0,0,0,4,1,\"Codi: \",2,0,0,5,1,1,\"\",5,1,Nom ,12,0,3,8,0,0,\"|S,Sí|N,No\"\r\n"_cp850 +
        "\"d\",1,0,5,10,9,60,2,3,,40,20,0,0,0,0,\r\n"
        "1,501,0,4,20,20,60,2,Tipus,0");
    EXPECT_EQ(tables(), one_record_a_line);

    // Every item on a line of its own, numbers ended by blanks here and there.
    std::string split = "2 \r\n3\r\n\"d,1b,4900=4f00\"\r\n2 ,2\r\n0 0 0 0\r\n";
    split += "4\r\n1\r\n\"Codi: \"\r\n2\r\n0\r\n0\r\n5\r\n1\r\n1\r\n\"\"\r\n";
    split += "5\r\n1\r\nNom \r\n12\r\n0\r\n3\r\n8\r\n0\r\n0\r\n\"|S,Sí|N,No\"\r\n"_cp850;
    split += "\"d\"\r\n1\r\n0\r\n5\r\n10\r\n9\r\n60\r\n2\r\n3\r\n\r\n40\r\n20\r\n0\r\n0\r\n0\r\n0\r\n\r\n";
    split += "1\r\n501\r\n0\r\n4\r\n20\r\n20\r\n60\r\n2\r\nTipus\r\n0\r\n";
    load(split);
    EXPECT_EQ(tables(), one_record_a_line);
}

TEST_F(LoadForm, CommentLinesCountOnlyAtTheStartOfAGroup) {
    load(two_pages);
    const Tables plain = tables();

    load(
        "' Form of the expense types\r\n"
        "   'indented too\r\n"
        "2,3\r\n"
        "'page 1\r\n"
        "\"d,1b,4900=4f00\",2,2,0,0,0,0\r\n"
        "4,1,\"Codi: \",2,0,0,5,1,1,\"\"\r\n"
        "5,1,Nom ,12,0,3,8,0,0,\"|S,Sí|N,No\"\r\n"_cp850 +
        " ' page 2\r\n"
        "\"d\",1,0,5,10,9,60\r\n"
        "2,3,,40,20,0,0,0,0,\r\n"
        "'lists\r\n"
        "1\r\n"
        "''\r\n"
        "501,0,4,20,20,60,2,Tipus,0\r\n");
    EXPECT_EQ(tables(), plain);

    // Between two fields of a page the same line is data: the second field's
    // row reads the comment as 0 and every later item moves by one.
    load(
        "2,3\r\n"
        "\"d,1b,4900=4f00\",2,2,0,0,0,0\r\n"
        "4,1,\"Codi: \",2,0,0,5,1,1,\"\"\r\n"
        "'segon\r\n"
        "5,1,Nom ,12,0,3,8,0,0,\"|S,Sí|N,No\"\r\n"_cp850);
    EXPECT_EQ(form_field(1, 2).row, 0);
    EXPECT_EQ(form_field(1, 2).column, 5);
    EXPECT_EQ(form_field(1, 2).label, "1");

    // A blank line at a group start is data: an empty accept_keys here, so
    // the page's items all move by one.
    load("1,1\r\n\r\n\"d\",1,2,3,4,5,6\r\n");
    EXPECT_EQ(form_page(1).accept_keys, "");
    EXPECT_EQ(form_page(1).field_count, 0);
    EXPECT_EQ(form_page(1).next_page, 1);
    EXPECT_EQ(form_page(1).window_right, 5);
    EXPECT_EQ(browse_list_count(), 6);
}

// Page 1 of a one-page form with one field whose row and label items are
// the given texts.
std::string one_field(const std::string& row, const std::string& label) {
    return "1,1\r\n\"d\",1,0,0,0,0,0\r\n" + row + ",3," + label + ",4,0,0,0,0,0,\"\"\r\n";
}

TEST_F(LoadForm, NumbersAreRoundedAndHeldTo16Bits) {
    struct Case {
        std::string item;
        std::int16_t expected;
    };
    const Case cases[] = {
        {"7", 7},         {"+7", 7},        {"  7", 7},         {"\"9\"", 9},       {"", 0},
        {"2.5", 2},       {"3.5", 4},       {"2.51", 3},        {"-1.5", -2},       {"-0.4", 0},
        {"abc", 0},       {"12abc", 12},    {"-", 0},           {".5", 0},          {"1.5e3", 2},
        {"32767", 32767}, {"99999", 32767}, {"-32768", -32768}, {"-99999", -32768}, {std::string(400, '9'), 32767},
    };
    for (const auto& c : cases) {
        load(one_field(c.item, "X"));
        EXPECT_EQ(form_field(1, 1).row, c.expected) << c.item;
        EXPECT_EQ(form_field(1, 1).label, "X") << c.item;
    }
    // A blank ends a number, so two numbers may share an item's place.
    load("1,1\r\n\"d\",1,0,0,0,0,0\r\n4 7,X,4,0,0,0,0,0,\"\"\r\n");
    EXPECT_EQ(form_field(1, 1).row, 4);
    EXPECT_EQ(form_field(1, 1).column, 7);
    EXPECT_EQ(form_field(1, 1).label, "X");
}

TEST_F(LoadForm, TextsQuotedOrBare) {
    struct Case {
        std::string item;
        std::string expected;
    };
    const Case cases[] = {
        {"\"a, b\"", "a, b"},     // quotes keep commas
        {"  \"  x \"", "  x "},   // and blanks inside them
        {"\"x\" junk", "x"},      // up to the separator after them is dropped
        {"   bare  ", "bare  "},  // leading blanks go, trailing ones stay
        {"a\tb", "ab"},           // tabs are dropped
        {"", ""},
        {"Descripció"_cp850, "Descripció"_cp850},
    };
    for (const auto& c : cases) {
        load(one_field("4", c.item));
        EXPECT_EQ(form_field(1, 1).label, c.expected) << c.item;
        EXPECT_EQ(form_field(1, 1).length, 4) << c.item;
    }
}

TEST_F(LoadForm, AListOfKeysMustBeQuoted) {
    load("1,1\r\n\"d,1b,4800\",1,0,0,0,0,0\r\n4,3,X,4,0,0,0,0,0,\"\"\r\n");
    EXPECT_EQ(form_page(1).accept_keys, "d,1b,4800");
    EXPECT_EQ(form_page(1).field_count, 1);

    // Without quotes the list ends at its first comma and the rest of the
    // list is read as the page's numbers.
    load("1,1\r\nd,1b,4800,1,0,0,0,0,0\r\n4,3,X,4,0,0,0,0,0,\"\"\r\n");
    EXPECT_EQ(form_page(1).accept_keys, "d");
    EXPECT_EQ(form_page(1).field_count, 1);  // "1b"
    EXPECT_EQ(form_page(1).next_page, 4800);
    EXPECT_EQ(form_page(1).window_top, 1);
}

TEST_F(LoadForm, ValuesKeepTheirFieldsLength) {
    load(one_field("4", "\"Import:\""));
    forms::FormField& field = form_field(1, 1);
    EXPECT_EQ(field.value, "    ");
    EXPECT_EQ(forms::input_column(field), 10);  // a 7-character label at column 3

    struct Case {
        std::string text;
        std::string stored;
    };
    const Case cases[] = {{"ABCDEF", "ABCD"}, {"AB", "AB  "}, {"", "    "}, {"WXYZ", "WXYZ"}};
    for (const auto& c : cases) {
        forms::store_field_value(field, c.text);
        EXPECT_EQ(field.value, c.stored) << c.text;
    }
}

TEST_F(LoadForm, BrowseGroupsAreOptional) {
    // The file ends after the last page: no browse list.
    load("1,1\r\n\"d\",0,0,0,0,0,0\r\n");
    EXPECT_EQ(form_page_count(), 1);
    EXPECT_EQ(browse_list_count(), 0);

    // A count of 2 reads two lists and nothing after them.
    load(
        "1,1\r\n\"d\",0,0,0,0,0,0\r\n2\r\n"
        "501,0,4,20,20,60,0,Primera,0\r\n"
        "502,1,5,21,21,61,1,Segona,1\r\n"
        "503,2,6,22,22,62,0,Tercera,0\r\n");
    EXPECT_EQ(browse_list_count(), 2);
    EXPECT_EQ(browse_list_def(1).heading, "Primera");
    EXPECT_EQ(browse_list_def(2), (forms::BrowseListDef{502, 1, 5, 21, 21, 61, 1, 1, "Segona"}));

    // A count of 0 ends the form, whatever follows.
    load("1,1\r\n\"d\",0,0,0,0,0,0\r\n0\r\n501,0,4,20,20,60,0,Primera,0\r\n");
    EXPECT_EQ(browse_list_count(), 0);
    EXPECT_EQ(form_page_count(), 1);
}

TEST_F(LoadForm, LabelsChoicesAndHeadingsAreTranslated) {
    root.write("LOCALE/EXPTYPES.LNG",
               "\"Nom \",\"Nome \",\"Nom O \",\"Nombre \"\r\n"
               "\"|S,Sí|N,No\",\"|S,Si|N,Non\",\"|S,Òc|N,Non\",\"|S,Sí|N,No\"\r\n"
               "\"Tipus\",\"Tipos\",\"Tipes\",\"Tipos de gasto\"\r\n"_cp850);
    load(two_pages);
    EXPECT_EQ(form_field(1, 2).label, "Nom ");
    EXPECT_EQ(form_field(1, 2).choices, "|S,Sí|N,No"_cp850.str());

    session.language_code = "SPA";
    load(two_pages);
    EXPECT_EQ(form_field(1, 2).label, "Nombre ");
    EXPECT_EQ(form_field(1, 1).label, "Codi: ");  // no record: as written
    EXPECT_EQ(browse_list_def(1).heading, "Tipos de gasto");

    session.language_code = "OCI";
    load(two_pages);
    EXPECT_EQ(form_field(1, 2).choices, "|S,Òc|N,Non"_cp850.str());
    EXPECT_EQ(form_field(1, 2).label, "Nom O ");
}

TEST_F(LoadForm, AFileThatCannotBeOpenedLeavesTheTables) {
    load(two_pages);
    const Tables before = tables();
    std::filesystem::remove(root.path() + "FORMS/EXPTYPES.JPN");
    forms::load_form();
    EXPECT_EQ(tables(), before);

    // An empty file opens: it replaces the tables with none.
    load("");
    EXPECT_EQ(form_page_count(), 0);
    EXPECT_EQ(browse_list_count(), 0);
}

TEST_F(LoadForm, AFileThatEndsEarlyKeepsWhatItRead) {
    // Inside page 2's second field: that page is read with its missing items
    // empty, page 3 stays empty, and there are no lists.
    load(
        "3,4\r\n"
        "\"d\",1,0,0,0,0,0\r\n4,1,A,2,0,0,0,1,0,\"\"\r\n"
        "\"1b\",2,0,0,0,0,0\r\n5,1,B,3,0,0,0,0,0,\"\"\r\n6,1,C");
    EXPECT_EQ(form_page_count(), 3);
    EXPECT_EQ(form_field(1, 1).label, "A");
    EXPECT_EQ(form_page(2).field_count, 2);
    EXPECT_EQ(form_field(2, 1).value, "   ");
    EXPECT_EQ(form_field(2, 2), (forms::FormField{"C", 6, 1, 0, 0, 0, 0, 0, 0, "", ""}));
    EXPECT_EQ(form_page(3), forms::FormPage{});
    EXPECT_EQ(browse_list_count(), 0);

    // Inside the header, and inside a browse list.
    load("3");
    EXPECT_EQ(form_page_count(), 3);
    EXPECT_EQ(max_fields_per_page(), 0);
    load("1,1\r\n\"d\",0,0,0,0,0,0\r\n2\r\n501,0,4,20,20,60,0,\"Primer");
    EXPECT_EQ(browse_list_count(), 2);
    EXPECT_EQ(browse_list_def(1).heading, "Primer");
    EXPECT_EQ(browse_list_def(2), forms::BrowseListDef{});
}

std::size_t field_slots() {
    std::size_t slots = 0;
    for (const auto& page : forms_state.form_fields) slots += page.size();
    return slots;
}

TEST_F(LoadForm, CountsOutOfReasonStayBounded) {
    // 32767 pages of up to 32767 fields: the pages exist, but no field slot
    // is made for fields the file does not hold.
    load("32767,32767\r\n");
    EXPECT_EQ(form_page_count(), 32767);
    EXPECT_EQ(max_fields_per_page(), 32767);
    EXPECT_EQ(field_slots(), 0u);
    EXPECT_EQ(form_page(32767).field_count, 0);
    EXPECT_EQ(form_field(32767, 32767).length, 0);

    // A page that claims more fields than a page may have keeps the first
    // ones; the items of the others are read past, so the next page is whole.
    load(
        "2,1\r\n\"d\",3,0,0,0,0,0\r\n4,1,A,2,0,0,0,0,0,\r\n5,1,B,2,0,0,0,0,0,\r\n6,1,C,2,0,0,0,0,0,\r\n"
        "\"1b\",1,0,0,0,0,0\r\n7,1,D,2,0,0,0,0,0,\r\n");
    EXPECT_EQ(form_page(1).field_count, 1);
    EXPECT_EQ(form_field(1, 1).label, "A");
    EXPECT_EQ(form_field(1, 2).label, "");
    EXPECT_EQ(form_page(2).accept_keys, "1b");
    EXPECT_EQ(form_field(2, 1).label, "D");

    // No field slots at all: every page reads its fields and keeps none.
    load("2,0\r\n\"d\",1,0,0,0,0,0\r\n4,1,A,2,0,0,0,0,0,\r\n\"1b\",0,0,0,0,0,0\r\n");
    EXPECT_EQ(form_page(1).field_count, 0);
    EXPECT_EQ(form_page(2).accept_keys, "1b");
    EXPECT_EQ(field_slots(), 0u);

    // Counts below 0 count as 0: no pages, and the next item is the browse
    // count; a negative field count reads no field.
    load("-3,5\r\n1\r\n501,0,4,20,20,60,0,Llista,0\r\n");
    EXPECT_EQ(form_page_count(), 0);
    EXPECT_EQ(max_fields_per_page(), 5);
    EXPECT_EQ(browse_list_def(1).heading, "Llista");
    load("1,-4\r\n\"d\",-2,0,0,0,0,0\r\n-1\r\n");
    EXPECT_EQ(max_fields_per_page(), 0);
    EXPECT_EQ(form_page(1).field_count, 0);
    EXPECT_EQ(browse_list_count(), 0);

    // Sizes: a length beyond the screen is held to it; below 0 they are 0.
    load("1,1\r\n\"d\",1,0,0,0,0,0\r\n4,1,A,32767,-5,-1,0,0,0,\r\n");
    EXPECT_EQ(form_field(1, 1).length, 2000);
    EXPECT_EQ(form_field(1, 1).value.size(), 2000u);
    EXPECT_EQ(form_field(1, 1).line_width, 0);
    EXPECT_EQ(form_field(1, 1).trail_width, 0);
}

TEST_F(LoadForm, NumbersThatNameNothingGiveEmptyEntries) {
    load(two_pages);
    for (std::int16_t page : {0, -1, 3, 32767}) {
        EXPECT_EQ(form_page(page), forms::FormPage{}) << page;
        EXPECT_EQ(form_field(page, 1), forms::FormField{}) << page;
    }
    for (std::int16_t list : {0, 2, -1}) EXPECT_EQ(browse_list_def(list), forms::BrowseListDef{}) << list;

    // A slot above field_count takes a write and forgets it, and the real
    // fields stay as they were.
    const Tables before = tables();
    form_field(2, 2).value = "lost";
    form_field(1, 0).length = 9;
    EXPECT_EQ(form_field(2, 2), forms::FormField{});
    EXPECT_EQ(tables(), before);
}

// Bytes weighted towards what the reader reacts to.
std::string junk(std::mt19937& random) {
    static const std::string alphabet = "0123456789,,,\"\"\r\n\r\n '.-+ab\t\x1a\xff";
    std::uniform_int_distribution<std::size_t> size(0, 400), pick(0, alphabet.size() - 1), byte(0, 255);
    std::string bytes(size(random), ' ');
    for (char& c : bytes) c = random() % 4 == 0 ? static_cast<char>(byte(random)) : alphabet[pick(random)];
    return bytes;
}

TEST_F(LoadForm, JunkLoadsWithinTheTablesRules) {
    std::mt19937 random(8);
    for (int run = 0; run < 300; ++run) {
        const std::string bytes = junk(random);
        load(bytes);
        ASSERT_EQ(forms_state.form_fields.size(), forms_state.form_pages.size());
        ASSERT_GE(max_fields_per_page(), 0);
        for (std::int16_t p = 1; p <= form_page_count(); ++p) {
            const forms::FormPage& page = form_page(p);
            ASSERT_GE(page.field_count, 0) << run;
            ASSERT_LE(page.field_count, max_fields_per_page()) << run;
            ASSERT_EQ(static_cast<std::size_t>(page.field_count), forms_state.form_fields[p - 1].size()) << run;
            for (std::int16_t f = 1; f <= page.field_count; ++f) {
                const forms::FormField& field = form_field(p, f);
                ASSERT_GE(field.length, 0) << run;
                ASSERT_LE(field.length, 2000) << run;
                ASSERT_EQ(field.value, std::string(field.length, ' ')) << run;
            }
        }
    }
}

}  // namespace
