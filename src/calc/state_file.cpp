#include "calc/state_file.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "platform/cp850.h"
#include "platform/files.h"
#include "startup/session.h"

namespace calc {

namespace {

// The calculator writes far less than this; a larger file is not its own,
// and only the values at its start are read.
constexpr std::size_t MOST_READ = 1 << 20;
constexpr char END_OF_TEXT = '\x1A';

struct Field {
    std::string text;
    bool quoted = false;
};

// The file's values one after another: a comma ends a value, and line
// breaks both end one and are passed over, so the values are read in order
// whatever lines they stand on. A quoted value runs to its closing quote;
// anything between that and the next separator is dropped.
class ValueReader {
public:
    explicit ValueReader(std::string_view data) : data_(data.substr(0, data.find(END_OF_TEXT))) {}

    std::optional<Field> next() {
        while (at_ < data_.size() && is_gap(data_[at_])) ++at_;
        if (at_ >= data_.size()) return std::nullopt;
        Field field;
        if (data_[at_] == '"') {
            field.quoted = true;
            const std::size_t close = up_to("\"\r\n", at_ + 1);
            field.text = data_.substr(at_ + 1, close - at_ - 1);
            at_ = up_to(",\r\n", close);
        } else {
            const std::size_t end = up_to(",\r\n", at_);
            field.text = platform::trim_blanks(data_.substr(at_, end - at_));
            at_ = end;
        }
        if (at_ < data_.size() && data_[at_] == ',') ++at_;
        return field;
    }

private:
    static bool is_gap(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    std::size_t up_to(const char* stops, std::size_t from) const {
        const std::size_t at = data_.find_first_of(stops, from);
        return at == std::string_view::npos ? data_.size() : at;
    }

    std::string_view data_;
    std::size_t at_ = 0;
};

std::optional<double> number_of(const std::optional<Field>& f) {
    if (!f || f->quoted || f->text.empty()) return std::nullopt;
    double value = 0;
    const char* end = f->text.data() + f->text.size();
    const auto r = std::from_chars(f->text.data(), end, value);
    if (r.ec != std::errc{} || r.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::int16_t> whole_of(const std::optional<Field>& f, int lowest, int highest) {
    const std::optional<double> v = number_of(f);
    if (!v || *v != std::trunc(*v) || *v < lowest || *v > highest) return std::nullopt;
    return static_cast<std::int16_t>(*v);
}

// Each reader below keeps the start value when the file's value is unfit.
void read_number(const std::optional<Field>& f, double& into) {
    if (const auto v = number_of(f)) into = *v;
}

void read_whole(const std::optional<Field>& f, int lowest, int highest, std::int16_t& into) {
    if (const auto v = whole_of(f, lowest, highest)) into = *v;
}

// Any whole number is a flag; every one but 0 is true.
void read_flag(const std::optional<Field>& f, std::int16_t& into) {
    if (const auto v = whole_of(f, INT16_MIN, INT16_MAX)) into = *v != 0 ? -1 : 0;
}

void read_decimals(const std::optional<Field>& f, std::int16_t& into) { read_whole(f, 0, INT16_MAX, into); }

// A text field holding one of `allowed` (the empty text included when it
// is listed); a quoted text, or an unquoted one as written.
void read_choice(const std::optional<Field>& f, std::initializer_list<std::string_view> allowed, std::string& into) {
    if (!f) return;
    for (const std::string_view a : allowed)
        if (f->text == a) into = f->text;
}

void read_tape_operator(const std::optional<Field>& f, char& into) {
    std::string text(1, into);
    read_choice(f, {"", " ", "+", "-", "*", "/", "=", "%", "R"}, text);
    into = text.empty() ? ' ' : text.front();
}

// The display has no decimals without its point.
void match_point(std::int16_t point, std::int16_t& decimals) {
    if (point == 0) decimals = 0;
}

void append_number(std::string& out, double value) {
    if (!std::isfinite(value) || value == 0) value = 0;
    char buffer[400];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, r.ptr);
}

void append_quoted(std::string& out, std::string_view text) {
    out += '"';
    out += text;
    out += '"';
}

}  // namespace

std::string state_file_path() { return startup::session.terminal_dir + "JOBCALC.TMP"; }

CalculatorState read_state_file(std::string_view path) {
    platform::File file = platform::File::open(path, platform::Access::ReadWrite, platform::Share::Shared);
    if (!file.is_open()) file = platform::File::open(path, platform::Access::Read, platform::Share::Shared);
    if (!file.is_open()) return {};
    const std::string data = file.read(1, MOST_READ);
    file.close();
    return state_from_text(data);
}

CalculatorState state_from_text(std::string_view text) {
    CalculatorState s;
    ValueReader values(text.substr(0, MOST_READ));
    read_whole(values.next(), FIRST_COLUMN, LAST_COLUMN, s.column);
    read_whole(values.next(), TOP_TAPE_LINE, NO_TAPE_LINE, s.first_tape_line);
    read_number(values.next(), s.entry_value);
    read_number(values.next(), s.accumulator);
    read_flag(values.next(), s.fresh);
    read_flag(values.next(), s.entering);
    read_flag(values.next(), s.point);
    read_decimals(values.next(), s.decimals);
    match_point(s.point, s.decimals);
    read_choice(values.next(), {"",  "+", "-", "*", "/", "=", "%", "R", "C", "T", "F",
                                ".", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
                s.last_key);
    read_choice(values.next(), {"", "+", "-", "*", "/"}, s.pending_operator);
    for (TapeEntry& e : s.tape) {
        read_number(values.next(), e.value);
        read_flag(values.next(), e.point);
        read_decimals(values.next(), e.decimals);
        match_point(e.point, e.decimals);
        read_tape_operator(values.next(), e.operator_char);
    }
    return s;
}

std::string state_file_text(const CalculatorState& s) {
    std::string out;
    const auto line = [&out](auto... parts) {
        bool first = true;
        const auto one = [&](const auto& part) {
            if (!first) out += ',';
            first = false;
            if constexpr (std::is_same_v<std::decay_t<decltype(part)>, double>)
                append_number(out, part);
            else if constexpr (std::is_integral_v<std::decay_t<decltype(part)>>)
                out += std::to_string(part);
            else
                append_quoted(out, part);
        };
        (one(parts), ...);
        out += "\r\n";
    };
    line(s.column, s.first_tape_line, s.entry_value, s.accumulator);
    line(s.fresh, s.entering, s.point, s.decimals);
    line(std::string_view(s.last_key), std::string_view(s.pending_operator));
    for (const TapeEntry& e : s.tape) line(e.value, e.point, e.decimals, std::string_view(&e.operator_char, 1));
    return out;
}

bool write_state_file(std::string_view path, const CalculatorState& state) {
    platform::File file = platform::File::open(path, platform::Access::ReadWrite, platform::Share::Shared);
    if (!file.is_open()) return false;
    const std::string text = state_file_text(state);
    const bool written = file.write(1, text) && file.truncate(static_cast<std::int64_t>(text.size()));
    file.close();
    return written;
}

}  // namespace calc
