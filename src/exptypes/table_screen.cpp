#include "exptypes/table_screen.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "exptypes/state.h"
#include "format/number.h"
#include "forms/field_value.h"
#include "forms/form_tables.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "screen/colour.h"
#include "screen/windows.h"
#include "startup/language.h"
#include "startup/session.h"

namespace exptypes {

using platform::operator""_cp850;

namespace {

constexpr int PAGE_LABEL_COLUMN = 69;
constexpr int SECOND_COLUMN = 42;
constexpr std::string_view UNDERLINE = "---------------------------------        ---------------------------------";

void print_at(int row, int column, std::string_view text) {
    platform::console().place_cursor(row, column);
    platform::console().print(text);
}

// The title centred on column 41: 41 - length / 2, a half going to the even
// neighbour. A title too long for the row is cut to it.
void print_title(const std::string& title) {
    const int columns = platform::console().columns();
    const int column = std::max(1, static_cast<int>(std::nearbyint(41.0 - static_cast<double>(title.size()) / 2.0)));
    print_at(1, column, std::string_view(title).substr(0, static_cast<std::size_t>(columns - column + 1)));
}

}  // namespace

void paint_screen(std::int16_t page) {
    screen::apply_colour_code("rh");
    print_title(startup::session.screen_title);

    screen::apply_colour_code("n");
    print_at(1, 1, startup::translate_text("VERTICAL"));
    print_at(1, PAGE_LABEL_COLUMN,
             startup::translate_text("PANTALLA ") + format::format_number("Z9", exptypes_state.table_page));

    const std::string heading = startup::translate_text("CODI    DESCRIPCIÓ"_cp850);
    print_at(2, 1, heading);
    // Spaces up to the second column; from the start of the next row when
    // the heading already reaches it.
    const platform::Position at = platform::console().cursor();
    if (at.column <= SECOND_COLUMN)
        platform::console().print(std::string(static_cast<std::size_t>(SECOND_COLUMN - at.column), ' '));
    else
        print_at(at.row + 1, 1, std::string(SECOND_COLUMN - 1, ' '));
    platform::console().print(heading);
    print_at(3, 1, UNDERLINE);

    const std::int16_t count = forms::form_page(page).field_count;
    for (std::int16_t f = 1; f <= count; ++f) {
        const forms::FormField& field = forms::form_field(page, f);
        screen::locate_in_window(field.row, field.column);
        platform::console().print(field.label);
    }
    screen::apply_colour_code("h");
    for (std::int16_t f = 1; f <= count; ++f) forms::show_field_value(page, f);
}

}  // namespace exptypes
