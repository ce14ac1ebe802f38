#include "startup/language.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <random>

#include "platform/cp850.h"
#include "startup/main_sequence.h"
#include "startup/session.h"
#include "support/temp_dir.h"

using platform::operator""_cp850;
using startup::language_state;
using startup::main_state;
using startup::session;
using startup::translate_text;

namespace {

// A fresh installation root with an empty LOCALE folder, the module name
// set as the main sequence sets it, and no lookup made yet.
class Translate : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = session;
        saved_module = main_state.module_name;
        language_state = {};
        session.root_dir = root.path();
        main_state.module_name = "EXPTYPES";
        std::filesystem::create_directories(root.path() + "LOCALE");
    }
    void TearDown() override {
        language_state = {};
        main_state.module_name = saved_module;
        session = saved_session;
    }
    void language_file(const std::string& bytes) { root.write("LOCALE/EXPTYPES.LNG", bytes); }
    std::string in(const std::string& code, const std::string& text) {
        session.language_code = code;
        return translate_text(text);
    }

    test_support::TempDir root;
    startup::Session saved_session;
    std::string saved_module;
};

const std::string standard =
    "\"PANTALLA\",\"PANTALLA G\",\"PANTALLA O\",\"PANTALLA S\"\r\n"
    "\"PANTALLA \",\"con blanco G\",\"con blanco O\",\"con blanco S\"\r\n"
    "\"DESCRIPCIÓ\",\"DESCRICIÓN\",\"DESCRIPCION\",\"DESCRIPCIÓN\"\r\n"_cp850 +
    "\"Borrar\",\"Borrar G\",\"Borrar O\",\"\"\r\n"
    "\"Borrar\",\"segon\",\"segon\",\"segon\"\r\n";

TEST_F(Translate, EachLanguageTakesItsField) {
    language_file(standard);
    struct Case {
        const char* code;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"SPA", "PANTALLA", "PANTALLA S"},
        {"GLG", "PANTALLA", "PANTALLA G"},
        {"OCI", "PANTALLA", "PANTALLA O"},
        {"SPA", "DESCRIPCIÓ"_cp850, "DESCRIPCIÓN"_cp850},
        {"SPA", "PANTALLA ", "con blanco S"},  // keys match byte for byte
        {"SPA", "pantalla", "pantalla"},
        {"SPA", "Borrar", ""},          // an empty translation is a translation
        {"GLG", "Borrar", "Borrar G"},  // the first of two records wins
        {"SPA", "Sense registre", "Sense registre"},
        {"spa", "PANTALLA", "PANTALLA"},  // codes are compared exactly
        {"ENG", "PANTALLA", "PANTALLA"},
        {"   ", "PANTALLA", "PANTALLA"},
        {"SP", "PANTALLA", "PANTALLA"},
    };
    for (const auto& c : cases) EXPECT_EQ(in(c.code, c.text), c.expected) << c.code << " " << c.text;
}

TEST_F(Translate, FieldsAsTheFileWritesThem) {
    struct Case {
        const char* name;
        std::string file;
        std::string text;
        std::string expected;  // in Spanish
    };
    const Case cases[] = {
        {"unquoted, leading blanks skipped, trailing kept", "A,  g ,o,  s  \r\n", "A", "s  "},
        {"line feeds and tabs dropped inside unquoted fields", "A,g,o,s\tal\nir\r\n", "A", "salir"},
        {"quoted fields hold commas", "\"A, B\",\"g\",\"o\",\"s, t\"\r\n", "A, B", "s, t"},
        {"text after a closing quote is ignored", "\"A\" x,\"g\"y,\"o\",\"s\"z\r\n\"B\",1,2,3\r\n", "B", "3"},
        {"records need not stand on one line", "\"A\"\r\n\"g\"\r\n\"o\",\"s\"\r\n", "A", "s"},
        {"a comma and a line end make an empty field", "\"A\",\r\n\"g\",\"o\"\r\n\"s\"\r\n", "A", "o"},
        {"a carriage return alone ends a line", "\"X\",1,2,3\r\"A\",g,o,s\r", "A", "s"},
        {"a line end after the last record is optional", "\"X\",1,2,3\r\n\"A\",g,o,s", "A", "s"},
        {"a key is compared with the whole text", "\"AB\",g,o,s\r\n", "A", "A"},
        {"an empty line is an empty field", "\"X\",1,2\r\n\r\n\"A\",g,o,s\r\n", "A", "s"},
        {"Ctrl-Z ends the file", "\"X\",1,2,3\r\n\x1A\"A\",g,o,s\r\n", "A", "A"},
        {"a key last in the file stays untranslated", "\"X\",1,2,3\r\n\"A\"", "A", "A"},
        {"fields missing at the end are empty", "\"X\",1,2,3\r\n\"A\",\"g\"", "A", ""},
        {"a quote left open runs to the end", "\"X\",1,2,3\r\n\"A\",g,o,\"s,t\r\nu", "A", "s,t\r\nu"},
        {"an empty file", "", "A", "A"},
    };
    for (const auto& c : cases) {
        language_file(c.file);
        EXPECT_EQ(in("SPA", c.text), c.expected) << c.name;
    }
    language_file("\"X\",1,2,3\r\n\"A\",\"g\"");
    EXPECT_EQ(in("GLG", "A"), "g");
}

