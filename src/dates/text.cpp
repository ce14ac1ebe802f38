#include "dates/text.h"

#include <array>

#include "dates/state.h"
#include "dates/value.h"
#include "platform/cp850.h"
#include "platform/process.h"
#include "startup/session.h"
#include "startup/settings.h"

namespace dates {

namespace {

using platform::operator""_cp850;

struct LanguageWords {
    std::string before_vowel_month;
    std::string before_month;
    std::string before_day_or_year;
    std::array<std::string, 12> month_names;
};

const LanguageWords& language_words(const std::string& language_code) {
    static const LanguageWords catalan{" d'",
                                       " de ",
                                       " del ",
                                       {"gener", "febrer", "març"_cp850, "abril", "maig", "juny", "juliol", "agost",
                                        "setembre", "octubre", "novembre", "desembre"}};
    static const LanguageWords spanish{" de ",
                                       " de ",
                                       " de ",
                                       {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
                                        "septiembre", "octubre", "noviembre", "diciembre"}};
    static const LanguageWords galician{" de ",
                                        " de ",
                                        " do ",
                                        {"janeiro", "fevereiro", "março"_cp850, "abril", "maio", "junho", "julho",
                                         "agosto", "setembro", "outubro", "novembro", "dezembro"}};
    static const LanguageWords occitan{" d'",
                                       " de ",
                                       " deth ",
                                       {"gèr"_cp850, "hereuèr"_cp850, "març"_cp850, "abriu", "mai", "junh", "junhsega",
                                        "agost", "seteme", "octobre", "noveme", "deseme"}};
    if (language_code == "SPA") return spanish;
    if (language_code == "GLG") return galician;
    if (language_code == "OCI") return occitan;
    return catalan;
}

std::string user_setting(std::string_view key) {
    return startup::read_setting(platform::get_env("JOBROOT") + "Nalo.ini", "Usuari", key);
}

void read_date_settings() {
    DateState& s = date_state;
    if (s.date_separator == 0) {
        const std::string value = user_setting("DatCaracter");
        // A zero byte would leave the setting unread and end up in the text.
        s.date_separator = value.empty() || value[0] == ' ' || value[0] == '\0' ? '/' : value[0];
    }
    if (s.date_order == std::string(3, '\0')) {
        const std::string value = platform::fixed_length(user_setting("DatOrdre"), 3);
        s.date_order = value == "   " ? "DMA" : value;
    }
}

// The month in the style: its number, the first three letters of its name,
// or its name. A month without a name keeps its number.
std::string month_text(std::int16_t month, std::int16_t style, const LanguageWords& words) {
    if (style < DATE_SHORT || month < 1 || month > 12) return std::to_string(month);
    const std::string& name = words.month_names[static_cast<std::size_t>(month - 1)];
    return style == DATE_SHORT ? name.substr(0, 3) : name;
}

bool starts_with_vowel(const std::string& text) {
    return !text.empty() && std::string_view("AEIOU").find(platform::upper_case(text[0])) != std::string_view::npos;
}

}  // namespace

std::string format_date(const std::string& date, std::int16_t style, std::string_view parts) {
    read_date_settings();
    const LanguageWords& words = language_words(startup::session.language_code);
    std::string digits = date_digits(date.substr(0, 4));
    digits.resize(8, '0');
    const DateParts p = date_parts(date);

    if (style == DATE_ISO) return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);

    const std::string wanted = platform::upper_case(parts);
    const auto wants = [&](char part) { return wanted.find(part) != std::string::npos; };
    std::string result;
    if (p.month != 0 || p.day != 0) {
        bool first = true;
        for (const char part : date_state.date_order) {
            // Only the three letters name parts.
            if ((part != 'D' && part != 'M' && part != 'A') || !wants(part)) continue;
            std::string text;
            if (part == 'D') text = std::to_string(p.day);
            if (part == 'A') text = digits.substr(0, 4);
            if (part == 'M') text = month_text(p.month, style, words);
            if (!first) {
                if (style < DATE_LONG)
                    result += date_state.date_separator;
                else if (part != 'M')
                    result += words.before_day_or_year;
                else
                    result += starts_with_vowel(text) ? words.before_vowel_month : words.before_month;
            }
            result += text;
            first = false;
        }
    }
    if (style >= DATE_LONG) return result;

    const long width = static_cast<long>(parts.size()) - 1 + (wants('M') ? style + 2 : 0) + (wants('A') ? 4 : 0) +
                       (wants('D') ? 2 : 0);
    result.resize(width > 0 ? static_cast<std::size_t>(width) : 0, ' ');
    return result;
}

}  // namespace dates
