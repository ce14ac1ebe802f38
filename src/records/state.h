// The state of the record-file layer, one instance for the run: the table of
// open files, the lock mode stack, the buffers of every record-manager call,
// and the waits (which tests replace so that nothing really waits).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/process.h"
#include "platform/record_manager.h"

namespace records {

inline constexpr std::int16_t FILE_SLOTS = 40;
inline constexpr std::size_t DATA_BUFFER_SIZE = 1536;
inline constexpr std::size_t KEY_BUFFER_SIZE = 256;

// The layer's own statuses, beside the record manager's (3 when the file id
// is not open is the record manager's own).
inline constexpr std::int16_t STATUS_ALREADY_OPEN = 1002;
inline constexpr std::int16_t STATUS_NO_FREE_SLOT = 1003;
inline constexpr std::int16_t STATUS_NO_SUCH_KEY = 1004;

struct FileSlot {
    std::int16_t file_id = 0;  // 0: the slot is free
    platform::PositionBlock position_block{};
    // The caller's record buffer, with its size: nothing is copied past it.
    std::span<char> record_address;
    std::int32_t record_length = 0;
    std::int16_t key_number = 0;
    std::string key_buffer;
    std::int16_t lock_mode = 0;
};

struct Waits {
    std::function<void(int milliseconds)> sleep_ms = platform::sleep_ms;
    std::function<double()> random_fraction = platform::random_fraction;
};

struct RecordsState {
    // Slots 1 to 40; slot 0 only lends its position block to the Reset.
    std::array<FileSlot, FILE_SLOTS + 1> file_table{};
    // Pairs of bytes: a slot number and the lock mode it had, latest last.
    std::string lock_mode_stack;
    std::array<char, DATA_BUFFER_SIZE> data_buffer{};
    std::array<char, KEY_BUFFER_SIZE> key_buffer{};
    Waits waits;
};

extern RecordsState records_state;

}  // namespace records
