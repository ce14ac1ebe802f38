// What the calculator remembers: the display, the pending operation, the
// tape and where its window stands. It lives in JOBCALC.TMP between
// openings, so a value of this type exists only while the calculator runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace calc {

// The window is 26 columns wide; its left column runs from 1 to 55.
inline constexpr std::int16_t WINDOW_WIDTH = 26;
inline constexpr std::int16_t FIRST_COLUMN = 1;
inline constexpr std::int16_t LAST_COLUMN = 55;

// The tape holds 22 entries, entry 22 the newest; entries from the first
// tape line to 22 are shown on the screen rows of their numbers. Entry 1 is
// never shown, and 23 means none is.
inline constexpr int TAPE_ENTRIES = 22;
inline constexpr std::int16_t TOP_TAPE_LINE = 2;
inline constexpr std::int16_t NO_TAPE_LINE = 23;

struct TapeEntry {
    double value = 0;
    std::int16_t point = 0;
    std::int16_t decimals = 0;
    // One character: the operator, or a blank on a total line.
    char operator_char = ' ';
    bool operator==(const TapeEntry&) const = default;
};

struct CalculatorState {
    std::int16_t column = FIRST_COLUMN;
    std::int16_t first_tape_line = NO_TAPE_LINE;
    // The number on the display and the running result.
    double entry_value = 0;
    double accumulator = 0;
    // Flags, -1 or 0: after a clear; while a number is keyed in; the display
    // has a decimal point.
    std::int16_t fresh = -1;
    std::int16_t entering = 0;
    std::int16_t point = 0;
    std::int16_t decimals = 0;
    // The last key as text, kept in the file only.
    std::string last_key;
    // "+", "-", "*", "/" or empty: applied at the next operator or equals.
    std::string pending_operator;
    // Index 0 is entry 1.
    std::array<TapeEntry, TAPE_ENTRIES> tape{};
    bool operator==(const CalculatorState&) const = default;
};

}  // namespace calc
