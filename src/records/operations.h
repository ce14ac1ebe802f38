// Record operations on an open file, named by its file id: reading along a
// key, stepping, deleting, positions, lock modes with the wait and retry on
// records locked by other stations, and key values turned into text that
// compares in key order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace records {

// Lock modes, set by letters through set_lock_mode.
inline constexpr std::int16_t LOCK_NONE = 0;    // "D": reads lock nothing
inline constexpr std::int16_t LOCK_WAIT = 1;    // "A": reads lock, locked records are waited for
inline constexpr std::int16_t LOCK_REPORT = 2;  // "B": reads lock, locked records are reported

// Sends `operation` (with the lock bias under a lock mode) for the slot,
// with the caller's record and the slot's key, and copies both back; under
// lock mode 1 repeats it while the record or file is locked, with a message
// from the first wait on.
std::int16_t record_operation(std::int16_t slot, std::int16_t operation);

// Reads along key `key_number` the record whose key equals `key_value`
// (direction 0), or is at or after it (above 0), or at or before it (below
// 0); the value is cut or filled with zero bytes to the key's length.
std::int16_t find_record(std::int16_t file_id, std::int16_t key_number, std::string_view key_value,
                         std::int16_t direction);
// Moves `count` records along the current key (backwards when negative) and
// reads the last one reached.
std::int16_t skip_records(std::int16_t file_id, std::int16_t count);
std::int16_t delete_record(std::int16_t file_id);
// With 0: the position of the current record (0 when there is none). With a
// position: reads the record there and gives the status.
std::int32_t record_position(std::int16_t file_id, std::int32_t position);
// "D", "A", "B" set the mode, "+" pushes it, "-" pops this file's latest;
// `status` becomes 3 only when the file is not open.
void set_lock_mode(std::int16_t file_id, std::string_view letters, std::int16_t& status);

std::string key_to_collating_text(std::string key_text, std::int16_t file_id);
std::string current_key_text(std::int16_t file_id);

}  // namespace records
