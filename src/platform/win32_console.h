// The Windows console. The cell buffer of CellConsole is the truth for
// reading cells back; the cells that changed go to the console through the
// wide-character calls with our own glyph table, so the arrows and the euro
// show whatever the console's code page is. Windows only.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/cell_console.h"

namespace platform {

class Win32Console : public CellConsole {
public:
    // The console of the standard handles, set up for the run; nothing when
    // they are not a console (redirected, or no console at all).
    static std::unique_ptr<Win32Console> open();
    ~Win32Console() override;

    void flush() override;

    InputEvent wait_event() override;
    std::optional<InputEvent> poll_event() override;
    void discard_keys() override;
    int mouse_buttons() const override;
    void set_mouse_reporting(bool on) override;
    KeyboardState keyboard_state() const override;
    void set_keyboard_state(const KeyboardState& state) override;
    void put_clipboard(std::string_view text) override;
    std::string get_clipboard() override;

    // Gives the console back as it was found; safe to call more than once.
    void restore();

private:
    struct Handles;
    explicit Win32Console(std::unique_ptr<Handles> handles);
    void ring() override;
    // The next record that gives an event; waits when `block`.
    std::optional<InputEvent> next_event(bool block);
    void set_input_mode();

    std::unique_ptr<Handles> h_;
    std::vector<Cell> shown_;  // what the console shows, to send only changes
    bool shown_valid_ = false;
    Position shown_cursor_{};
    bool shown_visible_ = false;
    int shown_size_ = 0;
    std::uint32_t buttons_ = 0;       // of the last mouse record, to see releases
    std::deque<InputEvent> repeats_;  // the rest of a key record with a repeat count
};

}  // namespace platform
