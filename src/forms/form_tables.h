// The form tables: the pages of the program's screens, their fields and the
// browse lists fields may open, as load_form reads them from the form file.
// Pages, fields and lists are numbered from 1 here as everywhere; a number
// that names nothing gives an empty entry, never a slot out of range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace forms {

// Field flags.
inline constexpr std::int16_t FIELD_BLANK_START = 1;
inline constexpr std::int16_t FIELD_HIDDEN = 2;
inline constexpr std::int16_t FIELD_SKIP = 4;
inline constexpr std::int16_t FIELD_CURSOR_AT_END = 8;

// Checks applied when a value is stored.
inline constexpr std::int16_t CHECK_UNIQUE = 1;

struct FormPage {
    std::string accept_keys;
    std::int16_t field_count = 0;
    std::int16_t next_page = 0;
    // 0 in window_top: the page uses the whole screen.
    std::int16_t window_top = 0;
    std::int16_t window_left = 0;
    std::int16_t window_bottom = 0;
    std::int16_t window_right = 0;
    bool operator==(const FormPage&) const = default;
};

struct FormField {
    std::string label;
    std::int16_t row = 0;
    std::int16_t column = 0;
    std::int16_t length = 0;
    std::int16_t line_width = 0;
    std::int16_t trail_width = 0;
    std::int16_t flags = 0;
    std::int16_t check = 0;
    std::int16_t browse_list = 0;
    std::string choices;
    // Always exactly `length` characters: store through store_field_value.
    std::string value;
    bool operator==(const FormField&) const = default;
};

struct BrowseListDef {
    std::int16_t record_file = 0;
    std::int16_t key_number = 0;
    std::int16_t window_top = 0;
    std::int16_t window_left = 0;
    std::int16_t window_bottom = 0;
    std::int16_t window_right = 0;
    std::int16_t selection_page = 0;
    std::int16_t f4_list = 0;
    std::string heading;
    bool operator==(const BrowseListDef&) const = default;
};

std::int16_t form_page_count();
std::int16_t max_fields_per_page();
std::int16_t browse_list_count();

// Page 1 to form_page_count; any other number gives an empty page.
const FormPage& form_page(std::int16_t page);
// Field 1 to the page's field_count. Any other slot gives an empty field of
// length 0, made afresh on every such call, so what is written there is lost.
FormField& form_field(std::int16_t page, std::int16_t field);
// List 1 to browse_list_count; 0 and any other number give an empty list.
const BrowseListDef& browse_list_def(std::int16_t list);

// Stores `text` into the field's value, cut or filled with blanks to the
// field's length.
void store_field_value(FormField& field, std::string_view text);
// The column where the field's input area starts: after its label.
std::int16_t input_column(const FormField& field);

}  // namespace forms
