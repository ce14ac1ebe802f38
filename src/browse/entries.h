// The entries of the open browse list: read back from the work file, or
// appended to it from the record file's range as the list first reaches
// them, so each record is read once and scrolling back never reads the
// record file. A move that finds no entry leaves the current one as it was.
#pragma once

#include <cstdint>

#include "browse/state.h"

namespace browse {

// Makes the entry at `position` the current one; false when there is none.
bool go_to_entry(OpenList& list, std::int32_t position);
// The next or the previous entry; false at the end or at the start.
bool step_forward(OpenList& list);
bool step_back(OpenList& list);
// Up to |count| entries forward (count > 0) or back; gives how many.
int move_entries(OpenList& list, int count);

bool at_first(const OpenList& list);
// The current entry is the last, and no more will be appended.
bool at_last(const OpenList& list);

}  // namespace browse
