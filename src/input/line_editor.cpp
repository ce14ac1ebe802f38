#include "input/line_editor.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "format/fold.h"
#include "format/state.h"
#include "input/key_set.h"
#include "input/read_key.h"
#include "input/state.h"
#include "platform/console.h"
#include "platform/cp850.h"
#include "screen/colour.h"
#include "screen/windows.h"

namespace input {

namespace {

constexpr char LEFT_ARROW = '\x11';
constexpr char RIGHT_ARROW = '\x10';
constexpr int INSERT_CURSOR = 50;
constexpr int OVERWRITE_CURSOR = 100;

void print_at(int row, int column, std::string_view text) {
    screen::locate_in_window(static_cast<std::int16_t>(row), static_cast<std::int16_t>(column));
    platform::console().print(text);
}

// `text` cut or padded with blanks to `length`.
std::string fitted(std::string_view text, std::size_t length) {
    std::string out(text.substr(0, length));
    out.resize(length, ' ');
    return out;
}

bool is_separator(char c) { return std::string_view(" ,.;:").find(c) != std::string_view::npos; }

// The first character of the word the cursor is in or behind, or of the
// previous word when only separators lie between.
int word_left(std::string_view text, int position) {
    bool in_word = !is_separator(text[static_cast<std::size_t>(position - 2)]);
    for (int i = position - 1; i >= 1; --i) {
        const bool word = !is_separator(text[static_cast<std::size_t>(i - 1)]);
        if (word == in_word) continue;
        if (in_word) return i + 1;
        in_word = word;
    }
    return 1;
}

// The first character of the next word, or past the end.
int word_right(std::string_view text, int position) {
    bool in_separators = is_separator(text[static_cast<std::size_t>(position - 1)]);
    for (int i = position + 1; i <= static_cast<int>(text.size()); ++i) {
        const bool separator = is_separator(text[static_cast<std::size_t>(i - 1)]);
        if (separator == in_separators) continue;
        if (in_separators) return i;
        in_separators = separator;
    }
    return static_cast<int>(text.size()) + 1;
}

struct Choice {
    std::string value;
    std::string description;
};

// "|value,description|value,description...": text before the first bar is
// not an option.
std::vector<Choice> parse_choices(std::string_view list) {
    std::vector<Choice> choices;
    std::size_t bar = list.find('|');
    while (bar != std::string_view::npos) {
        const std::size_t next = list.find('|', bar + 1);
        const std::string_view item = list.substr(bar + 1, next == std::string_view::npos ? next : next - bar - 1);
        const std::size_t comma = item.find(',');
        choices.push_back({std::string(item.substr(0, comma)),
                           comma == std::string_view::npos ? std::string() : std::string(item.substr(comma + 1))});
        bar = next;
    }
    return choices;
}

bool is_text_char(KeyCode key, KeyCode lowest) { return (key >= lowest && key <= 126) || (key >= 128 && key <= 254); }

// A click as the line editor passes it on: -(column * 100 + row).
KeyCode click_code(const KeyRead& r) { return static_cast<KeyCode>(-(r.mouse_column * 100 + r.mouse_row)); }

class LineEdit {
public:
    LineEdit(int row, int column, int width, std::string& text, int position)
        : row_(row), column_(column), width_(width), text_(text), position_(position) {}

    // Runs the edit to its end and gives the key that ended it.
    KeyCode run();
    int position() const { return position_; }

private:
    // A key is acted on (go_on), was a click already acted on (handled), or
    // ends editing if the key set lets it.
    enum class Outcome { go_on, handled, end };

    int length() const { return static_cast<int>(text_.size()); }
    bool is_choice() const { return !choices_.empty(); }
    int screen_row() const { return screen::window_first_row() + row_ - 1; }
    int screen_column() const { return screen::window_first_column() + column_ - 1; }

