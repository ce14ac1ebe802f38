#include "platform/terminal_console.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/cp850.h"
#include "platform/process.h"
#include "platform/system_clipboard.h"

namespace platform {

namespace {

// A lone Esc and Alt+key both start with ESC: what has not followed within
// this wait is not part of the sequence.
constexpr int ESC_WAIT_MS = 25;

constexpr const char* MOUSE_OFF = "\x1b[?1003l\x1b[?1000l\x1b[?1006l";

// What the signal handlers need to give the terminal back, prepared while
// nothing is in a hurry: they may only write and set the terminal mode.
struct Restore {
    int in_fd = -1;
    int out_fd = -1;
    termios saved{};
    char bytes[160]{};
    std::size_t length = 0;
    volatile sig_atomic_t armed = 0;
};
Restore restore;

void restore_terminal() {
    if (!restore.armed) return;
    restore.armed = 0;
    std::size_t done = 0;
    while (done < restore.length) {
        const ssize_t n = ::write(restore.out_fd, restore.bytes + done, restore.length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::tcsetattr(restore.in_fd, TCSADRAIN, &restore.saved);
}

constexpr int fatal_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGSEGV, SIGABRT, SIGBUS, SIGFPE};

// Gives the terminal back, then lets the signal do what it would have done
// (end the process, dump core) with the handler already reset.
void on_fatal_signal(int sig) {
    const int saved_errno = errno;
    restore_terminal();
    ::raise(sig);
    errno = saved_errno;
}

// Only there to break the wait for input, so that a resize is painted.
void on_resize(int) {}

void install_handlers() {
    struct sigaction fatal {};
    fatal.sa_handler = on_fatal_signal;
    fatal.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&fatal.sa_mask);
    for (const int sig : fatal_signals) ::sigaction(sig, &fatal, nullptr);
    struct sigaction resize {};
    resize.sa_handler = on_resize;
    sigemptyset(&resize.sa_mask);
    ::sigaction(SIGWINCH, &resize, nullptr);
}

void remove_handlers() {
    for (const int sig : fatal_signals) ::signal(sig, SIG_DFL);
    ::signal(SIGWINCH, SIG_DFL);
}

void append_number(std::string& out, int n) { out += std::to_string(n); }

void append_goto(std::string& out, int row, int column) {
    out += "\x1b[";
    append_number(out, row);
    out += ';';
    append_number(out, column);
    out += 'H';
}

// The console's colour numbers run blue, green, cyan, red; the terminal's
// red, green, yellow, blue.
constexpr int ansi_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Insert and overwrite mode must look different: a block for the large
// sizes, an underline for the small ones.
int shape_of(int size) { return size >= 90 ? 2 : 1; }

}  // namespace

TerminalConsole::TerminalConsole(int in_fd, int out_fd, std::string term)
    : in_fd_(in_fd), out_fd_(out_fd), linux_console_(term.rfind("linux", 0) == 0) {}

TerminalConsole::~TerminalConsole() { stop(); }

bool TerminalConsole::start() {
    if (started_ || !::isatty(in_fd_) || ::tcgetattr(in_fd_, &saved_) != 0) return false;
    termios raw = saved_;
    raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
    raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    raw.c_cflag |= CS8;
    // ISIG off: Ctrl+C is a key (3), never the end of the program.
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(in_fd_, TCSAFLUSH, &raw) != 0) return false;

    std::string back = "\x1b[0m";
    back += MOUSE_OFF;
    back += linux_console_ ? "\x1b[?0c" : "\x1b[0 q";
    back += "\x1b[?25h";
    // The Linux console has no alternate screen to leave.
    back += linux_console_ ? "\x1b[H\x1b[2J" : "\x1b[?1049l";
    restore.in_fd = in_fd_;
    restore.out_fd = out_fd_;
    restore.saved = saved_;
    restore.length = std::min(back.size(), sizeof restore.bytes);
    std::memcpy(restore.bytes, back.data(), restore.length);
    restore.armed = 1;
    started_ = true;
    install_handlers();
    at_process_end([] { restore_terminal(); });

    if (!linux_console_) pending_ += "\x1b[?1049h";
    repaint_all_ = true;
    flush();
    return true;
}

