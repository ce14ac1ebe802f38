#include "screen/colour.h"

#include "platform/console.h"
#include "platform/cp850.h"
#include "screen/state.h"
#include "startup/session.h"

namespace screen {

std::int16_t is_all_char(std::string_view text, std::int16_t character) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) != character) return 0;
    return -1;
}

void apply_colour_code(std::string& code) {
    code = platform::upper_case(code);
    if (is_all_char(code, ' ')) return;

    std::string& stack = screen_state.colour_stack;
    const auto has = [&](char c) { return code.find(c) != std::string::npos; };
    if (has('+')) stack += static_cast<char>(screen_state.current_colour_entry);

    std::int16_t entry = 0;
    if (has('-')) {
        if (!stack.empty()) {
            entry = static_cast<unsigned char>(stack.back());
            stack.pop_back();
        }
    } else if (has('U')) {
        entry = 4;
    } else {
        entry = static_cast<std::int16_t>((has('R') ? 2 : 0) + (has('N') ? 1 : 0));
    }
    // The stack is a plain text open to any caller: a stray byte must not
    // reach past the palette.
    if (entry < 0 || entry >= static_cast<std::int16_t>(startup::session.screen_palette.size())) entry = 0;

    const auto& colours = startup::session.screen_palette[static_cast<std::size_t>(entry)];
    platform::console().set_colour(colours.foreground, colours.background);
    screen_state.current_colour_entry = entry;
}

}  // namespace screen