    void paint();
    void show_choice_markers(char left, char right);
    // The window position of the cursor for the current position.
    platform::Position cursor_place() const;
    KeyCode wait_key(bool& insert);
    void set_cursor(bool insert);
    Outcome on_click(KeyCode& key);
    Outcome on_key(KeyCode key, bool insert);
    Outcome on_choice_key(KeyCode key);
    void type_ahead(KeyCode key);
    void paste();
    // The key as the key set reports it; false when the key set ignores it.
    static bool ends_with(KeyCode& key);

    int row_;
    int column_;
    int width_;
    std::string& text_;
    int position_;
    std::vector<Choice> choices_;
    std::size_t choice_ = 0;
    int choice_width_ = 0;
    bool repaint_ = true;
};

KeyCode LineEdit::run() {
    choices_ = parse_choices(input_state.current_choices);
    if (is_choice()) {
        const auto same =
            std::find_if(choices_.begin(), choices_.end(), [&](const Choice& c) { return c.value == text_; });
        choice_ = same == choices_.end() ? 0 : static_cast<std::size_t>(same - choices_.begin());
        for (const Choice& c : choices_)
            choice_width_ = std::max(choice_width_, static_cast<int>(c.description.size()));
        show_choice_markers(LEFT_ARROW, RIGHT_ARROW);
    }
    screen::apply_colour_code("u");

    for (;;) {
        screen::locate_in_window(static_cast<std::int16_t>(row_), static_cast<std::int16_t>(column_));
        repaint_ = true;
        KeyCode key = KEY_NONE;
        for (Outcome outcome = Outcome::go_on; outcome != Outcome::end;) {
            if (repaint_) paint();
            repaint_ = false;
            bool insert = false;
            key = wait_key(insert);
            platform::console().hide_cursor();
            outcome = key < 0 ? on_click(key) : Outcome::go_on;
            if (outcome == Outcome::go_on) outcome = on_key(key, insert);
        }
        if (ends_with(key)) {
            screen::apply_colour_code("h");
            if (is_choice()) show_choice_markers(' ', ' ');
            screen::locate_in_window(static_cast<std::int16_t>(row_), static_cast<std::int16_t>(column_));
            return key;
        }
    }
}

void LineEdit::paint() {
    if (text_.empty()) return;
    if (is_choice()) {
        const Choice& c = choices_[choice_];
        text_ = fitted(c.value, text_.size());
        print_at(row_, column_, fitted(c.description, static_cast<std::size_t>(choice_width_)));
        return;
    }
    const auto mask = static_cast<char>(input_state.mask_char);
    for (int start = 1, r = row_; start <= length(); start += width_, ++r) {
        if (mask != 0)
            print_at(r, column_, std::string(static_cast<std::size_t>(width_ - 1), mask));
        else
            print_at(
                r, column_,
                std::string_view(text_).substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(width_)));
    }
}

void LineEdit::show_choice_markers(char left, char right) {
    print_at(row_, column_ - 1, std::string(1, left));
    print_at(row_, column_ + choice_width_, std::string(1, right));
}

platform::Position LineEdit::cursor_place() const {
    int down = (position_ - 1) / width_;
    int across = (position_ - 1) % width_;
    // Past the end the cursor stays just right of the last row, never at
    // the start of a row of its own.
    if (position_ == length() + 1 && across == 0 && down > 0) {
        --down;
        across = width_;
    }
    return {row_ + down, column_ + across};
}

void LineEdit::set_cursor(bool insert) {
    const platform::Position at = cursor_place();
    screen::locate_in_window(static_cast<std::int16_t>(at.row), static_cast<std::int16_t>(at.column));
    platform::console().show_cursor(insert ? INSERT_CURSOR : OVERWRITE_CURSOR);
}

// The next key or click (as a negative code); Ins is handled here, mouse
// movements are passed over.
KeyCode LineEdit::wait_key(bool& insert) {
    platform::Console& c = platform::console();
    platform::KeyboardState keyboard = c.keyboard_state();
    insert = keyboard[platform::INSERT_KEY_INDEX] != 0;
    if (is_choice())
        c.hide_cursor();
    else
        set_cursor(insert);
    for (;;) {
        KeyRead r;
        read_key(r);
        if (r.key == KEY_INS) {
            insert = !insert;
            if (!is_choice()) set_cursor(insert);
            keyboard = c.keyboard_state();
            keyboard[platform::INSERT_KEY_INDEX] = insert ? 1 : 0;
            c.set_keyboard_state(keyboard);
        } else if (r.key != KEY_NONE) {
            return r.key;
        } else if (r.mouse_button != 0) {
            return click_code(r);
        }
    }
}

// A click inside the field moves in it (an ordinary field) or steps through
// the choices on the markers; one outside ends editing.
LineEdit::Outcome LineEdit::on_click(KeyCode& key) {
    const int row = (-key) % 100;
    const int column = (-key) / 100;
    if (is_choice()) {
        if (row != screen_row() || column < screen_column() - 1 || column > screen_column() + choice_width_)
            return Outcome::end;
        key = column == screen_column() - 1               ? KEY_LEFT
              : column == screen_column() + choice_width_ ? KEY_RIGHT
                                                          : KEY_NONE;
        return Outcome::go_on;
    }
    const int down = row - screen_row();
    const int across = column - screen_column();
    if (down < 0 || down >= (length() + 1) / width_ || across < 0 || across >= width_) return Outcome::end;
    position_ = down * width_ + across + 1;
    return Outcome::handled;
}

LineEdit::Outcome LineEdit::on_key(KeyCode key, bool insert) {
    // Home and End move alike in both kinds of field (unseen in a choice).
    if (key == KEY_HOME) {
        position_ = 1;
        return Outcome::go_on;
    }
    if (key == KEY_END) {
        position_ = static_cast<int>(platform::trim_trailing_blanks(text_).size()) + 1;
        return Outcome::go_on;
    }
    if (is_choice()) return on_choice_key(key);
    const int end = length() + 1;
    if (is_text_char(key, KEY_SPACE)) {
        if (position_ == end) return Outcome::go_on;
        const auto ch = static_cast<char>(key);
        if (insert) {
            if (text_.back() != ' ') return Outcome::go_on;
            text_.insert(static_cast<std::size_t>(position_ - 1), 1, ch);
            text_.pop_back();
            repaint_ = true;
        } else {
            text_[static_cast<std::size_t>(position_ - 1)] = ch;
            if (input_state.mask_char == 0) {
                const platform::Position at = cursor_place();
                print_at(at.row, at.column, std::string(1, ch));
            }
        }
        ++position_;
        return Outcome::go_on;
    }
    switch (key) {
        case KEY_LEFT:
            if (position_ > 1) --position_;
            return Outcome::go_on;
        case KEY_RIGHT:
            if (position_ < end) ++position_;
            return Outcome::go_on;
        case KEY_BACKSPACE:
            if (position_ == 1) return Outcome::go_on;
            --position_;
            [[fallthrough]];
        case KEY_DEL:
            if (position_ == end) return Outcome::go_on;
            text_.erase(static_cast<std::size_t>(position_ - 1), 1);
            text_ += ' ';
            repaint_ = true;
            return Outcome::go_on;
        case KEY_CTRL_HOME:
        case KEY_CTRL_Y:
            text_.assign(text_.size(), ' ');
            position_ = 1;
            repaint_ = true;
            return Outcome::go_on;
        case KEY_UP:
        case KEY_SHIFT_TAB:
            if (position_ <= width_) return Outcome::end;
            position_ -= width_;
            return Outcome::go_on;
        case KEY_DOWN:
            if (position_ + width_ > end) return Outcome::end;
            position_ += width_;
            return Outcome::go_on;
        case KEY_CTRL_LEFT:
            if (position_ == 1) return Outcome::end;
            position_ = word_left(text_, position_);
            return Outcome::go_on;
        case KEY_CTRL_RIGHT:
            if (position_ == end) return Outcome::end;
            position_ = word_right(text_, position_);
            return Outcome::go_on;
        case KEY_CTRL_C:
            platform::console().put_clipboard(platform::trim_blanks(text_));
            return Outcome::go_on;
        case KEY_CTRL_V:
            paste();
            return Outcome::go_on;
        default:
            return Outcome::end;
    }
}

LineEdit::Outcome LineEdit::on_choice_key(KeyCode key) {
    if (is_text_char(key, KEY_SPACE + 1)) {
        type_ahead(key);
        return Outcome::go_on;
    }
    switch (key) {
        case KEY_LEFT:
            choice_ = (choice_ == 0 ? choices_.size() : choice_) - 1;
            repaint_ = true;
            return Outcome::go_on;
        case KEY_RIGHT:
        case KEY_SPACE:
            choice_ = (choice_ + 1) % choices_.size();
            repaint_ = true;
            return Outcome::go_on;
        case KEY_CTRL_C:
            platform::console().put_clipboard(choices_[choice_].description);
            return Outcome::go_on;
        case KEY_BACKSPACE:
        case KEY_DEL:
        case KEY_CTRL_HOME:
        case KEY_CTRL_Y:
        case KEY_CTRL_V:
            return Outcome::go_on;
        default:
            return Outcome::end;
    }
}

// The next choice, after the current one and then once more from the first,
// whose description starts with the typed letter, case and accents aside.
void LineEdit::type_ahead(KeyCode key) {
    std::int16_t& plain = format::format_state.plain_letters_mode;
    plain = -1;
    const std::string typed = format::fold_text(std::string(1, static_cast<char>(key)));
    const auto starts_with_typed = [&](std::size_t i) {
        const std::string& d = choices_[i].description;
        return !d.empty() && format::fold_text(d.substr(0, 1)) == typed;
    };
    std::size_t found = choices_.size();
    for (std::size_t i = choice_ + 1; i < choices_.size() && found == choices_.size(); ++i)
        if (starts_with_typed(i)) found = i;
    for (std::size_t i = 0; i < choices_.size() && found == choices_.size(); ++i)
        if (starts_with_typed(i)) found = i;
    plain = 0;
    if (found == choices_.size()) return;
    choice_ = found;
    repaint_ = true;
}

// The clipboard's text without control characters and outer blanks, written
// over the text from the cursor on; what does not fit is dropped.
void LineEdit::paste() {
    std::string pasted = platform::console().get_clipboard();
    if (pasted.empty()) return;
    std::erase_if(pasted, [](char ch) {
        const auto c = static_cast<std::uint8_t>(ch);
        return c < 32 || c == 127 || c == 255;
    });
    pasted = platform::trim_blanks(pasted);
    const auto at = static_cast<std::size_t>(position_ - 1);
    const std::size_t fits = std::min(pasted.size(), text_.size() - std::min(at, text_.size()));
    text_.replace(std::min(at, text_.size()), fits, pasted, 0, fits);
    repaint_ = true;
}

bool LineEdit::ends_with(KeyCode& key) {
    const std::string& accept = input_state.accept_key_list;
    if (key == KEY_SHIFT_TAB)
        key = KEY_UP;
    else if (key == KEY_TAB)
        key = KEY_ENTER;
    else if (key == KEY_ENTER && find_key_code(accept, KEY_END) != 0)
        key = KEY_END;
    else if (key == KEY_CTRL_F4 || key == KEY_ALT_F4)
        key = KEY_ESC;
    if (accept.empty()) return true;
    const std::size_t at = find_key_code(accept, key);
    if (at != 0) {
        key = key_code_at(input_state.report_key_list, at);
        return true;
    }
    return key < 0;
}

}  // namespace

void edit_line(std::int16_t row, std::int16_t column, std::int16_t line_width, std::string& text,
               std::int16_t& position, KeyCode& key) {
    // A row or column of 0 is where the cursor is, in the window's terms.
    const platform::Position cursor = platform::console().cursor();
    const int r = row != 0 ? row : cursor.row - screen::window_first_row() + 1;
    const int c = column != 0 ? column : cursor.column - screen::window_first_column() + 1;
    const int length = static_cast<int>(text.size());
    const int width = line_width > 0 ? line_width : length + 1;
    LineEdit edit(r, c, width, text, std::clamp(static_cast<int>(position), 1, length + 1));
    key = edit.run();
    position = static_cast<std::int16_t>(edit.position());
}

}  // namespace input
