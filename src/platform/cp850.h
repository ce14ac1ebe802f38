// Code page 850 (with 0xD5 as the euro sign), the character set of every text
// the program holds. Conversion to and from Unicode happens only at the
// platform edge: the console, the clipboard, file names and the environment.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The character a byte stands for in text (clipboard, file names): control
// codes stay control codes.
char32_t cp850_to_unicode(std::uint8_t byte);

// The glyph the console shows for a byte: control codes show their
// traditional pictures (0x10 as the right arrow, 0x11 as the left arrow), so
// every one of the 256 codes is visible and one cell wide.
char32_t cp850_glyph(std::uint8_t byte);

// The byte for a character, or nothing when the code page cannot hold it.
// Both the text meaning and the glyph of a byte lead back to it.
std::optional<std::uint8_t> unicode_to_cp850(char32_t ch);

// Whole texts. Characters that the code page cannot hold are dropped; a
// byte sequence that is not UTF-8 is taken byte for byte.
std::string utf8_to_cp850(std::string_view utf8);
std::string cp850_to_utf8(std::string_view cp850);
// UTF-16, as the Windows wide-character calls take and give it. Characters
// that the code page cannot hold (and lone surrogates) are dropped.
std::u16string cp850_to_utf16(std::string_view cp850);
std::string utf16_to_cp850(std::u16string_view utf16);
// Appends the UTF-8 form of one character.
void append_utf8(std::string& out, char32_t ch);

// The upper-casing rule of the whole system: a-z and the letters
// ä ö ü é ñ å ç become capitals, every other byte stays as it is.
char upper_case(char ch);
std::string upper_case(std::string_view text);

// Removes the blank (32) only, never tabs or other white space.
std::string trim_blanks(std::string_view text);
std::string trim_leading_blanks(std::string_view text);
std::string trim_trailing_blanks(std::string_view text);

namespace detail {

// The same table as cp850_to_unicode, usable at compile time.
inline constexpr std::array<char16_t, 128> cp850_high = {
    u'Ç', u'ü', u'é', u'â', u'ä', u'à', u'å', u'ç', u'ê', u'ë', u'è', u'ï', u'î', u'ì', u'Ä', u'Å',
    u'É', u'æ', u'Æ', u'ô', u'ö', u'ò', u'û', u'ù', u'ÿ', u'Ö', u'Ü', u'ø', u'£', u'Ø', u'×', u'ƒ',
    u'á', u'í', u'ó', u'ú', u'ñ', u'Ñ', u'ª', u'º', u'¿', u'®', u'¬', u'½', u'¼', u'¡', u'«', u'»',
    u'░', u'▒', u'▓', u'│', u'┤', u'Á', u'Â', u'À', u'©', u'╣', u'║', u'╗', u'╝', u'¢', u'¥', u'┐',
    u'└', u'┴', u'┬', u'├', u'─', u'┼', u'ã', u'Ã', u'╚', u'╔', u'╩', u'╦', u'╠', u'═', u'╬', u'¤',
    u'ð', u'Ð', u'Ê', u'Ë', u'È', u'€', u'Í', u'Î', u'Ï', u'┘', u'┌', u'█', u'▄', u'¦', u'Ì', u'▀',
    u'Ó', u'ß', u'Ô', u'Ò', u'õ', u'Õ', u'µ', u'þ', u'Þ', u'Ú', u'Û', u'Ù', u'ý', u'Ý', u'¯', u'´',
    u'\u00AD', u'±', u'‗', u'¾', u'¶', u'§', u'÷', u'¸', u'°', u'¨', u'·', u'¹', u'³', u'²', u'■', u'\u00A0',
};

// Pictures of the control codes 0 to 31 (0 shows as a blank).
inline constexpr std::array<char16_t, 32> control_glyphs = {
    u' ', u'☺', u'☻', u'♥', u'♦', u'♣', u'♠', u'•', u'◘', u'○', u'◙', u'♂', u'♀', u'♪', u'♫', u'☼',
    u'►', u'◄', u'↕', u'‼', u'¶', u'§', u'▬', u'↨', u'↑', u'↓', u'→', u'←', u'∟', u'↔', u'▲', u'▼',
};

constexpr int to_cp850(char32_t ch) {
    if (ch < 0x80) return static_cast<int>(ch);
    for (std::size_t i = 0; i < cp850_high.size(); ++i)
        if (cp850_high[i] == ch) return static_cast<int>(0x80 + i);
    for (std::size_t i = 1; i < control_glyphs.size(); ++i)
        if (control_glyphs[i] == ch) return static_cast<int>(i);
    if (ch == U'⌂') return 0x7F;
    return -1;
}

template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    consteval Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
};

// Decodes the UTF-8 literal; calls a non-constexpr function (a compile
// error) on malformed UTF-8 or a character outside the code page.
void cp850_literal_error_character_not_in_code_page();

template <std::size_t N>
consteval std::size_t literal_size(const Utf8Literal<N>& lit) {
    std::size_t count = 0;
    for (std::size_t i = 0; i + 1 < N;) {
        const auto b = static_cast<unsigned char>(lit.bytes[i]);
        i += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        ++count;
    }
    return count;
}

}  // namespace detail

// A text literal in code page 850, made at compile time from UTF-8 source
// text: "DESCRIPCIÓ"_cp850. Converts to std::string and std::string_view.
template <std::size_t M>
struct Cp850Literal {
    std::array<char, M> bytes{};
    constexpr std::string_view view() const { return {bytes.data(), M}; }
    constexpr operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }
    std::string str() const { return std::string(view()); }
};

template <detail::Utf8Literal L>
consteval auto operator""_cp850() {
    constexpr std::size_t M = detail::literal_size(L);
    Cp850Literal<M> out;
    std::size_t o = 0;
    constexpr std::size_t N = sizeof(L.bytes);
    for (std::size_t i = 0; i + 1 < N;) {
        const auto b = static_cast<unsigned char>(L.bytes[i]);
        char32_t ch = 0;
        int extra = 0;
        if (b < 0x80) { ch = b; }
        else if ((b & 0xE0) == 0xC0) { ch = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { ch = b & 0x0F; extra = 2; }
        else { ch = b & 0x07; extra = 3; }
        ++i;
        for (int k = 0; k < extra; ++k, ++i) {
            if (i + 1 >= N) detail::cp850_literal_error_character_not_in_code_page();
            ch = (ch << 6) | (static_cast<unsigned char>(L.bytes[i]) & 0x3F);
        }
        const int byte = detail::to_cp850(ch);
        if (byte < 0) detail::cp850_literal_error_character_not_in_code_page();
        out.bytes[o++] = static_cast<char>(static_cast<unsigned char>(byte));
    }
    return out;
}

template <std::size_t M>
std::string operator+(const std::string& a, const Cp850Literal<M>& b) { return a + b.str(); }
template <std::size_t M>
std::string operator+(const Cp850Literal<M>& a, const std::string& b) { return a.str() + b; }

}  // namespace platform

namespace platform {

// A fixed-length text: cut to `length`, or filled with blanks on the right.
std::string fixed_length(std::string_view text, std::size_t length);

}  // namespace platform
