#include "format/wrap.h"

#include <algorithm>

#include "platform/cp850.h"

namespace format {

namespace {

bool is_control(unsigned char c) { return c < 32; }
bool is_word_char(unsigned char c) { return c > 32; }

// Widens a line to `target` by doubling gaps between words from left to
// right, over and over; the first `skip` characters (the indent) are left.
void justify(std::string& line, std::size_t skip, std::size_t target) {
    std::size_t from = skip + 2;
    while (line.size() < target) {
        std::size_t gap = line.find(' ', from);
        if (gap == std::string::npos) gap = line.find(' ', skip);
        line.insert(gap, 1, ' ');
        from = line.find_first_not_of(' ', gap);
    }
}

void align_line(std::string& line, std::size_t target, const std::string& align, std::size_t skip, bool last_line) {
    const std::size_t missing = line.size() < target ? target - line.size() : 0;
    if (align == "E" || align == "L" || align == "I") {
        line.append(missing, ' ');
    } else if (align == "N") {
        line.append(missing, '-');
    } else if (align == "D" || align == "R") {
        line.insert(0, missing, ' ');
    } else if (align == "C") {
        line.insert(0, missing / 2, ' ');
        line.append((missing + 1) / 2, ' ');
    } else if (align == "A" || align == "B") {
        const bool has_gap = skip < line.size() && line.find(' ', skip) != std::string::npos;
        if (!last_line && has_gap) justify(line, skip, target);
    }
}

}  // namespace

void wrap_text(std::string& text, std::int16_t indent, std::int16_t width, const std::string& align_code) {
    const std::string align = platform::upper_case(align_code);
    const long first_indent = indent > 0 ? indent : 0;
    const long later_indent = indent < 0 ? -static_cast<long>(indent) : 0;
    const std::size_t skip = static_cast<std::size_t>(indent < 0 ? later_indent : first_indent);
    const std::size_t size = text.size();
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };

    std::string result;
    std::size_t pos = 0;
    bool first = true;
    while (pos < size) {
        const long line_indent = first ? first_indent : later_indent;
        first = false;
        // A line always takes at least one character, so that a width no
        // wider than the indent still ends.
        const long width_left = std::max(1L, width - line_indent);
        long room = width_left;

        // The room grows with each control character taken, but the visible
        // characters taken stay within the width.
        long visible = 0;
        std::size_t end = pos;
        while (end < size && visible < width_left) {
            if (is_control(at(end)))
                ++room;
            else
                ++visible;
            ++end;
        }
        if (end > pos && is_word_char(at(end - 1)))
            while (end < size && is_control(at(end))) ++room, ++end;

        std::size_t n = end - pos;
        if (end < size && is_word_char(at(end))) {
            while (n > 0 && pos + n < size && is_word_char(at(pos + n))) {
                --n;
                if (is_control(at(pos + n))) --room;
            }
        }
        if (pos + n == size || is_control(at(pos + n)))
            while (n > 0 && at(pos + n - 1) == ' ') --n;
        if (n < 1) n = std::min(static_cast<std::size_t>(room), size - pos);

        std::string line(static_cast<std::size_t>(line_indent), ' ');
        line.append(text, pos, n);
        const std::size_t target = static_cast<std::size_t>(room + line_indent);
        const bool last_line = size - (pos + n) < 2;
        align_line(line, target, align, skip, last_line);
        result += line;

        pos += n;
        while (pos < size && at(pos) == ' ') ++pos;
    }
    text = std::move(result);
}

}  // namespace format
