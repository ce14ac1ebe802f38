#include "platform/terminal_keys.h"

#include <array>
#include <cstring>

#include "platform/cp850.h"

namespace platform {

namespace {

constexpr char ESC = '\x1B';
constexpr char BEL = '\x07';
// A control sequence longer than this without its final byte is skipped to
// its end rather than held.
constexpr std::size_t MAX_SEQUENCE = 256;

constexpr std::uint8_t SCAN_SHIFT_TAB = 0x0F;
constexpr std::uint8_t SCAN_F1 = 0x3B;
constexpr std::uint8_t SCAN_HOME = 0x47;
constexpr std::uint8_t SCAN_UP = 0x48;
constexpr std::uint8_t SCAN_PGUP = 0x49;
constexpr std::uint8_t SCAN_LEFT = 0x4B;
constexpr std::uint8_t SCAN_CENTRE = 0x4C;
constexpr std::uint8_t SCAN_RIGHT = 0x4D;
constexpr std::uint8_t SCAN_END = 0x4F;
constexpr std::uint8_t SCAN_DOWN = 0x50;
constexpr std::uint8_t SCAN_PGDN = 0x51;
constexpr std::uint8_t SCAN_INS = 0x52;
constexpr std::uint8_t SCAN_DEL = 0x53;
constexpr std::uint8_t SCAN_F11 = 0x57;
constexpr std::uint8_t SCAN_F12 = 0x58;

struct FinalKey {
    char final;
    std::uint8_t scan;
    std::uint16_t state;  // modifiers the final itself implies
};

// ESC [ <mods> final and ESC O <mods> final. Lower-case finals are the
// rxvt family's Shift (CSI) and Ctrl (SS3) arrows.
constexpr std::array<FinalKey, 13> csi_finals = {{
    {'A', SCAN_UP, 0},
    {'B', SCAN_DOWN, 0},
    {'C', SCAN_RIGHT, 0},
    {'D', SCAN_LEFT, 0},
    {'E', SCAN_CENTRE, 0},
    {'G', SCAN_CENTRE, 0},
    {'H', SCAN_HOME, 0},
    {'F', SCAN_END, 0},
    {'P', SCAN_F1, 0},
    {'Q', SCAN_F1 + 1, 0},
    {'R', SCAN_F1 + 2, 0},
    {'S', SCAN_F1 + 3, 0},
    {'Z', SCAN_SHIFT_TAB, SHIFT},
}};
constexpr std::array<FinalKey, 4> rxvt_shift_arrows = {{
    {'a', SCAN_UP, SHIFT},
    {'b', SCAN_DOWN, SHIFT},
    {'c', SCAN_RIGHT, SHIFT},
    {'d', SCAN_LEFT, SHIFT},
}};
constexpr std::array<FinalKey, 4> rxvt_ctrl_arrows = {{
    {'a', SCAN_UP, LEFT_CTRL},
    {'b', SCAN_DOWN, LEFT_CTRL},
    {'c', SCAN_RIGHT, LEFT_CTRL},
    {'d', SCAN_LEFT, LEFT_CTRL},
}};

struct TildeKey {
    int number;
    std::uint8_t scan;
};

// ESC [ <number> ; <mods> ~. Home and End come as 1 and 4 (tmux, the Linux
// console) or 7 and 8 (rxvt).
constexpr std::array<TildeKey, 20> tilde_keys = {{
    {1, SCAN_HOME},    {2, SCAN_INS},     {3, SCAN_DEL},     {4, SCAN_END},     {5, SCAN_PGUP},
    {6, SCAN_PGDN},    {7, SCAN_HOME},    {8, SCAN_END},     {11, SCAN_F1},     {12, SCAN_F1 + 1},
    {13, SCAN_F1 + 2}, {14, SCAN_F1 + 3}, {15, SCAN_F1 + 4}, {17, SCAN_F1 + 5}, {18, SCAN_F1 + 6},
    {19, SCAN_F1 + 7}, {20, SCAN_F1 + 8}, {21, SCAN_F1 + 9}, {23, SCAN_F11},    {24, SCAN_F12},
}};

// The letter keys' scan codes, by letter.
constexpr std::array<std::uint8_t, 26> letter_scans = {
    30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,  // a..m
    49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44,  // n..z
};

InputEvent key_event(std::uint8_t scan, std::uint16_t state) {
    std::string text(1, '\0');
    text += static_cast<char>(scan);
    return {text, state, {}};
}

InputEvent char_event(std::uint8_t ch, std::uint16_t state) {
    return {std::string(1, static_cast<char>(ch)), state, {}};
}

InputEvent mouse_event(std::uint8_t kind, std::uint8_t button, int row, int column, std::uint16_t state) {
    std::string text = "\xFF\xFF";
    text += static_cast<char>(kind);
    text += static_cast<char>(button);
    return {text, state, {row, column}};
}

// The xterm modifier parameter: 1 + (1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
std::uint16_t xterm_modifiers(int param) {
    if (param < 2) return 0;
    const int bits = param - 1;
    std::uint16_t state = 0;
    if (bits & 1) state |= SHIFT;
    if (bits & (2 | 8)) state |= LEFT_ALT;
    if (bits & 4) state |= LEFT_CTRL;
    return state;
}

// A plain byte below 128 as the key that types it.
InputEvent ascii_event(std::uint8_t b) {
    switch (b) {
        case 0:
            return char_event(' ', LEFT_CTRL);  // Ctrl+Space
        case 0x7F:
            return char_event(8, 0);  // Backspace sends DEL
        case 9:
        case 13:
            return char_event(b, 0);  // Tab and Enter, as the keys that send them
        default:
            return char_event(b, b < 32 ? LEFT_CTRL : 0);
    }
}

// Length of a complete UTF-8 sequence at the front, 0 when it is cut short,
// -1 when the bytes are not UTF-8.
int utf8_length(std::string_view s, char32_t& ch) {
    const auto b = static_cast<unsigned char>(s[0]);
    int len = 0;
    if ((b & 0xE0) == 0xC0) {
        ch = b & 0x1F;
        len = 2;
    } else if ((b & 0xF0) == 0xE0) {
        ch = b & 0x0F;
        len = 3;
    } else if ((b & 0xF8) == 0xF0) {
        ch = b & 0x07;
        len = 4;
    } else
        return -1;
    for (int k = 1; k < len; ++k) {
        if (static_cast<std::size_t>(k) >= s.size()) return 0;
        const auto c = static_cast<unsigned char>(s[static_cast<std::size_t>(k)]);
        if ((c & 0xC0) != 0x80) return -1;
        ch = (ch << 6) | (c & 0x3F);
    }
    const char32_t min = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
    if (ch < min || ch > 0x10FFFF) return -1;
    return len;
}

DecodeStep need_more(KeyWait wait) { return {0, std::nullopt, wait}; }
DecodeStep nothing(std::size_t consumed) { return {consumed, std::nullopt}; }
DecodeStep event(std::size_t consumed, InputEvent e) { return {consumed, std::move(e)}; }

// A character typed as UTF-8: its code page byte, or nothing when the code
// page cannot hold it (control glyphs do not count as characters here).
// Its bytes may come in more than one read: they are waited for.
DecodeStep decode_utf8(std::string_view s, bool timed_out) {
    char32_t ch = 0;
    const int len = utf8_length(s, ch);
    if (len < 0) return nothing(1);
    if (len == 0) return timed_out ? nothing(s.size()) : need_more(KeyWait::sequence);
    const auto byte = unicode_to_cp850(ch);
    if (!byte || *byte < 0x80) return nothing(static_cast<std::size_t>(len));
    return event(static_cast<std::size_t>(len), char_event(*byte, 0));
}

struct Params {
    std::array<int, 4> value{};
    int count = 0;
    bool plain = true;  // digits and semicolons only
};

Params parse_params(std::string_view p) {
    Params out;
    if (p.empty()) return out;
    out.count = 1;
    for (const char c : p) {
        if (c >= '0' && c <= '9') {
            int& v = out.value[static_cast<std::size_t>(out.count - 1)];
            if (v < 10000) v = v * 10 + (c - '0');
        } else if (c == ';') {
            if (out.count < static_cast<int>(out.value.size()))
                ++out.count;
            else
                out.plain = false;
        } else {
            out.plain = false;
        }
    }
    return out;
}

// X10 and SGR mouse reports: presses only remember the button, so that a
// release says which one went up; the middle button is not one of this
// console. A notch of the wheel is the Up or Down key. Reports from outside
// the painted screen (a larger terminal) are dropped.
std::optional<InputEvent> mouse_report(int code, int column, int row, bool release, KeyDecoderState& state) {
    std::uint16_t mods = 0;
    if (code & 4) mods |= SHIFT;
    if (code & 8) mods |= LEFT_ALT;
    if (code & 16) mods |= LEFT_CTRL;
    const bool inside = row >= 1 && row <= SCREEN_ROWS && column >= 1 && column <= SCREEN_COLUMNS;
    const int button = code & 3;
    if (code & 64) {
        if (release || (code & 32) || button > 1 || !inside) return std::nullopt;
        return wheel_key(button == 0);
    }
    if (code & 32) {
        if (!inside) return std::nullopt;
        return mouse_event(MOUSE_MOVED, 0, row, column, mods);
    }
    if (release) {
        const std::uint8_t which = button == 3   ? state.pressed_button
                                   : button == 0 ? MOUSE_LEFT
                                   : button == 2 ? MOUSE_RIGHT
                                                 : 0;
        state.pressed_button = 0;
        if (which == 0 || !inside) return std::nullopt;
        return mouse_event(MOUSE_RELEASED, which, row, column, mods);
    }
    state.pressed_button = button == 0 ? MOUSE_LEFT : button == 2 ? MOUSE_RIGHT : 0;
    return std::nullopt;
}

// After ESC [ at s[0]; `len` counts from the ESC.
DecodeStep decode_csi(std::string_view s, bool timed_out, KeyDecoderState& state) {
    // ESC [ [ A..E: the Linux console's F1 to F5.
    if (s.size() >= 3 && s[2] == '[') {
        if (s.size() < 4) return timed_out ? nothing(3) : need_more(KeyWait::sequence);
        if (s[3] >= 'A' && s[3] <= 'E') return event(4, key_event(static_cast<std::uint8_t>(SCAN_F1 + s[3] - 'A'), 0));
        return nothing(4);
    }
    // ESC [ M b x y: X10 mouse report, coordinates offset by 32.
    if (s.size() >= 3 && s[2] == 'M') {
        if (s.size() < 6) return timed_out ? nothing(s.size()) : need_more(KeyWait::sequence);
        const auto b = static_cast<unsigned char>(s[3]);
        const auto x = static_cast<unsigned char>(s[4]);
        const auto y = static_cast<unsigned char>(s[5]);
        const int code = b - 32;
        auto e = mouse_report(code, x - 32, y - 32, (code & 3) == 3 && !(code & 32), state);
        return {6, e};
    }
    // A private marker (<, =, >, ?) starts a terminal's reply, never a key.
    const bool private_marker = s.size() > 2 && s[2] >= '<' && s[2] <= '?';
    std::size_t i = 2;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x40 && c <= 0x7E) break;
        // rxvt ends modified keys with $ (Shift), ^ (Ctrl) or @ (both); in a
        // reply (DECRPM) $ is only an intermediate byte.
        if (c == '$' && !private_marker) break;
        if (c < 0x20 || c > 0x7E) return nothing(i);  // broken off by another key
        if (i >= MAX_SEQUENCE) {
            state.skip = KeyDecoderState::Skip::control_sequence;
            return nothing(i);
        }
        ++i;
    }
    if (i >= s.size()) return timed_out ? nothing(s.size()) : need_more(KeyWait::sequence);
    const std::size_t len = i + 1;
    const char final = s[i];
    const std::string_view raw = s.substr(2, i - 2);

