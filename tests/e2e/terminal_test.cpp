// The terminal backend in a real terminal: tmux, in a detached session on a
// server of its own, with keys sent by name or as raw bytes and the screen
// read back with its colours.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "platform/cp850.h"
#include "platform/headless_console.h"
#include "support/terminal_model.h"
#include "test_screen.h"
#include "tmux.h"

namespace {

using test_e2e::have_tmux;
using test_e2e::run;
using test_e2e::Tmux;

// The terminal's modes after the program is gone: normal screen, cursor
// shown, mouse reporting off.
void expect_given_back(const Tmux& t, int exit_status) {
    const std::string ended = "exit status " + std::to_string(exit_status);
    ASSERT_TRUE(t.wait_for_text(ended)) << t.screen();
    EXPECT_EQ(t.pane("#{alternate_on} #{cursor_flag} #{mouse_any_flag} #{mouse_sgr_flag} #{mouse_standard_flag}"),
              "0 1 0 0 0");
}

class TerminalTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (!have_tmux()) GTEST_SKIP() << "tmux is not installed: the terminal tests need it (scripts/deps.sh)";
        // A signal test must not leave a core file behind.
        const rlimit no_core{0, 0};
        ::setrlimit(RLIMIT_CORE, &no_core);
    }
};

struct ProbeKey {
    const char* name;
    std::vector<std::string> keys;  // tmux key names
    std::vector<std::string> hex;   // or raw bytes
    const char* text;
    unsigned state;
    const char* extra = "";
};

const std::vector<ProbeKey> probe_keys = {
    {"F1", {"F1"}, {}, "00 3B", 0},
    {"Shift+F1", {"S-F1"}, {}, "00 3B", 0x10},
    {"Ctrl+F1", {"C-F1"}, {}, "00 3B", 0x08},
    {"Alt+F1", {"M-F1"}, {}, "00 3B", 0x02},
    {"Ctrl+Left", {"C-Left"}, {}, "00 4B", 0x08},
    {"Ctrl+Right", {"C-Right"}, {}, "00 4D", 0x08},
    {"Ctrl+Home", {"C-Home"}, {}, "00 47", 0x08},
    {"Home", {"Home"}, {}, "00 47", 0},
    {"End", {"End"}, {}, "00 4F", 0},
    {"PgUp", {"PPage"}, {}, "00 49", 0},
    {"PgDn", {"NPage"}, {}, "00 51", 0},
    {"Insert", {"IC"}, {}, "00 52", 0},
    {"Delete", {"DC"}, {}, "00 53", 0},
    {"Shift+Tab", {"BTab"}, {}, "00 0F", 0x10},
    {"Alt+X", {"M-x"}, {}, "00 2D", 0x02},
    {"Alt+C", {"M-c"}, {}, "00 2E", 0x02},
    {"Alt+E", {"M-e"}, {}, "00 12", 0x02},
    {"Esc", {"Escape"}, {}, "1B", 0},
    {"Enter", {"Enter"}, {}, "0D", 0},
    {"Tab", {"Tab"}, {}, "09", 0},
    {"Ctrl+Y", {"C-y"}, {}, "19", 0x08},
    {"Ctrl+V", {"C-v"}, {}, "16", 0x08},
    {"Ctrl+C", {"C-c"}, {}, "03", 0x08},
    {"ñ", {"-l", "ñ"}, {}, "A4", 0},
    {"Ctrl+H", {"C-h"}, {}, "08", 0x08},
    {"Backspace", {"BSpace"}, {}, "08", 0},
    {"Alt+1 as the keypad's End", {"M-1"}, {}, "00 4F", 0x02},
    {"Alt+6 as the keypad's Right", {"M-6"}, {}, "00 4D", 0x02},
    // A click far outside the screen is dropped; the wheel is the Up key.
    {"wheel",
     {},
     {"1b", "5b", "3c", "30", "3b", "32", "30", "30", "3b", "36", "30", "6d",
      "1b", "5b", "3c", "36", "34", "3b", "31", "30", "3b", "35", "4d"},
     "00 48",
     0},
    // Press and release of the left button at row 5, column 10, in the
    // old form, then the right button at row 7, column 20 in the SGR form.
    {"X10 click",
     {},
     {"1b", "5b", "4d", "20", "2a", "25", "1b", "5b", "4d", "23", "2a", "25"},
     "FF FF 08 01",
     0,
     "row 5 column 10"},
    {"SGR right click",
     {},
     {"1b", "5b", "3c", "32", "3b", "32", "30", "3b", "37", "4d",
      "1b", "5b", "3c", "32", "3b", "32", "30", "3b", "37", "6d"},
     "FF FF 08 02",
     0,
     "row 7 column 20"},
};

