#include "screen/windows.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "format/wrap.h"
#include "platform/console.h"
#include "screen/colour.h"
#include "screen/regions.h"
#include "screen/state.h"

namespace screen {

namespace {

bool window_is_current() { return screen_state.window_depth != 0; }

struct FrameChars {
    char top_left, top_right, bottom_left, bottom_right, horizontal, vertical;
};

FrameChars frame_chars(std::int16_t style) {
    switch (style) {
        case FRAME_SINGLE:
            return {'\xDA', '\xBF', '\xC0', '\xD9', '\xC4', '\xB3'};
        case FRAME_DOUBLE:
            return {'\xC9', '\xBB', '\xC8', '\xBC', '\xCD', '\xBA'};
        default:
            return {' ', ' ', ' ', ' ', ' ', ' '};
    }
}

constexpr std::size_t BOX_WIDTH = 76;

}  // namespace

std::int16_t screen_columns() { return static_cast<std::int16_t>(platform::console().columns()); }
std::int16_t screen_rows() { return static_cast<std::int16_t>(platform::console().rows()); }

void locate_in_window(std::int16_t row, std::int16_t column) {
    if (window_is_current())
        platform::console().place_cursor(screen_state.win_top + row, screen_state.win_left + column);
    else
        platform::console().place_cursor(row, column);
}

std::int16_t window_first_row() {
    return window_is_current() ? static_cast<std::int16_t>(screen_state.win_top + 1) : std::int16_t{1};
}

std::int16_t window_first_column() {
    return window_is_current() ? static_cast<std::int16_t>(screen_state.win_left + 1) : std::int16_t{1};
}

std::int16_t window_last_column() {
    return window_is_current() ? static_cast<std::int16_t>(screen_state.win_right - 1) : screen_columns();
}

void draw_window_frame(std::int16_t style) {
    if (!window_is_current()) return;
    const ScreenState& s = screen_state;
    const FrameChars f = frame_chars(style);
    const auto inner = static_cast<std::size_t>(std::max(0, s.win_right - s.win_left - 1));
    platform::Console& con = platform::console();
    const auto edge = [&](int row, char first, char fill, char last) {
        con.place_cursor(row, s.win_left);
        con.print(first + std::string(inner, fill) + last);
    };
    edge(s.win_top, f.top_left, f.horizontal, f.top_right);
    for (int row = s.win_top + 1; row <= s.win_bottom - 1; ++row) edge(row, f.vertical, ' ', f.vertical);
    edge(s.win_bottom, f.bottom_left, f.horizontal, f.bottom_right);
}

void show_message_box(std::int16_t row, std::string& text) {
    apply_colour_code("+rh");
    format::wrap_text(text, 0, static_cast<std::int16_t>(BOX_WIDTH), "i");

    // Lines of the box: an empty text still shows one (blank) line and a
    // text too long for the screen shows what fits, so that the box always
    // saves the one region its caller will restore.
    const int rows = screen_rows();
    const std::size_t most = static_cast<std::size_t>(std::max(1, rows - 2));
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size() && lines.size() < most; at += BOX_WIDTH)
        lines.push_back(std::string_view(text).substr(at, BOX_WIDTH));
    if (lines.empty()) lines.emplace_back();
    std::size_t longest = 0;
    for (auto& line : lines) {
        const std::size_t end = line.find_last_not_of(' ');
        line = line.substr(0, end == std::string_view::npos ? 0 : end + 1);
        longest = std::max(longest, line.size());
    }

    const int n = static_cast<int>(lines.size());
    int top = std::max(1, row - (n + 1) / 2 - 2);
    int bottom = top + n + 1;
    if (bottom > rows) {
        bottom = rows;
        top = bottom - n - 1;
    }
    const int length = static_cast<int>(longest);
    const int left = 41 - (length + 1) / 2 - 2;
    const int right = 42 + length / 2;

    save_screen_region(static_cast<std::int16_t>(top), static_cast<std::int16_t>(left),
                       static_cast<std::int16_t>(bottom), static_cast<std::int16_t>(right));
    draw_window_frame(FRAME_SINGLE);
    for (int k = 0; k < n; ++k) {
        locate_in_window(static_cast<std::int16_t>(k + 1), 2);
        platform::console().print(lines[static_cast<std::size_t>(k)]);
    }
    apply_colour_code("-");
}

void scroll_region(std::int16_t top, std::int16_t left, std::int16_t bottom, std::int16_t right, std::int16_t count) {
    const int rows = count > 0 ? count : (count == 0 ? -1 : count);
    platform::console().scroll(top + 1, left + 1, bottom + 1, right + 1, rows);
}

}  // namespace screen
