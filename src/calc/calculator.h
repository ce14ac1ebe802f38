// The pop-up calculator: an adding machine with a paper tape at the bottom
// of the screen, opened with Alt+X wherever a key is awaited. What it
// returns is typed by the key reader into whatever awaited the key.
#pragma once

#include <string>

namespace calc {

// Runs the calculator on its state in JOBCALC.TMP of the terminal directory
// and writes the state back when it closes, by F or by Esc. Gives the value
// in hundredths on F or Alt+F (12.34 as 1234), an empty text on Esc.
std::string run_calculator();

// Makes Alt+X open the calculator, through the key reader's hot keys.
void install_calculator_hot_key();

}  // namespace calc
