// The calendar pop-up: a quarter of a year in a frame at the right of the
// screen, opened on the working date, from which the operator picks a day.
#pragma once

#include <string>

namespace dates {

// Shows the calendar until the operator picks the highlighted day (F, f or
// Alt+F) or leaves (Esc). Gives the day as format_date(date, 0, "dma") writes
// it, or an empty text after Esc. Screen, cursor, colour stack and key set
// are as they were when it returns.
std::string pick_date();

// Makes Alt+C open the calendar wherever a key is awaited; the picked date
// is then typed into whatever was awaiting the key.
void install_calendar_hot_key();

}  // namespace dates
