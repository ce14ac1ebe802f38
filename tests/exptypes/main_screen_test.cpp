#include "exptypes/main_screen.h"

#include <gtest/gtest.h>

#include "exptypes/table_screen.h"
#include "platform/cp850.h"
#include "program_fixture.h"

using platform::operator""_cp850;
using exptypes::run_main_screen;

namespace {

constexpr std::uint8_t F10 = 0x44, PGUP = 0x49, PGDN = 0x51, DOWN = 0x50;

// A headless console that keeps the screen as text each time a key is
// awaited.
class ScreenLog : public platform::HeadlessConsole {
public:
    platform::InputEvent wait_event() override {
        screens.push_back(screen_text());
        return HeadlessConsole::wait_event();
    }
    bool ever_showed(const std::string& utf8) const {
        for (const auto& screen : screens)
            for (const auto& row : screen)
                if (row.find(utf8) != std::string::npos) return true;
        return false;
    }
    std::vector<std::vector<std::string>> screens;
};

class MainScreen : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        platform::set_console(&log);
    }
    void type(std::string_view text) { log.push_text(text); }
    void keys(std::initializer_list<std::uint8_t> scans) {
        for (const auto s : scans) log.push_scan(s);
    }
    // Enter through n fields.
    void enters(int n) { type(std::string(static_cast<std::size_t>(n), '\r')); }
    static constexpr const char* QUESTION = "Sortir i perdre els canvis?";

    ScreenLog log;
};

TEST_F(MainScreen, EscWithoutAChangeLeavesAtOnce) {
    insert_rows(numbered_rows(3));
    type("\x1B");
    run_main_screen();
    EXPECT_EQ(log.screens.size(), 1u);
    EXPECT_FALSE(log.ever_showed(QUESTION));
    EXPECT_EQ(file_rows(), numbered_rows(3));
    EXPECT_FALSE(work_file_exists());
}

TEST_F(MainScreen, EscAfterAChangeAsksAndSLeavesWithoutSaving) {
    insert_rows(numbered_rows(3));
    keys({DOWN});
    type("\x19new text\r");  // description of row 1, stored
    type("\x1B");            // to the first field
    type("\x1B");            // Esc there: the question
    type("s\r");             // "Sí"
    run_main_screen();
    EXPECT_TRUE(log.ever_showed(QUESTION));
    EXPECT_EQ(file_rows(), numbered_rows(3));
    EXPECT_FALSE(dir.exists("db.log"));
}

TEST_F(MainScreen, AnyOtherAnswerGoesBackToTheTableWithTheChange) {
    insert_rows(numbered_rows(3));
    keys({DOWN});
    type("\x19new text\r");  // stored; on to row 2's code
    type("\x1B\x1B");        // to the first field, then the question
    type("\r");              // a hurried Enter: "No"
    type("\x1B");            // the question again
    type("\x1B");            // Esc on the question: back as well
    keys({F10});             // leave saving
    run_main_screen();
    auto expected = numbered_rows(3);
    expected[0] = row("00", "new text");
    EXPECT_EQ(file_rows(), expected);
    // The question window was put away each time: the table shows again.
    EXPECT_EQ(log.screens.back()[3].substr(0, 12), "00      new ");
}

TEST_F(MainScreen, TheSavingKeyWritesBackWithoutAQuestion) {
    insert_rows(numbered_rows(3));
    enters(6);
    type("xx");  // the code of row 4, blank until now
    keys({F10});
    run_main_screen();
    EXPECT_FALSE(log.ever_showed(QUESTION));
    auto expected = numbered_rows(3);
    expected.push_back(row("XX", ""));
    EXPECT_EQ(file_rows(), expected);
    EXPECT_EQ(dir.read("db.log").size(), 4u * 33u);
}

TEST_F(MainScreen, PagingKeepsEditsOnEveryTablePage) {
    insert_rows(numbered_rows(50));
    keys({PGDN, PGDN});  // last field of page 1, then page 2
    keys({DOWN});
    type(
        "\x19"
        "changed\r");    // page 2, row 1 (row 45 of the table)
    keys({PGUP, PGUP});  // first field, then page 1
    keys({PGDN, PGDN});  // back on page 2
    keys({F10});
    run_main_screen();
    const auto& screen_on_return = log.screens[log.screens.size() - 1];
    auto expected = numbered_rows(50);
    EXPECT_EQ(screen_on_return[0].substr(68, 11), "PANTALLA  2");
    EXPECT_EQ(screen_on_return[3].substr(0, 15), expected[44].code + "      changed");
    expected[44] = row(expected[44].code, "changed");
    EXPECT_EQ(file_rows(), expected);
}

