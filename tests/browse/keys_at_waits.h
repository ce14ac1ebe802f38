// The headless console driven one key at a time: each key of the script is
// handed over only as the program waits for it, so that a browse list's
// look at the keyboard while it reads lines finds only what a test types
// at that moment. The screen is kept as it stood at every wait.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/headless_console.h"

// The screen as it was at one key wait.
struct Shot {
    std::vector<platform::Cell> cells;
    const platform::Cell& at(int row, int column) const {
        return cells[static_cast<std::size_t>((row - 1) * platform::SCREEN_COLUMNS + column - 1)];
    }
    // Code page 850 bytes of columns `left` to `right` of a row.
    std::string bytes(int row, int left, int right) const {
        std::string out;
        for (int c = left; c <= right; ++c) out += static_cast<char>(at(row, c).ch);
        return out;
    }
};

class KeysAtWaits {
public:
    explicit KeysAtWaits(platform::HeadlessConsole& console) : console_(console) {
        console_.at_wait = [this] {
            Shot shot;
            for (int r = 1; r <= console_.rows(); ++r)
                for (int c = 1; c <= console_.columns(); ++c) shot.cells.push_back(console_.read_cell(r, c));
            shots.push_back(std::move(shot));
            if (on_wait) on_wait();
            if (script.empty()) return;  // the console's own end of script: Esc
            console_.push_event(script.front());
            script.pop_front();
        };
    }
    ~KeysAtWaits() { console_.at_wait = nullptr; }
    KeysAtWaits(const KeysAtWaits&) = delete;
    KeysAtWaits& operator=(const KeysAtWaits&) = delete;

    void keys(std::initializer_list<std::int16_t> codes) {
        for (const std::int16_t code : codes) script.push_back(platform::key_event(code));
    }
    void text(std::string_view typed) {
        for (const char ch : typed) script.push_back(platform::key_event(static_cast<std::uint8_t>(ch)));
    }

    std::deque<platform::InputEvent> script;
    std::vector<Shot> shots;
    std::function<void()> on_wait;

private:
    platform::HeadlessConsole& console_;
};
