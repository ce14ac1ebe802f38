#include "forms/engine.h"

#include <cstdlib>
#include <string>

#include "format/text_stack.h"
#include "forms/field_value.h"
#include "forms/form_tables.h"
#include "forms/hooks.h"
#include "forms/state.h"
#include "input/key_set.h"
#include "input/line_editor.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "screen/colour.h"
#include "screen/help.h"
#include "screen/regions.h"
#include "screen/windows.h"
#include "startup/session.h"

namespace forms {

using namespace platform::key_codes;

namespace {

// The page that continues `page`, when it names a loaded page; a form file
// that names one it does not hold gets no continuation.
std::int16_t next_page_of(std::int16_t page) {
    const std::int16_t next = form_page(page).next_page;
    return next >= 1 && next <= form_page_count() ? next : std::int16_t{0};
}

bool ends_outer_page(KeyCode key) {
    switch (key) {
        case KEY_PGUP:
        case KEY_PGDN:
        case KEY_END:
        case KEY_CTRL_B:
        case KEY_ENTER:
        case KEY_DOWN:
        case KEY_UP:
            return true;
        default:
            return false;
    }
}

bool has(const FormField& field, std::int16_t flag) { return (field.flags & flag) != 0; }

// The lowest and highest fields that are edited (not FIELD_SKIP); first is
// field_count + 1 and last 0 when there is none.
struct Editable {
    std::int16_t first, last;
};

Editable editable_fields(std::int16_t page) {
    const std::int16_t count = form_page(page).field_count;
    Editable e{static_cast<std::int16_t>(count + 1), 0};
    for (std::int16_t f = 1; f <= count; ++f) {
        if (has(form_field(page, f), FIELD_SKIP)) continue;
        if (e.first > count) e.first = f;
        e.last = f;
    }
    return e;
}

// Walks the chain of continuation pages from `page` towards resume_page
// and forgets resume_page when it is not on that chain. A chain that loops
// back on itself is walked at most once round.
void check_resume_page(std::int16_t page) {
    std::int16_t& resume = forms_state.resume_page;
    std::int16_t reached = page;
    for (int steps = 0; resume != reached && resume > 0 && next_page_of(reached) != 0 && steps < form_page_count();
         ++steps)
        reached = next_page_of(reached);
    if (resume != reached) resume = 0;
}

// The first field without FIELD_SKIP whose area (label, input, trailing
// area) holds the page-relative place; 0 for none.
std::int16_t field_at(std::int16_t page, int row, int column) {
    for (std::int16_t f = 1; f <= form_page(page).field_count; ++f) {
        const FormField& field = form_field(page, f);
        if (has(field, FIELD_SKIP)) continue;
        const bool block = field.line_width != 0;
        const int lines = block ? field.length / field.line_width : 1;
        const int width = block ? field.line_width : field.length;
        const int last_column = field.column + static_cast<int>(field.label.size()) + width + field.trail_width - 1;
        if (row >= field.row && row <= field.row + lines - 1 && column >= field.column && column <= last_column)
            return f;
    }
    return 0;
}

void print_blanks_at(std::int16_t row, int column, int count) {
    screen::locate_in_window(row, static_cast<std::int16_t>(column));
    platform::console().print(std::string(static_cast<std::size_t>(count > 0 ? count : 0), ' '));
}

class PageRun {
public:
    PageRun(std::int16_t page, bool top_page, std::int16_t may_leave_up, std::int16_t may_leave_down, KeyCode& key)
        : page_(page), top_page_(top_page), may_leave_up_(may_leave_up), may_leave_down_(may_leave_down), key_(key) {}

    void run();

private:
    // Edits the current field until its value is accepted (or dropped).
    void edit_field();
    // What F4 does on a field: the browse list, then the program's hook.
    // Gives true when nothing was picked.
    bool browse(FormField& field);
    // Acts on the key that ended the field; false when the page ends.
    bool act_on_key(bool skipped);
    // Runs the page's continuation; false when its key ends this page too.
    bool run_continuation();

