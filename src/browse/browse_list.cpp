#include "browse/browse_list.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "browse/entries.h"
#include "browse/state.h"
#include "browse/work_file.h"
#include "forms/engine.h"
#include "forms/form_tables.h"
#include "forms/hooks.h"
#include "forms/state.h"
#include "input/key_set.h"
#include "input/read_key.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/files.h"
#include "records/operations.h"
#include "screen/colour.h"
#include "screen/regions.h"
#include "screen/windows.h"

namespace browse {

using namespace platform::key_codes;
using platform::operator""_cp850;

namespace {

// Enter, Esc, Up, Down, PgUp, PgDn, Left, Right; and F4 for a further list.
constexpr std::string_view BROWSE_KEYS = "d,1b,4800,5000,4900,5100,4b00,4d00";
constexpr std::string_view F4_KEY = "3e00";
constexpr std::int32_t COLUMN_STEP = 8;

constexpr auto TOP_EDGE = "═"_cp850;
constexpr auto TOP_LEFT = "╔"_cp850;
constexpr auto TOP_RIGHT = "╗"_cp850;
constexpr auto MORE_LEFT = "◄"_cp850;
constexpr auto MORE_RIGHT = "►"_cp850;

std::int16_t window_height(const forms::BrowseListDef& d) {
    return static_cast<std::int16_t>(d.window_bottom - d.window_top - 1);
}
std::int16_t window_width(const forms::BrowseListDef& d) {
    return static_cast<std::int16_t>(d.window_right - d.window_left - 1);
}

// The window lies on the screen and has room inside its frame.
bool window_fits(const forms::BrowseListDef& d) {
    return d.window_top >= 1 && d.window_left >= 1 && d.window_bottom <= screen::screen_rows() &&
           d.window_right <= screen::screen_columns() && window_height(d) >= 1 && window_width(d) >= 1;
}

// The bytes the console acts on instead of showing them (bell, backspace,
// tab, line feed, carriage return) are shown as blanks, so that a line
// never leaves its row.
std::string printable(std::string text) {
    for (char& c : text)
        if (c == '\a' || c == '\b' || c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

void print_in_window(std::int16_t row, std::int16_t column, const std::string& text) {
    screen::locate_in_window(row, column);
    platform::console().print(printable(text));
}

// The current entry on window row `row`, from column_offset on.
void show_current(OpenList& l, std::int16_t row) {
    const std::int16_t width = window_width(l.def);
    const std::string& text = l.current.text;
    const auto from = static_cast<std::size_t>(l.column_offset - 1);
    std::string shown = from < text.size() ? text.substr(from, static_cast<std::size_t>(width)) : std::string();
    shown.resize(static_cast<std::size_t>(width), ' ');
    print_in_window(row, 1, shown);
    l.overflow_width = std::max(l.overflow_width, static_cast<std::int32_t>(text.size()) - width);
}

// The frame's top edge with the heading, where a blank is edge and an
// underscore a blank, and arrows where text is hidden on either side.
void draw_title(const OpenList& l) {
    const std::string& heading = l.def.heading;
    const std::int32_t width = window_width(l.def);
    std::string line(l.column_offset == 1 ? TOP_LEFT.view() : MORE_LEFT.view());
    for (std::int32_t c = l.column_offset; c < l.column_offset + width; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        const char ch = i < heading.size() ? heading[i] : ' ';
        if (ch == ' ')
            line += TOP_EDGE.view();
        else
            line += ch == '_' ? ' ' : ch;
    }
    const bool hidden_right =
        l.column_offset <= l.overflow_width || static_cast<std::int64_t>(heading.size()) > l.column_offset + width - 1;
    line += hidden_right ? MORE_RIGHT.view() : TOP_RIGHT.view();
    screen::apply_colour_code("+n");
    print_in_window(0, 0, line);
    screen::apply_colour_code("-");
}

// Shows the entries from `from` on, one a row; the current entry stays the
// one it was. The title follows, so that its arrows tell of every line
// shown so far.
void fill_window(OpenList& l, std::int32_t from) {
    const Entry kept = l.current;
    const std::int16_t height = window_height(l.def);
    if (!go_to_entry(l, from)) l.current = Entry{};
    l.top_position = from;
    for (std::int16_t row = 1;; ++row) {
        show_current(l, row);
        if (row == height) {
            l.next_page_position = at_last(l) ? 0 : next_entry_position(l.current);
            break;
        }
        if (!step_forward(l)) {
            l.next_page_position = 0;
            l.cursor_row = std::min(l.cursor_row, row);
            for (std::int16_t blank = static_cast<std::int16_t>(row + 1); blank <= height; ++blank)
                print_in_window(blank, 1, std::string(static_cast<std::size_t>(window_width(l.def)), ' '));
            break;
        }
    }
    l.current = kept;
    draw_title(l);
}

void key_up(OpenList& l) {
    if (!step_back(l)) return;
    if (l.cursor_row > 1)
        --l.cursor_row;
    else
        fill_window(l, l.current.position);
}

void key_down(OpenList& l) {
    if (!step_forward(l)) return;
    if (l.cursor_row < window_height(l.def)) {
        ++l.cursor_row;
        return;
    }
    const Entry current = l.current;
    std::int32_t top = l.top_position;
    if (go_to_entry(l, top) && step_forward(l)) top = l.current.position;
    l.current = current;
    fill_window(l, top);
}

void page_up(OpenList& l) {
    if (l.top_position <= 1) return;
    const std::int16_t height = window_height(l.def);
    move_entries(l, -height);
    const bool first = at_first(l);
    const Entry current = l.current;
    std::int32_t top = l.top_position;
    int top_moved = 0;
    if (go_to_entry(l, top)) {
        top_moved = move_entries(l, -height);
        top = l.current.position;
    }
    l.current = current;
    if (first)
        l.cursor_row = 1;
    else if (top_moved < height)
        l.cursor_row = static_cast<std::int16_t>(l.cursor_row - height + top_moved);
    // Only a damaged ready-made list can take the row out of the window.
    l.cursor_row = std::clamp<std::int16_t>(l.cursor_row, 1, height);
    fill_window(l, top);
}

void page_down(OpenList& l) {
    if (l.next_page_position <= 0) return;
    const std::int16_t height = window_height(l.def);
    const int moved = move_entries(l, height);
    if (moved > height - l.cursor_row) {
        fill_window(l, l.next_page_position);
    } else {
        // No entry came after the last row after all: the list ends there.
        l.cursor_row = static_cast<std::int16_t>(l.cursor_row + moved);
        l.next_page_position = 0;
    }
}

void scroll_columns(OpenList& l, std::int32_t step) {
    l.column_offset += step;
    fill_window(l, l.top_position);
}

// Enter: the pick of a ready-made list is left in the state; a record file's
// record is read again. A list without a line picks nothing.
std::int16_t pick(const OpenList& l) {
    if (l.def.record_file == 0) {
        if (!l.current.exists) return -1;
        browse_state.browse_choice_value = l.current.record_position;
        browse_state.browse_choice_text = l.current.text;
        return 0;
    }
    if (l.current.record_position == 0) return -1;
    return static_cast<std::int16_t>(records::record_position(l.def.record_file, l.current.record_position));
}

// Until a key ends the list; gives that key.
KeyCode run_keys(OpenList& l, std::int16_t& result) {
    for (;;) {
        screen::apply_colour_code("u");
        show_current(l, l.cursor_row);
        KeyCode key = KEY_NONE;
        input::read_key_or_click(key);
        screen::apply_colour_code("h");
        show_current(l, l.cursor_row);
        switch (key) {
            case KEY_LEFT:
                if (l.column_offset > 1) scroll_columns(l, -COLUMN_STEP);
                break;
            case KEY_RIGHT:
                if (l.column_offset <= l.overflow_width) scroll_columns(l, COLUMN_STEP);
                break;
            case KEY_UP:
                key_up(l);
                break;
            case KEY_DOWN:
                key_down(l);
                break;
            case KEY_PGUP:
                page_up(l);
                break;
            case KEY_PGDN:
                page_down(l);
                break;
            case KEY_ENTER:
                result = pick(l);
                return key;
            default:
                result = -1;
                return key;
        }
    }
}

OpenList& open_list(const forms::BrowseListDef& def, std::string start_key, std::string end_key) {
    OpenList l;
    l.def = def;
    l.start_key = std::move(start_key);
    l.end_key = std::move(end_key);
    l.work_file = platform::File::open(work_file_path(), platform::Access::ReadWrite, platform::Share::Shared);
    // A ready-made list is what the work file already holds.
    if (def.record_file != 0) l.work_file.truncate(0);
    l.list_complete = def.record_file == 0;
    return browse_state.open_list.emplace(std::move(l));
}

void run_list(const forms::BrowseListDef& def, std::int16_t& result) {
    if (def.selection_page != 0) {
        std::int16_t page = def.selection_page;
        KeyCode key = KEY_NONE;
        forms::run_form_page(page, 0, 0, key);
        if (key == KEY_ESC) {
            result = -1;
            return;
        }
    }
    std::string start_key, end_key;
    result = forms::browse_range(def, start_key, end_key);
    if (result != 0) return;

    std::int16_t lock_status = 0;
    if (def.record_file > 0) records::set_lock_mode(def.record_file, "+d", lock_status);
    screen::apply_colour_code("+n");
    screen::save_screen_region(def.window_top, def.window_left, def.window_bottom, def.window_right);
    screen::draw_window_frame(screen::FRAME_DOUBLE);
    screen::apply_colour_code("h");
    input::key_set_command("+ea", BROWSE_KEYS);
    if (def.f4_list != 0) input::key_set_command("a", F4_KEY);

    OpenList& l = open_list(def, std::move(start_key), std::move(end_key));
    if (!go_to_entry(l, 1)) l.current = Entry{};
    fill_window(l, 1);
    const KeyCode key = run_keys(l, result);

    l.work_file.close();
    platform::delete_file(work_file_path());
    browse_state.open_list.reset();
    if (key == KEY_F4 && def.f4_list != 0) {
        show_browse_list(def.f4_list, result);
        if (result == 0) {
            std::int16_t further = def.f4_list, page = 0, field = 0;
            forms::after_browse(further, page, field);
        }
    }
    input::key_set_command("-", "");
    screen::restore_screen_region();
    screen::apply_colour_code("-");
    if (def.record_file > 0) records::set_lock_mode(def.record_file, "-", lock_status);
}

}  // namespace

void show_browse_list(std::int16_t list, std::int16_t& result) {
    const forms::BrowseListDef def = forms::browse_list_def(list);
    // A list the form lacks, or one whose window is off the screen or has
    // no inside, picks nothing and shows nothing.
    if (!window_fits(def)) {
        result = -1;
        return;
    }
    // Key set commands save one level only, which a field being edited
    // already holds: the field gets its whole key set back.
    const input::KeySet caller_keys = input::current_key_set();
    run_list(def, result);
    input::restore_key_set(caller_keys);
}

void install_browse_list() { forms::forms_state.hooks.show_browse_list = show_browse_list; }

}  // namespace browse
