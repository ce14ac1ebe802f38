// The Windows console's input records turned into the key event texts of
// the console interface. Pure, so it is tested on every system; the record
// types carry only the fields of the system's records that matter here.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include "platform/console.h"

namespace platform {

struct KeyRecord {
    bool key_down = true;
    std::uint16_t virtual_key = 0;
    std::uint16_t scan_code = 0;
    char16_t character = 0;
    std::uint32_t control_state = 0;  // the console's bits; the low five are ours
};

struct MouseRecord {
    int x = 0;  // 0-based cell of the screen
    int y = 0;
    // Buttons down after the event (1 left, 2 right); for the wheel, the
    // high word is the signed distance turned, positive away from the user.
    std::uint32_t buttons = 0;
    std::uint32_t flags = 0;  // 0 a button changed, 1 moved, 2 double click, 4 and 8 wheels
    std::uint32_t control_state = 0;
};

using ConsoleRecord = std::variant<KeyRecord, MouseRecord>;

// The event a record gives, or nothing (releases of keys, lone modifier and
// lock keys, characters outside the code page, presses of mouse buttons,
// the horizontal wheel, mouse events outside the 80 x 25 screen, and mouse
// events not among `reported`, a mask of REPORT_*). The vertical wheel
// gives the Up or Down key, marked as the wheel's. A release is seen
// against `previous_buttons`, the button state of the mouse record before
// this one.
std::optional<InputEvent> event_from_record(const ConsoleRecord& record, std::uint32_t previous_buttons,
                                            unsigned reported);

}  // namespace platform