    if (!raw.empty() && raw[0] == '<') {  // SGR mouse report
        const Params p = parse_params(raw.substr(1));
        if (!p.plain || p.count != 3 || (final != 'M' && final != 'm')) return nothing(len);
        return {len, mouse_report(p.value[0], p.value[1], p.value[2], final == 'm', state)};
    }
    const Params p = parse_params(raw);
    if (!p.plain) return nothing(len);

    if (final == '~' || final == '$' || final == '^' || final == '@') {
        std::uint16_t mods = p.count >= 2 ? xterm_modifiers(p.value[1]) : 0;
        if (final == '$') mods |= SHIFT;
        if (final == '^') mods |= LEFT_CTRL;
        if (final == '@') mods |= SHIFT | LEFT_CTRL;
        // rxvt and the Linux console send Shift+F3 to Shift+F10 as 25 to 34
        // (their Shift+F1 and Shift+F2 are F11 and F12 and stay those).
        if (p.value[0] >= 25 && p.value[0] <= 34 && p.value[0] != 27 && p.value[0] != 30) {
            static constexpr std::array<std::uint8_t, 10> shifted = {2, 3, 0, 4, 5, 0, 6, 7, 8, 9};
            return event(
                len, key_event(static_cast<std::uint8_t>(SCAN_F1 + shifted[static_cast<std::size_t>(p.value[0] - 25)]),
                               mods | SHIFT));
        }
        for (const auto& k : tilde_keys)
            if (k.number == p.value[0]) return event(len, key_event(k.scan, mods));
        return nothing(len);
    }
    // ESC [ 1 ; <mods> final, or the final alone.
    const std::uint16_t mods = p.count >= 2 ? xterm_modifiers(p.value[1]) : 0;
    if (p.count <= 2) {
        for (const auto& k : csi_finals)
            if (k.final == final) return event(len, key_event(k.scan, k.state | mods));
        if (p.count == 0)
            for (const auto& k : rxvt_shift_arrows)
                if (k.final == final) return event(len, key_event(k.scan, k.state));
    }
    return nothing(len);
}

