// The session values: where the installation, the session and the terminal
// live, and the settings the suite's menu hands every program. Read once at
// start-up, only read afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace startup {

struct PaletteEntry {
    std::int16_t foreground = 0;
    std::int16_t background = 0;
    bool operator==(const PaletteEntry&) const = default;
};

inline constexpr std::string_view DEFAULT_PALETTE = "15000700000700070007";

struct Session {
    std::string root_dir;
    std::string exe_dir;
    std::string session_dir;
    std::string screen_title;
    std::string menu_name;
    std::string menu_key;
    std::string menu_chain;
    std::string operator_name;
    std::int16_t operator_type = 0;
    std::string terminal_dir;
    std::array<PaletteEntry, 5> screen_palette{};
    std::string working_date;
    std::string output_setting;
    std::string language_code = "   ";
    std::string run_environment = "   ";
};

// The values of the run.
extern Session session;

void load_session_settings();

// Digits to packed digit pairs: each byte holds two digits as 128 + value.
std::string pack_digit_pairs(std::string_view text);

// A directory value with a backslash added, unless it is empty or already
// ends with a backslash or a colon.
std::string with_separator(std::string_view dir);

}  // namespace startup