std::string probe_line(int n, const ProbeKey& k) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%4d  %-12s  %04X", n, k.text, k.state);
    return buf;
}

// The probe's line for event n, or empty while it is not there.
std::string line_of(const std::string& screen, int n) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%4d  ", n);
    std::size_t start = 0;
    while (start < screen.size()) {
        const std::size_t end = screen.find('\n', start);
        const std::string line = screen.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0) return line;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return {};
}

TEST_P(TerminalTest, KeyProbeReceivesEveryKeyWithItsCodes) {
    Tmux t(KEYPROBE_BINARY, GetParam());
    ASSERT_TRUE(t.wait_for_text("Ctrl+D ends")) << t.screen();
    ASSERT_TRUE(t.wait_until([&] { return t.pane("#{mouse_sgr_flag}") == "1"; }));
    int n = 0;
    for (const auto& k : probe_keys) {
        SCOPED_TRACE(k.name);
        ++n;
        if (!k.keys.empty())
            t.keys(k.keys);
        else
            t.bytes(k.hex);
        std::string line;
        ASSERT_TRUE(t.wait_until([&] { return !(line = line_of(t.screen(), n)).empty(); })) << t.screen();
        EXPECT_EQ(line.rfind(probe_line(n, k), 0), 0u) << line;
        EXPECT_NE(line.find(k.extra), std::string::npos) << line;
    }
    t.keys({"C-d"});
    expect_given_back(t, 0);
    EXPECT_EQ(t.screen().find("Ctrl+D ends"), std::string::npos) << "the program's screen was left behind";
}

// Bytes held up on the way, as over a slow link: the rest of a sequence
// that comes after a pause still makes one key; only a lone Esc is decided
// by the short wait.
TEST_P(TerminalTest, SequencesSentWithAPauseMakeOneKey) {
    struct Split {
        const char* name;
        std::vector<std::vector<std::string>> parts;  // sent with a pause between
        std::vector<const char*> texts;               // the probe's lines
    };
    const Split splits[] = {
        {"UTF-8 ñ", {{"c3"}, {"b1"}}, {"A4"}},
        {"Up", {{"1b", "5b"}, {"41"}}, {"00 48"}},
        {"F1", {{"1b", "4f"}, {"50"}}, {"00 3B"}},
        {"Ctrl+F5", {{"1b", "5b", "31", "35"}, {"3b", "35", "7e"}}, {"00 3F"}},
        {"OSC reply, then a", {{"1b", "5d", "31", "31", "3b"}, {"3f", "07", "61"}}, {"61"}},
        {"Esc, then x", {{"1b"}, {"78"}}, {"1B", "78"}},
    };
    Tmux t(KEYPROBE_BINARY, GetParam());
    ASSERT_TRUE(t.wait_for_text("Ctrl+D ends")) << t.screen();
    int n = 0;
    for (const auto& split : splits) {
        SCOPED_TRACE(split.name);
        for (std::size_t i = 0; i < split.parts.size(); ++i) {
            if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
            t.bytes(split.parts[i]);
        }
        for (const char* text : split.texts) {
            ++n;
            std::string line;
            ASSERT_TRUE(t.wait_until([&] { return !(line = line_of(t.screen(), n)).empty(); })) << t.screen();
            char expected[32];
            std::snprintf(expected, sizeof expected, "%4d  %-12s", n, text);
            EXPECT_EQ(line.rfind(expected, 0), 0u) << line;
        }
    }
    t.keys({"C-d"});
    expect_given_back(t, 0);
}

