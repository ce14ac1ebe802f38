// The state of key input and line editing, one instance for the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace input {

// What mouse input read_key has found: not looked for yet; reporting on
// while a key is awaited; a mouse, reporting off between waits; no mouse.
inline constexpr std::int16_t MOUSE_NOT_LOOKED_FOR = 0;
inline constexpr std::int16_t MOUSE_REPORTING = 1;
inline constexpr std::int16_t MOUSE_IDLE = 2;
inline constexpr std::int16_t NO_MOUSE = 3;

// The pop-ups the hot keys open, installed at start-up by the layers that
// own them. Each runs inside the key wait and gives the text to type into
// whatever was awaiting the key. An empty slot opens nothing.
struct HotKeyActions {
    std::function<std::string()> calculator;
    std::function<std::string()> calendar;
};

struct InputState {
    // Keys that end a line edit (2-byte codes, low byte first) and, at the
    // same positions, the codes reported for them.
    std::string accept_key_list;
    std::string report_key_list;
    // The one saved pair of lists; save_depth is 0 or 1.
    std::string saved_accept_key_list;
    std::string saved_report_key_list;
    std::int16_t save_depth = 0;
    // 0 shows the text edited; 88 ("X") shows that character instead.
    std::int16_t mask_char = 0;
    // The choice list of the field being edited, or empty.
    std::string current_choices;

    // Text a pop-up left to be typed, one character per read_key call.
    std::string pending_keys;
    // -1 while that pop-up runs, so that its hot key cannot open it again.
    std::int16_t calculator_open = 0;
    std::int16_t calendar_open = 0;
    std::int16_t mouse_state = MOUSE_NOT_LOOKED_FOR;
    HotKeyActions hot_keys;
};

extern InputState input_state;

}  // namespace input