// After ESC O: SS3 keys, with an optional modifier digit (ESC O 2 P).
DecodeStep decode_ss3(std::string_view s, bool timed_out) {
    std::size_t i = 2;
    int mod = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i < 4) mod = mod * 10 + (s[i++] - '0');
    if (i >= s.size()) return timed_out ? nothing(s.size()) : need_more(KeyWait::sequence);
    const char final = s[i];
    if (final < 0x40 || final > 0x7E) return nothing(i);  // broken off by another key
    const std::uint16_t mods = xterm_modifiers(mod);
    for (const auto& k : csi_finals)
        if (k.final == final && k.final != 'Z') return event(i + 1, key_event(k.scan, k.state | mods));
    for (const auto& k : rxvt_ctrl_arrows)
        if (k.final == final) return event(i + 1, key_event(k.scan, k.state | mods));
    if (final == 'M') return event(i + 1, char_event(13, 0));  // keypad Enter
    return nothing(i + 1);
}

// Inside a string, from `from`: taken up to its end, BEL or ST (ESC \\).
// An ESC that starts anything else ends the string and is read anew. A
// string not ended yet is taken as far as it goes and skipped on.
DecodeStep skip_string(std::string_view s, std::size_t from, bool timed_out, KeyDecoderState& state) {
    using Skip = KeyDecoderState::Skip;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == BEL) {
            state.skip = Skip::none;
            return nothing(i + 1);
        }
        if (s[i] != ESC) continue;
        if (i + 1 == s.size()) {
            // Perhaps the first half of ST.
            if (timed_out) break;
            state.skip = Skip::string;
            return i == 0 ? need_more(KeyWait::sequence) : nothing(i);
        }
        state.skip = Skip::none;
        if (s[i + 1] == '\\') return nothing(i + 2);
        return i == 0 ? decode_terminal_input(s, timed_out, state) : nothing(i);
    }
    state.skip = timed_out ? Skip::none : Skip::string;
    return nothing(s.size());
}

