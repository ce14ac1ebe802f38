#include "forms/state.h"

namespace forms {

FormsState forms_state;

}  // namespace forms
