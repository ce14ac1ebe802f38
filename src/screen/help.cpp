#include "screen/help.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/key_codes.h"
#include "platform/process.h"
#include "screen/colour.h"
#include "screen/regions.h"
#include "screen/windows.h"
#include "startup/session.h"

namespace screen {

namespace {

using namespace platform::key_codes;

// Markup bytes of a help line; they take no place on the screen.
constexpr char HIGHLIGHT = 30;
constexpr char MARKED = 31;
constexpr char REVERSE = 16;
constexpr int VISIBLE = 76;

bool plain_name(std::string_view topic) {
    return !topic.empty() && std::all_of(topic.begin(), topic.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

// The bytes a console prints as movements rather than characters would
// break the window: they show as blanks.
char shown(char c) {
    switch (c) {
        case '\a':
        case '\b':
        case '\t':
        case '\n':
        case '\r':
            return ' ';
        default:
            return c;
    }
}

class Viewer {
public:
    Viewer(platform::File file, int width, int rows)
        : file_(std::move(file)),
          width_(width),
          page_(rows - 8),
          lines_(static_cast<int>((file_.is_open() ? file_.length() : 0) * 2 + width) / (2 * width)) {}

    void run(const std::string& topic);

private:
    void show_line(int k, int window_row);
    void show_page(int first) {
        for (int k = 0; k < page_; ++k) show_line(first + k, k + 1);
    }
    void scroll(int count) {
        scroll_region(4, 1, static_cast<std::int16_t>(3 + page_), static_cast<std::int16_t>(width_ - 2),
                      static_cast<std::int16_t>(count));
    }
    void clear_area() { scroll(page_); }

    platform::File file_;
    int width_;
    int page_;   // lines in the text area
    int lines_;  // lines in the file
};

void Viewer::show_line(int k, int window_row) {
    apply_colour_code("n");
    locate_in_window(static_cast<std::int16_t>(window_row), 2);
    if (k < 1 || k > lines_) return;
    const std::string record =
        file_.read(static_cast<std::int64_t>(k - 1) * width_ + 1, static_cast<std::size_t>(width_));
    platform::Console& con = platform::console();
    bool highlight = false, marked = false, reverse = false;
    int count = 0;
    std::string run;
    const auto flush = [&] {
        con.print(run);
        run.clear();
    };
    for (const char c : record) {
        if (c == HIGHLIGHT || c == MARKED || c == REVERSE) {
            flush();
            if (c == HIGHLIGHT) {
                highlight = !highlight;
                if (!marked) apply_colour_code(highlight ? "h" : "n");
            } else if (c == MARKED) {
                marked = !marked;
                apply_colour_code(marked ? "u" : "n");
            } else {
                reverse = !reverse;
                apply_colour_code(reverse ? "r" : "n");
            }
        } else if (++count <= VISIBLE) {
            run += shown(c);
        }
    }
    flush();
}

void Viewer::run(const std::string& topic) {
    // N, the first line below the window: the window shows N - P to N - 1.
    int next = page_ + 1;
    show_page(1);
    platform::Console& con = platform::console();
    for (;;) {
        con.flush();
        const KeyCode key = platform::key_event_code(con.wait_event());
        const int first = next - page_;
        if (key == KEY_ESC) return;
        if (key == KEY_F1 && topic != "KEYGUIDE") {
            show_help("KEYGUIDE");
        } else if (key == KEY_DOWN && next <= lines_) {
            scroll(1);
            show_line(next, page_);
            ++next;
        } else if (key == KEY_UP && first > 1) {
            --next;
            scroll(-1);
            show_line(next - page_, 1);
        } else if (key == KEY_PGDN && next <= lines_) {
            clear_area();
            if (next + page_ - 1 > lines_) next = lines_ - page_ + 1;
            show_page(next);
            next += page_;
        } else if (key == KEY_PGUP && first > 1) {
            clear_area();
            if (next - 2 * page_ < 1) next = 2 * page_;
            show_page(next - 2 * page_ + 1);
            next = next - page_ + 1;
        } else if (key == KEY_HOME && first > 1) {
            clear_area();
            show_page(1);
            next = page_ + 1;
        } else if (key == KEY_END && next <= lines_) {
            clear_area();
            show_page(lines_ - page_ + 1);
            next = lines_ + 1;
        }
    }
}

}  // namespace

void show_help(const std::string& topic) {
    if (startup::session.run_environment == "WIN") {
        // The topic lands on a shell's command line: anything but a plain
        // name could run commands of its own.
        if (plain_name(topic)) platform::run_command("HTMRUN " + platform::native_path("AJUDA\\" + topic + ".HTM"));
        return;
    }
    // A missing page shows an empty window; nothing is created for it.
    platform::File file =
        platform::File::open("AJUDA\\" + topic + ".HLP", platform::Access::Read, platform::Share::Shared);
    const std::int16_t rows = screen_rows();
    const std::int16_t columns = screen_columns();
    Viewer viewer(std::move(file), columns, rows);

    apply_colour_code("+h");
    save_screen_region(4, 1, static_cast<std::int16_t>(rows - 3), columns);
    draw_window_frame(FRAME_DOUBLE);
    apply_colour_code("n");
    viewer.run(topic);
    restore_screen_region();
    apply_colour_code("-");
}

}  // namespace screen
