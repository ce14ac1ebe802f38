// What terminals send, recorded byte for byte, and the key event texts and
// control-key states the key reader must get for them.
#include "platform/terminal_keys.h"

#include <gtest/gtest.h>

#include "platform/cp850.h"

using namespace platform;

namespace {

std::string scan(int code) { return std::string(1, '\0') + static_cast<char>(code); }
std::string ch(int code) { return std::string(1, static_cast<char>(code)); }

struct KeyCase {
    const char* terminal;
    const char* key;
    std::string bytes;
    std::string text;
    std::uint16_t state;
};

// Bytes complete in themselves, delivered at once (no Esc wait involved).
const KeyCase key_cases[] = {
    {"tmux", "F1", "\x1bOP", scan(0x3B), 0},
    {"tmux", "Shift+F1", "\x1b[1;2P", scan(0x3B), SHIFT},
    {"tmux", "Ctrl+F1", "\x1b[1;5P", scan(0x3B), LEFT_CTRL},
    {"tmux", "Alt+F1", "\x1b[1;3P", scan(0x3B), LEFT_ALT},
    {"tmux", "F4", "\x1bOS", scan(0x3E), 0},
    {"tmux", "F5", "\x1b[15~", scan(0x3F), 0},
    {"tmux", "F10", "\x1b[21~", scan(0x44), 0},
    {"tmux", "Alt+F4", "\x1b[1;3S", scan(0x3E), LEFT_ALT},
    {"tmux", "Ctrl+F4", "\x1b[1;5S", scan(0x3E), LEFT_CTRL},
    {"tmux", "Ctrl+Left", "\x1b[1;5D", scan(0x4B), LEFT_CTRL},
    {"tmux", "Ctrl+Right", "\x1b[1;5C", scan(0x4D), LEFT_CTRL},
    {"tmux", "Ctrl+Home", "\x1b[1;5H", scan(0x47), LEFT_CTRL},
    {"tmux", "Home", "\x1b[1~", scan(0x47), 0},
    {"tmux", "End", "\x1b[4~", scan(0x4F), 0},
    {"tmux", "Insert", "\x1b[2~", scan(0x52), 0},
    {"tmux", "Delete", "\x1b[3~", scan(0x53), 0},
    {"tmux", "PgUp", "\x1b[5~", scan(0x49), 0},
    {"tmux", "PgDn", "\x1b[6~", scan(0x51), 0},
    {"tmux", "Shift+Tab", "\x1b[Z", scan(0x0F), SHIFT},
    {"tmux", "Up", "\x1b[A", scan(0x48), 0},
    {"tmux", "Down (cursor keys mode)", "\x1bOB", scan(0x50), 0},
    {"tmux", "Alt+X", "\x1bx", scan(0x2D), LEFT_ALT},
    {"tmux", "Alt+C",
     "\x1b"
     "c",
     scan(0x2E), LEFT_ALT},
    {"tmux", "Alt+E",
     "\x1b"
     "e",
     scan(0x12), LEFT_ALT},
    {"tmux", "Alt+F",
     "\x1b"
     "f",
     scan(0x21), LEFT_ALT},
    {"tmux", "Alt+Shift+Q", "\x1bQ", scan(0x10), LEFT_ALT | SHIFT},
    {"tmux", "Alt+M", "\x1bm", scan(0x32), LEFT_ALT},
    {"tmux", "Alt+0 (the keypad's Ins)",
     "\x1b"
     "0",
     scan(0x52), LEFT_ALT},
    {"tmux", "Alt+1 (the keypad's End)",
     "\x1b"
     "1",
     scan(0x4F), LEFT_ALT},
    {"tmux", "Alt+2 (Down)",
     "\x1b"
     "2",
     scan(0x50), LEFT_ALT},
    {"tmux", "Alt+3 (PgDn)",
     "\x1b"
     "3",
     scan(0x51), LEFT_ALT},
    {"tmux", "Alt+4 (Left)",
     "\x1b"
     "4",
     scan(0x4B), LEFT_ALT},
    {"tmux", "Alt+5 (keypad 5)",
     "\x1b"
     "5",
     scan(0x4C), LEFT_ALT},
    {"tmux", "Alt+6 (Right)",
     "\x1b"
     "6",
     scan(0x4D), LEFT_ALT},
    {"tmux", "Alt+7 (Home)",
     "\x1b"
     "7",
     scan(0x47), LEFT_ALT},
    {"tmux", "Alt+8 (Up)",
     "\x1b"
     "8",
     scan(0x48), LEFT_ALT},
    {"tmux", "Alt+9 (PgUp)",
     "\x1b"
     "9",
     scan(0x49), LEFT_ALT},
    {"tmux", "Alt+!", "\x1b!", "!", LEFT_ALT},
    {"tmux", "Alt+Backspace", "\x1b\x7f", ch(8), LEFT_ALT},
    {"tmux", "Alt+Ctrl+A", "\x1b\x01", ch(1), LEFT_ALT | LEFT_CTRL},
    {"tmux", "Enter", "\r", ch(13), 0},
    {"tmux", "Tab", "\t", ch(9), 0},
    {"tmux", "Backspace", "\x7f", ch(8), 0},
    {"tmux", "Ctrl+H", "\x08", ch(8), LEFT_CTRL},
    {"tmux", "Ctrl+J", "\n", ch(10), LEFT_CTRL},
    {"tmux", "Ctrl+B", "\x02", ch(2), LEFT_CTRL},
    {"tmux", "Ctrl+C", "\x03", ch(3), LEFT_CTRL},
    {"tmux", "Ctrl+V", "\x16", ch(22), LEFT_CTRL},
    {"tmux", "Ctrl+Y", "\x19", ch(25), LEFT_CTRL},
    {"tmux", "a", "a", "a", 0},
    {"tmux", "ñ", "ñ", "ñ"_cp850, 0},
    {"tmux", "Ç", "Ç", "Ç"_cp850, 0},
    {"tmux", "€ (AltGr+E)", "€", "€"_cp850, 0},
    {"tmux", "Alt+ñ", "\x1bñ", "ñ"_cp850, LEFT_ALT},
    {"xterm", "F1", "\x1bOP", scan(0x3B), 0},
    {"xterm", "Shift+F1 (old form)", "\x1bO2P", scan(0x3B), SHIFT},
    {"xterm", "Home", "\x1b[H", scan(0x47), 0},
    {"xterm", "End", "\x1b[F", scan(0x4F), 0},
    {"xterm", "Home (cursor keys mode)", "\x1bOH", scan(0x47), 0},
    {"xterm", "End (cursor keys mode)", "\x1bOF", scan(0x4F), 0},
    {"xterm", "Ctrl+End", "\x1b[1;5F", scan(0x4F), LEFT_CTRL},
    {"xterm", "Ctrl+PgUp", "\x1b[5;5~", scan(0x49), LEFT_CTRL},
    {"xterm", "Ctrl+Shift+F5", "\x1b[15;6~", scan(0x3F), LEFT_CTRL | SHIFT},
    {"xterm", "Ctrl+Alt+Left", "\x1b[1;7D", scan(0x4B), LEFT_CTRL | LEFT_ALT},
    {"xterm", "Meta+Left", "\x1b[1;9D", scan(0x4B), LEFT_ALT},
    {"xterm", "Shift+F10", "\x1b[21;2~", scan(0x44), SHIFT},
    {"xterm", "F11", "\x1b[23~", scan(0x57), 0},
    {"xterm", "F12", "\x1b[24~", scan(0x58), 0},
    {"xterm", "keypad 5", "\x1b[E", scan(0x4C), 0},
    {"xterm", "Alt+Up (Esc prefix)", "\x1b\x1b[A", scan(0x48), LEFT_ALT},
    {"xterm", "Alt+F2 (Esc prefix)", "\x1b\x1bOQ", scan(0x3C), LEFT_ALT},
    {"linux", "F1", "\x1b[[A", scan(0x3B), 0},
    {"linux", "F5", "\x1b[[E", scan(0x3F), 0},
    {"linux", "F6", "\x1b[17~", scan(0x40), 0},
    {"linux", "Home", "\x1b[1~", scan(0x47), 0},
    {"linux", "End", "\x1b[4~", scan(0x4F), 0},
    {"linux", "keypad 5", "\x1b[G", scan(0x4C), 0},
    {"linux", "Alt+X", "\x1bx", scan(0x2D), LEFT_ALT},
    {"linux", "Shift+F5", "\x1b[28~", scan(0x3F), SHIFT},
    {"rxvt", "Home", "\x1b[7~", scan(0x47), 0},
    {"rxvt", "End", "\x1b[8~", scan(0x4F), 0},
    {"rxvt", "Shift+Up", "\x1b[a", scan(0x48), SHIFT},
    {"rxvt", "Ctrl+Left", "\x1bOd", scan(0x4B), LEFT_CTRL},
    {"rxvt", "Shift+Delete", "\x1b[3$", scan(0x53), SHIFT},
    {"rxvt", "Ctrl+PgDn", "\x1b[6^", scan(0x51), LEFT_CTRL},
    {"rxvt", "Shift+F3", "\x1b[25~", scan(0x3D), SHIFT},
    {"rxvt", "Shift+F10", "\x1b[34~", scan(0x44), SHIFT},
};

TEST(TerminalKeys, RecordedBytesGiveKeyEventTextAndControlState) {
    for (const auto& c : key_cases) {
        SCOPED_TRACE(std::string(c.terminal) + " " + c.key);
        KeyDecoderState state;
        const DecodedInput d = decode_all(c.bytes, false, state);
        EXPECT_EQ(d.left, 0u);
        ASSERT_EQ(d.events.size(), 1u);
        EXPECT_EQ(d.events[0].text, c.text);
        EXPECT_EQ(d.events[0].control_state, c.state);
    }
}

// Several keys in one read, as a fast typist or a paste gives them.
TEST(TerminalKeys, KeysRunTogetherAreTakenApart) {
    KeyDecoderState state;
    const DecodedInput d = decode_all("\x1b[1;5Dz\x1bOPñ\x1b[6~\r", false, state);
    EXPECT_EQ(d.left, 0u);
    const auto& events = d.events;
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].text, scan(0x4B));
    EXPECT_EQ(events[1].text, "z");
    EXPECT_EQ(events[2].text, scan(0x3B));
    EXPECT_EQ(events[3].text, "ñ"_cp850.str());
    EXPECT_EQ(events[4].text, scan(0x51));
    EXPECT_EQ(events[5].text, "\r");
}

