// The console on a POSIX terminal: raw mode, our cell buffer as the truth,
// only changed cells sent, code page 850 shown through UTF-8, keys and mouse
// decoded by terminal_keys. The terminal is given back as it was on every
// way out, fatal signals included.
#pragma once

#include <termios.h>

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "platform/cell_console.h"
#include "platform/terminal_keys.h"
#include "platform/terminal_paint.h"

namespace platform {

class TerminalConsole : public CellConsole {
public:
    // `term` is the terminal's TERM; the Linux console gets its own forms of
    // bright colours and cursor shape.
    TerminalConsole(int in_fd, int out_fd, std::string term);
    ~TerminalConsole() override;
    TerminalConsole(const TerminalConsole&) = delete;
    TerminalConsole& operator=(const TerminalConsole&) = delete;

    // Raw mode, the alternate screen and the restore handlers; false when
    // the input is not a terminal. Output works without it (to a pipe, for
    // tests), with an 80 x 25 screen assumed.
    bool start();
    // Gives the terminal back; safe to call more than once.
    void stop();

    void flush() override;

    InputEvent wait_event() override;
    std::optional<InputEvent> poll_event() override;
    void discard_keys() override;
    int mouse_buttons() const override { return 2; }
    void put_clipboard(std::string_view text) override;
    std::string get_clipboard() override;

protected:
    void ring() override { pending_ += '\a'; }

private:
    Position terminal_size() const;
    void enter();
    void take_again();
    void paint(bool everything, int terminal_columns);
    void paint_too_small(Position size);
    void mouse_modes();
    void send();
    // Reads what is there, waiting up to `timeout_ms` (-1: until something
    // comes); false when nothing came.
    bool read_input(int timeout_ms);
    void decode(bool timed_out);
    std::optional<InputEvent> next_event(bool block);

    int in_fd_;
    int out_fd_;
    bool linux_console_;
    bool started_ = false;
    termios saved_{};
    termios raw_{};

    // What the terminal shows, to send only what changed.
    TerminalPainter painter_;
    bool repaint_all_ = true;
    bool too_small_ = false;
    Position size_shown_{};
    bool cursor_on_ = true;
    int shape_shown_ = 0;
    int mouse_mode_shown_ = 0;
    std::string pending_;

    std::string input_;
    KeyDecoderState decoder_;
    KeyWait wait_ = KeyWait::none;
    std::chrono::steady_clock::time_point last_input_{};
    std::deque<InputEvent> ready_;
};

}  // namespace platform
