#include "platform/console_records.h"

#include <array>
#include <utility>

#include "platform/cp850.h"

namespace platform {

namespace {

// Virtual-key codes that need a name here.
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_SHIFT = 0x10;
constexpr std::uint16_t VK_CONTROL = 0x11;
constexpr std::uint16_t VK_MENU = 0x12;
constexpr std::uint16_t VK_CAPITAL = 0x14;
constexpr std::uint16_t VK_ESCAPE = 0x1B;
constexpr std::uint16_t VK_NUMLOCK = 0x90;
constexpr std::uint16_t VK_SCROLL = 0x91;
constexpr std::uint16_t VK_LSHIFT = 0xA0;  // 0xA0 to 0xA5: left and right Shift, Ctrl, Alt
constexpr std::uint16_t VK_RMENU = 0xA5;

constexpr std::uint16_t SCAN_TAB = 15;
constexpr std::uint32_t ALT_KEYS = RIGHT_ALT | LEFT_ALT;
constexpr std::uint32_t OUR_BITS = RIGHT_ALT | LEFT_ALT | RIGHT_CTRL | LEFT_CTRL | SHIFT;

constexpr std::uint32_t MOUSE_MOVED_FLAG = 1;
constexpr std::uint32_t MOUSE_WHEELED = 4;
constexpr std::uint32_t MOUSE_HWHEELED = 8;
constexpr std::uint32_t LEFT_BUTTON = 1;
constexpr std::uint32_t RIGHT_BUTTON = 2;

bool modifier_or_lock(std::uint16_t vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_CAPITAL || vk == VK_NUMLOCK ||
           vk == VK_SCROLL || (vk >= VK_LSHIFT && vk <= VK_RMENU);
}

// The letter keys of the PC keyboard, by scan code.
bool letter_key(std::uint16_t scan) {
    return (scan >= 16 && scan <= 25) || (scan >= 30 && scan <= 38) || (scan >= 44 && scan <= 50);
}

// Some consoles (wine among them) leave out the scan code of cursor and
// function keys; the virtual key then tells which key it was.
std::uint16_t scan_of(const KeyRecord& k) {
    if (k.scan_code != 0) return k.scan_code;
    static constexpr std::array<std::pair<std::uint16_t, std::uint16_t>, 12> keys = {{
        {0x21, 0x49},
        {0x22, 0x51},
        {0x23, 0x4F},
        {0x24, 0x47},
        {0x25, 0x4B},
        {0x26, 0x48},
        {0x27, 0x4D},
        {0x28, 0x50},
        {0x2D, 0x52},
        {0x2E, 0x53},
        {0x7A, 0x57},
        {0x7B, 0x58},
    }};
    if (k.virtual_key >= 0x70 && k.virtual_key <= 0x79) return static_cast<std::uint16_t>(0x3B + k.virtual_key - 0x70);
    for (const auto& [vk, scan] : keys)
        if (vk == k.virtual_key) return scan;
    return 0;
}

InputEvent key_text(std::string text, std::uint32_t control_state) {
    return InputEvent{std::move(text), static_cast<std::uint16_t>(control_state & OUR_BITS), {}};
}

std::optional<InputEvent> from_key(const KeyRecord& k) {
    if (!k.key_down || modifier_or_lock(k.virtual_key)) return std::nullopt;
    const std::uint16_t scan = scan_of(k);
    const auto extended = [&] { return key_text(std::string{'\0', static_cast<char>(scan & 0xFF)}, k.control_state); };

    if ((k.control_state & ALT_KEYS) && letter_key(scan)) return extended();
    // The console gives Shift+Tab as a tab; the key reader knows it by its scan code.
    if (k.virtual_key == VK_TAB && (k.control_state & SHIFT))
        return key_text(std::string{'\0', static_cast<char>(SCAN_TAB)}, k.control_state);
    if (k.character == 0 && k.virtual_key == VK_ESCAPE)
        return key_text("\x1B", k.control_state);  // wine sends no character
    if (k.character == 0) return scan == 0 ? std::nullopt : std::optional<InputEvent>(extended());

    // Only a character that the code page holds as text: the pictures of the
    // control codes are glyphs, never typed.
    const auto byte = unicode_to_cp850(k.character);
    if (!byte || cp850_to_unicode(*byte) != k.character) return std::nullopt;
    return key_text(std::string(1, static_cast<char>(*byte)), k.control_state);
}

std::optional<InputEvent> from_mouse(const MouseRecord& m, std::uint32_t previous_buttons, unsigned reported) {
    // Only the painted screen: a larger window's other cells are no place
    // to click, and no coordinate can overflow on its way to 1-based.
    if (m.x < 0 || m.x >= SCREEN_COLUMNS || m.y < 0 || m.y >= SCREEN_ROWS) return std::nullopt;
    const auto event = [&](std::uint8_t what, std::uint8_t button) {
        return InputEvent{std::string{'\xFF', '\xFF', static_cast<char>(what), static_cast<char>(button)},
                          static_cast<std::uint16_t>(m.control_state & OUR_BITS), Position{m.y + 1, m.x + 1}};
    };
    // A notch of the wheel: the high word of the button state is its
    // distance, positive away from the user.
    if (m.flags & MOUSE_WHEELED) return wheel_key(static_cast<std::int16_t>(m.buttons >> 16) > 0);
    if (m.flags & MOUSE_HWHEELED) return std::nullopt;
    if (m.flags & MOUSE_MOVED_FLAG) {
        if (reported & REPORT_MOVES) return event(MOUSE_MOVED, 0);
        return std::nullopt;
    }
    // One record per change: a left and a right release together are taken
    // as the left one.
    const std::uint32_t released = previous_buttons & ~m.buttons;
    if ((released & LEFT_BUTTON) && (reported & REPORT_LEFT_RELEASE)) return event(MOUSE_RELEASED, MOUSE_LEFT);
    if ((released & RIGHT_BUTTON) && (reported & REPORT_RIGHT_RELEASE)) return event(MOUSE_RELEASED, MOUSE_RIGHT);
    return std::nullopt;
}

}  // namespace

std::optional<InputEvent> event_from_record(const ConsoleRecord& record, std::uint32_t previous_buttons,
                                            unsigned reported) {
    if (const auto* k = std::get_if<KeyRecord>(&record)) return from_key(*k);
    return from_mouse(std::get<MouseRecord>(record), previous_buttons, reported);
}

}  // namespace platform
