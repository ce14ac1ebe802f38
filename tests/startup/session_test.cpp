#include "startup/session.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/process.h"
#include "support/temp_dir.h"

using startup::PaletteEntry;
using startup::Session;
using startup::session;

namespace {

// Every case starts in the folder "start" of a fresh directory, with none of
// the variables the session reads. "@" in a variable or a file name stands
// for the directory (it ends with a slash).
struct Case {
    const char* name;
    std::map<std::string, std::string> env;
    std::map<std::string, std::string> files;
    std::function<void(const Session&, const std::string& dir)> check;
};

std::string expand(std::string text, const std::string& dir) {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir);
    return text;
}

const std::array<PaletteEntry, 5> default_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};

const Case cases[] = {
    {"everything set",
     {{"JOBROOT", "@root/"}, {"JOBEXE", "@exe/"}, {"JOBTMP", "@sess"}},
     {{"sess/Sessio.ini",
       "[Menu]\r\nTitol=Tipus de despesa\r\nNomMenu=MENU1\r\nMenu=M1\r\nChnMenu=C1\r\nOperador=ANNA\r\n"
       "JobTipOper=2.6\r\n[Terminal]\r\nDir=@term01\r\n"},
      {"sess/NaloTerm.ini",
       "[Pantalla]\r\nSeleccio=2\r\nCol0=00000000000000000000\r\nCol2=14011501000300040005\r\n"
       "[Sistema]\r\nData=20261211\r\nSortida=LPT1\r\nIdioma=SPA\r\n"},
      {"root/Nalo.ini", "[Usuari]\r\nIdioma=GLG\r\n"}},
     [](const Session& s, const std::string& dir) {
         EXPECT_EQ(s.root_dir, dir + "root/");
         EXPECT_EQ(s.exe_dir, dir + "exe/");
         EXPECT_EQ(s.session_dir, dir + "sess\\");
         EXPECT_EQ(s.screen_title, " Tipus de despesa ");
         EXPECT_EQ(s.menu_name, "MENU1");
         EXPECT_EQ(s.menu_key, "M1");
         EXPECT_EQ(s.menu_chain, "C1");
         EXPECT_EQ(s.operator_name, "ANNA");
         EXPECT_EQ(s.operator_type, 3);
         EXPECT_EQ(s.terminal_dir, dir + "term01\\");
         const std::array<PaletteEntry, 5> palette = {{{14, 1}, {15, 1}, {0, 3}, {0, 4}, {0, 5}}};
         EXPECT_EQ(s.screen_palette, palette);
         EXPECT_EQ(s.working_date, "\x94\x9A\x8C\x8B");
         EXPECT_EQ(s.output_setting, "LPT1");
         EXPECT_EQ(s.language_code, "SPA");
         EXPECT_EQ(s.run_environment, "DOS");
     }},
    {"nothing at all",
     {},
     {},
     [](const Session& s, const std::string&) {
         EXPECT_EQ(s.root_dir, "");
         EXPECT_EQ(s.session_dir, "");
         EXPECT_EQ(s.terminal_dir, "");
         EXPECT_EQ(s.screen_title, "  ");
         EXPECT_EQ(s.operator_type, 0);
         EXPECT_EQ(s.screen_palette, default_palette);
         EXPECT_EQ(s.working_date, "");
         EXPECT_EQ(s.language_code, "   ");
         EXPECT_EQ(s.run_environment, "DOS");
     }},
    {"bare drive gets no backslash",
     {{"JOBTMP", "C:"}},
#ifdef _WIN32
     // "C:" names the current directory of drive C:, the starting folder.
     {{"start/Sessio.ini", "[Menu]\r\nTitol=Drive\r\n"}},
#else
     {{"start/C:Sessio.ini", "[Menu]\r\nTitol=Drive\r\n"}},
#endif
     [](const Session& s, const std::string&) {
         EXPECT_EQ(s.session_dir, "C:");
         EXPECT_EQ(s.screen_title, " Drive ");
     }},
    {"trailing backslash is kept single",
     {{"JOBTMP", "@sess\\"}},
     {{"sess/Sessio.ini", "[Menu]\r\nTitol=X\r\n"}},
     [](const Session& s, const std::string& dir) {
         EXPECT_EQ(s.session_dir, dir + "sess\\");
         EXPECT_EQ(s.screen_title, " X ");
     }},
    {"no JOBTMP: session file in the starting folder, terminal files in the terminal folder",
     {},
     {{"start/Sessio.ini", "[Menu]\r\nTitol=Here\r\n[Terminal]\r\nDir=term\r\n"},
      {"start/term/NaloTerm.ini", "[Sistema]\r\nIdioma=OCI\r\n"}},
     [](const Session& s, const std::string&) {
         EXPECT_EQ(s.screen_title, " Here ");
         EXPECT_EQ(s.terminal_dir, "term\\");
         EXPECT_EQ(s.session_dir, "term\\");
         EXPECT_EQ(s.language_code, "OCI");
     }},
    {"TERM stands in for the terminal folder",
     {{"TERM", "t9"}},
     {{"start/t9/NaloTerm.ini", "[Sistema]\r\nIdioma=GLG\r\n"}},
     [](const Session& s, const std::string&) {
         EXPECT_EQ(s.terminal_dir, "t9\\");
         EXPECT_EQ(s.session_dir, "t9\\");
         EXPECT_EQ(s.language_code, "GLG");
     }},
#ifndef _WIN32  // on Windows TERM is only ever the menu's folder
    {"a terminal type in TERM is no folder",
     {{"TERM", "xterm-256color"}},
     {},
     [](const Session& s, const std::string&) {
         EXPECT_EQ(s.terminal_dir, "");
         EXPECT_EQ(s.session_dir, "");
     }},
#endif
    {"two-letter language gets a blank",
     {{"JOBTMP", "@s"}},
     {{"s/NaloTerm.ini", "[Sistema]\r\nIdioma=ES\r\n"}},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.language_code, "ES "); }},
    {"long language is cut",
     {{"JOBTMP", "@s"}},
     {{"s/NaloTerm.ini", "[Sistema]\r\nIdioma=SPANISH\r\n"}},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.language_code, "SPA"); }},
    {"blank terminal language falls back to the user file of JOBROOT",
     {{"JOBTMP", "@s"}, {"JOBROOT", "@r/"}},
     {{"s/NaloTerm.ini", "[Sistema]\r\nIdioma=   \r\n"}, {"r/Nalo.ini", "[Usuari]\r\nIdioma=gl\r\n"}},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.language_code, "gl "); }},
    {"terminal language wins over the user file",
     {{"JOBTMP", "@s"}, {"JOBROOT", "@r/"}},
     {{"s/NaloTerm.ini", "[Sistema]\r\nIdioma=CAT\r\n"}, {"r/Nalo.ini", "[Usuari]\r\nIdioma=SPA\r\n"}},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.language_code, "CAT"); }},
    {"selection without its palette gives the default even with Col0",
     {{"JOBTMP", "@s"}},
     {{"s/NaloTerm.ini", "[Pantalla]\r\nSeleccio=3\r\nCol0=01020304050607080910\r\n"}},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.screen_palette, default_palette); }},
    {"no selection reads Col0",
     {{"JOBTMP", "@s"}},
     {{"s/NaloTerm.ini", "[Pantalla]\r\nCol0=01020304050607080910\r\n"}},
     [](const Session& s, const std::string&) {
         const std::array<PaletteEntry, 5> palette = {{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}}};
         EXPECT_EQ(s.screen_palette, palette);
     }},
    {"short or unreadable palette gives black for the missing pieces",
     {{"JOBTMP", "@s"}},
     {{"s/NaloTerm.ini", "[Pantalla]\r\nSeleccio=1\r\nCol1=15xx7 2\r\n"}},
     [](const Session& s, const std::string&) {
         const std::array<PaletteEntry, 5> palette = {{{15, 0}, {7, 2}, {0, 0}, {0, 0}, {0, 0}}};
         EXPECT_EQ(s.screen_palette, palette);
     }},
    {"web variables before the Windows ones",
     {{"HTTP_ACCEPT", "*/*"}, {"WINDIR", "C:\\WINDOWS"}},
     {},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.run_environment, "CGI"); }},
    {"user agent",
     {{"HTTP_USER_AGENT", "x"}},
     {},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.run_environment, "CGI"); }},
    {"Windows through SYSTEMROOT",
     {{"SYSTEMROOT", "C:\\WINDOWS"}},
     {},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.run_environment, "WIN"); }},
    {"working date in a packed form, short date padded",
     {{"JOBTMP", "@s"}},
     {{"s/NaloTerm.ini", "[Sistema]\r\nData= 5\r\n"}},
     [](const Session& s, const std::string&) { EXPECT_EQ(s.working_date, "\x85"); }},
};