void TerminalConsole::stop() {
    if (!started_) return;
    send();
    restore_terminal();
    remove_handlers();
    started_ = false;
}

Position TerminalConsole::terminal_size() const {
    winsize ws{};
    if (::ioctl(out_fd_, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0) return {rows(), columns()};
    return {ws.ws_row, ws.ws_col};
}

void TerminalConsole::flush() {
    const Position size = terminal_size();
    if (size.row < rows() || size.column < columns()) {
        paint_too_small(size);
    } else {
        if (too_small_ || size != size_shown_) repaint_all_ = true;
        too_small_ = false;
        size_shown_ = size;
        paint(repaint_all_);
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
    attr_shown_ = -1;
    cursor_on_ = false;
}

void TerminalConsole::append_attribute(std::string& out, std::uint8_t attr) {
    if (attr == attr_shown_) return;
    attr_shown_ = attr;
    const int fg = attr & 0x0F;
    const int bg = attr >> 4;
    out += "\x1b[";
    if (linux_console_) {
        // The Linux console has no bright codes: bold brightens the
        // foreground, blink the background.
        out += '0';
        if (fg & 8) out += ";1";
        if (bg & 8) out += ";5";
        out += ";3";
        append_number(out, ansi_colour[fg & 7]);
        out += ";4";
        append_number(out, ansi_colour[bg & 7]);
    } else {
        append_number(out, (fg & 8 ? 90 : 30) + ansi_colour[fg & 7]);
        out += ';';
        append_number(out, (bg & 8 ? 100 : 40) + ansi_colour[bg & 7]);
    }
    out += 'm';
}

void TerminalConsole::paint(bool everything) {
    const std::vector<Cell>& now = cells();
    std::string body;
    if (everything) {
        body += "\x1b[0m\x1b[H\x1b[2J";
        attr_shown_ = -1;
        shown_.assign(now.size(), Cell{});
    }
    int at_row = 0;
    int at_column = 0;
    for (int row = 1; row <= rows(); ++row) {
        for (int column = 1; column <= columns(); ++column) {
            const auto i = static_cast<std::size_t>((row - 1) * columns() + column - 1);
            if (!everything && now[i] == shown_[i]) continue;
            if (row != at_row || column != at_column) append_goto(body, row, column);
            append_attribute(body, now[i].attr);
            append_utf8(body, cp850_glyph(now[i].ch));
            shown_[i] = now[i];
            at_row = row;
            // After the last column the terminal waits to wrap: place anew.
            at_column = column < columns() ? column + 1 : 0;
        }
    }
    // Hidden while cells are drawn, so it does not fly across the screen.
    if (!body.empty() && cursor_on_) {
        pending_ += "\x1b[?25l";
        cursor_on_ = false;
    }
    pending_ += body;
    if (cursor_visible()) {
        if (!body.empty() || cursor() != cursor_shown_) {
            append_goto(pending_, cursor().row, cursor().column);
            cursor_shown_ = cursor();
        }
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
        pollfd p{in_fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, timeout_ms);
        if (r < 0 && errno == EINTR) {
            // A resize breaks an endless wait to be painted; a short wait
            // goes on.
            if (timeout_ms < 0) return false;
            continue;
        }
        if (r <= 0) return false;
        char buf[512];
        const ssize_t n = ::read(in_fd_, buf, sizeof buf);
        if (n > 0) {
            input_.append(buf, static_cast<std::size_t>(n));
            return true;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        // End of input: the terminal is gone and no key can ever come.
        end_process(1);
    }
}

void TerminalConsole::decode(bool timed_out) {
    std::size_t left = 0;
    for (auto& e : decode_all(input_, timed_out, decoder_, left)) ready_.push_back(std::move(e));
    input_.erase(0, input_.size() - left);
}

std::optional<InputEvent> TerminalConsole::next_event(bool block) {
    while (true) {
        while (!ready_.empty()) {
            InputEvent e = std::move(ready_.front());
            ready_.pop_front();
            if (take_event(e)) return e;
        }
        if (!input_.empty()) {
            // Only an unfinished sequence is left: wait briefly for the rest.
            decode(!read_input(ESC_WAIT_MS));
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
