// Texts of the program are written in Catalan; this turns one into the
// session's language through the module's language file.
#pragma once

#include <string>
#include <string_view>

namespace startup {

struct LanguageState {
    // The file's name without directory or extension: the module name,
    // taken at the first lookup outside Catalan and kept for the run.
    std::string language_file_name;
};

extern LanguageState language_state;

// The text in the session's language; the text itself in Catalan, for an
// unknown language code, or when the file has no record for it. The file is
// read again on every call.
std::string translate_text(const std::string& text);

// For the few messages that carry their four versions in the program: the
// one of the session's language ("SPA", "GLG", "OCI"; Catalan otherwise).
std::string in_session_language(std::string_view catalan, std::string_view spanish, std::string_view galician,
                                std::string_view occitan);

}  // namespace startup
