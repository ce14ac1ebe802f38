#include "dates/text.h"

#include <gtest/gtest.h>

#include <string>

#include "dates/state.h"
#include "packed.h"
#include "platform/cp850.h"
#include "startup/session.h"
#include "support/temp_dir.h"

using dates::format_date;
using dates_test::packed_date;
using platform::operator""_cp850;

namespace {

// Every case runs in a fresh installation root holding the given user
// settings (no Nalo.ini when empty), with the date settings not yet read.
class FormatDate : public ::testing::Test {
protected:
    void SetUp() override {
        env.set("JOBROOT", root.path());
        dates::date_state = {};
        saved_language = startup::session.language_code;
    }
    void TearDown() override {
        dates::date_state = {};
        startup::session.language_code = saved_language;
    }
    void user_settings(const std::string& body) {
        if (!body.empty()) root.write("Nalo.ini", "[Usuari]\r\n" + body);
    }

    test_support::TempDir root;
    test_support::EnvGuard env;
    std::string saved_language;
};

// "_" marks a blank in the expected results.
std::string blanks(std::string text) {
    for (char& c : text)
        if (c == '_') c = ' ';
    return text;
}

struct Row {
    const char* language;
    const char* settings;
    int year, month, day;
    int style;
    const char* parts;
    std::string expected;
};

const Row rows[] = {
    // 15 March 2024 with the default settings, in every style and language.
    {"CAT", "", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"SPA", "", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"GLG", "", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"OCI", "", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"CAT", "", 2024, 3, 15, 1, "dma", "15/mar/2024"},
    {"SPA", "", 2024, 3, 15, 1, "dma", "15/mar/2024"},
    {"GLG", "", 2024, 3, 15, 1, "dma", "15/mar/2024"},
    {"OCI", "", 2024, 3, 15, 1, "dma", "15/mar/2024"},
    {"CAT", "", 2024, 3, 15, 2, "dma", "15 de març del 2024"_cp850},
    {"SPA", "", 2024, 3, 15, 2, "dma", "15 de marzo de 2024"},
    {"GLG", "", 2024, 3, 15, 2, "dma", "15 de março do 2024"_cp850},
    {"OCI", "", 2024, 3, 15, 2, "dma", "15 de març deth 2024"_cp850},
    {"CAT", "", 2024, 3, 15, 2, "m", "març"_cp850},
    {"SPA", "", 2024, 3, 15, 2, "m", "marzo"},
    {"GLG", "", 2024, 3, 15, 2, "m", "março"_cp850},
    {"OCI", "", 2024, 3, 15, 2, "m", "març"_cp850},
    {"CAT", "", 2024, 3, 15, -1, "dma", "2024-03-15"},
    {"SPA", "", 2024, 3, 15, -1, "", "2024-03-15"},
    {"GLG", "", 2024, 3, 15, -1, "m", "2024-03-15"},
    {"OCI", "", 2024, 3, 15, -1, "x", "2024-03-15"},
    // Higher styles are long dates too.
    {"CAT", "", 2024, 3, 15, 7, "dma", "15 de març del 2024"_cp850},
    // The parts in any case and order; the user's order decides.
    {"CAT", "", 2024, 3, 15, 2, "AMD", "15 de març del 2024"_cp850},
    {"CAT", "", 2024, 3, 15, 2, "da", "15 del 2024"},
    {"CAT", "", 2024, 3, 15, 2, "ma", "març del 2024"_cp850},
    {"CAT", "", 2024, 3, 15, 0, "a", "2024"},
    {"CAT", "", 2024, 3, 15, 1, "m", "mar"},
    // Single-digit days and months, filled to the width.
    {"CAT", "", 2024, 3, 5, 0, "dma", "5/3/2024__"},
    {"CAT", "", 2024, 12, 31, 0, "dma", "31/12/2024"},
    {"CAT", "", 2024, 1, 5, 1, "dma", "5/gen/2024_"},
    {"CAT", "", 2024, 3, 15, 0, "dm", "15/3_"},
    {"CAT", "", 2024, 3, 15, 0, "DM", "15/3_"},
    // Months whose name begins with a vowel.
    {"CAT", "", 2024, 4, 1, 2, "dma", "1 d'abril del 2024"},
    {"SPA", "", 2024, 4, 1, 2, "dma", "1 de abril de 2024"},
    {"GLG", "", 2024, 4, 1, 2, "dma", "1 de abril do 2024"},
    {"OCI", "", 2024, 4, 1, 2, "dma", "1 d'abriu deth 2024"},
    {"CAT", "", 2024, 10, 8, 2, "dma", "8 d'octubre del 2024"},
    {"OCI", "", 2024, 10, 8, 2, "dma", "8 d'octobre deth 2024"},
    {"CAT", "", 2024, 8, 8, 2, "dma", "8 d'agost del 2024"},
    {"GLG", "", 2024, 10, 8, 2, "dma", "8 de outubro do 2024"},
    // Any other language code takes the Catalan words.
    {"   ", "", 2024, 4, 1, 2, "dma", "1 d'abril del 2024"},
    {"ENG", "", 2024, 4, 1, 2, "dma", "1 d'abril del 2024"},
    {"spa", "", 2024, 1, 2, 1, "dma", "2/gen/2024_"},
    // The user's order and separator.
    {"CAT", "DatOrdre=AMD\r\n", 2024, 3, 15, 0, "dma", "2024/3/15_"},
    {"CAT", "DatOrdre=AMD\r\n", 2024, 3, 15, 2, "dma", "2024 de març del 15"_cp850},
    {"CAT", "DatOrdre=AMD\r\n", 2024, 4, 15, 2, "dma", "2024 d'abril del 15"},
    {"SPA", "DatOrdre=MDA\r\n", 2024, 3, 15, 1, "dma", "mar/15/2024"},
    {"CAT", "DatOrdre=MD\r\n", 2024, 3, 15, 0, "dma", "3/15______"},
    {"CAT", "DatOrdre=dma\r\n", 2024, 3, 15, 0, "dma", "__________"},
    {"CAT", "DatOrdre=   \r\n", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"CAT", "DatOrdre=DXMA\r\n", 2024, 3, 15, 0, "dmax", "15/3_______"},
    {"CAT", "DatCaracter=-\r\n", 2024, 3, 15, 0, "dma", "15-3-2024_"},
    {"CAT", "DatCaracter=.,\r\n", 2024, 3, 15, 1, "dma", "15.mar.2024"},
    {"CAT", "DatCaracter= -\r\n", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"CAT", "DatCaracter=\r\n", 2024, 3, 15, 0, "dma", "15/3/2024_"},
    {"CAT", "DatCaracter=-\r\n", 2024, 3, 15, 2, "dma", "15 de març del 2024"_cp850},
    {"CAT", "DatCaracter=-\r\n", 2024, 3, 15, -1, "dma", "2024-03-15"},
    // Empty dates: blanks to the width, nothing when long, zeros in ISO.
    {"CAT", "", 2024, 0, 0, 0, "dma", "__________"},
    {"CAT", "", 2024, 0, 0, 1, "dma", "___________"},
    {"CAT", "", 2024, 0, 0, 2, "dma", ""},
    {"CAT", "", 2024, 0, 0, -1, "dma", "2024-00-00"},
    {"CAT", "", 0, 0, 0, 0, "dm", "_____"},
    // A day or a month alone is no empty date.
    {"CAT", "", 2024, 0, 5, 0, "dma", "5/0/2024__"},
    {"CAT", "", 2024, 1, 0, 0, "dma", "0/1/2024__"},
    // Months without a name keep their number.
    {"CAT", "", 2024, 13, 5, 2, "dma", "5 de 13 del 2024"},
    {"SPA", "", 2024, 0, 5, 1, "dma", "5/0/2024___"},
    // Years before 1000 keep four digits.
    {"CAT", "", 800, 12, 25, 0, "dma", "25/12/0800"},
    {"CAT", "", 800, 12, 25, 2, "dma", "25 de desembre del 0800"},
    // Widths below a part's length cut; none left gives an empty text.
    {"CAT", "", 2024, 3, 15, -2, "dma", "15/3/202"},
    {"CAT", "", 2024, 3, 15, 0, "", ""},
};

TEST_F(FormatDate, Table) {
    for (const Row& row : rows) {
        dates::date_state = {};
        startup::session.language_code = row.language;
        user_settings(row.settings);
        EXPECT_EQ(
            format_date(packed_date(row.year, row.month, row.day), static_cast<std::int16_t>(row.style), row.parts),
            blanks(row.expected))
            << row.language << " " << row.settings << row.year << "-" << row.month << "-" << row.day << " style "
            << row.style << " " << row.parts;
        root.write("Nalo.ini", "");
    }
}

TEST_F(FormatDate, ShortOrMissingValuesReadAsZeros) {
    startup::session.language_code = "CAT";
    EXPECT_EQ(format_date("", -1, ""), "0000-00-00");
    EXPECT_EQ(format_date("", 0, "dma"), std::string(10, ' '));
    EXPECT_EQ(format_date(std::string("\x94\x98", 2), -1, ""), "2024-00-00");
}

TEST_F(FormatDate, MonthNamesOfEveryLanguage) {
    const struct {
        const char* language;
        std::string names[12];
    } languages[] = {
        {"CAT",
         {"gener", "febrer", "març"_cp850, "abril", "maig", "juny", "juliol", "agost", "setembre", "octubre",
          "novembre", "desembre"}},
        {"SPA",
         {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre", "octubre",
          "noviembre", "diciembre"}},
        {"GLG",
         {"janeiro", "fevereiro", "março"_cp850, "abril", "maio", "junho", "julho", "agosto", "setembro", "outubro",
          "novembro", "dezembro"}},
        {"OCI",
         {"gèr"_cp850, "hereuèr"_cp850, "març"_cp850, "abriu", "mai", "junh", "junhsega", "agost", "seteme", "octobre",
          "noveme", "deseme"}},
    };
    for (const auto& language : languages) {
        startup::session.language_code = language.language;
        for (int month = 1; month <= 12; ++month) {
            const std::string& name = language.names[month - 1];
            const std::string date = packed_date(2024, month, 1);
            EXPECT_EQ(format_date(date, 2, "m"), name) << language.language << " " << month;
            EXPECT_EQ(format_date(date, 1, "m"), name.substr(0, 3)) << language.language << " " << month;
        }
    }
}

TEST_F(FormatDate, SettingsAreReadOnceFromTheRootGivenAtTheFirstCall) {
    startup::session.language_code = "CAT";
    const std::string date = packed_date(2024, 3, 15);
    user_settings("DatCaracter=-\r\nDatOrdre=AMD\r\n");
    EXPECT_EQ(format_date(date, 0, "dma"), "2024-3-15 ");

    user_settings("DatCaracter=.\r\nDatOrdre=MDA\r\n");
    EXPECT_EQ(format_date(date, 0, "dma"), "2024-3-15 ");
    test_support::TempDir other;
    env.set("JOBROOT", other.path());
    EXPECT_EQ(format_date(date, 0, "dma"), "2024-3-15 ");

    dates::date_state = {};
    EXPECT_EQ(format_date(date, 0, "dma"), "15/3/2024 ");
    env.set("JOBROOT", root.path());
    EXPECT_EQ(format_date(date, 0, "dma"), "15/3/2024 ");
}

TEST_F(FormatDate, MissingSettingsFileGivesTheDefaults) {
    startup::session.language_code = "CAT";
    EXPECT_EQ(format_date(packed_date(2024, 3, 15), 0, "dma"), "15/3/2024 ");
    EXPECT_EQ(dates::date_state.date_separator, '/');
    EXPECT_EQ(dates::date_state.date_order, "DMA");
    EXPECT_FALSE(root.exists("Nalo.ini"));
}

}  // namespace
