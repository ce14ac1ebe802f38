#include "platform/terminal_paint.h"

#include <array>

#include "platform/cp850.h"

namespace platform {

namespace {

// The console's colour numbers run blue, green, cyan, red; the terminal's
// red, green, yellow, blue.
constexpr int ansi_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Above this many bytes a paint of what changed is weighed against a whole
// repaint; below it the whole one cannot be shorter.
constexpr std::size_t WEIGH_WHOLE_FROM = 64;

bool is_blank(const Cell& c) { return cp850_glyph(c.ch) == U' '; }
int background(int attr) { return attr >> 4; }

std::string number(int n) { return std::to_string(n); }

// CSI with a count that may be left out when it is 1.
std::string csi_count(int n, char final) { return "\x1b[" + (n == 1 ? std::string() : number(n)) + final; }

}  // namespace

TerminalPainter::TerminalPainter(int rows, int columns, PaintStyle style)
    : rows_(rows), columns_(columns), style_(style) {
    state_.shown.assign(static_cast<std::size_t>(rows * columns), Cell{});
}

void TerminalPainter::forget() {
    state_.shown_known = false;
    state_.attr = -1;
    state_.at = {};
}

// A blank shows only its background: its foreground may be anything.
bool TerminalPainter::looks_same(const State& s, std::size_t i, const Cell& want) const {
    if (!s.shown_known) return false;
    const Cell& shown = s.shown[i];
    return shown == want || (is_blank(shown) && is_blank(want) && background(shown.attr) == background(want.attr));
}

void TerminalPainter::set_attribute(State& s, int attr, std::string& out) const {
    if (attr == s.attr) return;
    const int fg = attr & 0x0F;
    const int bg = attr >> 4;
    std::string params;
    if (style_.linux_console) {
        // No bright codes there: bold brightens the foreground, blink the
        // background, and only a reset takes them off again.
        params = "0";
        if (fg & 8) params += ";1";
        if (bg & 8) params += ";5";
        params += ";3" + number(ansi_colour[fg & 7]) + ";4" + number(ansi_colour[bg & 7]);
    } else {
        const std::string f = number((fg & 8 ? 90 : 30) + ansi_colour[fg & 7]);
        const std::string b = number((bg & 8 ? 100 : 40) + ansi_colour[bg & 7]);
        // What another program left (bold, underline, reverse) goes too.
        if (s.attr < 0)
            params = "0;" + f + ";" + b;
        else if ((s.attr & 0x0F) == fg)
            params = b;
        else if ((s.attr >> 4) == bg)
            params = f;
        else
            params = f + ";" + b;
    }
    out += "\x1b[" + params + "m";
    s.attr = attr;
}

void TerminalPainter::move(State& s, Position to, std::string& out) const {
    if (s.at == to) return;
    const Position from = s.at;
    std::string best = to == Position{1, 1} ? "\x1b[H"
                       : to.column == 1     ? "\x1b[" + number(to.row) + "H"
                                            : "\x1b[" + number(to.row) + ";" + number(to.column) + "H";
    const auto consider = [&](std::string candidate) {
        if (candidate.size() < best.size()) best = std::move(candidate);
    };
    bool rewrite = false;
    if (from.row == to.row) {
        consider(to.column == 1 ? std::string("\r") : "\x1b[" + number(to.column) + "G");
        if (from.column > 0 && to.column > from.column) {
            consider(csi_count(to.column - from.column, 'C'));
            // Writing the cells in between again, as they are, when no
            // colour change is needed for them.
            std::string again;
            bool can = s.shown_known && s.attr >= 0;
            for (int c = from.column; can && c < to.column; ++c) {
                const Cell& cell = s.shown[static_cast<std::size_t>((to.row - 1) * columns_ + c - 1)];
                can = cell.attr == s.attr || (is_blank(cell) && background(cell.attr) == background(s.attr));
                append_utf8(again, cp850_glyph(cell.ch));
            }
            if (can && again.size() < best.size()) {
                best = std::move(again);
                rewrite = true;
            }
        } else if (from.column > 0 && to.column < from.column) {
            consider(csi_count(from.column - to.column, 'D'));
        }
    } else if (from.row > 0 && to.row > from.row) {
        const std::string down(static_cast<std::size_t>(to.row - from.row), '\n');
        if (to.column == 1) consider("\r" + down);
        if (from.column == to.column) {
            consider(down);
            consider("\x1b[" + number(to.row) + "d");
        }
    }
    if (rewrite) {
        for (int c = from.column; c < to.column; ++c) {
            Cell& cell = s.shown[static_cast<std::size_t>((to.row - 1) * columns_ + c - 1)];
            cell.attr = static_cast<std::uint8_t>(s.attr);
        }
    }
    out += best;
    s.at = to;
}

void TerminalPainter::write_cell(State& s, int row, int column, const Cell& cell, std::string& out) const {
    move(s, {row, column}, out);
    set_attribute(s, cell.attr, out);
    append_utf8(out, cp850_glyph(cell.ch));
    s.shown[static_cast<std::size_t>((row - 1) * columns_ + column - 1)] = Cell{cell.ch, cell.attr};
    // After the last column the terminal waits to wrap (or, wider than the
    // screen, stands one further): the next move must not count on either.
    s.at = column < columns_ ? Position{row, column + 1} : Position{row, 0};
}

// A clear in the colour that leaves the fewest cells to write: the most
// common background of the blanks, with the foreground most used on it.
void TerminalPainter::clear(State& s, const std::vector<Cell>& now, std::string& out) const {
    if (!style_.colour_erase) {
        out += "\x1b[0m\x1b[2J";
        s.attr = -1;
        s.shown_known = false;
        return;
    }
    std::array<int, 16> blanks{};
    std::array<int, 16> all{};
    for (const Cell& c : now) {
        ++all[static_cast<std::size_t>(background(c.attr))];
        if (is_blank(c)) ++blanks[static_cast<std::size_t>(background(c.attr))];
    }
    std::size_t bg = 0;
    for (std::size_t b = 1; b < 16; ++b)
        if (blanks[b] > blanks[bg] || (blanks[bg] == 0 && all[b] > all[bg])) bg = b;
    std::array<int, 16> fgs{};
    for (const Cell& c : now)
        if (static_cast<std::size_t>(background(c.attr)) == bg && !is_blank(c)) ++fgs[c.attr & 0x0F];
    std::size_t fg = 7;
    for (std::size_t f = 0; f < 16; ++f)
        if (fgs[f] > fgs[fg]) fg = f;
    const auto attr = static_cast<std::uint8_t>(bg << 4 | fg);
    set_attribute(s, attr, out);
    out += "\x1b[2J";
    s.shown.assign(now.size(), Cell{' ', attr});
    s.shown_known = true;
}

int TerminalPainter::paint_from(State& s, const std::vector<Cell>& now, bool erase_to_end, std::string& out) const {
    int rows_touched = 0;
    for (int row = 1; row <= rows_; ++row) {
        const auto cell = [&](int column) -> const Cell& {
            return now[static_cast<std::size_t>((row - 1) * columns_ + column - 1)];
        };
        const auto same = [&](int column) {
            return looks_same(s, static_cast<std::size_t>((row - 1) * columns_ + column - 1), cell(column));
        };
        bool touched = false;
        for (int column = 1; column <= columns_;) {
            if (same(column)) {
                ++column;
                continue;
            }
            touched = true;
            const Cell& want = cell(column);
            if (!style_.colour_erase || !is_blank(want)) {
                write_cell(s, row, column, want, out);
                ++column;
                continue;
            }
            // A run of blanks: erased when that is shorter than writing it.
            int end = column;
            int last = column;
            while (end < columns_ && is_blank(cell(end + 1)) &&
                   background(cell(end + 1).attr) == background(want.attr)) {
                ++end;
                if (!same(end)) last = end;
            }
            const int n = last - column + 1;
            const bool to_end = erase_to_end && end == columns_;
            const std::string erase = to_end ? "\x1b[K" : csi_count(n, 'X');
            if (static_cast<int>(erase.size()) < n) {
                move(s, {row, column}, out);
                set_attribute(s, want.attr, out);
                out += erase;
                const int erased_to = to_end ? columns_ : last;
                for (int c = column; c <= erased_to; ++c)
                    s.shown[static_cast<std::size_t>((row - 1) * columns_ + c - 1)] = Cell{' ', want.attr};
            } else {
                for (int c = column; c <= last; ++c) write_cell(s, row, c, Cell{' ', want.attr}, out);
            }
            column = last + 1;
        }
        if (touched) ++rows_touched;
    }
    s.shown_known = true;
    return rows_touched;
}

void TerminalPainter::paint(const std::vector<Cell>& now, bool everything, int terminal_columns, std::string& out) {
    const bool erase_to_end = terminal_columns == columns_;
    std::string changes;
    State changed = state_;
    int changed_rows = 0;
    if (!everything && state_.shown_known) {
        changed_rows = paint_from(changed, now, erase_to_end, changes);
        if (changes.size() <= WEIGH_WHOLE_FROM) {
            out += changes;
            state_ = std::move(changed);
            rows_painted_ = changed_rows;
            return;
        }
    }
    std::string whole;
    State cleared = state_;
    clear(cleared, now, whole);
    paint_from(cleared, now, erase_to_end, whole);
    if (!everything && state_.shown_known && changes.size() <= whole.size()) {
        out += changes;
        state_ = std::move(changed);
        rows_painted_ = changed_rows;
    } else {
        out += whole;
        state_ = std::move(cleared);
        rows_painted_ = rows_;
    }
}

void TerminalPainter::move_to(Position to, std::string& out) { move(state_, to, out); }

}  // namespace platform
