#include "browse/entries.h"

#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "browse/work_file.h"
#include "forms/hooks.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/key_codes.h"
#include "records/operations.h"

namespace browse {

namespace {

// A previous position must lie before the entry: a damaged ready-made list
// can then neither loop nor point outside the file.
bool has_previous(const Entry& e) { return e.exists && e.previous >= 1 && e.previous < e.position; }

// The record's key, cut to the end key's length, lies beyond the range.
bool past_range_end(const OpenList& l) {
    if (l.end_key.empty()) return false;
    return records::current_key_text(l.def.record_file).substr(0, l.end_key.size()) > l.end_key;
}

// Esc typed while lines are being read ends the reading; any other key
// typed meanwhile is dropped.
bool esc_typed() {
    const std::optional<platform::InputEvent> event = platform::console().poll_event();
    return event && platform::key_event_code(*event) == platform::key_codes::KEY_ESC;
}

// Writes an entry at the end of the work file; nothing when the file takes
// no more (the list then ends there).
std::optional<Entry> append_entry(OpenList& l, const std::string& text, std::int32_t record_position) {
    const std::int64_t end = l.work_file.length();
    const std::string bytes = entry_bytes(l.tail_position, record_position, text);
    if (!l.work_file.is_open() ||
        end + static_cast<std::int64_t>(bytes.size()) > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    const auto position = static_cast<std::int32_t>(end + 1);
    if (!l.work_file.write(position, bytes)) {
        l.work_file.truncate(end);
        return std::nullopt;
    }
    Entry e;
    e.position = position;
    e.previous = l.tail_position;
    e.record_position = record_position;
    e.text = bytes.substr(ENTRY_HEADER_SIZE);
    e.length = static_cast<std::uint16_t>(e.text.size());
    e.exists = true;
    l.tail_position = position;
    return e;
}

// Reads records of the range until one gives a line, and appends it. The
// record file stays one record ahead: the next call starts with the record
// in the buffer.
std::optional<Entry> append_next_line(OpenList& l) {
    const std::int16_t file = l.def.record_file;
    if (!l.list_complete && !l.range_started) {
        l.range_started = true;
        const std::int16_t status = records::find_record(file, l.def.key_number, l.start_key, 1);
        if (!l.end_key.empty()) l.end_key = records::key_to_collating_text(l.end_key, file);
        if (status != 0 || past_range_end(l)) l.list_complete = true;
    }
    while (!l.list_complete) {
        const std::string text = platform::trim_trailing_blanks(forms::browse_row_text(l.def));
        std::optional<Entry> appended;
        if (!text.empty()) {
            appended = append_entry(l, text, records::record_position(file, 0));
            if (!appended) {
                l.list_complete = true;
                break;
            }
        }
        if (records::skip_records(file, 1) != 0 || past_range_end(l) || esc_typed()) l.list_complete = true;
        if (appended) return appended;
    }
    return std::nullopt;
}

}  // namespace

bool go_to_entry(OpenList& l, std::int32_t position) {
    if (position < 1) return false;
    if (position - 1 < l.work_file.length()) {
        l.current = read_entry(l.work_file, position);
        return true;
    }
    std::optional<Entry> appended = append_next_line(l);
    if (!appended) return false;
    l.current = std::move(*appended);
    return true;
}

bool step_forward(OpenList& l) {
    if (!l.current.exists) return false;
    const std::int32_t next = next_entry_position(l.current);
    return next != 0 && go_to_entry(l, next);
}

bool step_back(OpenList& l) { return has_previous(l.current) && go_to_entry(l, l.current.previous); }

int move_entries(OpenList& l, int count) {
    int moved = 0;
    while (moved < std::abs(count) && (count > 0 ? step_forward(l) : step_back(l))) ++moved;
    return moved;
}

bool at_first(const OpenList& l) { return !has_previous(l.current); }

bool at_last(const OpenList& l) {
    if (!l.current.exists) return true;
    const std::int32_t next = next_entry_position(l.current);
    return next == 0 || (l.list_complete && next - 1 >= l.work_file.length());
}

}  // namespace browse
