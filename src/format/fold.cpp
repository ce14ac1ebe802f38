#include "format/fold.h"

#include <array>
#include <cstdint>

#include "format/state.h"
#include "platform/cp850.h"

namespace format {

using platform::operator""_cp850;

namespace {

using Table = std::array<std::uint8_t, 256>;

constexpr unsigned FIRST_FOLDED = 0x40;
constexpr unsigned LAST_FOLDED = 0xED;

// Small letter, capital letter, in pairs. ÿ ø ƒ µ þ ß and the dotless i
// (the euro sign in our code page) have no capital here.
constexpr auto capital_pairs = "üÜéÉâÂäÄàÀåÅçÇêÊëËèÈïÏîÎìÌæÆôÔöÖòÒûÛùÙáÁíÍóÓúÚñÑãÃðÐõÕýÝ"_cp850;

struct PlainLetter {
    char letter;
    std::string_view from;
};

constexpr auto plain_a = "âäàåÄÅæÆáªÁÂÀãÃ"_cp850;
constexpr auto plain_c = "Çç"_cp850;
constexpr auto plain_d = "ðÐ"_cp850;
constexpr auto plain_e = "éêëèÉÊËÈ€"_cp850;
constexpr auto plain_i = "ïîìíÍÎÏÌ"_cp850;
constexpr auto plain_n = "ñÑ"_cp850;
constexpr auto plain_o = "ôöòÖøØóºÓÔÒõÕ"_cp850;
constexpr auto plain_s = "ß"_cp850;
constexpr auto plain_t = "þÞ"_cp850;
constexpr auto plain_u = "üûùÜúÚÛÙ"_cp850;
constexpr auto plain_y = "ÿýÝ"_cp850;

constexpr PlainLetter plain_letters[] = {
    {'A', plain_a}, {'C', plain_c}, {'D', plain_d}, {'E', plain_e}, {'I', plain_i}, {'N', plain_n},
    {'O', plain_o}, {'S', plain_s}, {'T', plain_t}, {'U', plain_u}, {'Y', plain_y},
};

constexpr std::uint8_t byte(char c) { return static_cast<std::uint8_t>(c); }

constexpr Table identity() {
    Table t{};
    for (unsigned c = 0; c < t.size(); ++c) t[c] = static_cast<std::uint8_t>(c);
    return t;
}

constexpr Table capitals_table() {
    Table t = identity();
    for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = static_cast<std::uint8_t>(c - 'a' + 'A');
    const std::string_view pairs = capital_pairs;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) t[byte(pairs[i])] = byte(pairs[i + 1]);
    return t;
}

constexpr Table plain_table() {
    Table t = identity();
    for (unsigned c = FIRST_FOLDED; c <= LAST_FOLDED; ++c) t[c] = ' ';
    for (unsigned c = 'A'; c <= 'Z'; ++c) t[c] = t[c - 'A' + 'a'] = static_cast<std::uint8_t>(c);
    for (const auto& [letter, from] : plain_letters)
        for (const char c : from) t[byte(c)] = byte(letter);
    return t;
}

constexpr Table capitals = capitals_table();
constexpr Table plain = plain_table();

}  // namespace

std::string fold_text(std::string_view text) {
    const Table& table = format_state.plain_letters_mode == -1 ? plain : capitals;
    std::string out(text);
    for (char& c : out) c = static_cast<char>(table[byte(c)]);
    return out;
}

}  // namespace format
