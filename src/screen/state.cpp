#include "screen/state.h"

namespace screen {

ScreenState screen_state;

}  // namespace screen
