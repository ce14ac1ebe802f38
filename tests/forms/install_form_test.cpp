// The form and language files that ship in install/, loaded as the program
// loads them, in each of the suite's languages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "input/key_set.h"
#include "input/state.h"
#include "platform/cp850.h"
#include "startup/language.h"
#include "startup/main_sequence.h"
#include "startup/session.h"
#include "support/temp_dir.h"

using forms::form_field;
using forms::form_page;
using platform::operator""_cp850;
using startup::session;

namespace {

namespace fs = std::filesystem;

// The sample installation's form and language files in a root of their own.
class InstallForm : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = session;
        saved_module = startup::main_state.module_name;
        for (const char* folder : {"FORMS", "LOCALE"})
            fs::copy(fs::path(SAMPLE_INSTALL) / folder, fs::path(root.path()) / folder, fs::copy_options::recursive);
        session.root_dir = root.path();
        startup::main_state.module_name = "EXPTYPES";
        reset();
    }
    void TearDown() override {
        reset();
        startup::main_state.module_name = saved_module;
        session = saved_session;
    }
    static void reset() {
        forms::forms_state = {};
        startup::language_state = {};
        input::input_state = {};
    }
    void load_in(const std::string& language) {
        reset();
        session.language_code = language;
        forms::load_form();
    }

    test_support::TempDir root;
    startup::Session saved_session;
    std::string saved_module;
};

// The (value, description) entries of a choice list.
std::vector<std::pair<std::string, std::string>> choice_entries(const std::string& choices) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::size_t bar = choices.find('|'); bar != std::string::npos;) {
        const std::size_t next = choices.find('|', bar + 1);
        const std::string entry = choices.substr(bar + 1, next == std::string::npos ? next : next - bar - 1);
        const std::size_t comma = entry.find(',');
        entries.emplace_back(entry.substr(0, comma), comma == std::string::npos ? "" : entry.substr(comma + 1));
        bar = next;
    }
    return entries;
}

TEST_F(InstallForm, FilesAreWindowsText) {
    for (const char* file : {"FORMS/EXPTYPES.JPN", "LOCALE/EXPTYPES.LNG"}) {
        const std::string bytes = root.read(file);
        ASSERT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << file;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const bool lf_after_cr = bytes[i] != '\n' || (i > 0 && bytes[i - 1] == '\r');
            const bool cr_before_lf = bytes[i] != '\r' || (i + 1 < bytes.size() && bytes[i + 1] == '\n');
            ASSERT_TRUE(lf_after_cr && cr_before_lf) << file << " at " << i;
        }
    }
}

TEST_F(InstallForm, TablePageHoldsTwoColumnsOfCodeAndDescription) {
    load_in("CAT");
    ASSERT_EQ(forms::form_page_count(), 2);
    EXPECT_EQ(forms::browse_list_count(), 0);
    const forms::FormPage& page = form_page(1);
    EXPECT_EQ(page.window_top, 0);
    EXPECT_EQ(page.next_page, 0);
    ASSERT_EQ(page.field_count, 88);
    ASSERT_LE(page.field_count, forms::max_fields_per_page());

    // Pair k: rows 4 to 25 down the left column, then down the right one.
    for (std::int16_t k = 1; k <= 44; ++k) {
        const std::int16_t row = 4 + (k - 1) % 22;
        const std::int16_t column = k <= 22 ? 1 : 42;
        SCOPED_TRACE(k);
        const forms::FormField& code = form_field(1, 2 * k - 1);
        const forms::FormField& description = form_field(1, 2 * k);
        EXPECT_EQ(code, (forms::FormField{"", row, column, 2, 0, 0, 0, forms::CHECK_UNIQUE, 0, "", "  "}));
        EXPECT_EQ(description, (forms::FormField{"", row, static_cast<std::int16_t>(column + 8), 25, 0, 0, 0, 0, 0, "",
                                                 std::string(25, ' ')}));
    }

    // The keys the main loop needs end an edit and report themselves; End is
    // not among them, or the editor would report every Enter as End.
    input::key_set_command("ea", page.accept_keys);
    const std::string& accept = input::input_state.accept_key_list;
    const std::string& report = input::input_state.report_key_list;
    for (std::int16_t key : {13, 27, 0x4900, 0x5100, 0x4800, 0x5000, 0x4400}) {
        const std::size_t at = input::find_key_code(accept, key);
        ASSERT_NE(at, 0u) << key;
        EXPECT_EQ(input::key_code_at(report, at), key);
    }
    EXPECT_EQ(input::find_key_code(accept, 0x4F00), 0u);
}

