#include "input/key_set.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "input/state.h"

using input::input_state;
using input::key_set_command;

namespace {

using Codes = std::vector<std::pair<std::int16_t, std::int16_t>>;

// The set as (code, reported code) pairs, read from the two lists.
Codes key_set() {
    Codes codes;
    const std::string& a = input_state.accept_key_list;
    const std::string& r = input_state.report_key_list;
    EXPECT_EQ(a.size(), r.size());
    for (std::size_t p = 1; p + 1 <= a.size(); p += 2)
        codes.emplace_back(input::key_code_at(a, p), input::key_code_at(r, p));
    return codes;
}

class KeySet : public ::testing::Test {
protected:
    void SetUp() override { input_state = {}; }
    void TearDown() override { input_state = {}; }
};

TEST_F(KeySet, AddReadsHexCodesWithTheirReportedCodes) {
    key_set_command("+ea", "d,1b");
    EXPECT_EQ(key_set(), (Codes{{13, 13}, {27, 27}}));
    EXPECT_EQ(input_state.accept_key_list, std::string("\x0D\x00\x1B\x00", 4));

    key_set_command("a", "1b=4f00,3b00,,4D00");
    EXPECT_EQ(key_set(), (Codes{{13, 13}, {27, 27}, {27, 0x4F00}, {0x3B00, 0x3B00}, {0, 0}, {0x4D00, 0x4D00}}));
}

TEST_F(KeySet, CodesAboveSixteenBitsKeepTheirLowSixteen) {
    key_set_command("a", "8000,1ffff");
    EXPECT_EQ(key_set(), (Codes{{-32768, -32768}, {-1, -1}}));
}

TEST_F(KeySet, DeleteRemovesTheCodeAndItsReportAndIgnoresTheReportPart) {
    key_set_command("a", "d=4f00,1b,4d00");
    key_set_command("d", "1b=9999");
    EXPECT_EQ(key_set(), (Codes{{13, 0x4F00}, {0x4D00, 0x4D00}}));
    key_set_command("d", "5000");  // absent: nothing changes
    EXPECT_EQ(key_set(), (Codes{{13, 0x4F00}, {0x4D00, 0x4D00}}));
}

TEST_F(KeySet, SearchesMatchOnlyWhereACodeStarts) {
    // 0x4B00 then 0x004D: the bytes 00 4D straddle the two codes.
    key_set_command("a", "4b00,4d");
    EXPECT_EQ(input::find_key_code(input_state.accept_key_list, 0x4D00), 0u);
    EXPECT_EQ(input::find_key_code(input_state.accept_key_list, 0x004D), 3u);
    key_set_command("d", "4d00");
    EXPECT_EQ(key_set(), (Codes{{0x4B00, 0x4B00}, {0x4D, 0x4D}}));
    // A match further on is still found after a straddling one.
    key_set_command("a", "4d00");
    EXPECT_EQ(input::find_key_code(input_state.accept_key_list, 0x4D00), 5u);
}

TEST_F(KeySet, OneLevelOfSave) {
    key_set_command("a", "d");
    key_set_command("+", "");
    key_set_command("ea", "1b");
    key_set_command("+", "");  // a save is held: ignored
    key_set_command("a", "5000");
    EXPECT_EQ(key_set(), (Codes{{27, 27}, {0x5000, 0x5000}}));
    key_set_command("-", "");
    EXPECT_EQ(key_set(), (Codes{{13, 13}}));
    EXPECT_EQ(input_state.save_depth, 0);
    key_set_command("ea", "1b");
    key_set_command("-", "");  // nothing saved: nothing changes
    EXPECT_EQ(key_set(), (Codes{{27, 27}}));
}

TEST_F(KeySet, CommandsAreCaseBlindAndOthersIgnored) {
    key_set_command(" EA x", "d");
    EXPECT_EQ(key_set(), (Codes{{13, 13}}));
    key_set_command("H", "");
    EXPECT_EQ(input_state.mask_char, 'X');
    key_set_command("v", "");
    EXPECT_EQ(input_state.mask_char, 0);
    // Applied in order: "e" after "a" leaves nothing.
    key_set_command("ae", "1b");
    EXPECT_TRUE(key_set().empty());
}

}  // namespace
