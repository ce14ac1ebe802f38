#include "format/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "format/state.h"
#include "support/temp_dir.h"

using format::format_number;
using format::format_state;

namespace {

// Every case runs in a fresh installation root holding the given Nalo.ini
// (none when empty), with the separators not yet read.
class FormatNumber : public ::testing::Test {
protected:
    void SetUp() override {
        env.set("JOBROOT", root.path());
        format_state = {};
    }
    void TearDown() override { format_state = {}; }
    void user_settings(const std::string& body) { root.write("Nalo.ini", "[Usuari]\r\n" + body); }

    test_support::TempDir root;
    test_support::EnvGuard env;
};

// "_" marks a blank in the expected results.
std::string blanks(std::string text) {
    for (char& c : text)
        if (c == '_') c = ' ';
    return text;
}

struct Row {
    const char* mask;
    double value;
    const char* expected;
};

TEST_F(FormatNumber, DefaultSeparatorsTable) {
    const Row rows[] = {
        {"ZZ9.99", 12.5, "_12'50"},
        {"ZZ9.99", 0, "__0'00"},
        {"ZZ9.ZZ", 0, "__0___"},
        {"ZZ9.ZZ", 1.5, "__1'5_"},
        {"ZZ9.ZZ", 1.05, "__1'05"},
        {"ZZ9.ZZ", 12, "_12___"},
        {"ZZ9.ZZ", -12, "-12___"},
        {"ZZ9.99", 2.125, "__2'12"},
        {"ZZ9.99", 2.375, "__2'38"},
        {"ZZ9.99", 0.5, "__0'50"},
        {"ZZ9.99", -0.5, "__-'50"},
        {"ZZ9", -5, "_-5"},
        {"999", -5, "0-5"},
        {"9999", 7, "0007"},
        {"ZZZ", 0, "___"},
        {"Z9", 3, "_3"},
        {"ZZZ,ZZ9", 1234, "__1.234"},
        {"Z,ZZZ,ZZ9", 123, "______123"},
        {"Z,ZZZ,ZZ9", 1234567, "1.234.567"},
        {"Z,ZZ9", -123, "_-123"},
        {"Z,ZZZ,ZZ9.99-", -1234.5, "____1.234'50-"},
        {"Z,ZZZ,ZZ9.99-", 1234.5, "____1.234'50_"},
        {"-ZZ9.99", -12.5, "-_12'50"},
        {"+ZZ9", 5, "+__5"},
        {"***,**9.99", 12.5, "*****12'50"},
        {"ZZ9.99", 1234.5, "1234'5"},
        {"ZZ9.99", -1234.5, "-1234'"},
        {"ZZ9", -123, "!!!"},
        {"Z9", 123, "!!"},
        {"99/99/9999", 31122023, "31/12/2023"},
        // Beyond the table: small letters, signs, other characters, a plain
        // number that fits without cutting.
        {"zz9.zz", 3.1, "__3'1_"},
        {"+ZZ9", -5, "-__5"},
        {"ZZ9-", 5, "__5_"},
        {"99", 123, "!!"},
        {"ZZ9.99", 123.456, "123'46"},
        {"ZZZZ9.9", 123456, "123456'"},
        {"AB ZZ9", 12345, "_12345"},
        {"", 5, ""},
        {"Ptes ZZZ9", 42, "Ptes___42"},
    };
    for (const auto& r : rows) {
        format_state = {};
        EXPECT_EQ(format_number(r.mask, r.value), blanks(r.expected)) << r.mask << " " << r.value;
    }
}

TEST_F(FormatNumber, SeparatorsComeFromTheUserSettings) {
    struct Setting {
        const char* settings;
        const char* expected;
    };
    const Setting cases[] = {
        {"DecCaracter=,\r\nMilCaracter=.\r\n", "1.234,50"},
        {"DecCaracter=.\r\nMilCaracter=,\r\n", "1,234.50"},
        {"DecCaracter=,x\r\nMilCaracter= ,\r\n", "1.234,50"},  // only the first character; a blank one is the default
        {"DecCaracter=\r\n", "1.234'50"},
        {"MilCaracter=_\r\n", "1_234'50"},
    };
    for (const auto& c : cases) {
        format_state = {};
        user_settings(c.settings);
        EXPECT_EQ(format_number("Z,ZZ9.99", 1234.5), c.expected) << c.settings;
    }
}

TEST_F(FormatNumber, SettingsAreReadOnlyOnce) {
    user_settings("DecCaracter=,\r\nMilCaracter=.\r\n");
    EXPECT_EQ(format_number("Z,ZZ9.99", 1234.5), "1.234,50");
    user_settings("DecCaracter=#\r\nMilCaracter=:\r\n");
    EXPECT_EQ(format_number("Z,ZZ9.99", 1234.5), "1.234,50");
    format_state = {};
    EXPECT_EQ(format_number("Z,ZZ9.99", 1234.5), "1:234#50");
}

// A mask without a place for the minus sign must not show a negative number
// as a positive one: it gets the plain number, or a row of "!". One that
// rounds to zero is simply zero.
TEST_F(FormatNumber, MinusWithoutAPlaceGivesThePlainNumber) {
    EXPECT_EQ(format_number("X9", -3), "-3");
    EXPECT_EQ(format_number("X9.99", -3.5), "-3'50");
    EXPECT_EQ(format_number("9", -0.4), "0");
    EXPECT_EQ(format_number("9", -4), "!");
    EXPECT_EQ(format_number("X9", 3), "X3");
}

TEST_F(FormatNumber, ValuesNoMaskCanHold) {
    EXPECT_EQ(format_number("ZZ9.99", std::nan("")), "!!!!!!");
    EXPECT_EQ(format_number("ZZ9", INFINITY), "!!!");
    EXPECT_EQ(format_number("ZZ9", -INFINITY), "!!!");
    EXPECT_EQ(format_number("ZZ9.99", 1e300), "!!!!!!");
    EXPECT_EQ(format_number("ZZ9.99", -1e-300), blanks("__-'00"));
    // More decimal places than a double can scale by.
    const std::string long_decimals = "9." + std::string(400, '9');
    EXPECT_EQ(format_number(long_decimals, 1.5), "1'5" + std::string(399, '0'));
    EXPECT_EQ(format_number(long_decimals, 0), "0'" + std::string(400, '0'));
}

// Whole numbers in a mask with room for every digit and the minus read back
// as themselves.
TEST_F(FormatNumber, WholeNumbersReadBack) {
    std::mt19937 random(5);
    std::uniform_int_distribution<long> number(-99999, 99999);
    for (int i = 0; i < 2000; ++i) {
        const long v = number(random);
        const std::string text = format_number("ZZZZZ9", static_cast<double>(v));
        ASSERT_EQ(text.size(), 6u);
        EXPECT_EQ(std::stol(text), v) << text;
    }
}

// Any mask, any value: a result of the mask's length, and no fault under the
// sanitizers.
TEST_F(FormatNumber, AnyMaskAndValue) {
    const std::string alphabet = "9Zz*.,-+/ X";
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> length(0, 14);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 20000; ++i) {
        std::string mask(length(random), ' ');
        for (char& c : mask) c = alphabet[pick(random)];
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 7 == 0) value = std::round(value);
        if (i % 11 == 0) value = 0;
        ASSERT_EQ(format_number(mask, value).size(), mask.size()) << "[" << mask << "] " << value;
    }
}

}  // namespace
