#include "browse/state.h"

namespace browse {

BrowseState browse_state;

}  // namespace browse
