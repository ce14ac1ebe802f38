#include "screen/regions.h"

#include <optional>
#include <string>

#include "format/zero_pad.h"
#include "platform/console.h"
#include "platform/files.h"
#include "screen/state.h"
#include "startup/session.h"

namespace screen {

namespace {

// The top of the stack (the position just after the last record) is kept
// in the first four bytes; records start at 5. A record is ten 2-digit
// numbers (cursor row and column, the window that was current, the region),
// two bytes a cell, and the record's length in five digits.
constexpr std::int64_t FIRST_RECORD = 5;
constexpr std::int64_t FIELDS_BYTES = 20;
constexpr std::int64_t LENGTH_BYTES = 5;

std::string stack_path() { return startup::session.session_dir + "WinPush.tmp"; }

std::string four_bytes(std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v >> 16 & 0xFF),
            static_cast<char>(v >> 24)};
}

// The top of the stack as the file states it, if it points at a place a
// record could end: inside the file and after the header.
std::optional<std::int64_t> stack_top(const platform::File& file) {
    const std::int64_t length = file.length();
    if (length <= 3) return std::nullopt;
    const std::string bytes = file.read(1, 4);
    if (bytes.size() < 4) return std::nullopt;
    const auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    const auto top = static_cast<std::int64_t>(static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24));
    if (top < FIRST_RECORD || top > length + 1) return std::nullopt;
    return top;
}

std::optional<int> decimal(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::int64_t cell_count(int top, int left, int bottom, int right) {
    if (top > bottom || left > right) return 0;
    return static_cast<std::int64_t>(bottom - top + 1) * (right - left + 1);
}

// One record as read back, checked against its own length so that a damaged
// or foreign file is never painted from.
struct Record {
    int cursor_row, cursor_column;
    std::int16_t window[4];
    int top, left, bottom, right;
    std::string cells;
};

std::optional<Record> read_record(const platform::File& file, std::int64_t start, std::int64_t length) {
    if (length < FIELDS_BYTES + LENGTH_BYTES) return std::nullopt;
    const std::string fields = file.read(start, static_cast<std::size_t>(FIELDS_BYTES));
    if (static_cast<std::int64_t>(fields.size()) != FIELDS_BYTES) return std::nullopt;
    int n[10];
    for (int i = 0; i < 10; ++i) {
        const auto v = decimal(std::string_view(fields).substr(static_cast<std::size_t>(i) * 2, 2));
        if (!v) return std::nullopt;
        n[i] = *v;
    }
    Record r{n[0],
             n[1],
             {static_cast<std::int16_t>(n[2]), static_cast<std::int16_t>(n[3]), static_cast<std::int16_t>(n[4]),
              static_cast<std::int16_t>(n[5])},
             n[6],
             n[7],
             n[8],
             n[9],
             {}};
    const std::int64_t cell_bytes = 2 * cell_count(r.top, r.left, r.bottom, r.right);
    if (FIELDS_BYTES + cell_bytes + LENGTH_BYTES != length) return std::nullopt;
    r.cells = file.read(start + FIELDS_BYTES, static_cast<std::size_t>(cell_bytes));
    if (static_cast<std::int64_t>(r.cells.size()) != cell_bytes) return std::nullopt;
    return r;
}

void paint_cells(const Record& r) {
    platform::Console& con = platform::console();
    std::size_t at = 0;
    for (int row = r.top; row <= r.bottom && r.left <= r.right; ++row) {
        for (int column = r.left; column <= r.right; ++column, at += 2) {
            con.set_attribute(static_cast<std::uint8_t>(r.cells[at + 1]));
            // A cell off this console is not painted elsewhere.
            if (row > con.rows() || column > con.columns() || row < 1 || column < 1) continue;
            con.place_cursor(row, column);
            con.print(std::string_view(r.cells).substr(at, 1));
        }
    }
}

}  // namespace

void save_screen_region(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right) {
    platform::Console& con = platform::console();
    const auto on_screen = [](int v, int most) { return v >= 1 && v <= most; };
    if (!on_screen(top, con.rows()) || !on_screen(left, con.columns()) || !on_screen(bottom, con.rows()) ||
        !on_screen(right, con.columns()))
        return;

    platform::File file = platform::File::open(stack_path(), platform::Access::ReadWrite, platform::Share::Shared);
    if (!file.is_open()) return;
    // A top that points nowhere sensible starts the stack afresh rather than
    // writing far past the end of the file.
    const std::int64_t start = stack_top(file).value_or(FIRST_RECORD);

    ScreenState& s = screen_state;
    const platform::Position cursor = con.cursor();
    std::string record;
    for (const int v : {cursor.row, cursor.column, int{s.win_top}, int{s.win_left}, int{s.win_bottom}, int{s.win_right},
                        int{top}, int{left}, int{bottom}, int{right}})
        record += format::zero_pad(v, 2);
    for (int row = top; row <= bottom && left <= right; ++row) {
        for (int column = left; column <= right; ++column) {
            const platform::Cell cell = con.read_cell(row, column);
            record += static_cast<char>(cell.ch);
            record += static_cast<char>(cell.attr);
        }
    }
    record += format::zero_pad(static_cast<double>(record.size() + LENGTH_BYTES), 5);

    if (!file.write(start, record)) return;
    const std::int64_t new_top = start + static_cast<std::int64_t>(record.size());
    if (!file.write(1, four_bytes(new_top))) return;
    s.win_top = top;
    s.win_left = left;
    s.win_bottom = bottom;
    s.win_right = right;
    ++s.window_depth;
}

void restore_screen_region() {
    const std::string path = stack_path();
    platform::File file = platform::File::open(path, platform::Access::ReadWrite, platform::Share::Shared);
    if (!file.is_open()) return;
    ScreenState& s = screen_state;
    std::int64_t top = FIRST_RECORD;
    if (file.length() > 3) {
        if (s.window_depth > 0) --s.window_depth;
        std::optional<Record> record;
        std::int64_t start = 0;
        if (const auto t = stack_top(file); t && *t - LENGTH_BYTES >= FIRST_RECORD) {
            const auto length = decimal(file.read(*t - LENGTH_BYTES, static_cast<std::size_t>(LENGTH_BYTES)));
            start = length ? *t - *length : 0;
            if (length && start >= FIRST_RECORD) record = read_record(file, start, *length);
        }
        if (record) {
            s.win_top = record->window[0];
            s.win_left = record->window[1];
            s.win_bottom = record->window[2];
            s.win_right = record->window[3];
            paint_cells(*record);
            platform::console().place_cursor(record->cursor_row, record->cursor_column);
            top = start;
        } else if (s.window_depth == 0) {
            // A damaged stack cannot give back the windows it held: it is
            // dropped, and with no saves left no window is current.
            s.win_top = s.win_left = s.win_bottom = s.win_right = 0;
        }
        file.write(1, four_bytes(top));
    }
    file.close();
    if (top < FIRST_RECORD + 1) platform::delete_file(path);
}

}  // namespace screen
