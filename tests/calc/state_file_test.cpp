#include "calc/state_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>

#include "calc_fixture.h"

using namespace calc;
using namespace std::string_literals;
using namespace calc_test;

namespace {

std::string lines(std::initializer_list<std::string> each) {
    std::string text;
    for (const std::string& line : each) text += line + "\r\n";
    return text;
}

std::string tape_lines(int from, int to) {
    std::string text;
    for (int k = from; k <= to; ++k) text += std::to_string(k) + ",0,0,\"+\"\r\n";
    return text;
}

// A file the calculator could have written, and the state it holds.
const std::string WELL_FORMED = lines({"55,2,3.5,7", "0,-1,-1,1", R"("+","*")"});
void well_formed(CalculatorState& s) {
    s.column = 55;
    s.first_tape_line = 2;
    s.entry_value = 3.5;
    s.accumulator = 7;
    s.fresh = 0;
    s.entering = -1;
    s.point = -1;
    s.decimals = 1;
    s.last_key = "+";
    s.pending_operator = "*";
}

struct DamagedCase {
    const char* name;
    std::string text;
    std::function<void(CalculatorState&)> expect;  // from the start values
};

class StateFile : public CalculatorTest {};

TEST_F(StateFile, ReadsWhatItCanAndKeepsStartValuesForTheRest) {
    const DamagedCase cases[] = {
        {"empty", "", [](CalculatorState&) {}},
        {"junk", "\0\xFF\x01garbage here\r\n\x7F\x80,,,;;\n\n\"\""s, [](CalculatorState&) {}},
        // Unquoted texts are taken as written.
        {"non-numbers", lines({"abc,def,ghi,jkl", "x,y,z,w", "1,2"}), [](CalculatorState& s) { s.last_key = "1"; }},
        {"numbers too large for a double", lines({"1,23,1e400," + std::string(400, '9'), "-1e309,0,0,0"}),
         [](CalculatorState&) {}},
        {"infinity and not-a-number texts", lines({"1,23,inf,nan", "0,0,0,0"}),
         [](CalculatorState& s) { s.fresh = 0; }},
        {"large numbers that fit", lines({"1,23,1e300,-12345678901234567890123"}),
         [](CalculatorState& s) {
             s.entry_value = 1e300;
             s.accumulator = -12345678901234567890123.0;
         }},
        {"out of range", lines({"56,1,4,5", "0,0,-1,-3"}),
         [](CalculatorState& s) {
             s.entry_value = 4;
             s.accumulator = 5;
             s.fresh = 0;
             s.point = -1;
         }},
        {"fractions where whole numbers go", lines({"2.5,22,1,1", "0.5,0,0,1.5"}),
         [](CalculatorState& s) {
             s.first_tape_line = 22;
             s.entry_value = 1;
             s.accumulator = 1;
             s.fresh = -1;
             s.entering = 0;
         }},
        {"well formed", WELL_FORMED, well_formed},
        {"one value a line, LF only", "55\n2\n3.5\n7\n0\n-1\n-1\n1\n\"+\"\n\"*\"\n", well_formed},
        {"all on one line with blanks", " 55 , 2 ,3.5, 7,0,-1,-1,1,\"+\" , \"*\"", well_formed},
        {"blank lines between", "55,2,3.5,7\r\n\r\n\r\n0,-1,-1,1\r\n\r\n\"+\",\"*\"\r\n", well_formed},
        {"flags other than -1 and 0", lines({"1,23,0,0", "5,-7,0,0"}),
         [](CalculatorState& s) {
             s.fresh = -1;
             s.entering = -1;
         }},
        {"decimals without a point", lines({"1,23,0,0", "0,0,0,3"}), [](CalculatorState& s) { s.fresh = 0; }},
        {"unknown texts", lines({"1,23,0,0", "-1,0,0,0", R"("XYZ","^")", R"(1,0,0,"x")", "2,-1,1,\"\""}),
         [](CalculatorState& s) {
             s.tape[0].value = 1;
             s.tape[1] = {2, -1, 1, ' '};
         }},
        {"quoted numbers", lines({R"("5",23,0,0)"}), [](CalculatorState&) {}},
        {"an unclosed quote ends at the line's end", lines({"1,23,0,0", "-1,0,0,0", "\"%", R"("/")"}),
         [](CalculatorState& s) {
             s.last_key = "%";
             s.pending_operator = "/";
         }},
        {"end-of-text mark",
         "7,23,2,3\x1A"
         "9,9,9,9",
         [](CalculatorState& s) {
             s.column = 7;
             s.entry_value = 2;
             s.accumulator = 3;
         }},
        {"three tape entries", WELL_FORMED + tape_lines(1, 3),
         [](CalculatorState& s) {
             well_formed(s);
             for (int k = 1; k <= 3; ++k) s.tape[static_cast<std::size_t>(k - 1)] = {double(k), 0, 0, '+'};
         }},
        {"thirty tape entries", WELL_FORMED + tape_lines(1, 30),
         [](CalculatorState& s) {
             well_formed(s);
             for (int k = 1; k <= 22; ++k) s.tape[static_cast<std::size_t>(k - 1)] = {double(k), 0, 0, '+'};
         }},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write("TERM/JOBCALC.TMP", c.text);
        CalculatorState expected;
        c.expect(expected);
        EXPECT_EQ(read_state_file(state_file_path()), expected);

        // The calculator opens on it and leaves a sound file behind.
        type("F");
        run();
        CalculatorState closed = expected;
        closed.last_key = "F";
        EXPECT_EQ(state_file(), state_file_text(closed));
        EXPECT_EQ(console.now(), underneath);
    }
}

TEST_F(StateFile, WritesWhatItReadsBack) {
    CalculatorState s;
    s.column = 30;
    s.first_tape_line = 5;
    s.entry_value = -1234.5678;
    s.accumulator = 1e-300;
    s.fresh = 0;
    s.entering = -1;
    s.point = -1;
    s.decimals = 4;
    s.last_key = "=";
    s.pending_operator = "/";
    s.tape[0] = {1e300, 0, 0, ' '};
    s.tape[4] = {-0.125, -1, 3, 'R'};
    s.tape[21] = {0.1 + 0.2, -1, 17, '%'};
    const std::string text = state_file_text(s);
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2)),
              "30,5,-1234.5678,0." + std::string(299, '0') + "1\r\n0,-1,-1,4");
    const std::string path = state_file_path();
    ASSERT_TRUE(write_state_file(path, s));
    EXPECT_EQ(read_state_file(path), s);
}

