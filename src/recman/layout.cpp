#include "recman/layout.h"

#include <algorithm>

#include "platform/record_manager.h"

namespace recman {

namespace {

std::uint16_t u16(std::span<const char> b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}

void put16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void put32(std::string& out, std::size_t at, std::uint32_t value) {
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

constexpr std::uint16_t KNOWN_FLAGS =
    FLAG_DUPLICATES | FLAG_MODIFIABLE | FLAG_BINARY | FLAG_NEXT_SEGMENT | FLAG_COLLATING;
constexpr std::uint16_t KEY_WIDE_FLAGS = FLAG_DUPLICATES | FLAG_MODIFIABLE;

std::int16_t check_segment(const Segment& s, std::uint16_t record_length) {
    if (s.length == 0) return platform::STATUS_INVALID_KEY_LENGTH;
    if (s.position < 1 || s.position + s.length - 1 > record_length) return platform::STATUS_INVALID_KEY_POSITION;
    if ((s.flags & ~KNOWN_FLAGS) != 0) return platform::STATUS_INCONSISTENT_KEY_FLAGS;
    if ((s.flags & FLAG_BINARY) && (s.flags & FLAG_COLLATING)) return platform::STATUS_INCONSISTENT_KEY_FLAGS;
    return platform::STATUS_OK;
}

}  // namespace

std::int16_t parse_layout(std::span<const char> buffer, FileLayout& layout) {
    layout = FileLayout{};
    if (buffer.size() < FILE_SPEC_SIZE) return platform::STATUS_DATA_BUFFER_TOO_SHORT;
    layout.record_length = u16(buffer, 0);
    layout.page_size = u16(buffer, 2);
    const std::uint16_t key_count = u16(buffer, 4);
    if (layout.page_size < 512 || layout.page_size > 4096 || layout.page_size % 512 != 0)
        return platform::STATUS_PAGE_SIZE_ERROR;
    if (key_count < 1 || key_count > MAX_KEYS) return platform::STATUS_INVALID_KEY_COUNT;
    if (layout.record_length < 1 || layout.record_length > MAX_RECORD_LENGTH)
        return platform::STATUS_INVALID_RECORD_LENGTH;

    std::size_t at = FILE_SPEC_SIZE;
    bool collating = false;
    for (std::uint16_t k = 0; k < key_count; ++k) {
        Key key;
        std::size_t total = 0;
        for (;;) {
            if (at + SEGMENT_SIZE > buffer.size()) return platform::STATUS_DATA_BUFFER_TOO_SHORT;
            const Segment s{u16(buffer, at), u16(buffer, at + 2), u16(buffer, at + 4)};
            at += SEGMENT_SIZE;
            if (const auto status = check_segment(s, layout.record_length); status != platform::STATUS_OK)
                return status;
            if (!key.segments.empty() && (s.flags & KEY_WIDE_FLAGS) != (key.segments[0].flags & KEY_WIDE_FLAGS))
                return platform::STATUS_INCONSISTENT_KEY_FLAGS;
            total += s.length;
            if (total > MAX_KEY_LENGTH) return platform::STATUS_INVALID_KEY_LENGTH;
            collating = collating || (s.flags & FLAG_COLLATING);
            key.segments.push_back(s);
            if (!(s.flags & FLAG_NEXT_SEGMENT)) break;
        }
        key.length = static_cast<std::uint16_t>(total);
        key.duplicates = key.segments[0].flags & FLAG_DUPLICATES;
        layout.keys.push_back(std::move(key));
    }
    if (collating) {
        if (at + COLLATING_SEQUENCE_SIZE > buffer.size() ||
            static_cast<std::uint8_t>(buffer[at]) != COLLATING_SIGNATURE)
            return platform::STATUS_INVALID_COLLATING_SEQUENCE;
        layout.collating_sequence.assign(buffer.data() + at, COLLATING_SEQUENCE_SIZE);
    }
    return platform::STATUS_OK;
}

std::size_t layout_size(const FileLayout& layout) {
    std::size_t segments = 0;
    for (const Key& k : layout.keys) segments += k.segments.size();
    return FILE_SPEC_SIZE + SEGMENT_SIZE * segments + layout.collating_sequence.size();
}

std::string layout_bytes(const FileLayout& layout, std::uint32_t record_count) {
    std::string out(layout_size(layout), '\0');
    put16(out, 0, layout.record_length);
    put16(out, 2, layout.page_size);
    put16(out, 4, static_cast<std::uint32_t>(layout.keys.size()));
    put32(out, 6, record_count);
    std::size_t at = FILE_SPEC_SIZE;
    for (const Key& k : layout.keys) {
        for (const Segment& s : k.segments) {
            put16(out, at, s.position);
            put16(out, at + 2, s.length);
            put16(out, at + 4, s.flags);
            at += SEGMENT_SIZE;
        }
    }
    std::copy(layout.collating_sequence.begin(), layout.collating_sequence.end(), out.begin() + at);
    return out;
}

void key_value(const FileLayout& layout, std::size_t key, std::string_view record, std::string& out) {
    out.clear();
    for (const Segment& s : layout.keys[key].segments) {
        const std::size_t from = std::min<std::size_t>(s.position - 1, record.size());
        out.append(record.substr(from, s.length));
    }
}

void collating_key(const FileLayout& layout, std::size_t key, std::string_view value, std::string& out) {
    out.assign(value.substr(0, layout.keys[key].length));
    std::size_t p = 0;
    for (const Segment& s : layout.keys[key].segments) {
        if (p >= out.size()) break;
        const std::size_t end = std::min<std::size_t>(p + s.length, out.size());
        if (s.flags & FLAG_BINARY) {
            std::reverse(out.begin() + static_cast<std::ptrdiff_t>(p), out.begin() + static_cast<std::ptrdiff_t>(end));
        } else if (s.flags & FLAG_COLLATING) {
            const char* table = layout.collating_sequence.data() + 9;
            for (std::size_t i = p; i < end; ++i) out[i] = table[static_cast<std::uint8_t>(out[i])];
        }
        p += s.length;
    }
}

}  // namespace recman