// The rest of an overlong control sequence, up to its final byte; another
// key's control byte breaks it off.
DecodeStep skip_control_sequence(std::string_view s, bool timed_out, KeyDecoderState& state) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x40) continue;
        state.skip = KeyDecoderState::Skip::none;
        if (c >= 0x40 && c <= 0x7E) return nothing(i + 1);
        return i == 0 ? decode_terminal_input(s, timed_out, state) : nothing(i);
    }
    if (timed_out) state.skip = KeyDecoderState::Skip::none;
    return nothing(s.size());
}

// The keypad keys that type 0 to 9 with Num Lock on, by digit.
constexpr std::array<std::uint8_t, 10> keypad_digits = {SCAN_INS,    SCAN_END,   SCAN_DOWN, SCAN_PGDN, SCAN_LEFT,
                                                        SCAN_CENTRE, SCAN_RIGHT, SCAN_HOME, SCAN_UP,   SCAN_PGUP};

// Alt with a key that types a character: letters as NUL and their scan
// code, as the PC keyboard reports them; digits as the keypad's keys, so
// that the key reader composes a character by its number from Alt and
// digits as it does from Alt and the keypad; other characters as themselves.
InputEvent with_alt(InputEvent e) {
    e.control_state |= LEFT_ALT;
    if (e.text.size() != 1) return e;
    const char c = e.text[0];
    if (c >= '0' && c <= '9') {
        e.text = std::string(1, '\0') + static_cast<char>(keypad_digits[static_cast<std::size_t>(c - '0')]);
        return e;
    }
    if (const std::uint8_t scan = letter_scan_code(c)) {
        if (c >= 'A' && c <= 'Z') e.control_state |= SHIFT;
        e.text = std::string(1, '\0') + static_cast<char>(scan);
    }
    return e;
}

}  // namespace