TEST_F(Translate, CatalanNeverTouchesTheFile) {
    EXPECT_EQ(in("CAT", "PANTALLA"), "PANTALLA");
    EXPECT_FALSE(root.exists("LOCALE/EXPTYPES.LNG"));
    EXPECT_EQ(language_state.language_file_name, "");

    language_file(standard);
    EXPECT_EQ(in("CAT", "PANTALLA"), "PANTALLA");
    EXPECT_EQ(language_state.language_file_name, "");
}

TEST_F(Translate, MissingFileIsCreatedEmpty) {
    EXPECT_EQ(in("SPA", "PANTALLA"), "PANTALLA");
    ASSERT_TRUE(root.exists("LOCALE/EXPTYPES.LNG"));
    EXPECT_EQ(root.read("LOCALE/EXPTYPES.LNG"), "");
    EXPECT_EQ(language_state.language_file_name, "EXPTYPES");
    // Any other code searches the file too, so creates it as well.
    std::filesystem::remove(root.path() + "LOCALE/EXPTYPES.LNG");
    EXPECT_EQ(in("ENG", "PANTALLA"), "PANTALLA");
    EXPECT_TRUE(root.exists("LOCALE/EXPTYPES.LNG"));
}

TEST_F(Translate, MissingFolderGivesTheText) {
    std::filesystem::remove(root.path() + "LOCALE");
    EXPECT_EQ(in("SPA", "PANTALLA"), "PANTALLA");
    EXPECT_EQ(root.listing(), "");
}

TEST_F(Translate, FileNameIsTakenOnceAndTheFileReadEveryTime) {
    language_file("\"A\",g,o,s1\r\n");
    EXPECT_EQ(in("SPA", "A"), "s1");
    main_state.module_name = "ALTRE";
    language_file("\"A\",g,o,s2\r\n");
    EXPECT_EQ(in("SPA", "A"), "s2");
    EXPECT_EQ(language_state.language_file_name, "EXPTYPES");
    EXPECT_FALSE(root.exists("LOCALE/ALTRE.LNG"));
}

// An installation copied from Windows: names in other cases.
TEST_F(Translate, FileFoundWhateverTheCaseOfItsName) {
    std::filesystem::remove(root.path() + "LOCALE");
    root.write("locale/Exptypes.lng", "\"A\",g,o,s\r\n");
    EXPECT_EQ(in("SPA", "A"), "s");
    EXPECT_EQ(root.listing(), "locale\nlocale/Exptypes.lng\n");
}

TEST_F(Translate, ReadOnlyFileStillTranslates) {
#ifndef _WIN32
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
#endif
    language_file("\"A\",g,o,s\r\n");
    std::filesystem::permissions(root.path() + "LOCALE/EXPTYPES.LNG", std::filesystem::perms::owner_read);
    EXPECT_EQ(in("SPA", "A"), "s");
}

// Files of any bytes: the lookup ends and gives a text.
TEST_F(Translate, AnyFileContents) {
    const std::string alphabet = std::string("A\",\r\n\t \x1Ags", 11);
    std::mt19937 random(3);
    std::uniform_int_distribution<std::size_t> length(0, 40);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    session.language_code = "SPA";
    for (int i = 0; i < 3000; ++i) {
        std::string file(length(random), ' ');
        for (char& c : file) c = alphabet[pick(random)];
        language_file(file);
        const std::string result = translate_text("A");
        ASSERT_LE(result.size(), file.size() + 1) << file;
    }
}

}  // namespace
