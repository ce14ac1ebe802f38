#include "platform/cp850.h"

namespace platform {

char32_t cp850_to_unicode(std::uint8_t byte) {
    if (byte < 0x80) return byte;
    return detail::cp850_high[byte - 0x80];
}

char32_t cp850_glyph(std::uint8_t byte) {
    if (byte < 0x20) return detail::control_glyphs[byte];
    if (byte == 0x7F) return U'⌂';
    // A soft hyphen would take no cell in a terminal; show a plain hyphen.
    if (byte == 0xF0) return U'‐';
    return cp850_to_unicode(byte);
}

std::optional<std::uint8_t> unicode_to_cp850(char32_t ch) {
    const int byte = detail::to_cp850(ch);
    if (byte < 0) return std::nullopt;
    return static_cast<std::uint8_t>(byte);
}

void append_utf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

std::string cp850_to_utf8(std::string_view cp850) {
    std::string out;
    out.reserve(cp850.size());
    for (const char c : cp850) append_utf8(out, cp850_to_unicode(static_cast<std::uint8_t>(c)));
    return out;
}

std::u16string cp850_to_utf16(std::string_view cp850) {
    std::u16string out;
    out.reserve(cp850.size());
    // Every character of the code page lies in the basic plane: one unit each.
    for (const char c : cp850) out.push_back(static_cast<char16_t>(cp850_to_unicode(static_cast<std::uint8_t>(c))));
    return out;
}

std::string utf16_to_cp850(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (const char16_t unit : utf16)
        if (const auto byte = unicode_to_cp850(unit)) out.push_back(static_cast<char>(*byte));
    return out;
}

namespace {

// Length of the well-formed UTF-8 sequence at s[i], or 0 when there is none.
std::size_t utf8_sequence(std::string_view s, std::size_t i, char32_t& ch) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    if (b < 0x80) { ch = b; return 1; }
    if ((b & 0xE0) == 0xC0) { ch = b & 0x1F; len = 2; }
    else if ((b & 0xF0) == 0xE0) { ch = b & 0x0F; len = 3; }
    else if ((b & 0xF8) == 0xF0) { ch = b & 0x07; len = 4; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        ch = (ch << 6) | (c & 0x3F);
    }
    const char32_t min = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
    if (ch < min || ch > 0x10FFFF) return 0;
    return len;
}

}  // namespace

std::string utf8_to_cp850(std::string_view utf8) {
    // Text that is not UTF-8 throughout is taken to be code page 850 already.
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t ch = 0;
        const std::size_t len = utf8_sequence(utf8, i, ch);
        if (len == 0) return std::string(utf8);
        i += len;
    }
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t ch = 0;
        i += utf8_sequence(utf8, i, ch);
        if (const auto byte = unicode_to_cp850(ch)) out += static_cast<char>(*byte);
    }
    return out;
}

char upper_case(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
    switch (b) {
        case 0x84: return static_cast<char>(0x8E);  // ä Ä
        case 0x94: return static_cast<char>(0x99);  // ö Ö
        case 0x81: return static_cast<char>(0x9A);  // ü Ü
        case 0x82: return static_cast<char>(0x90);  // é É
        case 0xA4: return static_cast<char>(0xA5);  // ñ Ñ
        case 0x86: return static_cast<char>(0x8F);  // å Å
        case 0x87: return static_cast<char>(0x80);  // ç Ç
        default: return ch;
    }
}

std::string upper_case(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upper_case(c);
    return out;
}

std::string trim_leading_blanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string trim_trailing_blanks(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string trim_blanks(std::string_view text) { return trim_trailing_blanks(trim_leading_blanks(text)); }

}  // namespace platform

namespace platform {

std::string fixed_length(std::string_view text, std::size_t length) {
    std::string out(text.substr(0, length));
    out.resize(length, ' ');
    return out;
}

}  // namespace platform
