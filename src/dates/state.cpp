#include "dates/state.h"

namespace dates {

DateState date_state;

}  // namespace dates