std::uint8_t letter_scan_code(char letter) {
    if (letter >= 'a' && letter <= 'z') return letter_scans[static_cast<std::size_t>(letter - 'a')];
    if (letter >= 'A' && letter <= 'Z') return letter_scans[static_cast<std::size_t>(letter - 'A')];
    return 0;
}

DecodeStep decode_terminal_input(std::string_view s, bool timed_out, KeyDecoderState& state) {
    if (s.empty()) return need_more(KeyWait::none);
    if (state.skip == KeyDecoderState::Skip::string) return skip_string(s, 0, timed_out, state);
    if (state.skip == KeyDecoderState::Skip::control_sequence) return skip_control_sequence(s, timed_out, state);
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 >= 0x80) return decode_utf8(s, timed_out);
    if (b0 != 0x1B) return event(1, ascii_event(b0));

    if (s.size() == 1) return timed_out ? event(1, char_event(27, 0)) : need_more(KeyWait::esc);
    const char b1 = s[1];
    if (b1 == '[' || b1 == 'O') {
        if (s.size() == 2) {
            // Nothing followed within the wait: Alt+[ or Alt+O.
            if (timed_out) return event(2, with_alt(ascii_event(static_cast<std::uint8_t>(b1))));
            return need_more(KeyWait::sequence);
        }
        return b1 == '[' ? decode_csi(s, timed_out, state) : decode_ss3(s, timed_out);
    }
    // A string comes whole, in one go; the same two bytes alone are Alt
    // with the key.
    if (b1 == ']' || b1 == 'P' || b1 == '_' || b1 == '^') {
        if (s.size() > 2) return skip_string(s, 2, timed_out, state);
        if (!timed_out) return need_more(KeyWait::esc);
    }
    if (b1 == ESC) {
        // ESC ESC [ ... is Alt with a cursor or function key (older xterm
        // and rxvt); any other ESC ESC is two Esc keys.
        if (s.size() == 2) return timed_out ? event(1, char_event(27, 0)) : need_more(KeyWait::esc);
        if (s[2] != '[' && s[2] != 'O') return event(1, char_event(27, 0));
        DecodeStep inner = decode_terminal_input(s.substr(1), timed_out, state);
        if (inner.consumed == 0) return inner;
        ++inner.consumed;
        if (inner.event && !inner.event->is_mouse() && !inner.event->wheel) inner.event->control_state |= LEFT_ALT;
        return inner;
    }
    // ESC and a character: Alt with that key.
    DecodeStep inner = decode_terminal_input(s.substr(1), timed_out, state);
    if (inner.consumed == 0) return inner;
    ++inner.consumed;
    if (inner.event) inner.event = with_alt(std::move(*inner.event));
    return inner;
}

DecodedInput decode_all(std::string_view bytes, bool timed_out, KeyDecoderState& state) {
    DecodedInput out;
    while (!bytes.empty()) {
        DecodeStep step = decode_terminal_input(bytes, timed_out, state);
        if (step.consumed == 0) {
            out.wait = step.wait;
            break;
        }
        if (step.event) out.events.push_back(std::move(*step.event));
        bytes.remove_prefix(step.consumed);
    }
    out.left = bytes.size();
    // Nothing more came within the wait: what was being skipped has ended.
    if (timed_out) state.skip = KeyDecoderState::Skip::none;
    if (state.skip != KeyDecoderState::Skip::none) out.wait = KeyWait::sequence;
    return out;
}

}  // namespace platform
