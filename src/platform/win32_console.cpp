#include "platform/win32_console.h"

#include <windows.h>

#include <algorithm>

#include "platform/console_records.h"
#include "platform/process.h"
#include "platform/win32_clipboard.h"
#include "platform/win32_text.h"

namespace platform {

struct Win32Console::Handles {
    HANDLE in = INVALID_HANDLE_VALUE;
    HANDLE out = INVALID_HANDLE_VALUE;
    COORD origin{};  // the top left cell of the window in the screen buffer
    DWORD saved_mode = 0;
    UINT saved_code_page = 0;
    CONSOLE_CURSOR_INFO saved_cursor{};
    bool restored = false;
};

namespace {

constexpr UINT CODE_PAGE_850 = 850;

HANDLE break_input = INVALID_HANDLE_VALUE;
// The console to give back when the process ends through end_process.
Win32Console* live_console = nullptr;

// With processed input off Ctrl+C arrives as a key, and this keeps
// Ctrl+Break from ending the run. Some consoles (wine) signal Ctrl+C all the
// same and send no key: the key is put into the input here instead.
BOOL WINAPI ignore_break(DWORD type) {
    if (type == CTRL_C_EVENT && break_input != INVALID_HANDLE_VALUE) {
        INPUT_RECORD rec{};
        rec.EventType = KEY_EVENT;
        rec.Event.KeyEvent.bKeyDown = TRUE;
        rec.Event.KeyEvent.wRepeatCount = 1;
        rec.Event.KeyEvent.wVirtualKeyCode = 'C';
        rec.Event.KeyEvent.wVirtualScanCode = 46;
        rec.Event.KeyEvent.uChar.UnicodeChar = 3;
        rec.Event.KeyEvent.dwControlKeyState = LEFT_CTRL_PRESSED;
        DWORD written = 0;
        ::WriteConsoleInputW(break_input, &rec, 1, &written);
    }
    return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT;
}

}  // namespace

std::unique_ptr<Win32Console> Win32Console::open() {
    auto h = std::make_unique<Handles>();
    h->in = ::GetStdHandle(STD_INPUT_HANDLE);
    h->out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleMode(h->in, &h->saved_mode) || !::GetConsoleScreenBufferInfo(h->out, &info)) return nullptr;
    h->origin = COORD{info.srWindow.Left, info.srWindow.Top};
    h->saved_code_page = ::GetConsoleOutputCP();
    ::GetConsoleCursorInfo(h->out, &h->saved_cursor);
    std::unique_ptr<Win32Console> c(new Win32Console(std::move(h)));
    static bool registered = false;
    if (!registered)
        at_process_end([] {
            if (live_console) live_console->restore();
        });
    registered = true;
    return c;
}

Win32Console::Win32Console(std::unique_ptr<Handles> handles) : h_(std::move(handles)) {
    break_input = h_->in;
    live_console = this;
    ::SetConsoleCtrlHandler(ignore_break, TRUE);
    ::SetConsoleOutputCP(CODE_PAGE_850);
    set_input_mode();
}

Win32Console::~Win32Console() {
    restore();
    if (live_console == this) live_console = nullptr;
}

void Win32Console::restore() {
    if (h_->restored) return;
    flush();
    h_->restored = true;
    // With the extended flags the QuickEdit bit is applied too, on or off.
    ::SetConsoleMode(h_->in, h_->saved_mode | ENABLE_EXTENDED_FLAGS);
    ::SetConsoleOutputCP(h_->saved_code_page);
    ::SetConsoleCursorInfo(h_->out, &h_->saved_cursor);
    ::SetConsoleCtrlHandler(ignore_break, FALSE);
    break_input = INVALID_HANDLE_VALUE;
}

// No processed input, echo or line input; mouse input only while reported;
// the extended flags switch QuickEdit off, so a click reaches the program.
void Win32Console::set_input_mode() {
    if (h_->restored) return;
    ::SetConsoleMode(h_->in, ENABLE_EXTENDED_FLAGS | (mouse_reporting() ? ENABLE_MOUSE_INPUT : 0));
}