TEST_F(StateFile, ValuesThatAreNotNumbersAreWrittenAsZero) {
    CalculatorState s;
    s.entry_value = HUGE_VAL;
    s.accumulator = std::nan("");
    s.tape[21].value = -HUGE_VAL;
    s.tape[20].value = -0.0;
    const std::string text = state_file_text(s);
    EXPECT_EQ(text.substr(0, 10), "1,23,0,0\r\n");
    EXPECT_EQ(text.substr(text.size() - 22), "0,0,0,\" \"\r\n0,0,0,\" \"\r\n");
}

// Files of random bytes, and the calculator's own file with bytes changed:
// whatever is read is a state the calculator can show.
TEST_F(StateFile, AnyFileGivesAStateInRange) {
    std::mt19937 random(14);
    CalculatorState full;
    full.entry_value = 12.5;
    for (TapeEntry& e : full.tape) e = {-3.25, -1, 2, '+'};
    const std::string own = state_file_text(full);
    const std::string alphabet = "0123456789.,-+e\"\r\n 9R%*/";
    for (int round = 0; round < 2000; ++round) {
        std::string text = round % 2 == 0 ? std::string(random() % 600, '\0') : own;
        for (char& c : text)
            if (round % 2 == 0 || random() % 20 == 0)
                c = round % 4 < 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        const CalculatorState s = state_from_text(text);
        SCOPED_TRACE(text);
        EXPECT_TRUE(s.column >= FIRST_COLUMN && s.column <= LAST_COLUMN);
        EXPECT_TRUE(s.first_tape_line >= TOP_TAPE_LINE && s.first_tape_line <= NO_TAPE_LINE);
        EXPECT_TRUE(std::isfinite(s.entry_value) && std::isfinite(s.accumulator));
        EXPECT_TRUE(s.decimals >= 0 && (s.point != 0 || s.decimals == 0));
        EXPECT_TRUE(s.pending_operator.size() <= 1 && s.last_key.size() <= 1);
        for (const TapeEntry& e : s.tape) {
            EXPECT_TRUE(std::isfinite(e.value) && e.decimals >= 0);
            EXPECT_NE(std::string(" +-*/=%R").find(e.operator_char), std::string::npos);
        }
    }
}

}  // namespace
