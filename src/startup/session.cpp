#include "startup/session.h"

#include "platform/cp850.h"
#include "platform/files.h"
#include "platform/process.h"
#include "startup/settings.h"

namespace startup {

Session session;

std::string with_separator(std::string_view dir) {
    std::string out(dir);
    if (!out.empty() && out.back() != ':' && out.back() != '\\') out += '\\';
    return out;
}

namespace {

bool all_blanks(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string first_set(std::initializer_list<std::pair<const char*, const char*>> tests, const char* otherwise) {
    for (const auto& [variable, result] : tests)
        if (!platform::get_env(variable).empty()) return result;
    return otherwise;
}

// The menu may name the terminal's folder in TERM. On POSIX that variable
// belongs to the terminal type ("xterm-256color"), which would send every
// work file into a folder that does not exist; there it counts only when a
// folder of that name is there.
std::string terminal_from_environment() {
    std::string term = platform::get_env("TERM");
#ifndef _WIN32
    if (!term.empty() && !platform::is_directory(term)) term.clear();
#endif
    return term;
}

}  // namespace

void load_session_settings() {
    // The conversion code page is fixed: every 8-bit text is code page 850,
    // converted only at the platform edge.
    Session s;
    s.root_dir = platform::get_env("JOBROOT");
    s.exe_dir = platform::get_env("JOBEXE");
    s.session_dir = with_separator(platform::get_env("JOBTMP"));

    const std::string session_file = s.session_dir + "Sessio.ini";
    s.screen_title = " " + read_setting(session_file, "Menu", "Titol") + " ";
    s.menu_name = read_setting(session_file, "Menu", "NomMenu");
    s.menu_key = read_setting(session_file, "Menu", "Menu");
    s.menu_chain = read_setting(session_file, "Menu", "ChnMenu");
    s.operator_name = read_setting(session_file, "Menu", "Operador");
    s.operator_type = integer_value(read_setting(session_file, "Menu", "JobTipOper"));

    std::string terminal = read_setting(session_file, "Terminal", "Dir");
    if (terminal.empty()) terminal = terminal_from_environment();
    s.terminal_dir = with_separator(terminal);
    if (s.session_dir.empty()) s.session_dir = s.terminal_dir;

    const std::string terminal_file = s.session_dir + "NaloTerm.ini";
    const int selection = integer_value(read_setting(terminal_file, "Pantalla", "Seleccio"));
    std::string palette = read_setting(terminal_file, "Pantalla", "Col" + std::to_string(selection));
    if (palette.empty()) palette = DEFAULT_PALETTE;
    for (std::size_t i = 0; i < s.screen_palette.size(); ++i) {
        const auto piece = [&](std::size_t at) {
            return at < palette.size() ? std::string_view(palette).substr(at, 2) : std::string_view();
        };
        s.screen_palette[i] = {integer_value(piece(4 * i)), integer_value(piece(4 * i + 2))};
    }

    s.working_date = pack_digit_pairs(read_setting(terminal_file, "Sistema", "Data"));
    s.output_setting = read_setting(terminal_file, "Sistema", "Sortida");
    s.language_code = platform::fixed_length(read_setting(terminal_file, "Sistema", "Idioma"), 3);
    if (all_blanks(s.language_code))
        s.language_code =
            platform::fixed_length(read_setting(platform::get_env("JOBROOT") + "Nalo.ini", "Usuari", "Idioma"), 3);

    s.run_environment = first_set(
        {{"HTTP_USER_AGENT", "CGI"}, {"HTTP_ACCEPT", "CGI"}, {"WINDIR", "WIN"}, {"SYSTEMROOT", "WIN"}}, "DOS");
    session = std::move(s);
}

std::string pack_digit_pairs(std::string_view text) {
    const std::size_t n = text.size();
    std::string digits = platform::trim_blanks(text);
    digits.insert(0, n - digits.size(), '0');
    for (char& c : digits)
        if (c == ' ') c = '0';
    const auto digit = [&](std::size_t i) {
        return i < digits.size() && digits[i] >= '0' && digits[i] <= '9' ? digits[i] - '0' : 0;
    };
    std::string out;
    for (std::size_t k = 0; k < (n + 1) / 2; ++k)
        out += static_cast<char>(128 + 10 * digit(2 * k) + digit(2 * k + 1));
    return out;
}

}  // namespace startup
