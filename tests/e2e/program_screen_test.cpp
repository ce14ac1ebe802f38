// The program in a real terminal (tmux), on a copy of the sample
// installation: what the operator sees and what stays in the files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"
#include "tmux.h"

namespace fs = std::filesystem;
using test_e2e::Tmux;

namespace {

class ProgramScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test_e2e::have_tmux()) GTEST_SKIP() << "tmux is not installed: the terminal tests need it";
        fs::copy(SAMPLE_INSTALL, root(), fs::copy_options::recursive);
    }
    std::string root() const { return dir.path() + "root/"; }
    // The program in a fresh tmux session; waits for its first screen.
    std::unique_ptr<Tmux> start() {
        auto t = std::make_unique<Tmux>("cd '" + root() + "' && JOBROOT='" + root() + "' JOBTMP='" + root() +
                                            "SESSIO' ASAN_OPTIONS=detect_leaks=0 " + EXPTYPES_BINARY,
                                        "");
        EXPECT_TRUE(t->wait_for_text("PANTALLA")) << t->screen();
        return t;
    }
    // Esc alone: a key right behind it would make Alt+that key of it.
    static void escape(const Tmux& t) {
        t.keys({"Escape"});
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    static void type(const Tmux& t, const std::string& text) { t.keys({"-l", text}); }
    static void finish(const Tmux& t, int exit_status = 0) {
        ASSERT_TRUE(t.wait_for_text("exit status " + std::to_string(exit_status))) << t.screen();
    }
    static std::vector<std::string> rows(const Tmux& t) {
        std::istringstream in(t.screen());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Waits until row `r` (from 1) holds the text at its start.
    static bool row_starts(const Tmux& t, int r, const std::string& text) {
        return t.wait_until([&] {
            const auto lines = rows(t);
            return static_cast<int>(lines.size()) >= r && lines[static_cast<std::size_t>(r - 1)].rfind(text, 0) == 0;
        });
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(root() + relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void set_language(const std::string& code) const {
        std::string nalo = read("Nalo.ini");
        const auto at = nalo.find("Idioma=CAT");
        nalo.replace(at, 10, "Idioma=" + code);
        std::ofstream(root() + "Nalo.ini", std::ios::binary) << nalo;
    }
    test_support::TempDir dir;
};

TEST_F(ProgramScreen, FirstScreen) {
    auto t = start();
    const auto lines = rows(*t);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "VERTICAL                MANTENIMENT DE TIPUS DE DESPESA             PANTALLA  1");
    EXPECT_EQ(lines[1], "CODI    DESCRIPCIÓ                       CODI    DESCRIPCIÓ");
    EXPECT_EQ(lines[2], std::string(33, '-') + std::string(8, ' ') + std::string(33, '-'));
    EXPECT_EQ(lines[3], "AL      Allotjament");
    // The cursor waits on the first code.
    EXPECT_EQ(t->pane("#{cursor_y} #{cursor_x}"), "3 0");
    escape(*t);
    finish(*t);
}

TEST_F(ProgramScreen, AnEditSavedWithF10IsThereAtTheNextStart) {
    {
        auto t = start();
        t->keys({"Down", "C-y"});
        type(*t, "Hotel i allotjament");
        t->keys({"Enter", "F10"});
        finish(*t);
    }
    EXPECT_FALSE(fs::exists(root() + "SESSIO/taula.tmp"));
    // One line a row in db.log: file id, Insert, status.
    const std::string log = read("db.log");
    EXPECT_EQ(log.size(), 14u * 33u);
    EXPECT_EQ(log.substr(0, 33), " 501           2             0 \r\n");
    auto t = start();
    EXPECT_TRUE(row_starts(*t, 4, "AL      Hotel i allotjament")) << t->screen();
    escape(*t);
    finish(*t);
}

TEST_F(ProgramScreen, EscAfterAChangeAsks) {
    auto t = start();
    t->keys({"Down", "C-y"});
    type(*t, "Canviat");
    t->keys({"Enter"});
    escape(*t);
    escape(*t);
    ASSERT_TRUE(t->wait_for_text("Sortir i perdre els canvis?")) << t->screen();
    EXPECT_NE(t->screen().find("◄No►"), std::string::npos) << t->screen();
    t->keys({"Enter"});  // No: back to the table, the change still there
    ASSERT_TRUE(t->wait_until([&] { return t->screen().find("Sortir") == std::string::npos; }));
    EXPECT_TRUE(row_starts(*t, 4, "AL      Canviat"));
    escape(*t);
    ASSERT_TRUE(t->wait_for_text("Sortir i perdre els canvis?"));
    t->keys({"s", "Enter"});  // Sí: leave without saving
    finish(*t);
    EXPECT_FALSE(fs::exists(root() + "db.log"));
    auto again = start();
    EXPECT_TRUE(row_starts(*again, 4, "AL      Allotjament"));
    escape(*again);
    finish(*again);
}

TEST_F(ProgramScreen, RowsAddedOnANewPageAndKeptAcrossPages) {
    auto t = start();
    // Through the 88 fields of page 1 (14 rows of data, then blanks): a new
    // page 2, blank.
    for (int i = 0; i < 88; ++i) t->keys({"Enter"});
    ASSERT_TRUE(t->wait_for_text("PANTALLA  2")) << t->screen();
    type(*t, "zz");
    t->keys({"Enter"});
    type(*t, "Nou tipus");
    t->keys({"Enter"});
    escape(*t);          // to the first field
    t->keys({"PPage"});  // back to page 1
    ASSERT_TRUE(t->wait_for_text("PANTALLA  1"));
    t->keys({"PPage"});           // page 1 never leaves upwards
    t->keys({"NPage", "NPage"});  // last field, then page 2 again
    ASSERT_TRUE(t->wait_for_text("PANTALLA  2"));
    EXPECT_TRUE(row_starts(*t, 4, "ZZ      Nou tipus")) << t->screen();
    t->keys({"F10"});
    finish(*t);
    EXPECT_EQ(read("db.log").size(), 15u * 33u);
}

TEST_F(ProgramScreen, ADuplicateCodeIsRefusedWithABeep) {
    auto t = start();
    EXPECT_EQ(t->pane("#{window_bell_flag}"), "0");
    t->keys({"Down", "Down"});
    type(*t, "AL");  // row 2's code becomes row 1's
    t->keys({"Enter"});
    ASSERT_TRUE(t->wait_until([&] { return t->pane("#{window_bell_flag}") == "1"; }));
    // Still on that field, with the refused text: Ctrl+Y and a new code.
    t->keys({"C-y"});
    type(*t, "AQ");
    t->keys({"Enter", "F10"});
    finish(*t);
    auto again = start();
    EXPECT_TRUE(row_starts(*again, 4, "AL      Allotjament"));
    EXPECT_TRUE(row_starts(*again, 5, "AQ      Aparcament")) << again->screen();
    escape(*again);
    finish(*again);
}

TEST_F(ProgramScreen, SpanishThroughTheLanguageFile) {
    set_language("SPA");
    auto t = start();
    const auto lines = rows(*t);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "CÓDIGO  DESCRIPCIÓN                      CÓDIGO  DESCRIPCIÓN");
    EXPECT_EQ(lines[0].substr(0, 8), "VERTICAL");
    t->keys({"Down", "C-y"});
    type(*t, "x");
    t->keys({"Enter"});
    escape(*t);
    escape(*t);
    ASSERT_TRUE(t->wait_for_text("¿Salir y perder los cambios?")) << t->screen();
    t->keys({"s", "Enter"});
    finish(*t);
}

TEST_F(ProgramScreen, AMissingFormStopsWithAMessage) {
    fs::remove(root() + "FORMS/EXPTYPES.JPN");
    auto t = std::make_unique<Tmux>("cd '" + root() + "' && JOBROOT='" + root() + "' JOBTMP='" + root() +
                                        "SESSIO' ASAN_OPTIONS=detect_leaks=0 " + EXPTYPES_BINARY,
                                    "");
    ASSERT_TRUE(t->wait_for_text("FALTA EL FITXER DE PANTALLES O NO ÉS VÀLID")) << t->screen();
    EXPECT_NE(t->screen().find("EXPTYPES.JPN"), std::string::npos);
    t->keys({"Enter"});
    finish(*t, 2);
    EXPECT_FALSE(fs::exists(root() + "SESSIO/WinPush.tmp"));
    EXPECT_FALSE(fs::exists(root() + "db.log"));
}

}  // namespace
