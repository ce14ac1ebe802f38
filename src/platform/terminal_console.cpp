#include "platform/terminal_console.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/cp850.h"
#include "platform/process.h"
#include "platform/system_clipboard.h"
#include "platform/terminal_signals.h"

namespace platform {

namespace {

// A lone Esc and Alt+key both start with ESC: what has not followed within
// this wait is not part of the sequence.
constexpr int ESC_WAIT_MS = 25;
// Once a sequence is under way (ESC [, ESC O, a UTF-8 character, a string)
// its rest is waited for as long as ncurses waits by default, so that bytes
// held up on a slow link still make their key.
constexpr int SEQUENCE_WAIT_MS = 1000;

constexpr const char* MOUSE_OFF = "\x1b[?1003l\x1b[?1000l\x1b[?1006l";

// Insert and overwrite mode must look different: a block for the large
// sizes, an underline for the small ones.
int shape_of(int size) { return size >= 90 ? 2 : 1; }

// GNU screen erases in the default colours unless told otherwise; tmux,
// which may run under the same TERM, erases in the current ones.
bool erases_in_colour(const std::string& term) {
    return term.rfind("screen", 0) != 0 || get_env("STY").empty() || !get_env("TMUX").empty();
}

}  // namespace

TerminalConsole::TerminalConsole(int in_fd, int out_fd, std::string term)
    : in_fd_(in_fd),
      out_fd_(out_fd),
      linux_console_(term.rfind("linux", 0) == 0),
      painter_(rows(), columns(), PaintStyle{linux_console_, erases_in_colour(term)}) {}

TerminalConsole::~TerminalConsole() { stop(); }

bool TerminalConsole::start() {
    if (started_ || !::isatty(in_fd_) || ::tcgetattr(in_fd_, &saved_) != 0) return false;
    raw_ = saved_;
    raw_.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
    raw_.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    raw_.c_cflag |= CS8;
    // ISIG off: Ctrl+C is a key (3), never the end of the program.
    raw_.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
    raw_.c_cc[VMIN] = 1;
    raw_.c_cc[VTIME] = 0;
    if (::tcsetattr(in_fd_, TCSAFLUSH, &raw_) != 0) return false;

    std::string leave = "\x1b[0m";
    leave += MOUSE_OFF;
    leave += linux_console_ ? "\x1b[?0c" : "\x1b[0 q";
    leave += "\x1b[?25h";
    // The Linux console has no alternate screen to leave.
    leave += linux_console_ ? "\x1b[H\x1b[2J" : "\x1b[?1049l";
    terminal_signals::arm(in_fd_, out_fd_, saved_, leave);
    started_ = true;
    static bool registered = false;
    if (!registered) at_process_end([] { terminal_signals::give_back(); });
    registered = true;
    enter();
    return true;
}

// The program's own screen; the next flush paints all of it.
void TerminalConsole::enter() {
    if (!linux_console_) pending_ += "\x1b[?1049h";
    send();
    repaint_all_ = true;
    painter_.forget();
    cursor_on_ = true;
    shape_shown_ = 0;
    mouse_mode_shown_ = 0;
    too_small_ = false;
    size_shown_ = {};
}

// After a stop and `fg` (or any SIGCONT): the terminal is set up again if it
// was given back, and the whole screen repainted, since the shell or another
// program may have written over it.
void TerminalConsole::take_again() {
    terminal_signals::HoldStops hold;
    if (terminal_signals::given_back()) {
        ::tcsetattr(in_fd_, TCSADRAIN, &raw_);
        terminal_signals::taken_again();
    }
    enter();
}

void TerminalConsole::stop() {
    if (!started_) return;
    send();
    terminal_signals::disarm();
    started_ = false;
}

Position TerminalConsole::terminal_size() const {
    winsize ws{};
    if (::ioctl(out_fd_, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0) return {rows(), columns()};
    return {ws.ws_row, ws.ws_col};
}

void TerminalConsole::flush() {
    if (started_ && terminal_signals::take_continued()) take_again();
    const Position size = terminal_size();
    if (size.row < rows() || size.column < columns()) {
        paint_too_small(size);
    } else {
        if (too_small_ || size != size_shown_) repaint_all_ = true;
        too_small_ = false;
        size_shown_ = size;
        paint(repaint_all_, size.column);
        repaint_all_ = false;
    }
    mouse_modes();
    send();
}

void TerminalConsole::paint_too_small(Position size) {
    if (too_small_ && size == size_shown_) return;
    too_small_ = true;
    size_shown_ = size;
    pending_ += "\x1b[0m\x1b[?25l\x1b[H\x1b[2J";
    pending_ += cp850_to_utf8("Amplieu la finestra a 80 x 25 (ara " + std::to_string(size.column) + " x " +
                              std::to_string(size.row) + ")");
    painter_.forget();
    cursor_on_ = false;
}

void TerminalConsole::paint(bool everything, int terminal_columns) {
    std::string body;
    painter_.paint(cells(), everything, terminal_columns, body);
    // Hidden while more than a row is drawn, so it does not fly across the
    // screen; a change on one row is too quick to see.
    if (!body.empty() && cursor_on_ && painter_.rows_painted() > 1) {
        pending_ += "\x1b[?25l";
        cursor_on_ = false;
    }
    pending_ += body;
    if (cursor_visible()) {
        painter_.move_to(cursor(), pending_);
        const int shape = shape_of(cursor_size());
        if (shape != shape_shown_) {
            shape_shown_ = shape;
            if (linux_console_)
                pending_ += shape == 2 ? "\x1b[?6c" : "\x1b[?2c";
            else
                pending_ += shape == 2 ? "\x1b[2 q" : "\x1b[4 q";
        }
        if (!cursor_on_) {
            pending_ += "\x1b[?25h";
            cursor_on_ = true;
        }
    } else if (cursor_on_) {
        pending_ += "\x1b[?25l";
        cursor_on_ = false;
    }
}

// SGR reports first, so that no old-style report slips through between.
void TerminalConsole::mouse_modes() {
    const int wanted = !mouse_reporting() ? 0 : (mouse_events() & REPORT_MOVES) ? 2 : 1;
    if (wanted == mouse_mode_shown_) return;
    mouse_mode_shown_ = wanted;
    if (wanted == 0)
        pending_ += MOUSE_OFF;
    else
        pending_ += wanted == 2 ? "\x1b[?1006h\x1b[?1000h\x1b[?1003h" : "\x1b[?1006h\x1b[?1000h\x1b[?1003l";
}

void TerminalConsole::send() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::write(out_fd_, pending_.data() + done, pending_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the terminal is gone; nothing to show it on
        done += static_cast<std::size_t>(n);
    }
    pending_.clear();
}

bool TerminalConsole::read_input(int timeout_ms) {
    while (true) {
        pollfd p[2] = {{in_fd_, POLLIN, 0}, {started_ ? terminal_signals::wake_fd() : -1, POLLIN, 0}};
        const int r = ::poll(p, 2, timeout_ms);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        // A resize or a return from a stop ends an endless wait to be
        // painted; a timed wait goes on.
        if ((p[1].revents & POLLIN) && terminal_signals::take_wakes() && timeout_ms < 0 && !(p[0].revents & POLLIN))
            return false;
        if (!(p[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[512];
        const ssize_t n = ::read(in_fd_, buf, sizeof buf);
        if (n > 0) {
            input_.append(buf, static_cast<std::size_t>(n));
            last_input_ = std::chrono::steady_clock::now();
            return true;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        // End of input: the terminal is gone and no key can ever come.
        end_process(1);
    }
}

void TerminalConsole::decode(bool timed_out) {
    DecodedInput d = decode_all(input_, timed_out, decoder_);
    for (auto& e : d.events) ready_.push_back(std::move(e));
    input_.erase(0, input_.size() - d.left);
    wait_ = d.wait;
}

std::optional<InputEvent> TerminalConsole::next_event(bool block) {
    while (true) {
        while (!ready_.empty()) {
            InputEvent e = std::move(ready_.front());
            ready_.pop_front();
            if (take_event(e)) return e;
        }
        if (wait_ != KeyWait::none) {
            // Unfinished input: its rest is waited for, counted from the
            // last byte that came; a look without blocking does not wait.
            const auto waited = std::chrono::steady_clock::now() - last_input_;
            const auto wait = std::chrono::milliseconds(wait_ == KeyWait::esc ? ESC_WAIT_MS : SEQUENCE_WAIT_MS);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(wait - waited).count();
            if (read_input(block && left > 0 ? static_cast<int>(left) : 0))
                decode(false);
            else if (block || left <= 0)
                decode(true);
            else
                return std::nullopt;
            continue;
        }
        if (!block) {
            if (!read_input(0)) return std::nullopt;
        } else {
            flush();
            read_input(-1);
        }
        decode(false);
    }
}

InputEvent TerminalConsole::wait_event() { return *next_event(true); }

std::optional<InputEvent> TerminalConsole::poll_event() { return next_event(false); }

void TerminalConsole::discard_keys() {
    while (read_input(0)) {
    }
    input_.clear();
    ready_.clear();
    // A string being skipped goes on being skipped.
    decode(false);
}

// The desktop's clipboard when a tool for it is there; else the terminal's
// through OSC 52 (which cannot be read back), and always our own copy.
void TerminalConsole::put_clipboard(std::string_view text) {
    CellConsole::put_clipboard(text);
    const std::string utf8 = cp850_to_utf8(text);
    if (put_system_clipboard(utf8)) return;
    pending_ += "\x1b]52;c;" + base64(utf8) + "\a";
    send();
}

std::string TerminalConsole::get_clipboard() {
    if (auto text = get_system_clipboard()) return utf8_to_cp850(*text);
    return CellConsole::get_clipboard();
}

}  // namespace platform
