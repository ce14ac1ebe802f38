#include "dates/calendar.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "dates/arithmetic.h"
#include "dates/text.h"
#include "dates/value.h"
#include "format/fold.h"
#include "input/key_set.h"
#include "input/read_key.h"
#include "input/state.h"
#include "platform/console.h"
#include "screen/colour.h"
#include "screen/regions.h"
#include "screen/windows.h"
#include "startup/session.h"

namespace dates {

namespace {

using namespace platform::key_codes;

// The frame, in screen rows and columns.
constexpr std::int16_t TOP = 1;
constexpr std::int16_t LEFT = 59;
constexpr std::int16_t BOTTOM = 24;
constexpr std::int16_t RIGHT = 80;
// Inside it, the week-day header and the months: 20 columns, one cell of
// two for each week day with a blank between cells.
constexpr int HEADER_ROW = 2;
constexpr int INSIDE_LEFT = 60;
constexpr int INSIDE_WIDTH = 20;
constexpr int FIRST_TITLE_ROW = 3;
constexpr int ROWS_PER_MONTH = 7;
constexpr int GRID_CELLS = 42;
// " 2024 " in the top line of the frame.
constexpr int YEAR_COLUMN = 67;

// Right, Left, Down, Up, PgDn, PgUp, Home, End, Alt+F, Esc.
constexpr std::string_view CALENDAR_KEYS = "4d00,4b00,5000,4800,5100,4900,4700,4f00,2100,1b";

// The years a date value holds (its year has four digits), and where the
// year 0 would give no sensible week days.
constexpr std::int32_t FIRST_YEAR = 1;
constexpr std::int32_t LAST_YEAR = 9999;

std::string_view week_day_header(const std::string& language_code) {
    if (language_code == "SPA" || language_code == "GLG") return " L  M  X  J  V  S  D";
    if (language_code == "OCI") return "DL DT DC DJ DD DS DG";
    return "DL DT DC DJ DV DS DG";
}

// The calendar's months have their Gregorian lengths whatever the year.
std::int16_t calendar_month_length(std::int32_t month, std::int32_t year) {
    return month_length(month, is_gregorian_leap_year(year));
}

std::int16_t first_month_of_quarter(std::int32_t month) { return static_cast<std::int16_t>((month - 1) / 3 * 3 + 1); }

std::string right_aligned(std::int32_t number, std::size_t width) {
    const std::string digits = std::to_string(number);
    return digits.size() < width ? std::string(width - digits.size(), ' ') + digits : digits;
}

void print_at(int row, int column, std::string_view text) {
    platform::Console& c = platform::console();
    c.place_cursor(row, column);
    c.print(text);
}

void step_months(DateParts& d, std::int32_t months) {
    d.month = static_cast<std::int16_t>(d.month + months);
    if (d.month < 1) {
        d.month = static_cast<std::int16_t>(d.month + 12);
        --d.year;
    } else if (d.month > 12) {
        d.month = static_cast<std::int16_t>(d.month - 12);
        ++d.year;
    }
}

// A week at most forwards or backwards, into the next or previous month
// (and year) when the day leaves its month.
DateParts moved_by_days(DateParts d, std::int32_t days) {
    d.day = static_cast<std::int16_t>(d.day + days);
    if (d.day < 1) {
        step_months(d, -1);
        d.day = static_cast<std::int16_t>(d.day + calendar_month_length(d.month, d.year));
    } else if (const std::int16_t length = calendar_month_length(d.month, d.year); d.day > length) {
        d.day = static_cast<std::int16_t>(d.day - length);
        step_months(d, 1);
    }
    return d;
}

// Months forwards or backwards, the day cut to the new month's length.
DateParts moved_by_months(DateParts d, std::int32_t months) {
    step_months(d, months);
    d.day = std::min(d.day, calendar_month_length(d.month, d.year));
    return d;
}

// The working date when the calendar can show it; else 1 January of its
// year when that year can be shown, else today.
DateParts start_date() {
    const DateParts working = date_parts(startup::session.working_date);
    if (working.year < FIRST_YEAR || working.year > LAST_YEAR) return date_parts(today_date());
    if (working.month < 1 || working.month > 12 || working.day < 1 ||
        working.day > calendar_month_length(working.month, working.year))
        return {working.year, 1, 1};
    return working;
}

// One opening of the calendar: the quarter on screen and the highlighted day.
class Calendar {
public:
    explicit Calendar(const DateParts& start) : at_(start) {}
    // Runs until a day is picked (its text) or Esc (an empty text).
    std::string run();

private:
    void draw_quarter();
    void draw_month(std::int32_t month);
    int title_row(std::int32_t month) const { return FIRST_TITLE_ROW + ROWS_PER_MONTH * (month - first_month_); }
    // The screen place of cell 0 to 41 of a month's grid, weeks from Monday.
    platform::Position cell_place(std::int32_t month, int cell) const {
        return {title_row(month) + 1 + cell / 7, INSIDE_LEFT + 3 * (cell % 7)};
    }
    void write_highlighted_day() const;
    void move(KeyCode key);

