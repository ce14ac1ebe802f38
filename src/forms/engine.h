// The form engine: runs one page of the form field by field with the line
// editor, stores what is edited, and returns the key that ended the page.
#pragma once

#include <cstdint>

#include "platform/key_codes.h"

namespace forms {

// Runs `page` as a top page, or page -`page` as a continuation page (the
// engine runs those itself); on return `page` holds the page number.
// `may_leave_up` and `may_leave_down` say whether PgUp on the first field
// and PgDn on the last may end the page. `key` is the key that ended it; a
// page without an editable field returns it as it came.
void run_form_page(std::int16_t& page, std::int16_t may_leave_up, std::int16_t may_leave_down,
                   platform::key_codes::KeyCode& key);

}  // namespace forms
