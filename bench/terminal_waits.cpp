// Times the key waits of the terminal backend on a pseudo-terminal, for
// terminal_waits.sh: how soon a lone Esc and a lone ESC [ are delivered, and
// which pauses inside a sequence (ESC [ A, a UTF-8 character) still give
// one key.
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/terminal_console.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct Pty {
    int master = -1;
    int slave = -1;
    std::atomic<bool> done{false};
    std::thread drain;
    Pty() {
        winsize ws{};
        ws.ws_row = 25;
        ws.ws_col = 80;
        if (::openpty(&master, &slave, nullptr, nullptr, &ws) != 0) std::exit(2);
        // What the console paints is read away, so that it never blocks.
        drain = std::thread([this] {
            char buf[4096];
            while (!done && ::read(master, buf, sizeof buf) > 0) {
            }
        });
    }
    void send(const std::string& bytes) const {
        if (::write(master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::exit(3);
    }
};

// Sends `first`, waits `pause_ms`, sends `rest` and then Ctrl+D; gives the
// key event texts the console delivered before the Ctrl+D.
std::vector<std::string> keys_of(platform::TerminalConsole& c, const Pty& pty, const std::string& first, int pause_ms,
                                 const std::string& rest) {
    std::thread writer([&] {
        pty.send(first);
        std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
        pty.send(rest);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        pty.send("\x04");
    });
    std::vector<std::string> texts;
    for (std::string t; (t = c.wait_event().text) != "\x04";) texts.push_back(t);
    writer.join();
    return texts;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// How long the console takes to deliver what `bytes` alone make.
double delivery_ms(platform::TerminalConsole& c, const Pty& pty, const std::string& bytes) {
    const auto start = Clock::now();
    pty.send(bytes);
    c.wait_event();
    return ms_since(start);
}

}  // namespace

int main() {
    Pty pty;
    platform::TerminalConsole c(pty.slave, pty.slave, "xterm-256color");
    if (!c.start()) return 2;

    std::vector<double> esc, csi;
    for (int i = 0; i < 15; ++i) esc.push_back(delivery_ms(c, pty, "\x1b"));
    for (int i = 0; i < 3; ++i) csi.push_back(delivery_ms(c, pty, "\x1b["));
    std::vector<std::string> report;
    char line[160];
    std::snprintf(line, sizeof line, "  lone Esc delivered after       %6.1f ms (median of %zu)", median(esc),
                  esc.size());
    report.push_back(line);
    std::snprintf(line, sizeof line, "  lone ESC [ (Alt+[) after       %6.1f ms (median of %zu)", median(csi),
                  csi.size());
    report.push_back(line);

    const struct {
        const char* what;
        std::string first, rest, one_key;
    } splits[] = {
        {"ESC [ | A (Up)", "\x1b[", "A", std::string("\0\x48", 2)},
        {"UTF-8 ñ in two reads", "\xC3", "\xB1", "\xA4"},
    };
    for (const auto& s : splits)
        for (const int pause : {60, 300, 900, 1200}) {
            const auto texts = keys_of(c, pty, s.first, pause, s.rest);
            const bool one = texts.size() == 1 && texts[0] == s.one_key;
            std::snprintf(line, sizeof line, "  %-22s pause %4d ms: %s", s.what, pause,
                          one ? "one key" : ("not one key (" + std::to_string(texts.size()) + " events)").c_str());
            report.push_back(line);
        }
    c.stop();
    pty.done = true;
    ::close(pty.slave);
    ::close(pty.master);
    pty.drain.join();
    std::puts("Key waits:");
    for (const auto& l : report) std::puts(l.c_str());
    return 0;
}