// A prefix waits for more bytes: briefly when it is Esc that may be the
// Esc key or Alt with a key, long when a sequence is under way. When the
// wait is over a lone Esc is the Esc key, ESC and a character is Alt with
// it, and a broken sequence is dropped.
TEST(TerminalKeys, UnfinishedInputWaitsForMoreOrTheTimeout) {
    struct Case {
        std::string bytes;
        KeyWait wait;
        std::vector<std::string> at_timeout;
    };
    const Case cases[] = {
        {"\x1b", KeyWait::esc, {ch(27)}},
        {"\x1b\x1b", KeyWait::esc, {ch(27), ch(27)}},
        {"\x1b]", KeyWait::esc, {"]"}},              // Alt+]
        {"\x1bP", KeyWait::esc, {scan(0x19)}},       // Alt+Shift+P
        {"\x1b[", KeyWait::sequence, {"["}},         // Alt+[
        {"\x1bO", KeyWait::sequence, {scan(0x18)}},  // Alt+O
        {"\x1b[1;5", KeyWait::sequence, {}},
        {"\x1b[[", KeyWait::sequence, {}},
        {"\x1bO5", KeyWait::sequence, {}},
        {"\x1b[M !", KeyWait::sequence, {}},
        {"\x1b[<0;10", KeyWait::sequence, {}},
        {"\xC3", KeyWait::sequence, {}},
        {"\xE2\x82", KeyWait::sequence, {}},
        {"\x1b\xC3", KeyWait::sequence, {}},
        {"\x1b]11;rgb:0000/0000/0000", KeyWait::sequence, {}},
        {"\x1bP1$r0m\x1b", KeyWait::sequence, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        KeyDecoderState state;
        const DecodedInput waiting = decode_all(c.bytes, false, state);
        EXPECT_TRUE(waiting.events.empty());
        EXPECT_EQ(waiting.wait, c.wait);
        // The console keeps what is left and decodes it again at the timeout.
        const DecodedInput d = decode_all(c.bytes.substr(c.bytes.size() - waiting.left), true, state);
        EXPECT_EQ(d.left, 0u);
        EXPECT_EQ(d.wait, KeyWait::none);
        std::vector<std::string> texts;
        for (const auto& e : d.events) texts.push_back(e.text);
        EXPECT_EQ(texts, c.at_timeout);
    }
}

// Bytes that come in several reads, as a slow link delivers them: fed as
// the console does, keeping what is left, they make the same keys (and a
// string still nothing), and between the reads the long wait is asked for.
TEST(TerminalKeys, InputSplitAcrossReadsGivesTheSameKeys) {
    struct Case {
        const char* what;
        std::vector<std::string> reads;
        std::vector<std::string> texts;
    };
    const std::string long_reply = "\x1b]52;c;" + std::string(5000, 'Q') + "\x07";
    std::vector<std::string> long_reads;
    for (std::size_t at = 0; at < long_reply.size(); at += 512) long_reads.push_back(long_reply.substr(at, 512));
    const Case cases[] = {
        {"UTF-8 ñ", {"\xC3", "\xB1"}, {"ñ"_cp850.str()}},
        {"UTF-8 €", {"\xE2", "\x82", "\xAC"}, {"€"_cp850.str()}},
        {"Alt+ñ", {"\x1b\xC3", "\xB1"}, {"ñ"_cp850.str()}},
        {"Up after ESC [", {"\x1b[", "A"}, {scan(0x48)}},
        {"F1 after ESC O", {"\x1bO", "P"}, {scan(0x3B)}},
        {"Ctrl+F5 in three", {"\x1b[1", "5;", "5~"}, {scan(0x3F)}},
        {"SGR mouse wheel", {"\x1b[<64;1", "0;5M"}, {scan(0x48)}},
        {"OSC reply and a key", {"\x1b]11;rgb:ff", "ff/ffff/ffff\x1b", "\\k"}, {"k"}},
        {"DCS reply", {"\x1bP1$r", "0m\x1b", "\\"}, {}},
        {"a long string", long_reads, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyDecoderState state;
        std::string input;
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < c.reads.size(); ++i) {
            input += c.reads[i];
            const DecodedInput d = decode_all(input, false, state);
            for (const auto& e : d.events) texts.push_back(e.text);
            input.erase(0, input.size() - d.left);
            EXPECT_EQ(d.wait, i + 1 < c.reads.size() ? KeyWait::sequence : KeyWait::none) << "after read " << i;
        }
        EXPECT_TRUE(input.empty());
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(TerminalKeys, SequenceSplitAtEveryPlaceIsOneKey) {
    const std::string whole = "\x1b[15;5~";
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        KeyDecoderState state;
        const DecodedInput first = decode_all(whole.substr(0, cut), false, state);
        EXPECT_TRUE(first.events.empty());
        EXPECT_EQ(first.left, cut);
        const DecodedInput d = decode_all(whole, false, state);
        ASSERT_EQ(d.events.size(), 1u);
        EXPECT_EQ(d.events[0].text, scan(0x3F));
        EXPECT_EQ(d.events[0].control_state, LEFT_CTRL);
    }
}

// Sequences for things the program does not read, and the terminal's
// replies and strings, are taken whole, so that nothing of them is typed
// and the next key is not lost; characters outside the code page and bytes
// that are not UTF-8 give nothing.
TEST(TerminalKeys, UnknownInputIsSkippedWithoutLosingTheNextKey) {
    const std::string cases[] = {
        "\x1b[99~",
        "\x1b[?1;2c",       // primary device attributes
        "\x1b[>41;380;0c",  // secondary device attributes
        "\x1b[?2004;1$y",   // a private mode's state (DECRPM)
        "\x1b[200~",
        "\x1b[1;5X",
        "\x1b[I",      // focus in
        "\x1b[97;5u",  // a key in the kitty protocol
        "\x1bOz",
        "\x1b]11;rgb:ffff/ffff/ffff\x07",  // OSC ended by BEL
        "\x1b]52;c;YWJj\x1b\\",            // OSC ended by ST
        "\x1bP1$r0;1m\x1b\\",              // DCS
        "\x1bP>|XTerm(379)\x1b\\",
        "\x1b_Gi=1;OK\x1b\\",  // APC
        "\x1b^secret\x1b\\",   // PM
        "\xE2\x98\x83" /* snowman */,
        "\xE2\x98\xBA" /* smiling face, a glyph only */,
        "\xFF",
        "\xC3(",
        std::string("\x1b[") + std::string(40, '1') + "~",
        std::string("\x1b[") + std::string(300, '1') + "~",
    };
    for (const auto& bytes : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        KeyDecoderState state;
        const DecodedInput d = decode_all(bytes + "k", false, state);
        EXPECT_EQ(d.left, 0u);
        ASSERT_FALSE(d.events.empty());
        EXPECT_EQ(d.events.back().text, "k");
        // "\xC3(" is a broken sequence followed by a real character.
        EXPECT_EQ(d.events.size(), bytes == "\xC3(" ? 2u : 1u);
    }
    // A string broken off by the start of another sequence gives that one.
    KeyDecoderState state;
    const DecodedInput d = decode_all("\x1b]0;title\x1b[A", false, state);
    ASSERT_EQ(d.events.size(), 1u);
    EXPECT_EQ(d.events[0].text, scan(0x48));
}

struct MouseCase {
    const char* what;
    std::string bytes;
    std::vector<InputEvent> events;
};

InputEvent mouse(std::uint8_t kind, std::uint8_t button, int row, int column, std::uint16_t state = 0) {
    std::string text = "\xFF\xFF";
    text += static_cast<char>(kind);
    text += static_cast<char>(button);
    return {text, state, {row, column}};
}

// X10 reports carry column and row + 32 and do not say which button went
// up; SGR reports carry them in decimal. Presses and the middle button give
// nothing; a notch of the wheel is the Up or Down key, without modifiers;
// nothing outside the painted 80 x 25 screen is delivered.
TEST(TerminalKeys, MouseReportsInBothForms) {
    const MouseCase cases[] = {
        {"X10 left click at row 5 column 10", "\x1b[M *%\x1b[M#*%", {mouse(8, 1, 5, 10)}},
        {"X10 right click at row 25 column 80", "\x1b[M\"p9\x1b[M#p9", {mouse(8, 2, 25, 80)}},
        {"X10 drag with the left button", "\x1b[M !!\x1b[M@\"!\x1b[M#\"!", {mouse(1, 0, 1, 2), mouse(8, 1, 1, 2)}},
        {"X10 movement without a button", "\x1b[MC!\"", {mouse(1, 0, 2, 1)}},
        {"X10 middle click", "\x1b[M!!!\x1b[M#!!", {}},
        {"X10 wheel up", "\x1b[M`!!", {wheel_key(true)}},
        {"X10 wheel down", "\x1b[Ma!!", {wheel_key(false)}},
        {"X10 click at row 30 column 100", "\x1b[M \x84>\x1b[M#\x84>", {}},
        {"SGR left click", "\x1b[<0;10;5M\x1b[<0;10;5m", {mouse(8, 1, 5, 10)}},
        {"SGR right release", "\x1b[<2;80;25m", {mouse(8, 2, 25, 80)}},
        {"SGR movement", "\x1b[<35;3;4M", {mouse(1, 0, 4, 3)}},
        {"SGR Ctrl+click", "\x1b[<16;1;1m", {mouse(8, 1, 1, 1, LEFT_CTRL)}},
        {"SGR Shift+Alt+right click", "\x1b[<14;7;8m", {mouse(8, 2, 8, 7, SHIFT | LEFT_ALT)}},
        {"SGR middle button", "\x1b[<1;1;1M\x1b[<1;1;1m", {}},
        {"SGR wheel up and down", "\x1b[<64;10;5M\x1b[<65;10;5M", {wheel_key(true), wheel_key(false)}},
        {"SGR wheel with Ctrl", "\x1b[<80;10;5M", {wheel_key(true)}},
        {"SGR horizontal wheel", "\x1b[<66;10;5M\x1b[<67;10;5M", {}},
        {"SGR click at row 60 column 200", "\x1b[<0;200;60M\x1b[<0;200;60m", {}},
        {"SGR release beyond column 80", "\x1b[<0;81;5m", {}},
        {"SGR release below row 25", "\x1b[<2;80;26m", {}},
        {"SGR movement outside", "\x1b[<35;90;3M", {}},
        {"SGR wheel outside", "\x1b[<64;90;3M", {}},
        {"pressed inside, released outside", "\x1b[<0;10;5M\x1b[<0;100;5m\x1b[M#*%", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyDecoderState state;
        const DecodedInput d = decode_all(c.bytes, false, state);
        EXPECT_EQ(d.left, 0u);
        ASSERT_EQ(d.events.size(), c.events.size());
        for (std::size_t i = 0; i < d.events.size(); ++i) {
            EXPECT_EQ(d.events[i].text, c.events[i].text);
            EXPECT_EQ(d.events[i].mouse, c.events[i].mouse);
            EXPECT_EQ(d.events[i].control_state, c.events[i].control_state);
            EXPECT_EQ(d.events[i].wheel, c.events[i].wheel);
        }
    }
}

TEST(TerminalKeys, LetterScanCodesFollowThePcKeyboard) {
    EXPECT_EQ(letter_scan_code('q'), 16);
    EXPECT_EQ(letter_scan_code('p'), 25);
    EXPECT_EQ(letter_scan_code('a'), 30);
    EXPECT_EQ(letter_scan_code('L'), 38);
    EXPECT_EQ(letter_scan_code('z'), 44);
    EXPECT_EQ(letter_scan_code('m'), 50);
    EXPECT_EQ(letter_scan_code('1'), 0);
    EXPECT_EQ(letter_scan_code("ñ"_cp850.view()[0]), 0);
}

}  // namespace
