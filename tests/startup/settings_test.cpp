#include "startup/settings.h"

#include <gtest/gtest.h>

#include <cctype>

#include "platform/cp850.h"
#include "platform/files.h"

#include "support/temp_dir.h"

using platform::operator""_cp850;
using startup::read_setting;

namespace {

struct Case {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

const Case cases[] = {
    {"plain", "[Usuari]\r\nIdioma=SPA\r\n", "Usuari", "Idioma", "SPA"},
    {"spaces around equals keep the leading one", "[Usuari]\r\nIdioma = SPA\r\n", "Usuari", "Idioma", " SPA"},
    {"space before a comment stays", "[Usuari]\r\nIdioma=SPA ; the language\r\n", "Usuari", "Idioma", "SPA "},
    {"comment cut before quotes are looked at", "[S]\r\nK=\"a;b\"\r\n", "S", "K", "\"a"},
    {"two quotes give empty", "[S]\r\nK=\"\"\r\n", "S", "K", ""},
    {"one quote stays", "[S]\r\nK=\"\r\n", "S", "K", "\""},
    {"quoted value unquoted", "[S]\r\nK=\"  x = y \"\r\n", "S", "K", "  x = y "},
    {"inner quotes only are kept", "[S]\r\nK=a\"b\"\r\n", "S", "K", "a\"b\""},
    {"small-letter header with spaces", "[  usuari  ]\r\nIdioma=CAT\r\n", "USUARI", "Idioma", "CAT"},
    {"header without closing bracket", "[Usuari\r\nIdioma=CAT\r\n", "Usuari", "Idioma", "CAT"},
    {"text after the bracket ignored", "[Usuari] extra\r\nIdioma=CAT\r\n", "Usuari", "Idioma", "CAT"},
    {"indented small-letter key", "[S]\r\n   idioma   = GLG\r\n", "S", "IDIOMA", " GLG"},
    {"arguments are trimmed", "[S]\r\nK=v\r\n", "  S ", " K  ", "v"},
    {"é and ñ fold to capitals", "[Café]\r\nAñy=1\r\n"_cp850, "CAFÉ"_cp850, "AÑY"_cp850, "1"},
    {"ó is not folded", "[Peó]\r\nK=1\r\n"_cp850, "PEÓ"_cp850, "K", ""},
    {"only the first section of a name", "[S]\r\nA=1\r\n[S]\r\nK=2\r\n", "S", "K", ""},
    {"first matching key wins", "[S]\r\nK=1\r\nk=2\r\n", "S", "K", "1"},
    {"key present with no value", "[S]\r\nK=\r\nK=2\r\n", "S", "K", ""},
    {"further equals signs belong to the value", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
    {"section ends at the next header", "[S]\r\nA=1\r\n[T]\r\nK=2\r\n", "S", "K", ""},
    {"key in a later section", "[S]\r\nA=1\r\n[T]\r\nK=2\r\n", "T", "K", "2"},
    {"key before any section never found", "K=1\r\n[S]\r\nA=2\r\n", "S", "K", ""},
    {"line feeds alone make one line", "[S]\nK=1\nA=2\n", "S", "K", ""},
    {"line feed after key is part of value", "[S]\r\nK=1\nA=2\r\n", "S", "K", "1\nA=2"},
    {"carriage returns alone end lines", "[S]\rK=1\r", "S", "K", "1"},
    {"no final line end", "[S]\r\nK=last", "S", "K", "last"},
    {"Ctrl-Z ends the data", "[S]\r\nA=1\r\n\x1AK=2\r\n", "S", "K", ""},
    {"Ctrl-Z inside a value cuts it", "[S]\r\nK=ab\x1A" "cd\r\n", "S", "K", "ab"},
    {"tab is not a blank", "[S]\r\n\tK=1\r\n", "S", "K", ""},
    {"tab kept in the value", "[S]\r\nK=\t1\t\r\n", "S", "K", "\t1\t"},
    {"unterminated quote stays", "[S]\r\nK=\"abc\r\n", "S", "K", "\"abc"},
    {"no sections at all", "K=1\r\nA=2\r\n", "S", "K", ""},
    {"comment-only and blank lines", "; top\r\n\r\n   \r\n[S] ; c\r\n; K=0\r\n  \r\nK=5\r\n", "S", "K", "5"},
    {"line without equals inside the section", "[S]\r\njunk line\r\nK=5\r\n", "S", "K", "5"},
    {"header inside the section stops even if it starts with blanks", "[S]\r\n  [T]\r\nK=5\r\n", "S", "K", ""},
    {"binary bytes survive", std::string("[S]\r\nK=\x01\xFF\x80\0z\r\n", 13), "S", "K", std::string("\x01\xFF\x80\0z", 5)},
    {"empty file", "", "S", "K", ""},
};

class ReadSetting : public ::testing::TestWithParam<Case> {};

TEST_P(ReadSetting, GivesTheValueAsWritten) {
    const Case& c = GetParam();
    test_support::TempDir dir;
    const std::string path = dir.write("Test.ini", c.file);
    EXPECT_EQ(read_setting(path, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadSetting, ::testing::ValuesIn(cases), [](const auto& info) {
    std::string n;
    for (const char ch : std::string(info.param.name)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return n;
});

TEST(ReadSettingFiles, MissingFileOrDirectoryGivesEmptyAndCreatesNothing) {
    test_support::TempDir dir;
    EXPECT_EQ(read_setting(dir.path() + "Nalo.ini", "Usuari", "Idioma"), "");
    EXPECT_EQ(read_setting(dir.path() + "no\\such\\Nalo.ini", "Usuari", "Idioma"), "");
    EXPECT_EQ(dir.listing(), "");
}

TEST(ReadSettingFiles, BackslashPathAndOtherCaseFindTheFile) {
    test_support::TempDir dir;
    dir.write("sessio/sessio.ini", "[Menu]\r\nTitol=Hola\r\n");
    EXPECT_EQ(read_setting(dir.path() + "SESSIO\\Sessio.ini", "Menu", "Titol"), "Hola");
}

TEST(ReadSettingFiles, HugeLineIsReadWhole) {
    test_support::TempDir dir;
    const std::string big(3'000'000, 'x');
    const std::string path = dir.write("Big.ini", "[S]\r\n" + std::string(100000, 'y') + "\r\nK=" + big + "\r\n");
    EXPECT_EQ(read_setting(path, "S", "K"), big);
}

TEST(ReadSettingFiles, ReadsAFileThatAnotherProgramHasOpenForWriting) {
    test_support::TempDir dir;
    const std::string path = dir.write("Test.ini", "[S]\r\nK=1\r\n");
    auto writer = platform::File::open(path, platform::Access::ReadWrite, platform::Share::Shared);
    ASSERT_TRUE(writer.is_open());
    EXPECT_EQ(read_setting(path, "S", "K"), "1");
}

TEST(NumericValue, ReadsLikeTheSettingsDo) {
    struct {
        const char* text;
        double value;
        int rounded;
    } const rows[] = {
        {"", 0, 0},          {"abc", 0, 0},       {"  12", 12, 12},      {"12abc", 12, 12},
        {"-3", -3, -3},      {"+4", 4, 4},        {"2.5", 2.5, 3},       {"-2.5", -2.5, -3},
        {".5x", 0.5, 1},     {"1e2", 100, 100},   {"1e", 1, 1},          {"7 8", 7, 7},
        {"99999", 99999, 32767}, {"1e400", 0, 0}, {"-", 0, 0},           {"\t5", 0, 0},
    };
    for (const auto& r : rows) {
        EXPECT_DOUBLE_EQ(startup::numeric_value(r.text), r.value) << r.text;
        EXPECT_EQ(startup::integer_value(r.text), r.rounded) << r.text;
    }
}

}  // namespace
