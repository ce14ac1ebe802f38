#include "calc/machine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/cp850.h"

namespace calc {

namespace {

using namespace platform::key_codes;

constexpr std::int16_t ON = -1;
constexpr std::int16_t OFF = 0;
// The display keeps no more significant digits than this.
constexpr int DISPLAY_DIGITS = 15;

double power_of_ten(int n) { return std::pow(10.0, n); }

// The sign of `like` on a magnitude; a typed minus zero counts as negative,
// so that T before the first digit makes the number negative.
double with_sign_of(double like, double magnitude) { return std::signbit(like) ? -magnitude : magnitude; }

// The value with exactly the digits it has, at most 15 significant ones, and
// the point and decimals to show them.
void normalise(CalculatorState& s) {
    const double v = s.entry_value;
    s.point = OFF;
    s.decimals = 0;
    if (!std::isfinite(v)) return;
    int whole_digits = 0;
    for (double t = std::fabs(v); t >= 1; t /= 10) ++whole_digits;
    double copy = std::fabs(v);
    int decimals = 0;
    while (copy != std::floor(copy) && whole_digits + decimals < DISPLAY_DIGITS) {
        copy *= 10;
        ++decimals;
    }
    copy = std::nearbyint(copy);
    while (decimals > 0 && std::fmod(copy, 10) == 0) {
        copy /= 10;
        --decimals;
    }
    s.entry_value = v < 0 ? -(copy / power_of_ten(decimals)) : copy / power_of_ten(decimals);
    s.point = decimals > 0 ? ON : OFF;
    s.decimals = static_cast<std::int16_t>(decimals);
}

// The digits the display shows, as a whole number: |value| x 10^places.
// Working on these rather than on the binary fraction keeps 0.57 from
// turning into 0.56999... when digits are cut or rounded.
double shown_digits(double value, int places) { return std::nearbyint(std::fabs(value) * power_of_ten(places)); }

int shown_places(const CalculatorState& s) { return s.point != 0 ? s.decimals : 0; }

// Entry 22 becomes the display with the key text's first character; the
// oldest entry is lost and one more line is shown.
void add_tape_line(CalculatorState& s) {
    if (s.first_tape_line > TOP_TAPE_LINE) --s.first_tape_line;
    std::rotate(s.tape.begin(), s.tape.begin() + 1, s.tape.end());
    s.tape.back() = {s.entry_value, s.point, s.decimals, s.last_key.empty() ? ' ' : s.last_key.front()};
}

void start_entry_if_needed(CalculatorState& s) {
    if (s.entering != 0) return;
    s.entry_value = 0;
    s.point = OFF;
    s.decimals = 0;
}

void type_digit(CalculatorState& s, int digit) {
    start_entry_if_needed(s);
    const double d = with_sign_of(s.entry_value, digit);
    if (s.point == 0) {
        s.entry_value = s.entry_value * 10 + d;
    } else if (s.decimals < std::numeric_limits<std::int16_t>::max()) {
        ++s.decimals;
        s.entry_value += d / power_of_ten(s.decimals);
    }
    s.entering = ON;
}

void type_point(CalculatorState& s) {
    start_entry_if_needed(s);
    if (s.point == 0) {
        s.point = ON;
        s.decimals = 0;
    }
    s.entering = ON;
}

// Takes back the last digit shown.
void take_back_digit(CalculatorState& s) {
    const double v = s.entry_value;
    if (s.point == 0) {
        s.entry_value = std::trunc(v / 10);
    } else if (--s.decimals < 0) {
        s.point = OFF;
        s.decimals = 0;
    } else {
        const double digits = shown_digits(v, s.decimals + 1);
        const double cut = std::trunc(digits / 10) / power_of_ten(s.decimals);
        // Too many places for a double to hold: the value is left alone.
        if (std::isfinite(digits)) s.entry_value = with_sign_of(v, cut);
    }
    s.entering = s.entering != 0 && s.entry_value != 0 ? ON : OFF;
}

// Rounds the display to hundredths, half to even, on the digits shown; a
// negative value is rounded like its magnitude.
void round_to_hundredths(CalculatorState& s) {
    const double v = s.entry_value;
    const int places = shown_places(s);
    double hundredths = shown_digits(v, 2);
    if (places > 2 && std::isfinite(shown_digits(v, places))) {
        const double unit = power_of_ten(places - 2);
        const double digits = shown_digits(v, places);
        hundredths = std::trunc(digits / unit);
        const double rest = digits - hundredths * unit;
        if (rest * 2 > unit || (rest * 2 == unit && std::fmod(hundredths, 2) == 1)) hundredths += 1;
    }
    s.entry_value = with_sign_of(v, hundredths / 100);
    s.accumulator = s.entry_value;
    s.point = ON;
    s.decimals = 2;
}

void clear(CalculatorState& s) {
    if (s.entering != 0) {
        // Drops the entry: the running result shows again, with its own
        // decimals.
        s.entering = OFF;
        s.entry_value = s.accumulator;
        normalise(s);
    } else if (s.fresh == 0) {
        s.entry_value = 0;
        s.accumulator = 0;
        s.point = OFF;
        s.decimals = 0;
        s.fresh = ON;
    } else {
        // The tape is only hidden: its entries stay and come back as new
        // lines push them up.
        s.first_tape_line = NO_TAPE_LINE;
    }
}

void percent(CalculatorState& s) {
    add_tape_line(s);
    if (s.pending_operator == "+" || s.pending_operator == "-")
        s.entry_value = s.accumulator / 100 * s.entry_value;
    else
        s.entry_value = s.entry_value / 100;
    normalise(s);
}

// "+", "-", "*", "/" or "=": the pending operation on the running result.
void apply_operator(CalculatorState& s, char k) {
    const std::string& p = s.pending_operator;
    if (p == "+")
        s.accumulator += s.entry_value;
    else if (p == "-")
        s.accumulator -= s.entry_value;
    else if (p == "*")
        s.accumulator *= s.entry_value;
    else if (p == "/")
        s.accumulator /= s.entry_value;
    else
        s.accumulator = s.entry_value;
    add_tape_line(s);
    s.entry_value = s.accumulator;
    normalise(s);
    s.entering = OFF;
    if (k == '=') {
        s.last_key.clear();
        add_tape_line(s);
    }
    s.fresh = OFF;
    s.pending_operator = k == '=' ? std::string() : std::string(1, k);
}

void operator_step(CalculatorState& s, char k) {
    s.last_key = std::string(1, k);
    switch (k) {
        case 'C':
            clear(s);
            break;
        case 'R':
            round_to_hundredths(s);
            add_tape_line(s);
            break;
        case '%':
            percent(s);
            break;
        default:
            apply_operator(s, k);
            break;
    }
}

std::int16_t next_column(std::int16_t column, int step) {
    if (step < 0) return column <= FIRST_COLUMN ? LAST_COLUMN : static_cast<std::int16_t>(column - 1);
    return column >= LAST_COLUMN ? FIRST_COLUMN : static_cast<std::int16_t>(column + 1);
}

}  // namespace

KeyOutcome press_key(CalculatorState& s, KeyCode key) {
    switch (key) {
        case KEY_LEFT:
        case KEY_CTRL_LEFT:
            s.column = next_column(s.column, -1);
            return KeyOutcome::go_on;
        case KEY_RIGHT:
        case KEY_CTRL_RIGHT:
            s.column = next_column(s.column, +1);
            return KeyOutcome::go_on;
        case KEY_ALT_F:
            return KeyOutcome::finish;
        case KEY_ESC:
            return KeyOutcome::cancel;
        case KEY_BACKSPACE:
            take_back_digit(s);
            return KeyOutcome::go_on;
        case KEY_ENTER:
            if (s.entering != 0) operator_step(s, '=');
            return KeyOutcome::go_on;
        default:
            break;
    }
    if (key < 1 || key > 255) return KeyOutcome::go_on;
    const char c = platform::upper_case(static_cast<char>(key));
    if (c >= '0' && c <= '9') {
        type_digit(s, c - '0');
    } else if (c == '.') {
        type_point(s);
    } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == 'R' || c == 'C') {
        operator_step(s, c);
        return KeyOutcome::go_on;
    } else if (c == '=') {
        if (s.entering != 0) operator_step(s, '=');
        return KeyOutcome::go_on;
    } else if (c == 'T') {
        s.entry_value = -s.entry_value;
    } else if (c == 'F') {
        s.last_key = std::string(1, c);
        return KeyOutcome::finish;
    } else {
        return KeyOutcome::go_on;
    }
    s.last_key = std::string(1, c);
    return KeyOutcome::go_on;
}

std::string result_text(const CalculatorState& s) {
    const int n = std::max<int>(s.decimals, 2);
    const double v = s.entering != 0 ? s.entry_value : s.accumulator;
    const double x = v == 0 ? 0 : std::nearbyint(std::fabs(v) * power_of_ten(n));
    if (!std::isfinite(x)) return {};
    char buffer[400];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 0);
    const std::string digits(buffer, r.ptr);
    if (n == 2) return digits;
    const auto places = static_cast<std::size_t>(n - 2);
    std::string fraction = digits.size() > places ? digits.substr(digits.size() - places) : digits;
    fraction.insert(0, places - fraction.size(), '0');
    const std::string whole = digits.size() > places ? digits.substr(0, digits.size() - places) : std::string();
    return whole + "." + fraction;
}

}  // namespace calc
