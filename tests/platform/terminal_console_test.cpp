// The terminal backend writing to a pipe or a pseudo-terminal: what it sends
// is played on a small terminal model and must give the cell buffer, and a
// small change must send little.
#include "platform/terminal_console.h"

#include <fcntl.h>
#include <poll.h>
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
#include <thread>
#include <tuple>

#include "platform/cp850.h"
#include "platform/process.h"
#include "platform/system_clipboard.h"
#include "support/temp_dir.h"
#include "support/terminal_model.h"

using namespace platform;
using test_support::TerminalModel;

namespace {

std::string drain(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    return out;
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
    c.place_cursor(10, 10);
    t.flush();
    t.model.expect_shows(c);
    EXPECT_EQ(t.flush(), "") << "nothing changed, nothing sent";

    c.place_cursor(3, 3);
    c.set_attribute(c.read_cell(3, 3).attr);
    c.print(std::string(1, static_cast<char>(c.read_cell(3, 3).ch)));
    c.place_cursor(1, 1);
    EXPECT_EQ(t.flush(), "\x1b[H") << "a cell written again as it was is not sent; the cursor moves";

    // A change on one row leaves the cursor shown; on several rows it is
    // hidden while they are drawn.
    c.place_cursor(12, 40);
    c.set_colour(14, 1);
    c.print("ñ"_cp850);
    EXPECT_EQ(t.flush(), "\x1b[12;40H\x1b[93;44mñ");
    c.place_cursor(20, 78);
    c.print("abcde");
    EXPECT_EQ(t.flush(), "\x1b[?25l\x1b[20;78Habc\r\nde\x1b[?25h");
    t.model.expect_shows(c);
    EXPECT_TRUE(t.model.cursor_visible);
    EXPECT_EQ(t.model.row, 21);
    EXPECT_EQ(t.model.column, 3);
}

TEST(TerminalConsole, AnySequenceOfChangesLeavesTheTerminalShowingTheBuffer) {
    PipedTerminal t;
    TerminalConsole& c = *t.console;
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    t.flush();
    for (int step = 0; step < 300; ++step) {
        switch (pick(0, 9)) {
            case 0:
                c.scroll(pick(1, 25), pick(1, 80), pick(1, 25), pick(1, 80), pick(-5, 5));
                break;
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
        if (pick(0, 2) == 0)
            c.hide_cursor();
        else
            c.show_cursor(pick(10, 100));
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

    // The rest of a sequence that comes after a pause longer than the Esc
    // wait still makes one key; a look without blocking meanwhile gives
    // nothing and loses nothing.
    for (const auto& [first, rest, text] : {std::tuple<std::string, std::string, std::string>{"\xC3", "\xB1", "\xA4"},
                                            {"\x1b[", "A", std::string("\0\x48", 2)},
                                            {"\x1b]11;rgb:0/0/0", "\x1b\\z", "z"}}) {
        SCOPED_TRACE(::testing::PrintToString(first));
        t.type(first);
        EXPECT_FALSE(c.poll_event().has_value());
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        EXPECT_FALSE(c.poll_event().has_value());
        t.type(rest);
        EXPECT_EQ(c.wait_event().text, text);
    }

    // Reports and the wheel that come while reporting is off are dropped.
    t.type(
        "\x1b[<0;10;5m"
        "\x1b[<64;10;5M"
        "a");
    EXPECT_EQ(c.wait_event().text, "a");
    c.choose_mouse_events(REPORT_LEFT_RELEASE);
    c.set_mouse_reporting(true);
    t.type(
        "\x1b[<35;2;2M"
        "\x1b[<2;3;3m"
        "\x1b[<0;10;5m");
    e = c.wait_event();
    EXPECT_EQ(e.text, "\xFF\xFF\x08\x01");
    EXPECT_EQ(c.mouse_position(), (Position{5, 10}));
    t.type("\x1b[<65;20;7M");
    e = c.wait_event();
    EXPECT_EQ(e.text, std::string("\0\x50", 2));
    EXPECT_EQ(c.mouse_position(), (Position{5, 10})) << "the wheel is a key, not a mouse event";
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
        "  *-in*) cat > \"" +
        dir.path() +
        "clip\" ;;\n"
        "  *-out*) cat \"" +
        dir.path() +
        "clip\" ;;\n"
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

// Sets up the terminal on the slave side as a program does and paints
// "painted"; ends the child with 90 or 91 when that fails.
TerminalConsole& set_up_in_child(const Pty& pty) {
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    static TerminalConsole c(pty.slave, pty.slave, "xterm-256color");
    if (!c.start()) ::_exit(90);
    termios raw{};
    ::tcgetattr(pty.slave, &raw);
    if (raw.c_lflag & (ICANON | ECHO | ISIG)) ::_exit(91);
    c.choose_mouse_events(REPORT_MOVES);
    c.set_mouse_reporting(true);
    c.hide_cursor();
    c.print("painted");
    c.flush();
    return c;
}

bool same_mode(const termios& a, const termios& b) {
    return a.c_lflag == b.c_lflag && a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag;
}

// The terminal's own mode, and after the program's last painting the bytes
// that leave its modes: colours, mouse reporting, cursor, alternate screen.
void expect_given_back(const Pty& pty, const termios& before, const std::string& sent, const char* last_painted) {
    termios after{};
    ASSERT_EQ(::tcgetattr(pty.slave, &after), 0);
    EXPECT_TRUE(same_mode(after, before));
    const auto painted = sent.rfind(last_painted);
    ASSERT_NE(painted, std::string::npos);
    const std::string tail = sent.substr(painted);
    for (const char* seq : {"\x1b[0m", "\x1b[?1003l", "\x1b[?1000l", "\x1b[?1006l", "\x1b[?25h", "\x1b[?1049l"})
        EXPECT_NE(tail.find(seq), std::string::npos) << ::testing::PrintToString(std::string(seq));
}

// What the master side reads until `text` has come, up to a few seconds.
std::string read_until(int fd, const std::string& text, std::string& sent) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sent.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) sent += drain(fd);
    }
    return sent;
}

// The child ends the way given; the terminal must be back in its own mode,
// with the screen given back.
TEST(TerminalConsole, TerminalIsGivenBackOnEveryWayOut) {
    struct Way {
        const char* what;
        int signal;  // 0: through end_process
    };
    const Way ways[] = {
        {"end_process", 0},   {"SIGINT", SIGINT},       {"SIGTERM", SIGTERM},   {"SIGHUP", SIGHUP},
        {"SIGSEGV", SIGSEGV}, {"SIGABRT", SIGABRT},     {"SIGBUS", SIGBUS},     {"SIGFPE", SIGFPE},
        {"SIGQUIT", SIGQUIT}, {"SIGUSR1", SIGUSR1},     {"SIGUSR2", SIGUSR2},   {"SIGALRM", SIGALRM},
        {"SIGPIPE", SIGPIPE}, {"SIGVTALRM", SIGVTALRM}, {"SIGXCPU", SIGXCPU},   {"SIGXFSZ", SIGXFSZ},
        {"SIGPROF", SIGPROF}, {"SIGSYS", SIGSYS},       {"SIGTRAP", SIGTRAP},   {"SIGILL", SIGILL},
        {"SIGIO", SIGIO},     {"SIGRTMIN", SIGRTMIN},   {"SIGRTMAX", SIGRTMAX},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        Pty pty(25, 80);
        termios before{};
        ASSERT_EQ(::tcgetattr(pty.slave, &before), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            set_up_in_child(pty);
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
        expect_given_back(pty, before, drain(pty.master), "painted");
    }
}

// A signal ignored before the program started (nohup's SIGHUP) stays
// ignored: it neither ends the program nor takes its terminal away.
TEST(TerminalConsole, AnIgnoredSignalStaysIgnored) {
    Pty pty(25, 80);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGHUP, SIG_IGN);
        set_up_in_child(pty);
        ::raise(SIGHUP);
        termios raw{};
        ::tcgetattr(pty.slave, &raw);
        ::_exit(raw.c_lflag & ICANON ? 93 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Stopped (Ctrl+Z sent by the shell, or kill -TSTP), the program gives the
// terminal back; continued, it takes it again and repaints the whole
// screen, and reads keys as before.
TEST(TerminalConsole, StopGivesTheTerminalBackAndContinueTakesItAgain) {
    Pty pty(25, 80);
    termios before{};
    ASSERT_EQ(::tcgetattr(pty.slave, &before), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A group of its own with its parent outside: a stop signal stops it.
        ::setpgid(0, 0);
        TerminalConsole& c = set_up_in_child(pty);
        while (c.wait_event().text != "q") {
        }
        c.stop();
        ::_exit(0);
    }
    std::string sent;
    read_until(pty.master, "painted", sent);
    ASSERT_NE(sent.find("painted"), std::string::npos);
    ASSERT_EQ(::kill(pid, SIGTSTP), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status));
    EXPECT_EQ(WSTOPSIG(status), SIGTSTP);
    sent += drain(pty.master);
    expect_given_back(pty, before, sent, "painted");

    sent.clear();
    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    read_until(pty.master, "painted", sent);
    const auto entered = sent.find("\x1b[?1049h");
    ASSERT_NE(entered, std::string::npos) << ::testing::PrintToString(sent);
    EXPECT_NE(sent.find("\x1b[2J", entered), std::string::npos) << "the whole screen is painted again";
    EXPECT_NE(sent.find("painted", entered), std::string::npos);
    read_until(pty.master, "\x1b[?1003h", sent);
    EXPECT_NE(sent.find("\x1b[?1003h", entered), std::string::npos) << "mouse reporting is on again";
    termios raw{};
    ASSERT_EQ(::tcgetattr(pty.slave, &raw), 0);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);

    ASSERT_EQ(::write(pty.master, "q", 1), 1);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    sent += drain(pty.master);
    expect_given_back(pty, before, sent, "painted");
}

}  // namespace
