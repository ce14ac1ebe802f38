#include "calc/window.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "format/number.h"
#include "platform/console.h"
#include "platform/cp850.h"

namespace calc {

namespace {

using platform::operator""_cp850;

constexpr std::size_t VALUE_WIDTH = 22;
constexpr int TAPE_SEPARATOR_ROW = 23;
constexpr int DISPLAY_ROW = 24;
constexpr int BOTTOM_ROW = 25;

constexpr std::string_view WHOLE_MASK = "Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9";

std::string border(std::string_view left, std::string_view right) {
    std::string line(left);
    for (int i = 0; i < WINDOW_WIDTH - 2; ++i) line += "─"_cp850.view();
    return line += right;
}

void print_at(int row, int column, std::string_view text) {
    platform::Console& c = platform::console();
    c.place_cursor(row, column);
    c.print(text);
}

std::string framed(std::string_view inside) {
    const std::string bar = "│"_cp850;
    return bar + std::string(inside) + bar;
}

}  // namespace

std::string value_text(double value, std::int16_t point, std::int16_t decimals) {
    if (!std::isfinite(value)) {
        const std::string_view error = ERROR_TEXT;
        return std::string(VALUE_WIDTH - error.size(), ' ') + std::string(error);
    }
    // Each decimal place takes a digit position from the whole part; more
    // than the mask's width would be cut anyway.
    std::string mask(WHOLE_MASK);
    if (point != 0) mask += '.';
    mask.append(static_cast<std::size_t>(std::clamp<int>(decimals, 0, VALUE_WIDTH)), '9');
    return format::format_number("-" + mask.substr(mask.size() - (VALUE_WIDTH - 1)), value);
}

void draw_window(const CalculatorState& s) {
    const int column = s.column;
    const bool tape_shown = s.first_tape_line < NO_TAPE_LINE;
    if (tape_shown) print_at(s.first_tape_line - 1, column, border("┌"_cp850, "┐"_cp850));
    for (int k = s.first_tape_line; k <= TAPE_ENTRIES; ++k) {
        const TapeEntry& e = s.tape[static_cast<std::size_t>(k - 1)];
        print_at(k, column, framed(value_text(e.value, e.point, e.decimals) + ' ' + e.operator_char));
    }
    print_at(TAPE_SEPARATOR_ROW, column, tape_shown ? border("├"_cp850, "┤"_cp850) : border("┌"_cp850, "┐"_cp850));
    print_at(DISPLAY_ROW, column, framed(value_text(s.entry_value, s.point, s.decimals) + "  "));
    print_at(BOTTOM_ROW, column, border("└"_cp850, "┘"_cp850));
}

}  // namespace calc
