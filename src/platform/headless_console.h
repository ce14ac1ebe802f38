// An in-memory console: the screen is the cell buffer, input is a script of
// events. Every test that paints or reads keys runs on it.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/cell_console.h"

namespace platform {

class HeadlessConsole : public CellConsole {
public:
    HeadlessConsole() = default;

    // Script input.
    void push_event(InputEvent event) { events_.push_back(std::move(event)); }
    // The key event text that the key reader reads as `code`.
    void push_key(std::int16_t code) { push_event(key_event(code)); }
    // A key that produces a character (one byte of code page 850).
    void push_char(std::uint8_t ch, std::uint16_t control_state = 0);
    // A key without a character: NUL and the scan code.
    void push_scan(std::uint8_t scan, std::uint16_t control_state = 0);
    // Each byte as a key that produces it.
    void push_text(std::string_view text);
    void push_mouse(std::uint8_t event, std::uint8_t button, int row, int column, std::uint16_t control_state = 0);
    // A notch of the mouse wheel, up or down: the Up or Down key, which comes
    // only while mouse reporting is on.
    void push_wheel(bool up);
    std::size_t pending_events() const { return events_.size(); }
    void set_mouse_buttons(int n) { mouse_buttons_ = n; }

    // When the script is used up, every wait gets Esc, so a screen under test
    // ends instead of hanging; this counts those waits.
    int waits_past_script() const { return waits_past_script_; }

    // Called each time the program waits for an event, before it gets one:
    // a test looks at the screen there.
    std::function<void()> at_wait;

    InputEvent wait_event() override;
    std::optional<InputEvent> poll_event() override;
    void discard_keys() override;
    int mouse_buttons() const override { return mouse_buttons_; }

    // The screen as rows of UTF-8 text (each cell's glyph), for assertions.
    std::vector<std::string> screen_text() const;
    std::string row_text(int row) const;
    std::uint8_t attribute_at(int row, int column) const { return read_cell(row, column).attr; }

private:
    std::deque<InputEvent> events_;
    int waits_past_script_ = 0;
    int mouse_buttons_ = 2;
};

}  // namespace platform
