#include "startup/settings.h"

#include <cmath>
#include <charconv>

#include "platform/cp850.h"
#include "platform/files.h"

namespace startup {

using platform::trim_blanks;
using platform::upper_case;

namespace {

constexpr char CTRL_Z = 26;

// Calls `take(line)` for each line until it returns false. A line ends at a
// carriage return (a line feed right after it is skipped); a line feed alone
// is part of the line; Ctrl-Z ends the data.
template <typename Take>
void for_each_line(std::string_view data, Take take) {
    if (const auto eof = data.find(CTRL_Z); eof != std::string_view::npos) data = data.substr(0, eof);
    std::size_t start = 0;
    while (start < data.size()) {
        auto cr = data.find('\r', start);
        const std::size_t end = cr == std::string_view::npos ? data.size() : cr;
        if (!take(data.substr(start, end - start))) return;
        start = end + 1;
        if (cr != std::string_view::npos && start < data.size() && data[start] == '\n') ++start;
    }
}

}  // namespace

std::string read_setting(std::string_view file_path, std::string_view section, std::string_view key) {
    std::string value;
    platform::File file = platform::File::open(file_path, platform::Access::Read, platform::Share::Shared);
    if (!file.is_open()) return value;
    const std::string data = file.read_all();
    file.close();

    const std::string wanted_section = upper_case(trim_blanks(section));
    const std::string wanted_key = upper_case(trim_blanks(key));
    bool in_section = false;
    for_each_line(data, [&](std::string_view raw) {
        std::string_view line = raw.substr(0, raw.find(';'));
        const auto first = line.find_first_not_of(' ');
        if (first == std::string_view::npos) return true;
        line = line.substr(first);
        if (!in_section) {
            if (line.front() == '[') {
                std::string_view name = line.substr(1);
                name = name.substr(0, name.find(']'));
                in_section = upper_case(trim_blanks(name)) == wanted_section;
            }
            return true;
        }
        if (line.front() == '[') return false;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) return true;
        if (upper_case(platform::trim_trailing_blanks(line.substr(0, eq))) != wanted_key) return true;
        value = std::string(line.substr(eq + 1));
        return false;
    });

    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

double numeric_value(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return 0;
    std::string number;
    auto digits = [&] {
        bool any = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') number += text[i++], any = true;
        return any;
    };
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    bool any = digits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        any = digits() || any;
    }
    if (!any) return 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t mark = i + 1;
        std::string exponent = "e";
        if (mark < text.size() && (text[mark] == '+' || text[mark] == '-')) exponent += text[mark++];
        const std::size_t digits_start = mark;
        while (mark < text.size() && text[mark] >= '0' && text[mark] <= '9') exponent += text[mark++];
        if (mark > digits_start) number += exponent;
    }
    // from_chars does not depend on the locale, unlike strtod.
    double v = 0;
    std::from_chars(number.data(), number.data() + number.size(), v);
    if (!std::isfinite(v)) return 0;
    return negative ? -v : v;
}

std::int16_t integer_value(std::string_view text) {
    const double v = std::round(numeric_value(text));
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<std::int16_t>(v);
}

}  // namespace startup
