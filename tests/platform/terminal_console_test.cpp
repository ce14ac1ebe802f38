// The terminal backend writing to a pipe or a pseudo-terminal: what it sends
// is played on a small terminal model and must give the cell buffer, and a
// small change must send little.
#include "platform/terminal_console.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>

#include "platform/cp850.h"
#include "platform/process.h"
#include "platform/system_clipboard.h"
#include "support/temp_dir.h"

using namespace platform;

namespace {

// Enough of a terminal to follow what the backend sends: cursor placing,
// clearing, colours, cursor visibility and shape, UTF-8 text.
struct TerminalModel {
    explicit TerminalModel(int rows = 25, int columns = 80)
        : rows(rows), columns(columns), glyph(static_cast<std::size_t>(rows * columns), U' '),
          attr(static_cast<std::size_t>(rows * columns), 0x07) {}

    void feed(std::string_view s) {
        for (std::size_t i = 0; i < s.size();) {
            if (s[i] == '\x1b' && i + 1 < s.size() && s[i + 1] == '[') {
                std::size_t j = i + 2;
                while (j < s.size() && !(s[j] >= 0x40 && s[j] <= 0x7E)) ++j;
                ASSERT_LT(j, s.size()) << "unfinished sequence";
                control(s.substr(i + 2, j - i - 2), s[j]);
                i = j + 1;
            } else if (s[i] == '\x1b' && i + 1 < s.size() && s[i + 1] == ']') {
                const std::size_t end = s.find('\a', i);
                ASSERT_NE(end, std::string_view::npos);
                osc.push_back(std::string(s.substr(i + 2, end - i - 2)));
                i = end + 1;
            } else if (s[i] == '\a') {
                ++bells;
                ++i;
            } else {
                const auto b = static_cast<unsigned char>(s[i]);
                ASSERT_GE(b, 0x20) << "control byte " << int(b) << " sent as text";
                char32_t ch = b;
                std::size_t len = 1;
                if (b >= 0xF0) { ch = b & 7; len = 4; }
                else if (b >= 0xE0) { ch = b & 15; len = 3; }
                else if (b >= 0xC0) { ch = b & 31; len = 2; }
                for (std::size_t k = 1; k < len; ++k) ch = ch << 6 | (static_cast<unsigned char>(s[i + k]) & 63);
                i += len;
                ASSERT_LE(column, columns) << "text written past the last column";
                ASSERT_TRUE(row >= 1 && row <= rows);
                at(row, column) = ch;
                attr_at(row, column) = current;
                ++column;
            }
        }
    }

    void control(std::string_view params, char final) {
        std::vector<int> p;
        std::string digits;
        const bool private_mode = !params.empty() && params[0] == '?';
        if (private_mode) params.remove_prefix(1);
        std::string_view rest = params;
        while (true) {
            const auto semi = rest.find(';');
            const std::string_view part = rest.substr(0, semi);
            p.push_back(part.empty() || part[0] == ' ' ? 0 : std::stoi(std::string(part)));
            if (semi == std::string_view::npos) break;
            rest.remove_prefix(semi + 1);
        }
        if (final == 'H') {
            row = p.size() > 0 && p[0] ? p[0] : 1;
            column = p.size() > 1 && p[1] ? p[1] : 1;
        } else if (final == 'J') {
            std::fill(glyph.begin(), glyph.end(), U' ');
            std::fill(attr.begin(), attr.end(), current);
        } else if (final == 'm') {
            static constexpr int pc[8] = {0, 4, 2, 6, 1, 5, 3, 7};
            // The Linux console brightens with bold (foreground) and blink
            // (background); the others have codes of their own.
            for (const int v : p) {
                if (v == 0) { current = 0x07; bold = blink = false; }
                else if (v == 1) bold = true;
                else if (v == 5) blink = true;
                else if (v >= 30 && v <= 37) current = (current & 0xF0) | pc[v - 30] | (bold ? 8 : 0);
                else if (v >= 90 && v <= 97) current = (current & 0xF0) | pc[v - 90] | 8;
                else if (v >= 40 && v <= 47) current = (current & 0x0F) | (pc[v - 40] | (blink ? 8 : 0)) << 4;
                else if (v >= 100 && v <= 107) current = (current & 0x0F) | (pc[v - 100] | 8) << 4;
                else ADD_FAILURE() << "colour " << v;
            }
        } else if (private_mode && (final == 'h' || final == 'l')) {
            for (const int v : p) {
                if (v == 25) cursor_visible = final == 'h';
                else if (v == 1000 || v == 1003 || v == 1006) mouse[v] = final == 'h';
            }
        } else if (final == 'q') {
            shape = p[0];
        } else if (private_mode && final == 'c') {
            shape = p[0];
        }
    }

