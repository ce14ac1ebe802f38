// The state of key input and line editing, one instance for the run.
#pragma once

#include <cstdint>
#include <string>

namespace input {

struct InputState {
    // Keys that end a line edit (2-byte codes, low byte first) and, at the
    // same positions, the codes reported for them.
    std::string accept_key_list;
    std::string report_key_list;
    // The one saved pair of lists; save_depth is 0 or 1.
    std::string saved_accept_key_list;
    std::string saved_report_key_list;
    std::int16_t save_depth = 0;
    // 0 shows the text edited; 88 ("X") shows that character instead.
    std::int16_t mask_char = 0;
    // The choice list of the field being edited, or empty.
    std::string current_choices;
};

extern InputState input_state;

}  // namespace input
