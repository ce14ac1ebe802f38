#include "forms/load_form.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "forms/state.h"
#include "platform/console.h"
#include "platform/files.h"
#include "startup/language.h"
#include "startup/main_sequence.h"
#include "startup/session.h"

namespace forms {

namespace {

// No value is longer than the screen holds; a longer length in a damaged
// file would only make every load allocate for nothing.
constexpr std::int16_t MAX_VALUE_LENGTH = platform::SCREEN_ROWS * platform::SCREEN_COLUMNS;

// The items of the form file, in the manner of a comma-separated list: a
// comma or a line end (CR, optionally followed by LF) ends an item, and a
// number also ends at a blank. Past the end every item is empty.
class ItemReader {
public:
    explicit ItemReader(std::string_view data) : data_(data) {}

    bool at_end() const { return at_ >= data_.size(); }

    std::string text() {
        skip_blanks();
        if (peek() == '"') return quoted();
        std::string item;
        for (; !at_end() && !ends_item(data_[at_]); ++at_)
            if (data_[at_] != '\n' && data_[at_] != '\t') item += data_[at_];
        skip_separator();
        return item;
    }

    std::int16_t number() {
        skip_blanks();
        if (peek() == '"') return to_number(quoted());
        std::string item;
        for (; !at_end() && !ends_item(data_[at_]) && data_[at_] != ' '; ++at_)
            if (data_[at_] != '\n' && data_[at_] != '\t') item += data_[at_];
        // A blank ends the number; a comma or line end after the blanks
        // still belongs to it.
        skip_blanks();
        if (!at_end() && ends_item(data_[at_])) skip_separator();
        return to_number(item);
    }

    // Skips lines whose first non-blank character is an apostrophe and
    // stops at the start of the first other line.
    void skip_comment_lines() {
        while (!at_end()) {
            std::size_t first = at_;
            while (first < data_.size() && data_[first] == ' ') ++first;
            if (first >= data_.size() || data_[first] != '\'') return;
            const std::size_t cr = data_.find('\r', first);
            at_ = cr == std::string_view::npos ? data_.size() : cr;
            skip_separator();
        }
    }

private:
    static bool ends_item(char c) { return c == ',' || c == '\r'; }

    char peek() const { return at_end() ? '\0' : data_[at_]; }

    void skip_blanks() {
        while (!at_end() && data_[at_] == ' ') ++at_;
    }

    void skip_separator() {
        if (at_end()) return;
        if (data_[at_++] == '\r' && !at_end() && data_[at_] == '\n') ++at_;
    }

    // From the opening quote to the next quote; anything after the closing
    // quote up to the separator is ignored.
    std::string quoted() {
        const std::size_t close = data_.find('"', at_ + 1);
        const std::size_t end = close == std::string_view::npos ? data_.size() : close;
        std::string item(data_.substr(at_ + 1, end - at_ - 1));
        at_ = end;
        while (!at_end() && !ends_item(data_[at_])) ++at_;
        skip_separator();
        return item;
    }

    // A decimal number, possibly signed and with a fraction, rounded to the
    // nearest whole number (a half to the even one) and held to 16 bits.
    // What does not start as a number reads as 0.
    static std::int16_t to_number(std::string_view item) {
        std::size_t i = 0;
        const bool negative = i < item.size() && item[i] == '-';
        if (i < item.size() && (item[i] == '-' || item[i] == '+')) ++i;
        double value = 0;
        for (; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i)
            value = std::min(value * 10 + (item[i] - '0'), 1e6);
        if (i < item.size() && item[i] == '.') {
            double scale = 0.1;
            for (++i; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i, scale /= 10)
                value += (item[i] - '0') * scale;
        }
        const double rounded = std::nearbyint(negative ? -value : value);
        return static_cast<std::int16_t>(std::clamp(rounded, -32768.0, 32767.0));
    }

