#include "format/zero_pad.h"

#include <charconv>
#include <cmath>

namespace format {

std::string zero_pad(double value, std::int16_t width) {
    if (width < 1) return {};
    // Shortest text that reads back as the same number, never in exponent
    // form: 7, 12, 2.5. The largest doubles have 309 integer digits.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    const std::string plain(buffer, result.ec == std::errc{} ? result.ptr : buffer);
    const std::string padded = std::string(static_cast<std::size_t>(width), '0') + plain;
    return padded.substr(padded.size() - static_cast<std::size_t>(width));
}

}  // namespace format
