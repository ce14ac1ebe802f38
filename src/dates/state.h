// The state of the date texts, one instance for the run.
#pragma once

#include <string>

namespace dates {

struct DateState {
    // The user's date settings, read from the user settings file while they
    // still hold only zero bytes, so at most once per run.
    char date_separator = 0;
    std::string date_order = std::string(3, '\0');
};

extern DateState date_state;

}  // namespace dates
