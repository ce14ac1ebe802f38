// The sample screen painted with ncurses, for terminal_bytes.sh: the same
// cells, cursor and keys as terminal_bytes_ours.cpp. On a resize it
// refreshes, which ncurses does by repainting the whole screen.
#include <curses.h>

#include <clocale>

#include "terminal_sample.h"

namespace {

// The PC's colour numbers run blue, green, cyan, red; curses' red, green,
// yellow, blue.
int curses_colour(int pc) {
    static constexpr int map[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                   COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    return map[pc & 7] + (pc & 8);
}

int pair_of(int attr) {
    static int pairs[256] = {};
    static int next = 1;
    if (!pairs[attr]) {
        init_pair(static_cast<short>(next), static_cast<short>(curses_colour(attr & 15)),
                  static_cast<short>(curses_colour(attr >> 4)));
        pairs[attr] = next++;
    }
    return pairs[attr];
}

}  // namespace

int main() {
    std::setlocale(LC_ALL, "");
    initscr();
    raw();
    noecho();
    keypad(stdscr, TRUE);
    start_color();
    bkgdset(' ' | COLOR_PAIR(pair_of(sample::NORMAL)));
    erase();
    const auto put = [](int row, int column, int attr, const char* text) {
        attrset(COLOR_PAIR(pair_of(attr)));
        mvaddstr(row - 1, column - 1, text);
    };
    sample::paint(put);
    move(sample::CURSOR_ROW - 1, sample::CURSOR_COLUMN - 1);
    curs_set(1);
    refresh();
    for (;;) {
        const int key = getch();
        if (key == 'q') break;
        if (key == 'x') {
            sample::type_key(put);
            refresh();
        }
        if (key == 'p') {
            int row, column;
            getyx(stdscr, row, column);
            sample::next_page(put);
            move(row, column);
            refresh();
        }
        if (key == KEY_RESIZE) refresh();
    }
    endwin();
    return 0;
}
