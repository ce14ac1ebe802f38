// The program's hooks: what the form engine and the browse list call back
// into the program, installed by the program at start. An empty hook does
// what a program with nothing to add would: nothing, an empty text, 0.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/key_codes.h"

namespace forms {

struct BrowseListDef;

struct ProgramHooks {
    // Paints the page (titles, labels, stored values) as the engine enters it.
    std::function<void(std::int16_t page)> paint_screen;
    // Asked as a page is about to end with `key`: true (-1) runs the page
    // again from its first editable field.
    std::function<std::int16_t(std::int16_t page, platform::key_codes::KeyCode& key)> confirm_exit;
    // Takes over the row picked from browse list `list`; may move `field`,
    // or set `list` to 0 to have the list shown again.
    std::function<void(std::int16_t& list, std::int16_t& page, std::int16_t& field)> after_browse;
    // The line a browse list shows for the record in the file's buffer;
    // empty leaves the record out.
    std::function<std::string(const BrowseListDef& list)> browse_row_text;
    // The first and last key of a browse list's range; non-zero shows
    // nothing and becomes the browse's result.
    std::function<std::int16_t(const BrowseListDef& list, std::string& first_key, std::string& last_key)> browse_range;
    // Opens browse list `list` (the browse list installs this); `result` 0
    // when a row was picked. Without it nothing is ever picked.
    std::function<void(std::int16_t list, std::int16_t& result)> show_browse_list;
};

// Each calls the installed hook, or does the default.
void paint_screen(std::int16_t page);
std::int16_t confirm_exit(std::int16_t page, platform::key_codes::KeyCode& key);
void after_browse(std::int16_t& list, std::int16_t& page, std::int16_t& field);
std::string browse_row_text(const BrowseListDef& list);
std::int16_t browse_range(const BrowseListDef& list, std::string& first_key, std::string& last_key);
void show_browse_list(std::int16_t list, std::int16_t& result);

}  // namespace forms
