// The Stat call as the layer makes it, and the bytes it reads from the
// result (left in the layer's data buffer): record length, page size,
// number of keys, the segments of a key and the collating sequence.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "records/state.h"

namespace records {

// Stat with a data buffer of spaces, or (`page_of_zeros`) with as many zero
// bytes as the page size of the last Stat result, spaces after them.
std::int16_t call_stat(FileSlot& slot, bool page_of_zeros);

// The 16-bit number at bytes `byte` and `byte` + 1 (from 1) of the result.
std::int16_t stat_number(std::size_t byte);
inline std::int16_t stat_record_length() { return stat_number(1); }
inline std::int16_t stat_page_size() { return stat_number(3); }
inline std::int16_t stat_key_count() { return stat_number(5); }

struct StatSegment {
    std::int16_t length = 0;
    std::int16_t flags = 0;
};
inline constexpr std::int16_t SEGMENT_CONTINUES = 16;
inline constexpr std::int16_t SEGMENT_BINARY = 4;
inline constexpr std::int16_t SEGMENT_TRANSLATED = 32;

// The segments of key `key` (as far as the buffer holds them): the keys'
// segments follow one another from byte 17, each key's chained by flag 16.
std::vector<StatSegment> stat_key_segments(std::int16_t key);
// The 256 translation bytes of the collating sequence that follows the
// segments of every key; empty when the buffer does not hold them.
std::string_view stat_translation();

}  // namespace records