// The key code the program reads, shown on the line of the event that
// completes a key; the events Alt with keypad digits takes in show none.
struct ProbeCode {
    const char* name;
    std::vector<std::vector<std::string>> events;  // tmux key names, or "-H" and bytes
    const char* code;
};

const std::vector<ProbeCode> probe_codes = {
    {"Shift+F1", {{"S-F1"}}, "5400"},
    {"Ctrl+F1", {{"C-F1"}}, "5E00"},
    {"Alt+F1", {{"M-F1"}}, "6800"},
    {"Ctrl+Left", {{"C-Left"}}, "7300"},
    {"Ctrl+Home", {{"C-Home"}}, "7700"},
    {"Ctrl+End keeps End", {{"C-End"}}, "4F00"},
    {"Alt+E", {{"M-e"}}, "00D5"},
    {"Alt+X with no calculator", {{"M-x"}}, "2D00"},
    {"ñ", {{"-l", "ñ"}}, "00A4"},
    {"Alt with the grey keys as keypad digits 1 6 4", {{"M-End"}, {"M-Right"}, {"M-Left"}, {"a"}}, "00A4"},
    {"Alt with the digits 1 6 4", {{"M-1"}, {"M-6"}, {"M-4"}, {"a"}}, "00A4"},
    {"Alt with keypad digits 0 3 0", {{"M-IC"}, {"M-NPage"}, {"M-IC"}, {"b"}}, "001E"},
    {"right button released", {{"-H", "1b", "5b", "3c", "32", "3b", "32", "30", "3b", "37", "6d"}}, "0000"},
};

TEST_P(TerminalTest, KeyProbeShowsTheKeyCodeTheProgramReads) {
    Tmux t(KEYPROBE_BINARY, GetParam());
    ASSERT_TRUE(t.wait_for_text("Ctrl+D ends")) << t.screen();
    ASSERT_TRUE(t.wait_until([&] { return t.pane("#{mouse_sgr_flag}") == "1"; }));
    constexpr std::size_t code_at = 27;
    int n = 0;
    for (const auto& c : probe_codes) {
        SCOPED_TRACE(c.name);
        std::string line;
        for (const auto& keys : c.events) {
            ++n;
            t.keys(keys);
            ASSERT_TRUE(t.wait_until([&] { return !(line = line_of(t.screen(), n)).empty(); })) << t.screen();
            if (&keys != &c.events.back()) {
                EXPECT_EQ(line.substr(code_at, 4), "    ") << line;
            }
        }
        EXPECT_EQ(line.substr(code_at, 4), c.code) << line;
    }
    t.keys({"C-d"});
    expect_given_back(t, 0);
}

struct Shown {
    char32_t glyph = U' ';
    int fg = -1;
    int bg = -1;
};

// capture-pane -e: UTF-8 characters and SGR colour changes, row by row.
std::vector<std::vector<Shown>> parse_capture(const std::string& s) {
    static constexpr int pc[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    std::vector<std::vector<Shown>> rows(1);
    int fg = -1, bg = -1;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b == '\n') {
            rows.emplace_back();
            ++i;
        } else if (b == 0x1B && i + 1 < s.size() && s[i + 1] == '[') {
            const std::size_t m = s.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", i + 2);
            std::vector<int> p;
            std::string num;
            for (std::size_t k = i + 2; k <= m; ++k) {
                if (k < m && s[k] >= '0' && s[k] <= '9')
                    num += s[k];
                else {
                    p.push_back(num.empty() ? 0 : std::stoi(num));
                    num.clear();
                }
            }
            if (s[m] == 'm') {
                for (std::size_t k = 0; k < p.size(); ++k) {
                    const int v = p[k];
                    if (v == 0)
                        fg = bg = -1;
                    else if (v >= 30 && v <= 37)
                        fg = pc[v - 30];
                    else if (v >= 90 && v <= 97)
                        fg = pc[v - 90] | 8;
                    else if (v == 39)
                        fg = -1;
                    else if (v >= 40 && v <= 47)
                        bg = pc[v - 40];
                    else if (v >= 100 && v <= 107)
                        bg = pc[v - 100] | 8;
                    else if (v == 49)
                        bg = -1;
                    else if ((v == 38 || v == 48) && k + 2 < p.size() && p[k + 1] == 5) {
                        const int c = p[k + 2];
                        const int pcc = c < 16 ? (pc[c & 7] | (c & 8)) : -2;
                        (v == 38 ? fg : bg) = pcc;
                        k += 2;
                    }
                }
            }
            i = m + 1;
        } else {
            rows.back().push_back({test_support::next_utf8(s, i), fg, bg});
        }
    }
    return rows;
}

