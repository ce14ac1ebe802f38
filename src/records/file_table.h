// The table of open record files, opening (and creating) a file, the
// lengths read from its Stat, and closing every file at once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace records {

// The slot (1 to 40) that holds the file id; otherwise minus the highest
// free slot; otherwise 0. File id 0 matches the lowest free slot.
std::int16_t find_file_slot(std::int16_t file_id);

// Opens the file named `name` (the data-file extension ".dat" is added when
// the last path component has none) under `file_id`, with `record` as its
// record buffer, creating it from "<root_dir>ddf\<base>.xdf" when it does not
// exist; waits while another station holds it locked. Gives 0, 1002 (the id
// is open) or 1003 (no free slot); on any other status it shows the message,
// waits for a key and ends the program.
std::int16_t open_record_file(std::int16_t file_id, const std::string& name, std::span<char> record);

std::int16_t close_all_record_files();

struct FileLengths {
    std::int16_t key_length = 0;
    std::int16_t record_length = 0;
};
// The total length of key `key_number` (0 when the file has no such key) and
// the record length; both 0 when the file id is not open.
FileLengths read_file_lengths(std::int16_t file_id, std::int16_t key_number);

// The path a name stands for, and the base name its dictionary is found by.
struct SplitName {
    std::string path;
    std::string base;
};
SplitName split_record_file_name(std::string_view name);

}  // namespace records
