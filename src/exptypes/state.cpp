#include "exptypes/state.h"

namespace exptypes {

ExptypesState exptypes_state;

}  // namespace exptypes
