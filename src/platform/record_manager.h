// The record manager as the record layer speaks to it: one call with an
// operation code, a 128-byte position block, a data buffer and its length, a
// key buffer and its length, and a key number, giving a signed 16-bit status.
// Declared here, beside the other interfaces of the system; our own record
// manager (src/recman) provides it.
//
// Buffers are passed with their sizes: the record manager reads and writes
// only inside the spans it is given, whatever the lengths claim. The data
// length is the size of the data the caller hands over (or of the room it
// offers for data) and comes back as the size of the data returned.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace platform {

inline constexpr std::size_t POSITION_BLOCK_SIZE = 128;
using PositionBlock = std::array<char, POSITION_BLOCK_SIZE>;

// Operation codes.
inline constexpr std::int16_t OP_OPEN = 0;
inline constexpr std::int16_t OP_CLOSE = 1;
inline constexpr std::int16_t OP_INSERT = 2;
inline constexpr std::int16_t OP_DELETE = 4;
inline constexpr std::int16_t OP_GET_EQUAL = 5;
inline constexpr std::int16_t OP_GET_NEXT = 6;
inline constexpr std::int16_t OP_GET_PREVIOUS = 7;
inline constexpr std::int16_t OP_GET_GREATER = 8;
inline constexpr std::int16_t OP_GET_GREATER_OR_EQUAL = 9;
inline constexpr std::int16_t OP_GET_LESS = 10;
inline constexpr std::int16_t OP_GET_LESS_OR_EQUAL = 11;
inline constexpr std::int16_t OP_GET_FIRST = 12;
inline constexpr std::int16_t OP_GET_LAST = 13;
inline constexpr std::int16_t OP_CREATE = 14;
inline constexpr std::int16_t OP_STAT = 15;
inline constexpr std::int16_t OP_BEGIN_TRANSACTION = 19;
inline constexpr std::int16_t OP_END_TRANSACTION = 20;
inline constexpr std::int16_t OP_ABORT_TRANSACTION = 21;
inline constexpr std::int16_t OP_GET_POSITION = 22;
inline constexpr std::int16_t OP_GET_DIRECT = 23;
inline constexpr std::int16_t OP_RESET = 28;
inline constexpr std::int16_t OP_SET_OWNER = 29;
// Added to a read: lock the record read, and report a lock held by another
// at once instead of waiting for it.
inline constexpr std::int16_t LOCK_BIAS = 200;

// Key numbers of Open and Create.
inline constexpr std::int8_t OPEN_NORMAL = 0;
inline constexpr std::int8_t OPEN_EXCLUSIVE = -4;
inline constexpr std::int8_t CREATE_NEW_ONLY = -1;  // 0 replaces an existing file

// Statuses.
inline constexpr std::int16_t STATUS_OK = 0;
inline constexpr std::int16_t STATUS_INVALID_OPERATION = 1;
inline constexpr std::int16_t STATUS_IO_ERROR = 2;
inline constexpr std::int16_t STATUS_FILE_NOT_OPEN = 3;
inline constexpr std::int16_t STATUS_KEY_NOT_FOUND = 4;
inline constexpr std::int16_t STATUS_DUPLICATE_KEY = 5;
inline constexpr std::int16_t STATUS_INVALID_KEY_NUMBER = 6;
inline constexpr std::int16_t STATUS_DIFFERENT_KEY_NUMBER = 7;
inline constexpr std::int16_t STATUS_INVALID_POSITIONING = 8;
inline constexpr std::int16_t STATUS_END_OF_FILE = 9;
inline constexpr std::int16_t STATUS_FILE_NOT_FOUND = 12;
inline constexpr std::int16_t STATUS_DISK_FULL = 18;
inline constexpr std::int16_t STATUS_KEY_BUFFER_TOO_SHORT = 21;
inline constexpr std::int16_t STATUS_DATA_BUFFER_TOO_SHORT = 22;
inline constexpr std::int16_t STATUS_PAGE_SIZE_ERROR = 24;
inline constexpr std::int16_t STATUS_CREATE_ERROR = 25;
inline constexpr std::int16_t STATUS_INVALID_KEY_COUNT = 26;
inline constexpr std::int16_t STATUS_INVALID_KEY_POSITION = 27;
inline constexpr std::int16_t STATUS_INVALID_RECORD_LENGTH = 28;
inline constexpr std::int16_t STATUS_INVALID_KEY_LENGTH = 29;
inline constexpr std::int16_t STATUS_NOT_A_RECORD_FILE = 30;
inline constexpr std::int16_t STATUS_TRANSACTION_ACTIVE = 37;
inline constexpr std::int16_t STATUS_NO_TRANSACTION = 39;
inline constexpr std::int16_t STATUS_NOT_ALLOWED = 41;
inline constexpr std::int16_t STATUS_INVALID_RECORD_ADDRESS = 43;
inline constexpr std::int16_t STATUS_INCONSISTENT_KEY_FLAGS = 45;
inline constexpr std::int16_t STATUS_ACCESS_DENIED = 46;
inline constexpr std::int16_t STATUS_INVALID_COLLATING_SEQUENCE = 48;
inline constexpr std::int16_t STATUS_INVALID_OWNER = 51;
inline constexpr std::int16_t STATUS_FILE_EXISTS = 59;
inline constexpr std::int16_t STATUS_CONFLICT = 80;
inline constexpr std::int16_t STATUS_RECORD_LOCKED = 84;
inline constexpr std::int16_t STATUS_FILE_LOCKED = 85;

std::int16_t record_manager_call(std::int16_t operation, PositionBlock& position_block, std::span<char> data,
                                 std::uint32_t& data_length, std::span<char> key, std::uint8_t key_length,
                                 std::int8_t key_number);

}  // namespace platform
