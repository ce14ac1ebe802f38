#include "platform/cell_console.h"

#include <algorithm>

namespace platform {

bool mouse_event_reported(const InputEvent& event, bool reporting, int buttons, unsigned mask) {
    if (!event.is_mouse() && !event.wheel) return true;
    if (!reporting || buttons == 0) return false;
    if (event.wheel) return true;
    const auto kind = static_cast<std::uint8_t>(event.text[2]);
    const auto button = static_cast<std::uint8_t>(event.text[3]);
    if (kind == MOUSE_MOVED) return (mask & REPORT_MOVES) != 0;
    if (kind == MOUSE_RELEASED) {
        if (button == MOUSE_LEFT) return (mask & REPORT_LEFT_RELEASE) != 0;
        if (button == MOUSE_RIGHT) return (mask & REPORT_RIGHT_RELEASE) != 0;
    }
    return false;
}

bool CellConsole::take_event(const InputEvent& event) {
    if (!mouse_event_reported(event, mouse_reporting_, mouse_buttons(), mouse_mask_)) return false;
    if (event.is_mouse()) mouse_position_ = event.mouse;
    return true;
}

void CellConsole::set_mouse_reporting(bool on) {
    mouse_reporting_ = on;
    if (!on) mouse_position_ = {};
}

CellConsole::CellConsole(int rows, int columns)
    : rows_(rows), columns_(columns), cells_(static_cast<std::size_t>(rows * columns)) {}

void CellConsole::place_cursor(int row, int column) {
    if (row >= 1 && row <= rows_) cursor_.row = row;
    if (column >= 1 && column <= columns_) cursor_.column = column;
}

void CellConsole::show_cursor(int size) {
    cursor_visible_ = true;
    cursor_size_ = std::clamp(size, 10, 99);
}

void CellConsole::set_colour(int foreground, int background) {
    std::uint8_t fg = attr_ & 0x0F;
    std::uint8_t bg = attr_ >> 4;
    if (foreground >= 0 && foreground < 16) fg = static_cast<std::uint8_t>(foreground);
    if (background >= 0 && background < 16) bg = static_cast<std::uint8_t>(background);
    attr_ = static_cast<std::uint8_t>(bg << 4 | fg);
}

// The cursor moves to the next row after the last column. On the last row
// it stays on the last cell: a full-screen program must be able to write the
// bottom-right corner without the whole screen scrolling away.
void CellConsole::put(std::uint8_t ch) {
    at(cursor_.row, cursor_.column) = Cell{ch, attr_};
    if (cursor_.column < columns_) {
        ++cursor_.column;
    } else if (cursor_.row < rows_) {
        cursor_.column = 1;
        ++cursor_.row;
    }
}

void CellConsole::print(std::string_view text) {
    for (const char c : text) {
        const auto ch = static_cast<std::uint8_t>(c);
        switch (ch) {
            case 7: beep(); break;
            case 8:
                if (cursor_.column > 1) --cursor_.column;
                break;
            case 9:
                do put(' ');
                while ((cursor_.column - 1) % 8 != 0 && cursor_.column < columns_);
                break;
            case 10:
                cursor_.column = 1;
                if (cursor_.row < rows_) ++cursor_.row;
                break;
            case 13: cursor_.column = 1; break;
            default: put(ch);
        }
    }
}

void CellConsole::clear() {
    std::fill(cells_.begin(), cells_.end(), Cell{' ', attr_});
    cursor_ = {1, 1};
}

Cell CellConsole::read_cell(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return Cell{' ', 0};
    return cells_[static_cast<std::size_t>((row - 1) * columns_ + column - 1)];
}

void CellConsole::scroll(int top, int left, int bottom, int right, int rows) {
    top = std::max(top, 1);
    left = std::max(left, 1);
    bottom = std::min(bottom, rows_);
    right = std::min(right, columns_);
    if (top > bottom || left > right || rows == 0) return;
    const int height = bottom - top + 1;
    const Cell blank{' ', attr_};
    for (int i = 0; i < height; ++i) {
        // Moving up copies from below, top row first; moving down the reverse.
        const int row = rows > 0 ? top + i : bottom - i;
        const int from = row + rows;
        for (int col = left; col <= right; ++col)
            at(row, col) = (from >= top && from <= bottom) ? at(from, col) : blank;
    }
}

}  // namespace platform
