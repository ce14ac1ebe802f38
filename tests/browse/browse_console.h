// The headless console as an operator meets it, for browse lists: keys
// typed ahead reach the key waits, not the look at the keyboard while lines
// are read, and every key wait keeps a copy of the screen.
#pragma once

#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
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

// The headless console as an operator meets it: the script's keys reach
// only the key waits, so the look at the keyboard while lines are read
// finds only what a test types at that moment (typed_while_reading). Each
// key wait keeps the screen as it stood.
class BrowseConsole : public platform::HeadlessConsole {
public:
    platform::InputEvent wait_event() override {
        Shot shot;
        for (int r = 1; r <= rows(); ++r)
            for (int c = 1; c <= columns(); ++c) shot.cells.push_back(read_cell(r, c));
        shots.push_back(std::move(shot));
        if (on_wait) on_wait();
        if (auto event = HeadlessConsole::poll_event()) return *event;
        // A list that keeps waiting after its script is a test that would
        // never end.
        if (++waits_after_script > 1000) std::abort();
        return {std::string(1, '\x1B'), 0, {}};
    }
    std::optional<platform::InputEvent> poll_event() override {
        if (typed_while_reading.empty()) return std::nullopt;
        platform::InputEvent event = typed_while_reading.front();
        typed_while_reading.pop_front();
        return event;
    }
    void type_while_reading(char ch) { typed_while_reading.push_back({std::string(1, ch), 0, {}}); }

    std::deque<platform::InputEvent> typed_while_reading;
    std::vector<Shot> shots;
    std::function<void()> on_wait;
    int waits_after_script = 0;
};