    std::string_view data_;
    std::size_t at_ = 0;
};

std::int16_t at_least_zero(std::int16_t n) { return std::max<std::int16_t>(n, 0); }

// An empty text has nothing to translate; looking it up would only read the
// language file once more for every empty label and choice list.
std::string translated(const std::string& text) { return text.empty() ? text : startup::translate_text(text); }

FormField read_field(ItemReader& in) {
    FormField field;
    field.row = in.number();
    field.column = in.number();
    field.label = in.text();
    // A size below 0 means nothing to any painter: it counts as 0.
    field.length = std::min(at_least_zero(in.number()), MAX_VALUE_LENGTH);
    field.line_width = at_least_zero(in.number());
    field.trail_width = at_least_zero(in.number());
    field.flags = in.number();
    field.check = in.number();
    field.browse_list = in.number();
    field.choices = in.text();
    return field;
}

void read_page(ItemReader& in, FormPage& page, std::vector<FormField>& fields, std::int16_t max_fields) {
    page.accept_keys = in.text();
    const std::int16_t count = in.number();
    page.next_page = in.number();
    page.window_top = in.number();
    page.window_left = in.number();
    page.window_bottom = in.number();
    page.window_right = in.number();
    // Fields beyond max_fields_per_page have no slot: they are read, so that
    // the items after them stay in place, and dropped.
    for (int f = 1; f <= count; ++f) {
        FormField field = read_field(in);
        if (f > max_fields) continue;
        store_field_value(field, "");
        field.label = translated(field.label);
        field.choices = translated(field.choices);
        fields.push_back(std::move(field));
    }
    page.field_count = static_cast<std::int16_t>(fields.size());
}

BrowseListDef read_browse_list(ItemReader& in) {
    BrowseListDef list;
    list.record_file = in.number();
    list.key_number = in.number();
    list.window_top = in.number();
    list.window_left = in.number();
    list.window_bottom = in.number();
    list.window_right = in.number();
    list.selection_page = in.number();
    list.heading = translated(in.text());
    list.f4_list = in.number();
    return list;
}

}  // namespace

void load_form() {
    using startup::session;
    const std::string path = session.root_dir + "FORMS\\" + startup::main_state.module_name + ".JPN";
    platform::File file = platform::File::open(path, platform::Access::Read, platform::Share::Shared);
    if (!file.is_open()) return;
    const std::string data = file.read_all();
    file.close();

    FormsState& s = forms_state;
    s.form_pages.clear();
    s.form_fields.clear();
    s.browse_list_defs.clear();
    s.max_fields_per_page = 0;

    // A count below 0 counts as 0. With no pages the next group is the
    // browse count; with no lists nothing more is read.
    enum class Group { Header, Pages, BrowseCount, BrowseLists };
    Group group = Group::Header;
    std::size_t done = 0;
    ItemReader in(data);
    while (!in.at_end()) {
        in.skip_comment_lines();
        switch (group) {
            case Group::Header: {
                const std::int16_t pages = at_least_zero(in.number());
                s.max_fields_per_page = at_least_zero(in.number());
                s.form_pages.assign(pages, {});
                s.form_fields.assign(pages, {});
                group = pages > 0 ? Group::Pages : Group::BrowseCount;
                break;
            }
            case Group::Pages:
                read_page(in, s.form_pages[done], s.form_fields[done], s.max_fields_per_page);
                if (++done == s.form_pages.size()) group = Group::BrowseCount;
                break;
            case Group::BrowseCount: {
                const std::int16_t lists = at_least_zero(in.number());
                s.browse_list_defs.assign(lists, {});
                if (lists == 0) return;
                done = 0;
                group = Group::BrowseLists;
                break;
            }
            case Group::BrowseLists:
                s.browse_list_defs[done] = read_browse_list(in);
                if (++done == s.browse_list_defs.size()) return;
                break;
        }
    }
}

}  // namespace forms
