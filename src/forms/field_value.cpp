#include "forms/field_value.h"

#include <optional>
#include <string_view>

#include "format/fold.h"
#include "format/text_stack.h"
#include "forms/form_tables.h"
#include "forms/state.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "screen/colour.h"
#include "screen/windows.h"

namespace forms {

namespace {

// The description of the first entry of a choice list whose value is
// exactly `value`. An entry runs from its "|": the value up to the next
// comma, the description from there up to the next "|".
std::optional<std::string_view> choice_description(std::string_view choices, std::string_view value) {
    for (std::size_t bar = choices.find('|'); bar != std::string_view::npos;) {
        const std::size_t comma = choices.find(',', bar + 1);
        if (comma == std::string_view::npos) break;
        const std::size_t next = choices.find('|', comma + 1);
        const std::size_t end = next == std::string_view::npos ? choices.size() : next;
        if (choices.substr(bar + 1, comma - bar - 1) == value) return choices.substr(comma + 1, end - comma - 1);
        bar = next;
    }
    return std::nullopt;
}

// A text block: line after line of line_width characters, each starting
// below the last at the column where the cursor stood. The place of the
// next line waits on the text stack, row under column.
void show_text_block(const FormField& field) {
    platform::Console& console = platform::console();
    const platform::Position start = console.cursor();
    format::push_text(format::two_byte_text(start.row));
    format::push_text(format::two_byte_text(start.column));
    for (std::size_t k = 0; k < field.value.size(); k += static_cast<std::size_t>(field.line_width)) {
        const int column = format::from_two_byte_text(format::pop_text());
        const int row = format::from_two_byte_text(format::pop_text());
        console.place_cursor(row, column);
        format::push_text(format::two_byte_text(row + 1));
        format::push_text(format::two_byte_text(column));
        console.print(std::string_view(field.value).substr(k, static_cast<std::size_t>(field.line_width)));
    }
    format::pop_text();
    format::pop_text();
}

bool held_by_another_field(const std::string& text, std::int16_t page, std::int16_t field) {
    for (std::int16_t p = 1; p <= form_page_count(); ++p)
        for (std::int16_t f = 1; f <= form_page(p).field_count; ++f)
            if ((p != page || f != field) && form_field(p, f).value == text) return true;
    return false;
}

}  // namespace

void show_field_value(std::int16_t page, std::int16_t field_number) {
    const FormField& field = form_field(page, field_number);
    screen::locate_in_window(field.row, input_column(field));
    if (field.flags & FIELD_HIDDEN) return;
    platform::Console& console = platform::console();
    if (!field.choices.empty()) {
        if (const auto description = choice_description(field.choices, field.value))
            console.print(
                platform::fixed_length(*description, static_cast<std::size_t>(field.length + field.trail_width)));
    } else if (field.line_width == 0) {
        console.print(field.value);
    } else {
        show_text_block(field);
    }
}

std::int16_t commit_field_value(std::int16_t page, std::string text, std::int16_t field_number,
                                [[maybe_unused]] std::int16_t key) {
    FormField& field = form_field(page, field_number);
    if (text != field.value) forms_state.table_changed = -1;
    if (field.check == CHECK_UNIQUE) {
        text = format::fold_text(text);
        if (!screen::is_all_char(text, ' ') && text != field.value && held_by_another_field(text, page, field_number))
            return -1;
    }
    store_field_value(field, text);
    show_field_value(page, field_number);
    return 0;
}

}  // namespace forms
