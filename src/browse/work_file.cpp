#include "browse/work_file.h"

#include <algorithm>
#include <limits>

#include "startup/session.h"

namespace browse {

namespace {

void put_number(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t get_number(std::string_view in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in[at + static_cast<std::size_t>(i)])) << (8 * i);
    return value;
}

}  // namespace

std::string work_file_path() { return startup::session.session_dir + std::string(WORK_FILE_NAME); }

std::string entry_bytes(std::int32_t previous, std::int32_t record_position, std::string_view text) {
    text = text.substr(0, MAX_LINE_LENGTH);
    std::string out;
    out.reserve(ENTRY_HEADER_SIZE + text.size());
    put_number(out, static_cast<std::uint32_t>(previous), 4);
    put_number(out, static_cast<std::uint32_t>(record_position), 4);
    put_number(out, static_cast<std::uint32_t>(text.size()), 2);
    out += text;
    return out;
}

Entry read_entry(const platform::File& file, std::int32_t position) {
    std::string header = file.read(position, ENTRY_HEADER_SIZE);
    header.resize(ENTRY_HEADER_SIZE, '\0');
    Entry e;
    e.position = position;
    e.previous = static_cast<std::int32_t>(get_number(header, 0, 4));
    e.record_position = static_cast<std::int32_t>(get_number(header, 4, 4));
    e.length = static_cast<std::uint16_t>(get_number(header, 8, 2));
    const std::int64_t text_start = static_cast<std::int64_t>(position) + ENTRY_HEADER_SIZE;
    const std::int64_t room = std::max<std::int64_t>(0, file.length() - text_start + 1);
    e.text = file.read(text_start, static_cast<std::size_t>(std::min<std::int64_t>(e.length, room)));
    e.exists = true;
    return e;
}

std::int32_t next_entry_position(const Entry& entry) {
    const std::int64_t next = static_cast<std::int64_t>(entry.position) + ENTRY_HEADER_SIZE + entry.length;
    return next <= std::numeric_limits<std::int32_t>::max() ? static_cast<std::int32_t>(next) : 0;
}

}  // namespace browse
