// The state of the screen forms, one instance for the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "forms/form_tables.h"
#include "forms/hooks.h"

namespace forms {

struct FormsState {
    // The form tables, replaced by each load_form. Page p is form_pages[p - 1]
    // and its fields form_fields[p - 1]; a page holds only the fields it
    // has, not max_fields_per_page slots, so that a form file cannot make
    // the tables grow beyond what it describes.
    std::vector<FormPage> form_pages;
    std::vector<std::vector<FormField>> form_fields;
    std::vector<BrowseListDef> browse_list_defs;
    std::int16_t max_fields_per_page = 0;

    // True (-1) once a commit changed a stored value; cleared by the program.
    std::int16_t table_changed = 0;

    // What form_field hands out for a slot that does not exist.
    FormField missing_field;

    // The continuation page that PgUp or PgDn last left, so that the next
    // run of its top page goes straight back to it; 0 for none.
    std::int16_t resume_page = 0;
    // After each edit of a running page: the text returned and the page and
    // field it belongs to; empty and 0 once the page has ended.
    std::string current_edit_text;
    std::int16_t current_edit_page = 0;
    std::int16_t current_edit_field = 0;

    // What the program and the browse list plug into the engine.
    ProgramHooks hooks;
};

extern FormsState forms_state;

}  // namespace forms
