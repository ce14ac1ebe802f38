// Key codes: a character's code (1 to 255), or an extended key's PC scan
// code times 256; 0 is no key. Every screen compares keys with these; the
// key reader's namespace takes them in, so input::KEY_ENTER names them too.
#pragma once

#include <cstdint>

namespace platform::key_codes {

using KeyCode = std::int16_t;

// The scan code of an extended key as its key code.
constexpr KeyCode scan_key(int scan) { return static_cast<KeyCode>(static_cast<std::uint16_t>(scan << 8)); }

inline constexpr KeyCode KEY_NONE = 0;

// Characters.
inline constexpr KeyCode KEY_CTRL_B = 2;
inline constexpr KeyCode KEY_CTRL_C = 3;
inline constexpr KeyCode KEY_BACKSPACE = 8;
inline constexpr KeyCode KEY_TAB = 9;
inline constexpr KeyCode KEY_ENTER = 13;
inline constexpr KeyCode KEY_CTRL_V = 22;
inline constexpr KeyCode KEY_CTRL_Y = 25;
inline constexpr KeyCode KEY_ESC = 27;
inline constexpr KeyCode KEY_SPACE = 32;
// What Alt+E types: the euro sign of the program's code page.
inline constexpr KeyCode KEY_EURO = 0xD5;

// Extended keys.
inline constexpr KeyCode KEY_SHIFT_TAB = scan_key(0x0F);
inline constexpr KeyCode KEY_ALT_E = scan_key(0x12);
inline constexpr KeyCode KEY_ALT_F = scan_key(0x21);
inline constexpr KeyCode KEY_ALT_X = scan_key(0x2D);
inline constexpr KeyCode KEY_ALT_C = scan_key(0x2E);
inline constexpr KeyCode KEY_F1 = scan_key(0x3B);
inline constexpr KeyCode KEY_F2 = scan_key(0x3C);
inline constexpr KeyCode KEY_F3 = scan_key(0x3D);
inline constexpr KeyCode KEY_F4 = scan_key(0x3E);
inline constexpr KeyCode KEY_F5 = scan_key(0x3F);
inline constexpr KeyCode KEY_F10 = scan_key(0x44);
inline constexpr KeyCode KEY_HOME = scan_key(0x47);
inline constexpr KeyCode KEY_UP = scan_key(0x48);
inline constexpr KeyCode KEY_PGUP = scan_key(0x49);
inline constexpr KeyCode KEY_LEFT = scan_key(0x4B);
inline constexpr KeyCode KEY_KEYPAD_5 = scan_key(0x4C);
inline constexpr KeyCode KEY_RIGHT = scan_key(0x4D);
inline constexpr KeyCode KEY_END = scan_key(0x4F);
inline constexpr KeyCode KEY_DOWN = scan_key(0x50);
inline constexpr KeyCode KEY_PGDN = scan_key(0x51);
inline constexpr KeyCode KEY_INS = scan_key(0x52);
inline constexpr KeyCode KEY_DEL = scan_key(0x53);
inline constexpr KeyCode KEY_CTRL_F4 = scan_key(0x61);
inline constexpr KeyCode KEY_ALT_F4 = scan_key(0x6B);
inline constexpr KeyCode KEY_CTRL_LEFT = scan_key(0x73);
inline constexpr KeyCode KEY_CTRL_RIGHT = scan_key(0x74);
inline constexpr KeyCode KEY_CTRL_HOME = scan_key(0x77);

// F1 to F10 with a modifier: the plain code plus one of these.
inline constexpr KeyCode SHIFT_F_KEY_OFFSET = 0x1900;
inline constexpr KeyCode CTRL_F_KEY_OFFSET = 0x2300;
inline constexpr KeyCode ALT_F_KEY_OFFSET = 0x2D00;
inline constexpr KeyCode KEY_SHIFT_F1 = KEY_F1 + SHIFT_F_KEY_OFFSET;
inline constexpr KeyCode KEY_CTRL_F1 = KEY_F1 + CTRL_F_KEY_OFFSET;
inline constexpr KeyCode KEY_ALT_F1 = KEY_F1 + ALT_F_KEY_OFFSET;

}  // namespace platform::key_codes
