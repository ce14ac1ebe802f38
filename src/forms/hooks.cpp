#include "forms/hooks.h"

#include "forms/state.h"

namespace forms {

namespace {

ProgramHooks& hooks() { return forms_state.hooks; }

}  // namespace

void paint_screen(std::int16_t page) {
    if (hooks().paint_screen) hooks().paint_screen(page);
}

std::int16_t confirm_exit(std::int16_t page, platform::key_codes::KeyCode& key) {
    return hooks().confirm_exit ? hooks().confirm_exit(page, key) : std::int16_t{0};
}

void after_browse(std::int16_t& list, std::int16_t& page, std::int16_t& field) {
    if (hooks().after_browse) hooks().after_browse(list, page, field);
}

std::string browse_row_text(const BrowseListDef& list) {
    return hooks().browse_row_text ? hooks().browse_row_text(list) : std::string();
}

std::int16_t browse_range(const BrowseListDef& list, std::string& first_key, std::string& last_key) {
    return hooks().browse_range ? hooks().browse_range(list, first_key, last_key) : std::int16_t{0};
}

void show_browse_list(std::int16_t list, std::int16_t& result) {
    if (hooks().show_browse_list)
        hooks().show_browse_list(list, result);
    else
        result = -1;
}

}  // namespace forms
