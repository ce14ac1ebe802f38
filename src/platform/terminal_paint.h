// The bytes that bring a terminal from what it shows to a new screen of
// cells: only the cells that look different, the cheapest cursor moves,
// only the half of the colour that changed, runs of blanks as erases, and a
// whole repaint as a clear in the most common colour plus what differs from
// it. Pure: it keeps its own idea of the terminal, so it is tested by
// playing its output on a model terminal.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace platform {

struct PaintStyle {
    // The Linux console: bright colours through bold and blink.
    bool linux_console = false;
    // Erases fill with the current background (every terminal we know but
    // GNU screen in its default set-up); without it every cell is written.
    bool colour_erase = true;
};

class TerminalPainter {
public:
    TerminalPainter(int rows, int columns, PaintStyle style);

    // Appends what makes the terminal show `now` (rows x columns, row by
    // row): what differs from what it shows, or, when `everything` or when
    // it is shorter, a clear and what differs from the cleared screen.
    // `terminal_columns` is the terminal's width: an erase to the end of a
    // row is only used when the row ends where the terminal's does.
    void paint(const std::vector<Cell>& now, bool everything, int terminal_columns, std::string& out);
    // Appends the cheapest move of the cursor to the cell.
    void move_to(Position to, std::string& out);
    // Something else wrote to the terminal: its cursor, colour and cells are
    // no longer known, and the next paint is a whole one.
    void forget();
    // The cursor's place as far as it is known (row or column 0: unknown).
    Position at() const { return state_.at; }
    // How many rows the last paint wrote to.
    int rows_painted() const { return rows_painted_; }

private:
    struct State {
        std::vector<Cell> shown;
        bool shown_known = false;
        int attr = -1;  // the colour in effect, -1 unknown
        // The cursor; column 0 after the last column was written (the
        // terminal is waiting to wrap) or when it is not known.
        Position at{};
    };
    // Paints what differs; gives the number of rows written to.
    int paint_from(State& s, const std::vector<Cell>& now, bool erase_to_end, std::string& out) const;
    void clear(State& s, const std::vector<Cell>& now, std::string& out) const;
    void move(State& s, Position to, std::string& out) const;
    void set_attribute(State& s, int attr, std::string& out) const;
    void write_cell(State& s, int row, int column, const Cell& cell, std::string& out) const;
    bool looks_same(const State& s, std::size_t i, const Cell& want) const;

    int rows_;
    int columns_;
    PaintStyle style_;
    State state_;
    int rows_painted_ = 0;
};

}  // namespace platform
