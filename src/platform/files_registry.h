// What the common part of File shares with the file backends of each
// system. Only they use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>

namespace platform {

class File;

// The files of the run that are open, so that the end of the run can close
// them all.
std::set<File*>& open_files();

// One transfer of at most `count` bytes at a 0-based offset (for writes a
// negative offset means the end of the file): the number of bytes moved, 0
// at the end of the data, below 0 on failure. Each system provides these.
std::int64_t read_some(int fd, char* data, std::size_t count, std::int64_t offset);
std::int64_t write_some(int fd, const char* data, std::size_t count, std::int64_t offset);

}  // namespace platform
