// The state of the browse lists, one instance for the run: what the last
// pick from a ready-made list left for its caller, and the list now open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "forms/form_tables.h"
#include "platform/files.h"

namespace browse {

// One entry of the work file: a line of the list.
struct Entry {
    // Where the entry starts in the work file, from 1.
    std::int32_t position = 1;
    // The entry before it; 0 for the first.
    std::int32_t previous = 0;
    // The record's position in its file, or a ready-made list's own value.
    std::int32_t record_position = 0;
    // The text's length as the entry says; at the end of a damaged file the
    // text read may be shorter.
    std::uint16_t length = 0;
    std::string text;
    // False for the blank line of a list without entries.
    bool exists = false;
};

// A browse list while it is shown.
struct OpenList {
    // A copy: a hook that loads another form cannot pull it away.
    forms::BrowseListDef def;
    platform::File work_file;
    Entry current;
    // The entry on window row 1, and the one after the last row (0 when the
    // last row shows the last entry).
    std::int32_t top_position = 1;
    std::int32_t next_page_position = 0;
    // The entry appended last; 0 before the first.
    std::int32_t tail_position = 0;
    std::int16_t cursor_row = 1;
    // 32-bit: a line may be 65,535 characters long, and the offset steps
    // past its end.
    std::int32_t column_offset = 1;
    std::int32_t overflow_width = 0;
    bool list_complete = false;
    bool range_started = false;
    // The range from browse_range; the end key once reading has started is
    // its collating form. Empty means open-ended.
    std::string start_key;
    std::string end_key;
};

struct BrowseState {
    // The entry picked last from a ready-made list.
    std::int32_t browse_choice_value = 0;
    std::string browse_choice_text;
    std::optional<OpenList> open_list;
};

extern BrowseState browse_state;

}  // namespace browse
