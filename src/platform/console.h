// The console every screen of the system paints on and reads keys from.
// Rows and columns count from 1. Texts are code page 850 bytes; the two
// arrows U+25BA and U+25C4 are the bytes 0x10 and 0x11.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr int SCREEN_ROWS = 25;
inline constexpr int SCREEN_COLUMNS = 80;

// Control-key state bits of an input event.
inline constexpr std::uint16_t RIGHT_ALT = 1;
inline constexpr std::uint16_t LEFT_ALT = 2;
inline constexpr std::uint16_t RIGHT_CTRL = 4;
inline constexpr std::uint16_t LEFT_CTRL = 8;
inline constexpr std::uint16_t SHIFT = 16;

// Mouse event codes and buttons in a mouse event text.
inline constexpr std::uint8_t MOUSE_MOVED = 1;
inline constexpr std::uint8_t MOUSE_RELEASED = 8;
inline constexpr std::uint8_t MOUSE_LEFT = 1;
inline constexpr std::uint8_t MOUSE_RIGHT = 2;

// Reported mouse events, combined as a mask.
inline constexpr unsigned REPORT_MOVES = 1;
inline constexpr unsigned REPORT_LEFT_RELEASE = 2;
inline constexpr unsigned REPORT_RIGHT_RELEASE = 4;

// Index of the Insert key in the keyboard state.
inline constexpr int INSERT_KEY_INDEX = 45;

struct Cell {
    std::uint8_t ch = ' ';
    std::uint8_t attr = 0x07;
    bool operator==(const Cell&) const = default;
};

struct Position {
    int row = 0;
    int column = 0;
    bool operator==(const Position&) const = default;
};

// One input event: a key event text (one character; NUL and a scan code;
// or 255, 255, event, button for the mouse) with its control-key state, and
// for a mouse event the 1-based position.
struct InputEvent {
    std::string text;
    std::uint16_t control_state = 0;
    Position mouse{};
    // A notch of the mouse wheel, given as the Up or Down key: like a mouse
    // event it comes only while mouse reporting is on.
    bool wheel = false;
    bool is_mouse() const { return text.size() == 4 && text[0] == '\xFF' && text[1] == '\xFF'; }
};

// What a notch of the mouse wheel gives, up or down: the Up or Down key
// with no modifiers.
InputEvent wheel_key(bool up);

// The key code of a keyboard event: its text padded with NUL bytes and read
// as a little-endian 16-bit number (a character's code, or scan code x 256).
// A mouse event has none: 0.
inline std::int16_t key_event_code(const InputEvent& event) {
    if (event.is_mouse() || event.text.empty()) return 0;
    const auto low = static_cast<unsigned char>(event.text[0]);
    const auto high = event.text.size() > 1 ? static_cast<unsigned char>(event.text[1]) : 0u;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
}

// The key event text of a keyboard key whose code is `code`: one character,
// or NUL and the scan code.
inline InputEvent key_event(std::int16_t code, std::uint16_t control_state = 0) {
    const auto u = static_cast<std::uint16_t>(code);
    if (u >> 8 == 0) return {std::string(1, static_cast<char>(u)), control_state, {}};
    return {std::string{'\0', static_cast<char>(u >> 8)}, control_state, {}};
}

using KeyboardState = std::array<std::uint8_t, 256>;

class Console {
public:
    virtual ~Console() = default;

    // Screen.
    virtual int rows() const = 0;
    virtual int columns() const = 0;
    // A coordinate outside the screen leaves that coordinate unchanged.
    virtual void place_cursor(int row, int column) = 0;
    virtual Position cursor() const = 0;
    virtual void hide_cursor() = 0;
    // Size in per cent of the cell; held to 10..99.
    virtual void show_cursor(int size) = 0;
    virtual bool cursor_visible() const = 0;
    virtual int cursor_size() const = 0;
    // Colours 0 to 15; a number of 16 or more keeps that half.
    virtual void set_colour(int foreground, int background) = 0;
    virtual void set_attribute(std::uint8_t attr) = 0;
    virtual std::uint8_t attribute() const = 0;
    // Prints at the cursor in the current attribute; the cursor moves on,
    // wrapping at the end of a row. BEL, BS, TAB, LF and CR act as on a
    // console with processed output; every other byte is a character.
    virtual void print(std::string_view text) = 0;
    virtual void clear() = 0;
    // The cell, or a blank in attribute 0 outside the screen.
    virtual Cell read_cell(int row, int column) const = 0;
    // Scrolls the rectangle up (rows > 0) or down (rows < 0); the opened
    // rows are blank in the current attribute.
    virtual void scroll(int top, int left, int bottom, int right, int rows) = 0;
    virtual void beep() = 0;
    // Sends what has changed to the device; painting is buffered until the
    // program waits for input or calls this.
    virtual void flush() = 0;

    // Input.
    virtual InputEvent wait_event() = 0;
    // Takes a waiting key without blocking; nothing when none is waiting.
    virtual std::optional<InputEvent> poll_event() = 0;
    virtual void discard_keys() = 0;
    virtual int mouse_buttons() const = 0;
    virtual void choose_mouse_events(unsigned mask) = 0;
    virtual void set_mouse_reporting(bool on) = 0;
    virtual bool mouse_reporting() const = 0;
    // Column and row of the last mouse event; 0, 0 after reporting is off.
    virtual Position mouse_position() const = 0;
    virtual KeyboardState keyboard_state() const = 0;
    virtual void set_keyboard_state(const KeyboardState& state) = 0;
    virtual void put_clipboard(std::string_view text) = 0;
    virtual std::string get_clipboard() = 0;
};

// The console of the run. Until a backend is installed it is a headless one.
Console& console();
// Installs a console (not owned); nullptr returns to the built-in headless one.
void set_console(Console* c);

}  // namespace platform
