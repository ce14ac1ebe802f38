// The layout of a record file: record length, keys and their segments, and
// the alternate collating sequence. Create takes it and Stat gives it in one
// buffer layout, all numbers unsigned little-endian, offsets from 0:
//
//   file specification, 16 bytes
//      0  2  record length, 1 to 4096
//      2  2  page size, a multiple of 512 from 512 to 4096 (kept and reported
//            only: the storage pages its own way)
//      4  2  number of keys, 1 to 24
//      6  4  number of records (given by Stat; ignored by Create)
//     10  6  reserved, 0
//   key segment entries, 16 bytes each, the keys in order; the segments of
//   one key are chained by flag 16 on every segment but its last
//      0  2  position of the segment in the record, from 1
//      2  2  length; the segments of a key add up to 1 to 255 bytes
//      4  2  flags: 1 duplicates allowed, 2 modifiable, 4 binary, 16 another
//            segment of this key follows, 32 alternate collating sequence;
//            1 and 2 are the same on every segment of a key
//      6 10  reserved, 0
//   alternate collating sequence, 265 bytes, present when a segment has
//   flag 32 (one sequence serves them all)
//      0  1  signature, 0xAC
//      1  8  name
//      9 256 translation: a key byte c compares as translation byte c
//
// A binary segment holds an unsigned little-endian number of any length;
// every other segment compares byte by byte, translated when it has flag 32.
// Keys are stored in their collating form (binary segments byte-reversed,
// translated segments through the sequence), so that byte order is key
// order.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace recman {

inline constexpr std::size_t FILE_SPEC_SIZE = 16;
inline constexpr std::size_t SEGMENT_SIZE = 16;
inline constexpr std::size_t COLLATING_SEQUENCE_SIZE = 265;
inline constexpr std::uint16_t MAX_RECORD_LENGTH = 4096;
inline constexpr std::size_t MAX_KEYS = 24;
inline constexpr std::size_t MAX_KEY_LENGTH = 255;

inline constexpr std::uint16_t FLAG_DUPLICATES = 1;
inline constexpr std::uint16_t FLAG_MODIFIABLE = 2;
inline constexpr std::uint16_t FLAG_BINARY = 4;
inline constexpr std::uint16_t FLAG_NEXT_SEGMENT = 16;
inline constexpr std::uint16_t FLAG_COLLATING = 32;
inline constexpr std::uint8_t COLLATING_SIGNATURE = 0xAC;

struct Segment {
    std::uint16_t position = 1;  // from 1
    std::uint16_t length = 0;
    std::uint16_t flags = 0;
};

struct Key {
    std::vector<Segment> segments;
    std::uint16_t length = 0;  // of all its segments
    bool duplicates = false;
};

struct FileLayout {
    std::uint16_t record_length = 0;
    std::uint16_t page_size = 0;
    std::vector<Key> keys;
    // Empty, or the 265 bytes of the sequence.
    std::string collating_sequence;
};

// Reads a creation buffer; 0 or the status that says what is wrong with it.
std::int16_t parse_layout(std::span<const char> buffer, FileLayout& layout);

// The layout in the buffer form, with the record count; its size is
// layout_size(layout).
std::string layout_bytes(const FileLayout& layout, std::uint32_t record_count = 0);
std::size_t layout_size(const FileLayout& layout);

// The key's bytes as they stand in the record, segment after segment.
void key_value(const FileLayout& layout, std::size_t key, std::string_view record, std::string& out);
// The collating form of a key value (its key's length, shorter values are
// taken as far as they go).
void collating_key(const FileLayout& layout, std::size_t key, std::string_view value, std::string& out);

}  // namespace recman