class LoadSession : public ::testing::TestWithParam<Case> {};

TEST_P(LoadSession, SetsTheValuesFromEnvironmentAndFiles) {
    const Case& c = GetParam();
    test_support::TempDir dir;
    test_support::EnvGuard env;
    test_support::CwdGuard cwd;
    for (const char* v : {"JOBROOT", "JOBEXE", "JOBTMP", "TERM", "HTTP_USER_AGENT", "HTTP_ACCEPT", "WINDIR", "SYSTEMROOT"})
        env.set(v, std::nullopt);
    for (const auto& [name, value] : c.env) env.set(name, expand(value, dir.path()));
    for (const auto& [name, bytes] : c.files) dir.write(expand(name, ""), expand(bytes, dir.path()));
    dir.write("start/.keep", "");
    ASSERT_TRUE(platform::change_directory(dir.path() + "start"));

    session = Session{};
    startup::load_session_settings();
    c.check(session, dir.path());
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadSession, ::testing::ValuesIn(cases), [](const auto& info) {
    std::string n;
    for (const char ch : std::string(info.param.name)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return n;
});

TEST(PackDigitPairs, PacksTwoDigitsABytes) {
    const struct {
        std::string text;
        std::string packed;
    } rows[] = {
        {"15821005", "\x8F\xD2\x8A\x85"},
        {" 5", "\x85"},
        {"123", "\x8C\x9E"},
        {"", ""},
        {"1", "\x8A"},
        {"  12  ", "\x80\x80\x8C"},
        {"1 2", "\x8A\x94"},
        {"9x9y", "\xDA\xDA"},
        {"99999999", "\xE3\xE3\xE3\xE3"},
    };
    for (const auto& r : rows) EXPECT_EQ(startup::pack_digit_pairs(r.text), r.packed) << '"' << r.text << '"';
}

}  // namespace