TEST_F(MainScreen, EnterOnTheLastFieldAddsABlankPage) {
    insert_rows(numbered_rows(44));
    enters(88);          // through page 1: a blank page 2
    type("zz\r");        // a new row there
    keys({PGDN, PGDN});  // past the end: only to the last field
    keys({F10});
    run_main_screen();
    auto expected = numbered_rows(44);
    expected.push_back(row("ZZ", ""));
    EXPECT_EQ(file_rows(), expected);
    EXPECT_EQ(log.screens.back()[0].substr(68, 11), "PANTALLA  2");
}

TEST_F(MainScreen, ADuplicateCodeIsRefusedWithABeep) {
    insert_rows(numbered_rows(3));
    enters(2);
    type(
        "\x19"
        "00\r");  // row 2 takes row 1's code: refused
    type(
        "\x19"
        "99\r");
    keys({F10});
    run_main_screen();
    EXPECT_EQ(log.beeps(), 1);
    auto expected = numbered_rows(3);
    expected[1] = row("99", "ROW 1");
    std::sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) { return a.code < b.code; });
    EXPECT_EQ(file_rows(), expected);
}

TEST(TablePageAfter, KeysAndLimits) {
    using namespace platform::key_codes;
    const struct {
        std::int16_t page;
        KeyCode key;
        std::int16_t after;
    } cases[] = {
        {1, KEY_PGUP, 1},         {5, KEY_PGUP, 4},         {5, KEY_PGDN, 6},          {5, KEY_ENTER, 6},
        {5, KEY_ESC, 5},          {5, KEY_F10, 5},          {32766, KEY_ENTER, 32767}, {32767, KEY_ENTER, 32767},
        {32767, KEY_PGDN, 32767}, {32767, KEY_PGUP, 32766},
    };
    for (const auto& c : cases) EXPECT_EQ(exptypes::table_page_after(c.page, c.key), c.after) << c.page << " " << c.key;
}

class TableScreen : public ProgramTest {
protected:
    std::string row_text(int r) const { return console.row_text(r); }
};

TEST_F(TableScreen, TitleCentredAndHeadingInPlace) {
    // The title is the run of reverse cells on row 1.
    const struct {
        std::string title;
        int column;
    } titles[] = {{"  ", 40}, {"ABCDEFGHIJ", 36}, {"ABCDEFGHIJK", 36}, {"ABCDEFGHIJKLM", 34}};
    for (const auto& t : titles) {
        console.set_attribute(0x07);
        console.clear();
        startup::session.screen_title = t.title;
        exptypes::exptypes_state.table_page = 1;
        exptypes::paint_screen(1);
        const int last = t.column + static_cast<int>(t.title.size()) - 1;
        EXPECT_NE(console.attribute_at(1, t.column - 1), 0x70) << t.title;
        for (int c = t.column; c <= last; ++c) EXPECT_EQ(console.attribute_at(1, c), 0x70) << t.title << c;
        EXPECT_NE(console.attribute_at(1, last + 1), 0x70) << t.title;
        EXPECT_EQ(console.read_cell(1, t.column).ch, static_cast<std::uint8_t>(t.title[0])) << t.title;
    }
    EXPECT_EQ(row_text(1).substr(0, 8), "VERTICAL");
    EXPECT_EQ(row_text(1).substr(68, 11), "PANTALLA  1");
    EXPECT_EQ(row_text(2), "CODI    DESCRIPCIÓ" + std::string(23, ' ') + "CODI    DESCRIPCIÓ" + std::string(21, ' '));
    EXPECT_EQ(row_text(3), std::string(33, '-') + std::string(8, ' ') + std::string(33, '-') + std::string(6, ' '));

    exptypes::exptypes_state.table_page = 12;
    exptypes::paint_screen(1);
    EXPECT_EQ(row_text(1).substr(68, 11), "PANTALLA 12");
}

TEST_F(TableScreen, HeadingInTheSessionLanguage) {
    startup::session.language_code = "SPA";
    startup::language_state = {};
    exptypes::exptypes_state.table_page = 3;
    exptypes::paint_screen(1);
    EXPECT_EQ(row_text(2).rfind("CÓDIGO  DESCRIPCIÓN" + std::string(22, ' ') + "CÓDIGO  DESCRIPCIÓN", 0), 0u);
    EXPECT_EQ(row_text(1).substr(68, 11), "PANTALLA  3");
}

}  // namespace
