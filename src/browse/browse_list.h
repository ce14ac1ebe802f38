// Browse lists: a framed window listing the records of a record file, one
// line per record in the order of one of its keys, or a ready-made list
// from the work file, from which the operator picks a line. The form
// engine opens them on F4.
#pragma once

#include <cstdint>

namespace browse {

// Shows browse list `list` (its definition in the form tables) until the
// operator picks a line or leaves. `result` becomes 0 for a pick (a record
// file's record is then re-read into the file's record buffer; a ready-made
// list's pick is in browse_choice_value and browse_choice_text), -1 for
// none, or else the range hook's refusal or the status of the re-read.
void show_browse_list(std::int16_t list, std::int16_t& result);

// Makes the form engine's F4 open browse lists.
void install_browse_list();

}  // namespace browse