    std::int16_t page_;
    bool top_page_;
    std::int16_t may_leave_up_;
    std::int16_t may_leave_down_;
    KeyCode& key_;
    Editable editable_{};
    std::int16_t cur_ = 0;
};

void PageRun::run() {
    const FormPage& p = form_page(page_);
    const bool window = p.window_top != 0;
    if (window) {
        screen::apply_colour_code("+n");
        screen::save_screen_region(p.window_top, p.window_left, p.window_bottom, p.window_right);
        screen::draw_window_frame(screen::FRAME_DOUBLE);
        screen::apply_colour_code("-");
    }
    paint_screen(page_);

    editable_ = editable_fields(page_);
    bool go_on = editable_.first <= editable_.last;
    if (go_on) {
        check_resume_page(page_);
        std::int16_t& resume = forms_state.resume_page;
        if (resume != page_ && resume > 0 && next_page_of(page_) != 0)
            go_on = run_continuation();
        else
            resume = 0;
        cur_ = editable_.first;
    }

    for (;;) {
        while (go_on && cur_ >= editable_.first && cur_ <= editable_.last) {
            const std::int16_t field = cur_;
            const bool skipped = has(form_field(page_, field), FIELD_SKIP);
            edit_field();
            go_on = act_on_key(skipped);
        }
        // A page with nothing to edit cannot be run again.
        if (confirm_exit(page_, key_) != 0 && editable_.first <= editable_.last) {
            cur_ = editable_.first;
            go_on = true;
            continue;
        }
        break;
    }

    if (window) screen::restore_screen_region();
    forms_state.current_edit_text.clear();
    forms_state.current_edit_page = 0;
    forms_state.current_edit_field = 0;
}

void PageRun::edit_field() {
    FormField& field = form_field(page_, cur_);
    input::key_set_command("+ea", form_page(page_).accept_keys + ",3b00");
    const std::int16_t column = input_column(field);
    const bool hidden = has(field, FIELD_HIDDEN);
    std::string edit = has(field, FIELD_BLANK_START) || hidden ? std::string(field.value.size(), ' ') : field.value;
    if (hidden) input::key_set_command("h", "");
    const bool skip = has(field, FIELD_SKIP);
    if (field.trail_width != 0 && !skip) print_blanks_at(field.row, column + field.length, field.trail_width);

    for (bool rejected = !skip; rejected;) {
        input::set_current_choices(field.choices);
        std::int16_t position = 1;
        if (has(field, FIELD_CURSOR_AT_END))
            position = static_cast<std::int16_t>(platform::trim_trailing_blanks(edit).size() + 1);
        input::edit_line(field.row, column, field.line_width, edit, position, key_);
        forms_state.current_edit_text = edit;
        forms_state.current_edit_page = page_;
        forms_state.current_edit_field = cur_;
        rejected = false;

        if (key_ == KEY_F1) {
            const std::string topic = platform::trim_trailing_blanks(startup::session.menu_name);
            if (!topic.empty()) screen::show_help(topic);
            key_ = 0;
        } else if (key_ == KEY_F4) {
            key_ = 0;
            if (field.browse_list > 0) rejected = browse(field);
        } else {
            if (field.trail_width != 0) {
                // A hidden entry is never shown, not even here.
                screen::locate_in_window(field.row, column);
                platform::console().print((hidden ? std::string(edit.size(), ' ') : edit) +
                                          std::string(static_cast<std::size_t>(field.trail_width), ' '));
            }
            if (key_ == KEY_ESC) {
                show_field_value(page_, cur_);
            } else {
                if (screen::is_all_char(edit, ' ') && (has(field, FIELD_BLANK_START) || hidden)) edit = field.value;
                rejected = commit_field_value(page_, edit, cur_, key_) != 0;
            }
        }
        editable_ = editable_fields(page_);
        if (rejected) platform::console().beep();
    }

    edit.clear();
    if (hidden) input::key_set_command("v", "");
    input::key_set_command("-", "");
}

bool PageRun::browse(FormField& field) {
    std::int16_t list = field.browse_list;
    for (;;) {
        std::int16_t result = -1;
        show_browse_list(list, result);
        if (result != 0) return true;
        // The hook may change both; the stack keeps what they were.
        format::push_text(format::two_byte_text(cur_));
        format::push_text(format::two_byte_text(list));
        std::int16_t page = page_;  // the hook's to read, not to change the page run
        after_browse(list, page, cur_);
        if (list == 0) {
            list = format::from_two_byte_text(format::pop_text());
            format::pop_text();
            continue;
        }
        format::pop_text();
        const std::int16_t saved_field = format::from_two_byte_text(format::pop_text());
        const std::int16_t count = form_page(page_).field_count;
        if (cur_ == saved_field)
            key_ = cur_ == count && next_page_of(page_) == 0 ? KEY_ENTER : KEY_DOWN;
        else if (cur_ < count && has(form_field(page_, cur_), FIELD_SKIP))
            key_ = KEY_DOWN;
        return false;
    }
}

bool PageRun::run_continuation() {
    std::int16_t next = static_cast<std::int16_t>(-next_page_of(page_));
    run_form_page(next, may_leave_up_, may_leave_down_, key_);
    return !ends_outer_page(key_);
}

bool PageRun::act_on_key(bool skipped) {
    const std::int16_t before = cur_;
    const std::int16_t first = editable_.first;
    const std::int16_t last = editable_.last;
    std::int16_t& resume = forms_state.resume_page;
    switch (key_) {
        case KEY_PGUP:
            cur_ = cur_ > first || may_leave_up_ == 0 ? first : std::int16_t{0};
            resume = cur_ == 0 ? page_ : std::int16_t{0};
            break;
        case KEY_PGDN:
            cur_ = cur_ < last || may_leave_down_ == 0 ? last : std::int16_t{0};
            resume = cur_ == 0 ? page_ : std::int16_t{0};
            break;
        case KEY_END:
        case KEY_CTRL_B:
            return false;
        case KEY_ESC:
            if (cur_ <= first) return false;
            cur_ = first;
            break;
        case KEY_ENTER:
        case KEY_DOWN:
        case KEY_F2:
            if (next_page_of(page_) > 0 && (cur_ == last || key_ == KEY_F2)) {
                if (!run_continuation()) return false;
            } else if (key_ == KEY_ENTER || (key_ == KEY_DOWN && cur_ < last)) {
                ++cur_;
            }
            break;
        case KEY_UP:
            if (cur_ > first) {
                --cur_;
            } else if (!top_page_) {
                key_ = KEY_ESC;
                return false;
            }
            break;
        case 0:
            break;
        default:
            if (key_ > 0) return false;
            {
                // A click outside the field: -(column * 100 + row), screen places.
                const int place = -static_cast<int>(key_);
                const FormPage& p = form_page(page_);
                const std::int16_t hit = field_at(page_, place % 100 - p.window_top, place / 100 - p.window_left);
                if (hit != 0) cur_ = hit;
            }
            break;
    }
    // A skipped field is passed in the direction the key went; one the key
    // left in place (nothing to repeat) is passed downwards, or the page
    // would stand on it for ever.
    if (skipped && cur_ == before) ++cur_;
    return true;
}

}  // namespace

void run_form_page(std::int16_t& page, std::int16_t may_leave_up, std::int16_t may_leave_down, KeyCode& key) {
    const bool top_page = page >= 0;
    if (page < 0) page = static_cast<std::int16_t>(page == INT16_MIN ? INT16_MAX : -page);
    PageRun(page, top_page, may_leave_up, may_leave_down, key).run();
}

}  // namespace forms