    char32_t& at(int r, int c) { return glyph[static_cast<std::size_t>((r - 1) * columns + c - 1)]; }
    std::uint8_t& attr_at(int r, int c) { return attr[static_cast<std::size_t>((r - 1) * columns + c - 1)]; }

    // Every cell of the console shown as its glyph in its attribute.
    void expect_shows(const Console& c) {
        for (int r = 1; r <= c.rows(); ++r)
            for (int col = 1; col <= c.columns(); ++col) {
                const Cell cell = c.read_cell(r, col);
                ASSERT_EQ(at(r, col), cp850_glyph(cell.ch)) << "row " << r << " column " << col;
                ASSERT_EQ(attr_at(r, col), cell.attr) << "row " << r << " column " << col;
            }
    }

    int rows, columns;
    std::vector<char32_t> glyph;
    std::vector<std::uint8_t> attr;
    int row = 1, column = 1;
    std::uint8_t current = 0x07;
    bool bold = false, blink = false;
    bool cursor_visible = true;
    int shape = -1;
    int bells = 0;
    std::map<int, bool> mouse;
    std::vector<std::string> osc;
};

std::string drain(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    return out;
}

std::size_t count(std::string_view s, std::string_view what) {
    std::size_t n = 0;
    for (auto i = s.find(what); i != std::string_view::npos; i = s.find(what, i + 1)) ++n;
    return n;
}

// A backend whose output goes into a pipe and whose input comes from one.
struct PipedTerminal {
    explicit PipedTerminal(std::string term = "xterm-256color") {
        if (::pipe(out) != 0 || ::pipe(in) != 0) std::abort();
        console = std::make_unique<TerminalConsole>(in[0], out[1], std::move(term));
    }
    ~PipedTerminal() {
        console.reset();
        for (const int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
    }
    // Flushes and gives what was sent, played on the model too.
    std::string flush() {
        console->flush();
        std::string sent = drain(out[0]);
        model.feed(sent);
        return sent;
    }
    void type(std::string_view bytes) {
        if (::write(in[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    }
    int in[2];
    int out[2];
    std::unique_ptr<TerminalConsole> console;
    TerminalModel model;
};

TEST(TerminalConsole, FirstFlushPaintsEverythingThenOnlyChangesAreSent) {
    PipedTerminal t;
    TerminalConsole& c = *t.console;
    // Every code of the page, in every colour pair's corner cases.
    for (int b = 0; b < 256; ++b) {
        c.place_cursor(1 + b / 64, 1 + b % 64);
        c.set_attribute(static_cast<std::uint8_t>(b));
        c.print(std::string(1, static_cast<char>(b)));
    }
    const std::string first = t.flush();
    EXPECT_GT(first.size(), 2000u);
    t.model.expect_shows(c);

    EXPECT_EQ(t.flush(), "") << "nothing changed, nothing sent";
    c.place_cursor(3, 3);
    c.set_attribute(c.read_cell(3, 3).attr);
    c.print(std::string(1, static_cast<char>(c.read_cell(3, 3).ch)));
    c.place_cursor(1, 1);
    EXPECT_EQ(t.flush(), "\x1b[1;1H") << "a cell rewritten as it was is not sent again";

    // One cell: a place, a colour and the character, not a repaint.
    c.hide_cursor();
    t.flush();
    c.place_cursor(12, 40);
    c.set_colour(14, 1);
    c.print("ñ"_cp850);
    const std::string one = t.flush();
    EXPECT_EQ(one, "\x1b[12;40H\x1b[93;44mñ");
    t.model.expect_shows(c);

    // A run of neighbours is placed once.
    c.place_cursor(20, 78);
    c.print("abcde");
    const std::string run = t.flush();
    EXPECT_EQ(count(run, "H"), 2u) << ::testing::PrintToString(run);
    t.model.expect_shows(c);
}

TEST(TerminalConsole, AnySequenceOfChangesLeavesTheTerminalShowingTheBuffer) {
    PipedTerminal t;
    TerminalConsole& c = *t.console;
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    t.flush();
    for (int step = 0; step < 300; ++step) {
        switch (pick(0, 9)) {
            case 0: c.scroll(pick(1, 25), pick(1, 80), pick(1, 25), pick(1, 80), pick(-5, 5)); break;
            case 1:
                if (pick(0, 5) == 0) c.clear();
                break;
            default: {
                c.set_attribute(static_cast<std::uint8_t>(pick(0, 255)));
                c.place_cursor(pick(1, 25), pick(1, 80));
                std::string text;
                for (int n = pick(1, 30); n > 0; --n) text += static_cast<char>(pick(32, 255));
                c.print(text);
            }
        }
        if (pick(0, 2) == 0) c.hide_cursor();
        else c.show_cursor(pick(10, 100));
        t.flush();
        SCOPED_TRACE(step);
        t.model.expect_shows(c);
        ASSERT_EQ(t.model.cursor_visible, c.cursor_visible());
        if (c.cursor_visible()) {
            ASSERT_EQ(t.model.row, c.cursor().row);
            ASSERT_EQ(t.model.column, c.cursor().column);
        }
        if (testing::Test::HasFatalFailure()) return;
    }
}

TEST(TerminalConsole, ColoursAndCursorShapeInTheTerminalsOwnForms) {
    struct Case {
        const char* term;
        std::uint8_t attr;
        const char* sgr;
    };
    const Case cases[] = {
        {"xterm-256color", 0x70, "\x1b[30;47m"}, {"xterm-256color", 0x1E, "\x1b[93;44m"},
        {"tmux-256color", 0xF0, "\x1b[30;107m"}, {"screen", 0x4C, "\x1b[91;41m"},
        {"linux", 0x70, "\x1b[0;30;47m"},        {"linux", 0x9E, "\x1b[0;1;5;33;44m"},
        {"linux", 0x36, "\x1b[0;33;46m"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.term) + " " + std::to_string(k.attr));
        PipedTerminal t(k.term);
        t.console->hide_cursor();
        t.flush();
        t.console->set_attribute(k.attr);
        t.console->place_cursor(2, 2);
        t.console->print("x");
        EXPECT_EQ(t.flush(), std::string("\x1b[2;2H") + k.sgr + "x");
    }
    // Overwrite (100, held to 99) is a block, insert (50) an underline.
    for (const std::string term : {"xterm-256color", "linux"}) {
        PipedTerminal t(term);
        const bool lx = term == "linux";
        t.console->show_cursor(100);
        EXPECT_NE(t.flush().find(lx ? "\x1b[?6c" : "\x1b[2 q"), std::string::npos);
        t.console->show_cursor(50);
        EXPECT_EQ(t.flush(), lx ? "\x1b[?2c" : "\x1b[4 q");
        t.console->show_cursor(25);
        EXPECT_EQ(t.flush(), "");
        t.console->hide_cursor();
        EXPECT_EQ(t.flush(), "\x1b[?25l");
        t.console->place_cursor(5, 6);
        t.console->show_cursor(25);
        EXPECT_EQ(t.flush(), "\x1b[5;6H\x1b[?25h");
    }
}

TEST(TerminalConsole, BeepAndMouseReportingGoOutWithTheNextFlush) {
    PipedTerminal t;
    TerminalConsole& c = *t.console;
    t.flush();
    c.beep();
    c.choose_mouse_events(REPORT_LEFT_RELEASE | REPORT_RIGHT_RELEASE);
    c.set_mouse_reporting(true);
    EXPECT_EQ(t.flush(), "\a\x1b[?1006h\x1b[?1000h\x1b[?1003l");
    EXPECT_EQ(t.model.bells, 1);
    // Off and on again between two waits, as the key reader does, sends nothing.
    c.set_mouse_reporting(false);
    c.set_mouse_reporting(true);
    EXPECT_EQ(t.flush(), "");
    c.choose_mouse_events(REPORT_MOVES | REPORT_LEFT_RELEASE);
    t.flush();
    EXPECT_TRUE(t.model.mouse[1003]);
    c.set_mouse_reporting(false);
    t.flush();
    EXPECT_FALSE(t.model.mouse[1000]);
    EXPECT_FALSE(t.model.mouse[1003]);
    EXPECT_FALSE(t.model.mouse[1006]);
}

TEST(TerminalConsole, ReadsKeysWithTheEscWaitAndFiltersTheMouse) {
    PipedTerminal t;
    TerminalConsole& c = *t.console;
    EXPECT_FALSE(c.poll_event().has_value());

    t.type("\x1b");
    const auto start = std::chrono::steady_clock::now();
    InputEvent e = c.wait_event();
    EXPECT_EQ(e.text, "\x1b");
    // Not a timing test: only that the lone Esc did not wait for another key.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    t.type("\x1bx\x1b[1;5D");
    e = c.wait_event();
    EXPECT_EQ(e.text, std::string("\0\x2D", 2));
    EXPECT_EQ(e.control_state, LEFT_ALT);
    e = c.wait_event();
    EXPECT_EQ(e.text, std::string("\0\x4B", 2));
    EXPECT_EQ(e.control_state, LEFT_CTRL);

    // Reports that come while reporting is off are dropped.
    t.type("\x1b[<0;10;5m" "a");
    EXPECT_EQ(c.wait_event().text, "a");
    c.choose_mouse_events(REPORT_LEFT_RELEASE);
    c.set_mouse_reporting(true);
    t.type("\x1b[<35;2;2M" "\x1b[<2;3;3m" "\x1b[<0;10;5m");
    e = c.wait_event();
    EXPECT_EQ(e.text, "\xFF\xFF\x08\x01");
    EXPECT_EQ(c.mouse_position(), (Position{5, 10}));
    c.set_mouse_reporting(false);
    EXPECT_EQ(c.mouse_position(), (Position{0, 0}));

    t.type("qrs");
    ASSERT_EQ(c.poll_event()->text, "q");
    c.discard_keys();
    EXPECT_FALSE(c.poll_event().has_value());
}

TEST(TerminalConsole, KeyboardStateIsKept) {
    PipedTerminal t;
    KeyboardState k{};
    k[INSERT_KEY_INDEX] = 1;
    t.console->set_keyboard_state(k);
    EXPECT_EQ(t.console->keyboard_state()[INSERT_KEY_INDEX], 1);
}

class Clipboard : public ::testing::Test {
protected:
    // A stand-in for xclip: a real program on PATH that keeps the text in a file.
    void install_tool(const std::string& body) {
        const std::string path = dir.write("bin/xclip", "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
        env.set("PATH", dir.path() + "bin:/usr/bin:/bin");
        env.set("DISPLAY", ":77");
        env.set("WAYLAND_DISPLAY", std::nullopt);
    }
    test_support::TempDir dir;
    test_support::EnvGuard env;
};

TEST_F(Clipboard, WithoutAToolCopiesThroughOsc52AndKeepsItsOwnCopy) {
    env.set("DISPLAY", std::nullopt);
    env.set("WAYLAND_DISPLAY", std::nullopt);
    PipedTerminal t;
    t.console->put_clipboard("Caña 12►"_cp850);
    ASSERT_EQ(t.model.osc.size(), 0u);
    t.model.feed(drain(t.out[0]));
    ASSERT_EQ(t.model.osc.size(), 1u);
    // Text, not glyphs: a control code stays a control code.
    EXPECT_EQ(t.model.osc[0], "52;c;" + base64("Caña 12\x10"));
    EXPECT_EQ(t.console->get_clipboard(), "Caña 12►"_cp850.str());
}

TEST_F(Clipboard, UsesTheDesktopToolInUtf8) {
    install_tool(
        "case \"$*\" in\n"
        "  *-in*) cat > \"" + dir.path() + "clip\" ;;\n"
        "  *-out*) cat \"" + dir.path() + "clip\" ;;\n"
        "esac\n");
    PipedTerminal t;
    t.console->put_clipboard("ÇAFÉ"_cp850);
    EXPECT_EQ(dir.read("clip"), "ÇAFÉ");
    EXPECT_EQ(drain(t.out[0]), "") << "no OSC 52 when the desktop took it";
    dir.write("clip", "señal €");
    EXPECT_EQ(t.console->get_clipboard(), "señal €"_cp850.str());
}

TEST_F(Clipboard, AToolThatHangsIsGivenUpAfterAMoment) {
    install_tool("exec sleep 30\n");
    PipedTerminal t;
    const auto start = std::chrono::steady_clock::now();
    t.console->put_clipboard("abc");
    EXPECT_EQ(t.console->get_clipboard(), "abc");
    // The deadline is half a second a call; this only catches a wait for the tool.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A pseudo-terminal of a given size, the backend on its slave side.
struct Pty {
    Pty(int rows, int columns) {
        winsize ws{};
        ws.ws_row = static_cast<unsigned short>(rows);
        ws.ws_col = static_cast<unsigned short>(columns);
        if (::openpty(&master, &slave, nullptr, nullptr, &ws) != 0) std::abort();
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    void resize(int rows, int columns) {
        winsize ws{};
        ws.ws_row = static_cast<unsigned short>(rows);
        ws.ws_col = static_cast<unsigned short>(columns);
        ::ioctl(master, TIOCSWINSZ, &ws);
    }
    int master = -1;
    int slave = -1;
};

TEST(TerminalConsole, TooSmallATerminalAsksToBeEnlargedAndALargerOneShowsTheScreenTopLeft) {
    Pty pty(20, 70);
    TerminalConsole c(pty.slave, pty.slave, "xterm-256color");
    c.place_cursor(25, 80);
    c.print("Z");
    c.flush();
    const std::string small = drain(pty.master);
    EXPECT_NE(cp850_to_utf8(utf8_to_cp850(small)).find("80 x 25 (ara 70 x 20)"), std::string::npos);
    EXPECT_EQ(small.find('Z'), std::string::npos);

    pty.resize(30, 100);
    c.flush();
    TerminalModel model(30, 100);
    model.feed(drain(pty.master));
    model.expect_shows(c);
    EXPECT_EQ(model.at(25, 80), U'Z');
    EXPECT_EQ(model.at(26, 1), U' ');
}

// The child sets up the terminal on the slave side and ends the way given;
// the terminal must be back in its own mode, with the screen given back.
TEST(TerminalConsole, TerminalIsGivenBackOnEveryWayOut) {
    struct Way {
        const char* what;
        int signal;  // 0: through end_process
    };
    const Way ways[] = {{"end_process", 0}, {"SIGINT", SIGINT},   {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP},
                        {"SIGSEGV", SIGSEGV}, {"SIGABRT", SIGABRT}, {"SIGBUS", SIGBUS},   {"SIGFPE", SIGFPE}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        Pty pty(25, 80);
        termios before{};
        ASSERT_EQ(::tcgetattr(pty.slave, &before), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const rlimit no_core{0, 0};
            ::setrlimit(RLIMIT_CORE, &no_core);
            TerminalConsole c(pty.slave, pty.slave, "xterm-256color");
            if (!c.start()) ::_exit(90);
            c.choose_mouse_events(REPORT_MOVES);
            c.set_mouse_reporting(true);
            c.hide_cursor();
            c.print("painted");
            c.flush();
            termios raw{};
            ::tcgetattr(pty.slave, &raw);
            if (raw.c_lflag & (ICANON | ECHO | ISIG)) ::_exit(91);
            if (way.signal == 0) end_process(7);
            ::raise(way.signal);
            ::_exit(92);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (way.signal == 0) {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 7);
        } else {
            ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
            EXPECT_EQ(WTERMSIG(status), way.signal);
        }
        termios after{};
        ASSERT_EQ(::tcgetattr(pty.slave, &after), 0);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
        EXPECT_EQ(after.c_iflag, before.c_iflag);
        EXPECT_EQ(after.c_oflag, before.c_oflag);
        const std::string sent = drain(pty.master);
        const auto painted = sent.find("painted");
        ASSERT_NE(painted, std::string::npos);
        const std::string tail = sent.substr(painted);
        for (const char* seq : {"\x1b[0m", "\x1b[?1003l", "\x1b[?1000l", "\x1b[?1006l", "\x1b[?25h", "\x1b[?1049l"})
            EXPECT_NE(tail.find(seq), std::string::npos) << ::testing::PrintToString(std::string(seq));
    }
}

}  // namespace
