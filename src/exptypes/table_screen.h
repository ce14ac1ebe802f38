// The table screen: the heading of the expense-type table on the first three
// rows, then the page's labels and values.
#pragma once

#include <cstdint>

namespace exptypes {

// The form engine's page painter.
void paint_screen(std::int16_t page);

}  // namespace exptypes
