#include "records/stat_buffer.h"

#include <algorithm>

namespace records {

namespace {

constexpr std::size_t FIRST_SEGMENT = 16;  // byte 17
constexpr std::size_t SEGMENT_SIZE = 16;
constexpr std::size_t TRANSLATION_OFFSET = 9;
constexpr std::size_t TRANSLATION_SIZE = 256;

// Walks the segment entries from the first, calling `each(key, segment)`;
// stops at the end of the buffer or when `each` says so.
template <typename Each>
std::size_t walk_segments(std::int16_t keys, Each each) {
    std::size_t at = FIRST_SEGMENT;
    for (std::int16_t k = 0; k < keys; ++k) {
        for (;;) {
            if (at + SEGMENT_SIZE > DATA_BUFFER_SIZE) return DATA_BUFFER_SIZE;
            const StatSegment s{stat_number(at + 3), stat_number(at + 5)};
            at += SEGMENT_SIZE;
            if (!each(k, s)) return at;
            if (!(s.flags & SEGMENT_CONTINUES)) break;
        }
    }
    return at;
}

}  // namespace

std::int16_t call_stat(FileSlot& slot, bool page_of_zeros) {
    auto& data = records_state.data_buffer;
    const std::size_t zeros =
        page_of_zeros ? static_cast<std::size_t>(std::clamp<int>(stat_page_size(), 0, DATA_BUFFER_SIZE)) : 0;
    std::fill_n(data.begin(), zeros, '\0');
    std::fill(data.begin() + static_cast<std::ptrdiff_t>(zeros), data.end(), ' ');
    auto& key = records_state.key_buffer;
    key.fill(' ');
    std::uint32_t length = DATA_BUFFER_SIZE;
    return platform::record_manager_call(platform::OP_STAT, slot.position_block, data, length,
                                         std::span(key).first(255), 255, 0);
}

std::int16_t stat_number(std::size_t byte) {
    const auto& data = records_state.data_buffer;
    if (byte < 1 || byte + 1 > DATA_BUFFER_SIZE) return 0;
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(data[byte - 1]) | static_cast<std::uint8_t>(data[byte])
                                                                                     << 8);
}

std::vector<StatSegment> stat_key_segments(std::int16_t key) {
    std::vector<StatSegment> segments;
    if (key < 0) return segments;
    walk_segments(static_cast<std::int16_t>(key + 1), [&](std::int16_t k, const StatSegment& s) {
        if (k == key) segments.push_back(s);
        return true;
    });
    return segments;
}

std::string_view stat_translation() {
    const std::size_t end = walk_segments(stat_key_count(), [](std::int16_t, const StatSegment&) { return true; });
    const std::size_t from = end + TRANSLATION_OFFSET;
    if (from + TRANSLATION_SIZE > DATA_BUFFER_SIZE) return {};
    return {records_state.data_buffer.data() + from, TRANSLATION_SIZE};
}

}  // namespace records
