#include "format/state.h"

namespace format {

FormatState format_state;

}  // namespace format
