// The key set: which keys end a line edit and the code each one reports,
// with a one-level save; and the rest of the edit context the line editor
// reads (the mask of hidden fields, the choices of the field being edited).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace input {

// Applies each character of `commands`, upper-cased: "A" adds the codes of
// `list`, "D" removes them, "E" empties the set, "+" saves it (one level
// only), "-" puts the saved one back, "H" masks the edit with "X", "V"
// shows it again; anything else is ignored. `list` holds hexadecimal codes
// separated by commas, each optionally followed by "=" and the code to
// report in its place.
void key_set_command(std::string_view commands, std::string_view list);

void set_current_choices(std::string_view choices);

// The whole key set, its one save level included: what a pop-up opened in
// the middle of an edit must leave as it found it.
struct KeySet {
    std::string accept_key_list;
    std::string report_key_list;
    std::string saved_accept_key_list;
    std::string saved_report_key_list;
    std::int16_t save_depth = 0;
};
KeySet current_key_set();
void restore_key_set(KeySet keys);

// A key code as the two bytes the lists hold, low byte first.
std::string key_code_bytes(std::int16_t code);
// The 1-based position of `code` in a list of 2-byte codes, only where a
// code starts (odd positions); 0 when it is not there.
std::size_t find_key_code(std::string_view list, std::int16_t code);
// The code at a 1-based odd position of a list.
std::int16_t key_code_at(std::string_view list, std::size_t position);

}  // namespace input