void Win32Console::flush() {
    if (h_->restored) return;
    const std::vector<Cell>& now = cells();
    const int w = columns();
    if (!shown_valid_) shown_.assign(now.size(), Cell{});
    std::vector<CHAR_INFO> line(static_cast<std::size_t>(w));
    for (int r = 0; r < rows(); ++r) {
        const auto row = now.begin() + r * w;
        const auto was = shown_.begin() + r * w;
        int first = 0, last = w - 1;
        if (shown_valid_) {
            while (first < w && row[first] == was[first]) ++first;
            if (first == w) continue;
            while (row[last] == was[last]) --last;
        }
        for (int c = first; c <= last; ++c) {
            line[static_cast<std::size_t>(c)].Char.UnicodeChar = static_cast<WCHAR>(cp850_glyph(row[c].ch));
            line[static_cast<std::size_t>(c)].Attributes = row[c].attr;
        }
        const SHORT x = static_cast<SHORT>(h_->origin.X + first);
        const SHORT y = static_cast<SHORT>(h_->origin.Y + r);
        SMALL_RECT region{x, y, static_cast<SHORT>(h_->origin.X + last), y};
        ::WriteConsoleOutputW(h_->out, line.data() + first, COORD{static_cast<SHORT>(last - first + 1), 1}, COORD{0, 0},
                              &region);
        std::copy(row + first, row + last + 1, was + first);
    }
    if (!shown_valid_ || cursor() != shown_cursor_) {
        ::SetConsoleCursorPosition(h_->out, COORD{static_cast<SHORT>(h_->origin.X + cursor().column - 1),
                                                  static_cast<SHORT>(h_->origin.Y + cursor().row - 1)});
        shown_cursor_ = cursor();
    }
    if (!shown_valid_ || cursor_visible() != shown_visible_ || cursor_size() != shown_size_) {
        const CONSOLE_CURSOR_INFO ci{static_cast<DWORD>(cursor_size()), cursor_visible() ? TRUE : FALSE};
        ::SetConsoleCursorInfo(h_->out, &ci);
        shown_visible_ = cursor_visible();
        shown_size_ = cursor_size();
    }
    shown_valid_ = true;
}

std::optional<InputEvent> Win32Console::next_event(bool block) {
    if (!repeats_.empty()) {
        InputEvent e = std::move(repeats_.front());
        repeats_.pop_front();
        return e;
    }
    for (;;) {
        DWORD waiting = 0;
        if (!block && (!::GetNumberOfConsoleInputEvents(h_->in, &waiting) || waiting == 0)) return std::nullopt;
        INPUT_RECORD rec{};
        DWORD n = 0;
        if (!::ReadConsoleInputW(h_->in, &rec, 1, &n)) {
            // A console that cannot be read any more ends the wait with Esc
            // rather than spinning.
            return InputEvent{"\x1B", 0, {}};
        }
        if (n == 0) continue;
        if (rec.EventType == KEY_EVENT) {
            const KEY_EVENT_RECORD& k = rec.Event.KeyEvent;
            const KeyRecord key{k.bKeyDown != FALSE, k.wVirtualKeyCode, k.wVirtualScanCode,
                                static_cast<char16_t>(k.uChar.UnicodeChar), k.dwControlKeyState};
            if (auto e = event_from_record(key, buttons_, mouse_events())) {
                for (WORD i = 1; i < k.wRepeatCount; ++i) repeats_.push_back(*e);
                return e;
            }
        } else if (rec.EventType == MOUSE_EVENT) {
            const MOUSE_EVENT_RECORD& m = rec.Event.MouseEvent;
            const MouseRecord mouse{m.dwMousePosition.X - h_->origin.X, m.dwMousePosition.Y - h_->origin.Y,
                                    m.dwButtonState, m.dwEventFlags, m.dwControlKeyState};
            const auto e = event_from_record(mouse, buttons_, mouse_events());
            buttons_ = m.dwButtonState & 0xFFFF;  // without a wheel's distance
            if (e && take_event(*e)) return e;
        }
    }
}

InputEvent Win32Console::wait_event() {
    flush();
    return *next_event(true);
}

std::optional<InputEvent> Win32Console::poll_event() { return next_event(false); }

void Win32Console::discard_keys() {
    repeats_.clear();
    ::FlushConsoleInputBuffer(h_->in);
}

int Win32Console::mouse_buttons() const {
    DWORD n = 0;
    return ::GetNumberOfConsoleMouseButtons(&n) ? static_cast<int>(n) : 0;
}

void Win32Console::set_mouse_reporting(bool on) {
    CellConsole::set_mouse_reporting(on);
    set_input_mode();
}

KeyboardState Win32Console::keyboard_state() const {
    KeyboardState state{};
    ::GetKeyboardState(state.data());
    return state;
}

void Win32Console::set_keyboard_state(const KeyboardState& state) {
    KeyboardState copy = state;
    ::SetKeyboardState(copy.data());
}

void Win32Console::ring() { ::MessageBeep(MB_OK); }

void Win32Console::put_clipboard(std::string_view text) { put_clipboard_text(text); }

std::string Win32Console::get_clipboard() { return clipboard_text(); }

}  // namespace platform
