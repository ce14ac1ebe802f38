#include "format/number.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "format/state.h"
#include "platform/process.h"
#include "startup/settings.h"

namespace format {

namespace {

constexpr int BLANK_FILLED = ' ' + 256;
constexpr int STAR_FILLED = '*' + 256;

// One character of the user settings; a missing or blank value keeps the
// default.
char user_character(std::string_view key, char otherwise) {
    const std::string value = startup::read_setting(platform::get_env("JOBROOT") + "Nalo.ini", "Usuari", key);
    return value.empty() || value[0] == ' ' || value[0] == '\0' ? otherwise : value[0];
}

void read_separators() {
    if (format_state.decimal_char == 0) format_state.decimal_char = user_character("DecCaracter", '\'');
    if (format_state.thousands_char == 0) format_state.thousands_char = user_character("MilCaracter", '.');
}

bool is_digit_place(char c) { return c == '9' || c == 'Z' || c == 'z' || c == '*'; }

// The digits of |value| x 10^places rounded half to even, without leading
// zeros; empty for 0.
std::string scaled_digits(double value, long places) {
    const double x = std::nearbyint(std::fabs(value) * std::pow(10.0, static_cast<double>(places)));
    std::string text;
    if (std::isfinite(x)) {
        char buffer[400];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 0);
        text.assign(buffer, r.ptr);
    } else {
        // More places than a double can scale by: the exact decimal
        // expansion, rounded to the places.
        std::string buffer(static_cast<std::size_t>(places) + 400, '\0');
        const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                     std::chars_format::fixed, static_cast<int>(places));
        for (const char* c = buffer.data(); c < r.ptr; ++c)
            if (*c != '.') text += *c;
    }
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

std::string format_number(const std::string& mask, double value) {
    read_separators();
    const char decimal_char = format_state.decimal_char;
    const char thousands_char = format_state.thousands_char;
    const long length = static_cast<long>(mask.size());
    if (!std::isfinite(value)) return std::string(mask.size(), '!');

    // Positions are 1-based; mask_at(i) is the character at position i.
    const auto mask_at = [&](long i) { return mask[static_cast<std::size_t>(i - 1)]; };
    const std::size_t point = mask.find('.');
    long decimal_count = 0;
    long decimal_digits = 0;
    if (point != std::string::npos) {
        for (std::size_t i = point + 1; i < mask.size(); ++i)
            if (is_digit_place(mask[i]) || mask[i] == '-' || mask[i] == '+') ++decimal_count;
        if (decimal_count > 0)
            while (point + 1 + decimal_digits < mask.size() && is_digit_place(mask[point + 1 + decimal_digits]))
                ++decimal_digits;
    }

    const std::string digits = scaled_digits(value, decimal_digits);
    const long digit_count = static_cast<long>(digits.size());
    const long int_len = digit_count - decimal_digits;
    const bool negative = value < 0;
    const bool is_signed = mask.find_first_of("-+") != std::string::npos;
    const auto digit_at = [&](long p) { return p <= digit_count ? digits[static_cast<std::size_t>(p - 1)] : '0'; };
    const auto nonzero_from = [&](long p) {
        return p <= digit_count && digits.find_first_not_of('0', static_cast<std::size_t>(p - 1)) != std::string::npos;
    };

    std::string out = mask;
    const auto put = [&](long i, char c) { out[static_cast<std::size_t>(i - 1)] = c; };
    long pointer = int_len + decimal_count;
    long pending_decimals = decimal_count;
    int fill = 0;
    const auto left_of_point = [&](long i) { return i < length - pending_decimals; };

    long i = length;
    for (; i >= 1 && pointer > 0; --i) {
        switch (const char c = mask_at(i)) {
            case '9':
                put(i, digit_at(pointer--));
                fill = 0;
                break;
            case 'Z':
            case 'z':
                if (left_of_point(i) || decimal_count == 0 || nonzero_from(pointer)) {
                    put(i, digit_at(pointer));
                    fill = ' ';
                } else {
                    put(i, ' ');
                    fill = BLANK_FILLED;
                }
                --pointer;
                break;
            case '*':
                if (pointer > digit_count) {
                    put(i, '*');
                    fill = STAR_FILLED;
                } else {
                    put(i, digit_at(pointer));
                    fill = '*';
                }
                --pointer;
                break;
            case '.':
                put(i, fill > 255 ? static_cast<char>(fill - 256) : decimal_char);
                pending_decimals = 0;
                break;
            case ',':
                put(i, thousands_char);
                break;
            case '-':
            case '+':
                put(i, negative ? '-' : c == '+' ? '+' : ' ');
                if (pending_decimals > 0) --pointer;
                break;
            default:
                break;
        }
    }

    // Complete the positions left of the last one filled.
    bool minus_pending = !is_signed && negative;
    for (; i >= 1; --i) {
        const char c = mask_at(i);
        const bool take_minus =
            minus_pending && (c == 'Z' || c == 'z' || c == '*' || c == ',' || (c == '9' && left_of_point(i)));
        if (take_minus) {
            put(i, '-');
            minus_pending = false;
            if (c == '9') fill = 0;
            continue;
        }
        switch (c) {
            case '9':
                put(i, '0');
                fill = 0;
                break;
            case 'Z':
            case 'z':
                if (left_of_point(i) || value == 0) {
                    put(i, ' ');
                    fill = BLANK_FILLED;
                } else {
                    put(i, '0');
                    fill = ' ';
                }
                break;
            case '*':
                put(i, left_of_point(i) ? '*' : '0');
                fill = '*';
                break;
            case ',':
                put(i, fill != 0 ? static_cast<char>(fill % 256) : thousands_char);
                break;
            case '.':
                put(i, fill > 255 ? static_cast<char>(fill - 256) : decimal_char);
                break;
            case '-':
                put(i, negative ? '-' : ' ');
                break;
            case '+':
                put(i, negative ? '-' : '+');
                break;
            default:
                break;
        }
    }

    // Digits left over, or the minus of a number that is not zero once
    // rounded with no place to go: the plain number instead, as far as it
    // fits. A value that rounds to zero just shows as zero.
    if (pointer > 0 || (minus_pending && !digits.empty())) {
        std::string whole = digits;
        if (static_cast<long>(whole.size()) <= decimal_digits)
            whole.insert(0, static_cast<std::size_t>(decimal_digits + 1) - whole.size(), '0');
        const std::size_t whole_len = whole.size() - static_cast<std::size_t>(decimal_digits);
        if (mask.size() < whole_len + (negative ? 1 : 0)) return std::string(mask.size(), '!');
        std::string plain = negative ? "-" : "";
        plain += whole.substr(0, whole_len);
        if (decimal_digits > 0) plain += decimal_char + whole.substr(whole_len);
        if (plain.size() >= mask.size()) return plain.substr(0, mask.size());
        return std::string(mask.size() - plain.size(), ' ') + plain;
    }
    return out;
}

}  // namespace format
