#include "format/wrap.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using format::wrap_text;

namespace {

std::string wrapped(std::string text, int indent, int width, const std::string& align) {
    wrap_text(text, static_cast<std::int16_t>(indent), static_cast<std::int16_t>(width), align);
    return text;
}

std::string without(std::string text, const std::string& drop) {
    std::string out;
    for (const char c : text)
        if (drop.find(c) == std::string::npos) out += c;
    return out;
}

struct Case {
    const char* name;
    const char* text;
    int indent;
    int width;
    const char* align;
    std::string expected;
};

const std::string sample = "uno dos tres cuatro";

const Case cases[] = {
    {"left E", sample.c_str(), 0, 10, "E", "uno dos   tres      cuatro    "},
    {"left L in small letters", sample.c_str(), 0, 10, "l", "uno dos   tres      cuatro    "},
    {"left I", sample.c_str(), 0, 10, "I", "uno dos   tres      cuatro    "},
    {"dashes N", sample.c_str(), 0, 10, "N", "uno dos---tres------cuatro----"},
    {"right D", sample.c_str(), 0, 10, "D", "   uno dos      tres    cuatro"},
    {"right R", sample.c_str(), 0, 10, "r", "   uno dos      tres    cuatro"},
    {"centred", sample.c_str(), 0, 10, "C", " uno dos     tres     cuatro  "},
    // The last line and a line without a gap keep their length.
    {"justified A", sample.c_str(), 0, 10, "A", "uno    dostrescuatro"},
    {"justified B, gaps widened left to right", "aa bb cc dd ee ff", 0, 13, "B", "aa  bb  cc ddee ff"},
    {"justified, gaps widened round again", "a b c dddd", 0, 8, "A", "a  b   cdddd"},
    {"unknown code leaves lines as taken", sample.c_str(), 0, 10, "X", "uno dostrescuatro"},
    {"two-letter code is unknown", sample.c_str(), 0, 10, "LL", "uno dostrescuatro"},
    {"positive indent: first line only", sample.c_str(), 3, 10, "L",
     "   uno dos"
     "tres      "
     "cuatro    "},
    {"negative indent: every later line", sample.c_str(), -3, 10, "L",
     "uno dos   "
     "   tres   "
     "   cuatro "},
    {"a word wider than the line is cut", "abcdefghij", 0, 4, "L", "abcdefghij  "},
    {"blanks between lines are dropped", "ab    cd", 0, 3, "L", "ab cd "},
    {"a control character takes no width",
     "ab\x01"
     "cd ef",
     0, 4, "L",
     "ab\x01"
     "cdef  "},
    {"control characters after a word stay with it", "abcd\x02\x03 ef", 0, 4, "L",
     "abcd\x02\x03"
     "ef  "},
    {"blanks before a control character are given back",
     "ab  \x01"
     "cd",
     0, 4, "R",
     "  ab  \x01"
     "cd"},
    {"a control character given back gives back its room",
     "ab c\x01"
     "d",
     0, 4, "L",
     "ab c\x01"
     "d   "},
    {"last line loses its trailing blanks", "ab   ", 0, 5, "R", "   ab"},
    {"empty text", "", 0, 10, "L", ""},
    {"width zero: one character a line", "ab c", 0, 0, "L", "abc"},
    {"negative width", "ab", 0, -5, "N", "ab"},
    {"indent wider than the width", "ab cd", 12, 10, "L", std::string(12, ' ') + "ab cd      "},
};

TEST(WrapText, Cases) {
    for (const auto& c : cases) EXPECT_EQ(wrapped(c.text, c.indent, c.width, c.align), c.expected) << c.name;
}

// Control characters take no width wherever they stand: each makes its line
// one character longer and no wider. Per text, the results for "L", "N",
// "R", "C" and "A".
TEST(WrapText, ControlCharactersInEveryPlaceAndAlignment) {
    struct Case {
        const char* what;
        std::string text;
        int indent;
        int width;
        std::array<std::string, 5> expected;
    };
    const Case cases[] = {
        {"at the start of a line",
         "\033ab cde fg",
         0,
         5,
         {"\033ab   cde  fg   ", "\033ab---cde--fg---", "   \033ab  cde   fg", " \033ab   cde  fg  ", "\033abcdefg"}},
        {"inside a word",
         "ab\001cd efgh ij",
         0,
         6,
         {"ab\001cd  efgh  ij    ", "ab\001cd--efgh--ij----", "  ab\001cd  efgh    ij", " ab\001cd  efgh   ij  ",
          "ab\001cdefghij"}},
        {"before a gap",
         "a\001b cd ef gh",
         0,
         6,
         {"a\001b cd ef gh ", "a\001b cd-ef gh-", " a\001b cd ef gh", "a\001b cd ef gh ", "a\001b  cdef gh"}},
        {"after the last word of a full line, with a hanging indent",
         "ab cde\x01 fg",
         -2,
         6,
         {"ab cde\x01  fg  ", "ab cde\x01  fg--", "ab cde\x01    fg", "ab cde\x01   fg ", "ab cde\x01  fg"}},
    };
    const char* aligns[] = {"L", "N", "R", "C", "A"};
    for (const auto& c : cases)
        for (std::size_t a = 0; a < 5; ++a)
            EXPECT_EQ(wrapped(c.text, c.indent, c.width, aligns[a]), c.expected[a]) << c.what << ", " << aligns[a];
}

// A sentence of 100 characters at width 40: whole lines of 40, and no word
// split, so the words read back in order.
TEST(WrapText, LeftAlignedSentenceGivesWholeLines) {
    const std::string sentence =
        "La factura del mes de gener inclou les despeses de viatge, dietes i material d'oficina del dep.";
    std::string text = sentence + std::string(100 - sentence.size(), 'x');
    text[sentence.size()] = ' ';
    ASSERT_EQ(text.size(), 100u);
    const std::string result = wrapped(text, 0, 40, "I");
    ASSERT_EQ(result.size() % 40, 0u);
    std::vector<std::string> original, taken;
    for (std::istringstream in(text); in;) {
        std::string word;
        if (in >> word) original.push_back(word);
    }
    for (std::size_t at = 0; at < result.size(); at += 40) {
        std::istringstream in(result.substr(at, 40));
        for (std::string word; in >> word;) taken.push_back(word);
    }
    EXPECT_EQ(taken, original);
}

// Any text, indent, width and alignment: the call ends and keeps every
// character that is not a blank, in order.
TEST(WrapText, AnyInputEndsAndKeepsTheCharacters) {
    const std::string alphabet = std::string("ab  \x01\x1F\xE9", 7);
    const char* aligns[] = {"E", "L", "I", "D", "R", "C", "A", "B", "", "?"};
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> length(0, 30);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> indent(-6, 6);
    std::uniform_int_distribution<int> width(-3, 12);
    std::uniform_int_distribution<std::size_t> align(0, std::size(aligns) - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string text(length(random), ' ');
        for (char& c : text) c = alphabet[pick(random)];
        const std::string result = wrapped(text, indent(random), width(random), aligns[align(random)]);
        ASSERT_EQ(without(result, " "), without(text, " ")) << "[" << text << "]";
    }
    EXPECT_EQ(without(wrapped("a-b c d", 0, 3, "N"), " -"), "abcd");
}

}  // namespace
