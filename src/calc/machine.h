// The adding machine behind the calculator's window: what each key does to
// the display, the running result and the tape.
#pragma once

#include <string>

#include "calc/state.h"
#include "platform/key_codes.h"

namespace calc {

using platform::key_codes::KeyCode;

enum class KeyOutcome {
    go_on,
    finish,  // F or Alt+F: type the result
    cancel,  // Esc: type nothing
};

// Acts on a key code as read_key_or_click gives it; a code of 0 to 255 is
// its character in upper case. Keys and clicks that mean nothing to the
// calculator change nothing. The arrows only change the column: moving the
// window on the screen is the caller's.
KeyOutcome press_key(CalculatorState& state, KeyCode key);

// The value F types, in hundredths and without sign: 12.34 gives 1234,
// 12.345 (three decimals) 1234.5. Empty when the value is not a number (a
// division by zero).
std::string result_text(const CalculatorState& state);

}  // namespace calc
