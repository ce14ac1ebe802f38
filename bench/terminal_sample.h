// The screen both programs of terminal_bytes.sh paint: the table screen of
// the program as it looks while the first code is edited (a title, the
// heading, two columns of code and description fields, half of them
// filled), and the single cells that change: a key typed at the cursor, and
// the page number away from it. Texts are UTF-8.
#pragma once

#include <cstdio>
#include <string>

namespace sample {

constexpr int NORMAL = 0x1F;  // white on blue
constexpr int VALUE = 0x1E;   // yellow on blue
constexpr int TITLE = 0x71;   // blue on grey
constexpr int CURSOR_ROW = 4;
constexpr int CURSOR_COLUMN = 2;

// put(row, column, attribute, utf8_text); the screen starts cleared in NORMAL.
template <class Put>
void paint(Put put) {
    static const char* const types[] = {
        "DIETES",
        "QUILOMETRATGE",
        "PEATGES",
        "APARCAMENT",
        "HOTELS",
        "TRANSPORT PÚBLIC",
        "TAXIS",
        "MATERIAL OFICINA",
        "TELÈFON",
        "FORMACIÓ",
        "ÀPATS AMB CLIENTS",
        "MISSATGERIA",
        "LLIBRES I REVISTES",
        "CORREUS",
        "VARIS",
    };
    put(1, 25, TITLE, "MANTENIMENT DE TIPUS DE DESPESA");
    put(1, 1, NORMAL, "VERTICAL");
    put(1, 69, NORMAL, "PANTALLA  1");
    put(2, 1, NORMAL, "CODI    DESCRIPCIÓ                       CODI    DESCRIPCIÓ");
    put(3, 1, NORMAL, "---------------------------------        ---------------------------------");
    for (int i = 0; i < 40; ++i) {
        const int row = 4 + i % 20;
        const int column = i < 20 ? 2 : 43;
        char code[3] = "  ";
        std::string description(25, ' ');
        if (i < static_cast<int>(sizeof types / sizeof *types)) {
            std::snprintf(code, sizeof code, "%02d", i + 1);
            description = std::string(types[i]) + std::string(25, ' ');
            // Keep 25 characters, counting a UTF-8 sequence as one.
            std::string cut;
            int n = 0;
            for (const char c : description) {
                if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++n > 25) break;
                cut += c;
            }
            description = cut;
        }
        put(row, column, VALUE, code);
        put(row, column + 7, VALUE, description.c_str());
    }
}

// The key typed in the first code field: one cell, the cursor moving on.
template <class Put>
void type_key(Put put) {
    put(CURSOR_ROW, CURSOR_COLUMN, VALUE, "X");
}

// The page number changing, away from the cursor, which then goes back to
// the field (row, column): one cell elsewhere.
template <class Put>
void next_page(Put put) {
    put(1, 79, NORMAL, "2");
}

}  // namespace sample
