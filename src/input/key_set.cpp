#include "input/key_set.h"

#include "input/state.h"
#include "platform/cp850.h"

namespace input {

namespace {

// A hexadecimal number after any leading blanks, up to its first character
// that is not a digit, held to 16 bits; an empty text gives 0.
std::int16_t hex_code(std::string_view text) {
    std::uint32_t value = 0;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = (value << 4 | static_cast<std::uint32_t>(digit)) & 0xFFFF;
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

template <typename Each>
void for_each_item(std::string_view list, Each each) {
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? list.size() : comma;
        each(list.substr(start, end - start));
        start = end + 1;
    }
}

void add_codes(std::string_view list) {
    for_each_item(list, [](std::string_view item) {
        const std::size_t eq = item.find('=');
        const std::int16_t code = hex_code(item.substr(0, eq));
        const std::int16_t report = eq == std::string_view::npos ? code : hex_code(item.substr(eq + 1));
        input_state.accept_key_list += key_code_bytes(code);
        input_state.report_key_list += key_code_bytes(report);
    });
}

void remove_codes(std::string_view list) {
    for_each_item(list, [](std::string_view item) {
        const std::size_t at = find_key_code(input_state.accept_key_list, hex_code(item));
        if (at == 0) return;
        input_state.accept_key_list.erase(at - 1, 2);
        // The two lists always have the same length; a caller that wrote
        // them by hand cannot make this reach past the report list.
        if (at - 1 < input_state.report_key_list.size()) input_state.report_key_list.erase(at - 1, 2);
    });
}

}  // namespace

std::string key_code_bytes(std::int16_t code) {
    const auto u = static_cast<std::uint16_t>(code);
    return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}

std::size_t find_key_code(std::string_view list, std::int16_t code) {
    const std::string bytes = key_code_bytes(code);
    for (std::size_t at = list.find(bytes); at != std::string_view::npos; at = list.find(bytes, at + 1))
        if (at % 2 == 0) return at + 1;
    return 0;
}

std::int16_t key_code_at(std::string_view list, std::size_t position) {
    if (position == 0 || position + 1 > list.size()) return 0;
    const auto low = static_cast<unsigned char>(list[position - 1]);
    const auto high = static_cast<unsigned char>(list[position]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
}

void key_set_command(std::string_view commands, std::string_view list) {
    InputState& s = input_state;
    for (const char c : platform::upper_case(commands)) {
        switch (c) {
            case 'A':
                add_codes(list);
                break;
            case 'D':
                remove_codes(list);
                break;
            case 'E':
                s.accept_key_list.clear();
                s.report_key_list.clear();
                break;
            case '+':
                if (s.save_depth == 0) {
                    s.saved_accept_key_list = s.accept_key_list;
                    s.saved_report_key_list = s.report_key_list;
                    s.save_depth = 1;
                }
                break;
            case '-':
                if (s.save_depth != 0) {
                    s.accept_key_list = std::move(s.saved_accept_key_list);
                    s.report_key_list = std::move(s.saved_report_key_list);
                    s.saved_accept_key_list.clear();
                    s.saved_report_key_list.clear();
                    s.save_depth = 0;
                }
                break;
            case 'H':
                s.mask_char = 'X';
                break;
            case 'V':
                s.mask_char = 0;
                break;
            default:
                break;
        }
    }
}

void set_current_choices(std::string_view choices) { input_state.current_choices = std::string(choices); }

KeySet current_key_set() {
    const InputState& s = input_state;
    return {s.accept_key_list, s.report_key_list, s.saved_accept_key_list, s.saved_report_key_list, s.save_depth};
}

void restore_key_set(KeySet keys) {
    InputState& s = input_state;
    s.accept_key_list = std::move(keys.accept_key_list);
    s.report_key_list = std::move(keys.report_key_list);
    s.saved_accept_key_list = std::move(keys.saved_accept_key_list);
    s.saved_report_key_list = std::move(keys.saved_report_key_list);
    s.save_depth = keys.save_depth;
}

}  // namespace input
