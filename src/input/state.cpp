#include "input/state.h"

namespace input {

InputState input_state;

}  // namespace input