TEST_P(TerminalTest, PaintedScreenIsShownCellByCellInItsColours) {
    platform::HeadlessConsole expected;
    test_screen::paint(expected);
    Tmux t(PAINT_BINARY, GetParam());
    ASSERT_TRUE(t.wait_for_text("final")) << t.screen();
    const auto rows = parse_capture(t.screen(true));
    ASSERT_GE(rows.size(), 25u);
    // A blank shows only its background. Cells erased at the end of a row
    // are left out of tmux's capture: they must be blanks.
    int wrong = 0;
    for (int r = 1; r <= 25; ++r) {
        const auto& row = rows[static_cast<std::size_t>(r - 1)];
        ASSERT_LE(row.size(), 80u) << "row " << r;
        for (int c = 1; c <= 80; ++c) {
            const platform::Cell cell = expected.read_cell(r, c);
            const char32_t glyph = platform::cp850_glyph(cell.ch);
            const bool erased = static_cast<std::size_t>(c) > row.size();
            const Shown got = erased ? Shown{} : row[static_cast<std::size_t>(c - 1)];
            const bool same = got.glyph == glyph && (erased || got.bg == (cell.attr >> 4)) &&
                              (glyph == U' ' || got.fg == (cell.attr & 15));
            if (!same && ++wrong <= 10)
                ADD_FAILURE() << "row " << r << " column " << c << ": byte " << int(cell.ch) << " attribute "
                              << int(cell.attr) << " shown as U+" << std::hex << unsigned(got.glyph) << std::dec
                              << " fg " << got.fg << " bg " << got.bg;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(t.pane("#{cursor_flag}"), "0");
    t.keys({"Enter"});
    expect_given_back(t, 0);
}

// Resizing while the program waits for a key: too small asks to be made
// larger, large enough shows the screen again at the top left.
TEST_P(TerminalTest, SmallTerminalAsksToBeEnlargedUntilItIs) {
    Tmux t(KEYPROBE_BINARY, GetParam());
    ASSERT_TRUE(t.wait_for_text("Ctrl+D ends")) << t.screen();
    t.tmux({"resize-window", "-t", "0", "-x", "60", "-y", "20"});
    ASSERT_TRUE(t.wait_for_text("Amplieu la finestra a 80 x 25 (ara 60 x 20)")) << t.screen();
    EXPECT_EQ(t.screen().find("Ctrl+D ends"), std::string::npos);
    t.tmux({"resize-window", "-t", "0", "-x", "90", "-y", "30"});
    ASSERT_TRUE(t.wait_for_text("Ctrl+D ends")) << t.screen();
    EXPECT_EQ(t.screen().find("Amplieu"), std::string::npos);
    EXPECT_EQ(t.screen().rfind(" keyprobe:", 0), 0u) << "the screen starts at the top left";
}

TEST_P(TerminalTest, TerminalIsGivenBackAfterAFatalSignal) {
    for (const int sig : {SIGTERM, SIGHUP, SIGSEGV}) {
        SCOPED_TRACE(sig);
        Tmux t(KEYPROBE_BINARY, GetParam());
        ASSERT_TRUE(t.wait_until([&] { return t.pane("#{mouse_sgr_flag} #{alternate_on}") == "1 1"; }));
        const int pid = t.program_pid();
        ASSERT_GT(pid, 0);
        ASSERT_EQ(::kill(pid, sig), 0);
        // The shell reports a death by signal as 128 + the signal.
        expect_given_back(t, 128 + sig);
    }
}

INSTANTIATE_TEST_SUITE_P(Terms, TerminalTest, ::testing::Values(std::string(), std::string("xterm-256color")),
                         [](const auto& info) {
                             return info.param.empty() ? std::string("TermOfTmux") : std::string("Xterm256color");
                         });

}  // namespace
