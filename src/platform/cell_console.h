// A console whose screen is a buffer of cells held here, the truth for
// reading cells back, with the input settings the program chose (mouse
// reporting, keyboard state, clipboard) kept here too. Backends add input,
// send the buffer to a device, and override what their system keeps itself.
#pragma once

#include <string>
#include <vector>

#include "platform/console.h"

namespace platform {

// Whether a mouse event reaches the program: only while reporting is on, with
// a mouse, and of a chosen kind, as on the real console; the wheel's keys
// whenever reporting is on. Keys always do.
bool mouse_event_reported(const InputEvent& event, bool reporting, int buttons, unsigned mask);

class CellConsole : public Console {
public:
    explicit CellConsole(int rows = SCREEN_ROWS, int columns = SCREEN_COLUMNS);

    int rows() const override { return rows_; }
    int columns() const override { return columns_; }
    void place_cursor(int row, int column) override;
    Position cursor() const override { return cursor_; }
    void hide_cursor() override { cursor_visible_ = false; }
    void show_cursor(int size) override;
    bool cursor_visible() const override { return cursor_visible_; }
    int cursor_size() const override { return cursor_size_; }
    void set_colour(int foreground, int background) override;
    void set_attribute(std::uint8_t attr) override { attr_ = attr; }
    std::uint8_t attribute() const override { return attr_; }
    void print(std::string_view text) override;
    void clear() override;
    Cell read_cell(int row, int column) const override;
    void scroll(int top, int left, int bottom, int right, int rows) override;
    void beep() override { ++beeps_; ring(); }
    void flush() override {}

    int beeps() const { return beeps_; }

    void choose_mouse_events(unsigned mask) override { mouse_mask_ = mask; }
    unsigned mouse_events() const { return mouse_mask_; }
    // Backends that tell their device override this and call it.
    void set_mouse_reporting(bool on) override;
    bool mouse_reporting() const override { return mouse_reporting_; }
    Position mouse_position() const override { return mouse_position_; }
    KeyboardState keyboard_state() const override { return keyboard_; }
    void set_keyboard_state(const KeyboardState& state) override { keyboard_ = state; }
    void put_clipboard(std::string_view text) override { clipboard_ = std::string(text); }
    std::string get_clipboard() override { return clipboard_; }

protected:
    // Whether an event from the device reaches the program under the chosen
    // mouse reporting; a mouse event that does sets the mouse position.
    bool take_event(const InputEvent& event);
    void note_mouse_position(Position p) { mouse_position_ = p; }
    // The whole screen, row by row.
    const std::vector<Cell>& cells() const { return cells_; }
    virtual void ring() {}

private:
    Cell& at(int row, int column) { return cells_[static_cast<std::size_t>((row - 1) * columns_ + column - 1)]; }
    void put(std::uint8_t ch);

    int rows_;
    int columns_;
    std::vector<Cell> cells_;
    Position cursor_{1, 1};
    bool cursor_visible_ = true;
    int cursor_size_ = 25;
    std::uint8_t attr_ = 0x07;
    int beeps_ = 0;

    unsigned mouse_mask_ = 0;
    bool mouse_reporting_ = false;
    Position mouse_position_{};
    KeyboardState keyboard_{};
    std::string clipboard_;
};

}  // namespace platform