    DateParts at_;
    // The quarter on screen: its year and first month.
    std::int32_t year_ = 0;
    std::int32_t first_month_ = 0;
    // For the year on screen: the week day (1 Monday ... 7 Sunday) of days 1
    // to 31 of every month, whether the month has the day or not, and the
    // length of every month.
    std::array<std::array<std::int16_t, 31>, 12> calendar_week_days_{};
    std::array<std::int16_t, 12> calendar_month_lengths_{};
};

std::string Calendar::run() {
    draw_quarter();
    for (;;) {
        screen::apply_colour_code("+u");
        write_highlighted_day();
        KeyCode key = KEY_NONE;
        input::read_key_or_click(key);
        screen::apply_colour_code("-");
        write_highlighted_day();
        switch (key) {
            case 'F':
            case 'f':
            case KEY_ALT_F:
                return format_date(make_date(at_), DATE_NUMERIC, "dma");
            case KEY_ESC:
                return {};
            default:
                move(key);
        }
    }
}

void Calendar::draw_quarter() {
    year_ = at_.year;
    first_month_ = first_month_of_quarter(at_.month);
    screen::apply_colour_code("n");
    print_at(TOP, YEAR_COLUMN, " " + right_aligned(year_, 4) + " ");
    print_at(HEADER_ROW, INSIDE_LEFT, week_day_header(startup::session.language_code));
    for (std::int32_t month = 1; month <= 12; ++month) {
        calendar_month_lengths_[month - 1] = calendar_month_length(month, year_);
        for (std::int32_t day = 1; day <= 31; ++day)
            calendar_week_days_[month - 1][day - 1] = week_day(make_date(year_, month, day));
    }
    for (std::int32_t month = first_month_; month < first_month_ + 3; ++month) draw_month(month);
}

void Calendar::draw_month(std::int32_t month) {
    const int row = title_row(month);
    screen::apply_colour_code("n");
    print_at(row, INSIDE_LEFT, std::string(INSIDE_WIDTH, ' '));
    const std::string title = format::fold_text(format_date(make_date(year_, month, 1), DATE_LONG, "m"));
    print_at(row, INSIDE_LEFT + (INSIDE_WIDTH - static_cast<int>(title.size())) / 2, title);

    screen::apply_colour_code("h");
    const int first_cell = calendar_week_days_[month - 1][0] - 1;
    const int length = calendar_month_lengths_[month - 1];
    for (int cell = 0; cell < GRID_CELLS; ++cell) {
        const int day = cell - first_cell + 1;
        const platform::Position at = cell_place(month, cell);
        print_at(at.row, at.column, day >= 1 && day <= length ? right_aligned(day, 2) : "  ");
    }
}

void Calendar::write_highlighted_day() const {
    const int cell = calendar_week_days_[at_.month - 1][0] - 1 + at_.day - 1;
    const platform::Position at = cell_place(at_.month, cell);
    print_at(at.row, at.column, right_aligned(at_.day, 2));
}

void Calendar::move(KeyCode key) {
    DateParts to;
    switch (key) {
        case KEY_RIGHT:
            to = moved_by_days(at_, 1);
            break;
        case KEY_LEFT:
            to = moved_by_days(at_, -1);
            break;
        case KEY_DOWN:
            to = moved_by_days(at_, 7);
            break;
        case KEY_UP:
            to = moved_by_days(at_, -7);
            break;
        case KEY_PGDN:
            to = moved_by_months(at_, 3);
            break;
        case KEY_PGUP:
            to = moved_by_months(at_, -3);
            break;
        case KEY_HOME:
            to = {at_.year, 1, at_.day};
            break;
        case KEY_END:
            to = {at_.year, 12, at_.day};
            break;
        default:
            return;
    }
    // A date value has no room for the years beyond: the highlight stops.
    if (to.year < FIRST_YEAR || to.year > LAST_YEAR) return;
    at_ = to;
    if (at_.year != year_ || first_month_of_quarter(at_.month) != first_month_) draw_quarter();
}

}  // namespace

std::string pick_date() {
    input::key_set_command("+ea", CALENDAR_KEYS);
    screen::apply_colour_code("+n");
    platform::Console& c = platform::console();
    const bool cursor_shown = c.cursor_visible();
    const int cursor_size = c.cursor_size();
    c.hide_cursor();
    screen::save_screen_region(TOP, LEFT, BOTTOM, RIGHT);
    screen::draw_window_frame(screen::FRAME_SINGLE);

    std::string picked = Calendar(start_date()).run();

    screen::restore_screen_region();
    if (cursor_shown) c.show_cursor(cursor_size);
    screen::apply_colour_code("-");
    input::key_set_command("-", "");
    return picked;
}

void install_calendar_hot_key() { input::input_state.hot_keys.calendar = pick_date; }

}  // namespace dates
