#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "format/fold.h"
#include "format/state.h"
#include "format/text_stack.h"
#include "format/zero_pad.h"
#include "platform/cp850.h"

using format::fold_text;
using format::format_state;
using format::pop_text;
using format::push_text;
using format::zero_pad;
using platform::operator""_cp850;

namespace {

class TextHelpers : public ::testing::Test {
protected:
    void SetUp() override { format_state = {}; }
    void TearDown() override { format_state = {}; }
};

TEST_F(TextHelpers, StackGivesItemsBackInReverse) {
    push_text("AB");
    push_text("C");
    EXPECT_EQ(pop_text(), "C");
    EXPECT_EQ(pop_text(), "AB");
    EXPECT_EQ(format_state.text_stack, "");

    // Items with any bytes, empty ones and ones longer than one length byte.
    const std::vector<std::string> items = {"", std::string("\0\xFF\x01", 3), std::string(300, 'x'), "", "07"};
    for (const auto& item : items) push_text(item);
    EXPECT_EQ(format_state.text_stack.substr(format_state.text_stack.size() - 4), std::string("07\x02\x00", 4));
    for (auto it = items.rbegin(); it != items.rend(); ++it) EXPECT_EQ(pop_text(), *it);
    EXPECT_EQ(format_state.text_stack, "");
}

// A length of 65,536 or more does not fit the two length bytes: the item
// is refused and the items below it stay poppable.
TEST_F(TextHelpers, StackRefusesAnItemTooLongForItsLength) {
    EXPECT_TRUE(push_text("below"));
    EXPECT_TRUE(push_text(std::string(65535, 'm')));
    const std::string before = format_state.text_stack;
    for (const std::size_t size : {65536u, 65537u, 131072u + 3}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(push_text(std::string(size, 'x')));
        EXPECT_EQ(format_state.text_stack, before);
    }
    EXPECT_EQ(pop_text(), std::string(65535, 'm'));
    EXPECT_EQ(pop_text(), "below");
    EXPECT_EQ(format_state.text_stack, "");
}

TEST_F(TextHelpers, StackPopWithoutAPushGivesNothing) {
    EXPECT_EQ(pop_text(), "");
    format_state.text_stack = "x";
    EXPECT_EQ(pop_text(), "");
    format_state.text_stack = std::string("ab\x09\x00", 4);  // claims 9 bytes, holds 2
    EXPECT_EQ(pop_text(), "ab");
    EXPECT_EQ(format_state.text_stack, "");
}

// The two folding tables as the code page lists them, code by code.
std::array<int, 256> capitals_expected() {
    std::array<int, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = c;
    for (int c = 0x61; c <= 0x7A; ++c) t[c] = c - 0x20;
    const std::map<int, int> accented = {
        {0x81, 0x9A}, {0x82, 0x90}, {0x83, 0xB6}, {0x84, 0x8E}, {0x85, 0xB7}, {0x86, 0x8F}, {0x87, 0x80},
        {0x88, 0xD2}, {0x89, 0xD3}, {0x8A, 0xD4}, {0x8B, 0xD8}, {0x8C, 0xD7}, {0x8D, 0xDE}, {0x91, 0x92},
        {0x93, 0xE2}, {0x94, 0x99}, {0x95, 0xE3}, {0x96, 0xEA}, {0x97, 0xEB}, {0xA0, 0xB5}, {0xA1, 0xD6},
        {0xA2, 0xE0}, {0xA3, 0xE9}, {0xA4, 0xA5}, {0xC6, 0xC7}, {0xD0, 0xD1}, {0xE4, 0xE5}, {0xEC, 0xED},
    };
    for (const auto& [from, to] : accented) t[from] = to;
    return t;
}

std::array<int, 256> plain_expected() {
    std::array<int, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = -1;
    for (int c = 0; c < 0x40; ++c) t[c] = c;
    for (int c = 0xEE; c < 256; ++c) t[c] = c;
    const auto set = [&](int result, std::initializer_list<int> codes) {
        for (const int c : codes) {
            EXPECT_EQ(t[c], -1) << "code " << c << " listed twice";
            t[c] = result;
        }
    };
    const auto range = [](int from, int to) {
        std::vector<int> v;
        for (int c = from; c <= to; ++c) v.push_back(c);
        return v;
    };
    for (int c = 0x41; c <= 0x5A; ++c) set(c, {c, c + 0x20});
    set('A', {0x83, 0x84, 0x85, 0x86, 0x8E, 0x8F, 0x91, 0x92, 0xA0, 0xA6, 0xB5, 0xB6, 0xB7, 0xC6, 0xC7});
    set('C', {0x80, 0x87});
    set('D', {0xD0, 0xD1});
    set('E', {0x82, 0x88, 0x89, 0x8A, 0x90, 0xD2, 0xD3, 0xD4, 0xD5});
    set('I', {0x8B, 0x8C, 0x8D, 0xA1, 0xD6, 0xD7, 0xD8, 0xDE});
    set('N', {0xA4, 0xA5});
    set('O', {0x93, 0x94, 0x95, 0x99, 0x9B, 0x9D, 0xA2, 0xA7, 0xE0, 0xE2, 0xE3, 0xE4, 0xE5});
    set('S', {0xE1});
    set('T', {0xE7, 0xE8});
    set('U', {0x81, 0x96, 0x97, 0x9A, 0xA3, 0xE9, 0xEA, 0xEB});
    set('Y', {0x98, 0xEC, 0xED});
    std::vector<int> blank = {0x40, 0x9C, 0x9E, 0x9F, 0xDF, 0xE6};
    for (const auto& r : {range(0x5B, 0x60), range(0x7B, 0x7F), range(0xA8, 0xB4), range(0xB8, 0xC5), range(0xC8, 0xCF),
                          range(0xD9, 0xDD)})
        blank.insert(blank.end(), r.begin(), r.end());
    for (const int c : blank) set(' ', {c});
    for (int c = 0; c < 256; ++c) EXPECT_NE(t[c], -1) << "code " << c << " not listed";
    return t;
}

void expect_table(const std::array<int, 256>& expected) {
    for (int c = 0; c < 256; ++c) {
        const std::string folded = fold_text(std::string(1, static_cast<char>(c)));
        ASSERT_EQ(folded.size(), 1u);
        EXPECT_EQ(static_cast<unsigned char>(folded[0]), expected[c]) << "code " << std::hex << c;
    }
}

TEST_F(TextHelpers, FoldCapitalsTable) {
    const auto expected = capitals_expected();
    expect_table(expected);
    format_state.plain_letters_mode = 1;  // only -1 selects the plain letters
    expect_table(expected);
}

TEST_F(TextHelpers, FoldPlainLetterTable) {
    format_state.plain_letters_mode = -1;
    expect_table(plain_expected());
}

TEST_F(TextHelpers, FoldWholeTexts) {
    const std::string text = "Façana núm. 1 ÿøþ"_cp850;
    EXPECT_EQ(fold_text(text), "FAÇANA NÚM. 1 ÿøþ"_cp850.str());
    format_state.plain_letters_mode = -1;
    EXPECT_EQ(fold_text(text), "FACANA NUM. 1 YOT");
    EXPECT_EQ(fold_text(""), "");
}

TEST_F(TextHelpers, ZeroPad) {
    struct Case {
        double value;
        std::int16_t width;
        const char* expected;
    };
    const Case cases[] = {
        {7, 2, "07"},   {123, 2, "23"},   {12, 5, "00012"}, {0, 3, "000"},    {2.5, 4, "02.5"},
        {-7, 3, "007"}, {7, 0, ""},       {7, -4, ""},      {1e20, 3, "000"}, {1e20, 21, "100000000000000000000"},
        {-0.0, 1, "0"}, {65535, 2, "35"},
    };
    for (const auto& c : cases) EXPECT_EQ(zero_pad(c.value, c.width), c.expected) << c.value << " " << c.width;
}

}  // namespace
