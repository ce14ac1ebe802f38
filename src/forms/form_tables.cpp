#include "forms/form_tables.h"

#include <algorithm>
#include <limits>

#include "forms/state.h"
#include "platform/cp850.h"

namespace forms {

namespace {

// Both within the 16-bit counts: load_form never makes more.
std::int16_t count_of(std::size_t size) { return static_cast<std::int16_t>(size); }

bool names_entry(std::int16_t number, std::size_t count) {
    return number >= 1 && static_cast<std::size_t>(number) <= count;
}

}  // namespace

std::int16_t form_page_count() { return count_of(forms_state.form_pages.size()); }
std::int16_t max_fields_per_page() { return forms_state.max_fields_per_page; }
std::int16_t browse_list_count() { return count_of(forms_state.browse_list_defs.size()); }

const FormPage& form_page(std::int16_t page) {
    static const FormPage missing;
    return names_entry(page, forms_state.form_pages.size()) ? forms_state.form_pages[page - 1] : missing;
}

FormField& form_field(std::int16_t page, std::int16_t field) {
    if (names_entry(page, forms_state.form_fields.size())) {
        auto& fields = forms_state.form_fields[page - 1];
        if (names_entry(field, fields.size())) return fields[field - 1];
    }
    forms_state.missing_field = {};
    return forms_state.missing_field;
}

const BrowseListDef& browse_list_def(std::int16_t list) {
    static const BrowseListDef missing;
    return names_entry(list, forms_state.browse_list_defs.size()) ? forms_state.browse_list_defs[list - 1] : missing;
}

void store_field_value(FormField& field, std::string_view text) {
    field.value = platform::fixed_length(text, static_cast<std::size_t>(std::max<int>(field.length, 0)));
}

std::int16_t input_column(const FormField& field) {
    const std::size_t label = std::min<std::size_t>(field.label.size(), std::numeric_limits<std::int16_t>::max());
    const long column = field.column + static_cast<long>(label);
    return static_cast<std::int16_t>(std::min<long>(column, std::numeric_limits<std::int16_t>::max()));
}

}  // namespace forms
