// The work file of a browse list, Browse.tmp in the session directory: the
// list's entries back to back from position 1. Each entry is the position
// of the entry before it (0 for the first), a record position and the
// text's length n (32, 32 and 16 bits, little-endian), then the n bytes of
// the line. A program that shows a ready-made list writes it this way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "browse/state.h"
#include "platform/files.h"

namespace browse {

inline constexpr std::string_view WORK_FILE_NAME = "Browse.tmp";
inline constexpr std::int32_t ENTRY_HEADER_SIZE = 10;
inline constexpr std::size_t MAX_LINE_LENGTH = 65535;

std::string work_file_path();

// The bytes of one entry; a text longer than 65,535 bytes is cut.
std::string entry_bytes(std::int32_t previous, std::int32_t record_position, std::string_view text);

// The entry at `position`, which must lie inside the file. Whatever the
// file holds, nothing is read past its end: a header or text cut short by
// the end is read as far as it goes, the header's missing bytes as zeros.
Entry read_entry(const platform::File& file, std::int32_t position);

// Where the entry after `entry` starts; beyond 32 bits it cannot be, so
// that gives 0.
std::int32_t next_entry_position(const Entry& entry);

}  // namespace browse
