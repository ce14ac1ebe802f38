// Painting a field's stored value and storing an edited one.
#pragma once

#include <cstdint>
#include <string>

namespace forms {

// Paints the field's value at its input position (inside the current
// window): plain, as a block of lines of line_width, as the description of
// its choice (padded or cut to length + trail_width), or, for a hidden
// field, not at all. The cursor is left after what was painted, or at the
// input position when nothing was.
void show_field_value(std::int16_t page, std::int16_t field);

// Stores an edited text into the field and repaints it. Raises
// table_changed whenever the text differs from the stored value. A
// CHECK_UNIQUE field folds the text to capitals and refuses one that any
// other field of any page holds: the result is then true (-1) and nothing is
// stored or painted. The key that ended the edit plays no part.
std::int16_t commit_field_value(std::int16_t page, std::string text, std::int16_t field, std::int16_t key);

}  // namespace forms
