#include "platform/headless_console.h"

#include <cstdio>
#include <cstdlib>

#include "platform/cp850.h"

namespace platform {

void HeadlessConsole::push_char(std::uint8_t ch, std::uint16_t control_state) {
    push_event({std::string(1, static_cast<char>(ch)), control_state, {}});
}

void HeadlessConsole::push_scan(std::uint8_t scan, std::uint16_t control_state) {
    std::string text(1, '\0');
    text += static_cast<char>(scan);
    push_event({text, control_state, {}});
}

void HeadlessConsole::push_text(std::string_view text) {
    for (const char c : text) push_char(static_cast<std::uint8_t>(c));
}

void HeadlessConsole::push_mouse(std::uint8_t event, std::uint8_t button, int row, int column,
                                 std::uint16_t control_state) {
    std::string text = "\xFF\xFF";
    text += static_cast<char>(event);
    text += static_cast<char>(button);
    push_event({text, control_state, {row, column}});
}

void HeadlessConsole::push_wheel(bool up) { push_event(wheel_key(up)); }

InputEvent HeadlessConsole::wait_event() {
    if (at_wait) at_wait();
    if (auto event = poll_event()) return *event;
    // A screen that keeps waiting long after its script ended is a test
    // that would never finish: stop it loudly.
    if (++waits_past_script_ > 10000) {
        std::fputs("headless console: input script exhausted\n", stderr);
        std::abort();
    }
    return {std::string(1, '\x1B'), 0, {}};
}

std::optional<InputEvent> HeadlessConsole::poll_event() {
    while (!events_.empty()) {
        InputEvent event = std::move(events_.front());
        events_.pop_front();
        if (take_event(event)) return event;
    }
    return std::nullopt;
}

void HeadlessConsole::discard_keys() { events_.clear(); }

std::string HeadlessConsole::row_text(int row) const {
    std::string out;
    for (int col = 1; col <= columns(); ++col) append_utf8(out, cp850_glyph(read_cell(row, col).ch));
    return out;
}

std::vector<std::string> HeadlessConsole::screen_text() const {
    std::vector<std::string> out;
    for (int row = 1; row <= rows(); ++row) out.push_back(row_text(row));
    return out;
}

}  // namespace platform
