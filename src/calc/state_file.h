// JOBCALC.TMP in the terminal directory: the calculator's whole state, so
// that the next opening, in this run or another on the same terminal, goes
// on where the last one stopped. Comma-separated values, CR LF lines:
//   column, first tape line, entry value, accumulator
//   fresh, entering, point, decimals
//   "last key", "pending operator"
//   22 lines of tape: value, point, decimals, "operator"
#pragma once

#include <string>
#include <string_view>

#include "calc/state.h"

namespace calc {

std::string state_file_path();

// The state the file holds, read value by value in that order whatever the
// line breaks. Values it lacks, and any it holds that the calculator could
// not have written (junk, numbers out of range, an unknown operator), keep
// their start values; values after the 22nd tape entry are ignored. A
// missing file is created empty.
CalculatorState read_state_file(std::string_view path);
// The same from the file's text.
CalculatorState state_from_text(std::string_view text);

// The file's text for a state. A value that is not a number is written as
// 0, so the file stays plain decimal numbers.
std::string state_file_text(const CalculatorState& state);

// Rewrites the file, creating it when missing. False when it cannot.
bool write_state_file(std::string_view path, const CalculatorState& state);

}  // namespace calc