struct Language {
    const char* code;
    std::string vertical;
    std::string page_label;
    std::string heading;
    std::string question;
    std::string choices;
};

const Language languages[] = {
    {"CAT", "VERTICAL", "PANTALLA ", "CODI    DESCRIPCIÓ"_cp850, "Sortir i perdre els canvis?  ", "|N,No|S,Sí"_cp850},
    {"GLG", "VERTICAL", "PANTALLA ", "CÓDIGO  DESCRICIÓN"_cp850, "Saír e perder os cambios?  "_cp850, "|N,Non|S,Si"},
    {"OCI", "VERTICAU", "ECRAN ", "CÒDI    DESCRIPCION"_cp850, "Gessir e pèrder es cambis?  "_cp850,
     "|N,Non|S,Òc"_cp850},
    {"SPA", "VERTICAL", "PANTALLA ", "CÓDIGO  DESCRIPCIÓN"_cp850, "¿Salir y perder los cambios?  "_cp850,
     "|N,No|S,Sí"_cp850},
};

TEST_F(InstallForm, ExitQuestionInEveryLanguage) {
    for (const Language& language : languages) {
        SCOPED_TRACE(language.code);
        load_in(language.code);
        const forms::FormPage& page = form_page(2);
        EXPECT_EQ(page.field_count, 1);
        EXPECT_EQ(page.accept_keys, "d,1b");
        ASSERT_NE(page.window_top, 0);
        const forms::FormField& answer = form_field(2, 1);
        EXPECT_EQ(answer.label, language.question);
        EXPECT_EQ(answer.choices, language.choices);
        EXPECT_EQ(answer.length, 1);
        EXPECT_EQ(answer.value, " ");

        // No first, so that a blank answer shows it; S is the answer that
        // leaves without saving.
        const auto entries = choice_entries(answer.choices);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].first, "N");
        EXPECT_EQ(entries[1].first, "S");

        // The editor's markers go just left of the input area, over the
        // label's last blank, and just right of the widest description; both
        // stay inside the window, and a description fits the field's width.
        std::size_t widest = 0;
        for (const auto& entry : entries) widest = std::max(widest, entry.second.size());
        EXPECT_LE(widest, static_cast<std::size_t>(answer.length + answer.trail_width));
        EXPECT_EQ(answer.label.back(), ' ');
        EXPECT_GE(answer.column, 1);
        const int inner_width = page.window_right - page.window_left - 1;
        EXPECT_LT(forms::input_column(answer) + static_cast<int>(widest), inner_width);
        EXPECT_GT(answer.row, 0);
        EXPECT_LT(answer.row, page.window_bottom - page.window_top);
    }
}

TEST_F(InstallForm, TableScreenTextsInEveryLanguage) {
    for (const Language& language : languages) {
        SCOPED_TRACE(language.code);
        reset();
        session.language_code = language.code;
        EXPECT_EQ(startup::translate_text("VERTICAL"), language.vertical);
        const std::string page_label = startup::translate_text("PANTALLA ");
        EXPECT_EQ(page_label, language.page_label);
        const std::string heading = startup::translate_text("CODI    DESCRIPCIÓ"_cp850);
        EXPECT_EQ(heading, language.heading);

        // The label at column 69 and a two-digit number after it stay on the
        // row; the heading's description starts over the description fields
        // (column 9) and the heading ends before its copy at column 42.
        EXPECT_LE(69 + page_label.size() + 2 - 1, 80u);
        EXPECT_EQ(page_label.back(), ' ');
        EXPECT_LE(heading.size(), 41u);
        EXPECT_NE(heading.front(), ' ');
        EXPECT_EQ(heading.find_first_not_of(' ', heading.find(' ')), 8u);
    }
}

}  // namespace
