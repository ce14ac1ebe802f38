// The expense-type program's part in the fixed start-up sequence.
#pragma once

namespace exptypes {

// Fills the steps of the main sequence (load the form, open the expense-type
// file, run the screen, close the record files), the form engine's hooks and
// the key reader's hot keys (Alt+X calculator, Alt+C calendar).
void install_program();

// True when the loaded form has what the screen needs: form page 1 made of
// code and description fields (lengths 2 and 25, in pairs) and a form page 2
// with a field for the answer to the exit question.
bool form_is_usable();

}  // namespace exptypes
