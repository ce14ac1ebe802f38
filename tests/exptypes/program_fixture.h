// The expense-type program in a test: a copy of the sample installation's
// form, language file and dictionary in a temporary root (also the current
// directory, where db.log goes), the headless console, the form loaded and
// the expense-type file open with rows of the test's choosing.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "exptypes/main_screen.h"
#include "exptypes/program.h"
#include "exptypes/state.h"
#include "format/state.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "input/state.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/headless_console.h"
#include "platform/process.h"
#include "records/file_table.h"
#include "records/insert.h"
#include "records/operations.h"
#include "records/state.h"
#include "records/transaction.h"
#include "screen/state.h"
#include "startup/language.h"
#include "startup/main_sequence.h"
#include "startup/session.h"
#include "support/temp_dir.h"

struct Row {
    std::string code, description;
    bool operator==(const Row&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << '[' << r.code << '|' << r.description << ']';
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        saved_session = startup::session;
        saved_module = startup::main_state.module_name;
        for (const char* part : {"FORMS", "LOCALE", "ddf", "AJUDA"})
            fs::copy(fs::path(SAMPLE_INSTALL) / part, fs::path(dir.path()) / part, fs::copy_options::recursive);
        fs::create_directories(dir.path() + "DADES");
        fs::create_directories(dir.path() + "SESSIO");
        platform::change_directory(dir.path());

        startup::session.root_dir = dir.path();
        startup::session.session_dir = dir.path() + "SESSIO/";
        startup::session.language_code = "CAT";
        startup::session.screen_title = "MANTENIMENT DE TIPUS DE DESPESA";
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
        startup::main_state.module_name = "EXPTYPES";
        startup::language_state = {};
        reset_states();
        platform::set_console(&console);
        exptypes::install_program();
        forms::load_form();
        ASSERT_TRUE(exptypes::form_is_usable());
        ASSERT_EQ(open_file(), 0);
    }
    void TearDown() override {
        records::close_all_record_files();
        platform::set_console(nullptr);
        reset_states();
        startup::session = saved_session;
        startup::main_state.module_name = saved_module;
    }
    static void reset_states() {
        screen::screen_state = {};
        format::format_state = {};
        input::input_state = {};
        forms::forms_state = {};
        records::records_state = {};
        exptypes::exptypes_state = {};
    }
    std::int16_t open_file() {
        return records::open_record_file(startup::EXPENSE_FILE_ID, dir.path() + "DADES\\TDespesa",
                                         std::span<char>(exptypes::exptypes_state.expense_record));
    }

    // Inserts the rows into the record file (db.log gets their lines; it is
    // removed afterwards so that tests read only their own lines).
    void insert_rows(const std::vector<Row>& rows) {
        ASSERT_EQ(records::begin_transaction(), 0);
        for (const Row& r : rows) {
            const std::string bytes = fit(r.code, 2) + fit(r.description, 25);
            bytes.copy(exptypes::exptypes_state.expense_record.data(), 27);
            ASSERT_EQ(records::insert_record(startup::EXPENSE_FILE_ID), 0) << r;
        }
        ASSERT_EQ(records::end_transaction(), 0);
        platform::delete_file(dir.path() + "db.log");
    }
    // Every record of the file in code order.
    std::vector<Row> file_rows() {
        std::vector<Row> rows;
        auto& record = exptypes::exptypes_state.expense_record;
        for (std::int16_t status = records::find_record(startup::EXPENSE_FILE_ID, 0, "", 1); status == 0;
             status = records::skip_records(startup::EXPENSE_FILE_ID, 1))
            rows.push_back({std::string(record.data(), 2), std::string(record.data() + 2, 25)});
        return rows;
    }
    static std::string fit(std::string text, std::size_t n) {
        text.resize(n, ' ');
        return text;
    }
    static Row row(const std::string& code, const std::string& description) {
        return {fit(code, 2), fit(description, 25)};
    }
    // Rows numbered from `first`: codes 00, 01, ... (two digits, then
    // letters and digits beyond 99) and descriptions naming the number.
    static std::vector<Row> numbered_rows(int count, int first = 0) {
        std::vector<Row> rows;
        const std::string symbols = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        for (int n = first; n < first + count; ++n) {
            const std::string code = {symbols[static_cast<std::size_t>(n / 36)],
                                      symbols[static_cast<std::size_t>(n % 36)]};
            rows.push_back(row(code, "ROW " + std::to_string(n)));
        }
        return rows;
    }
    bool work_file_exists() const { return dir.exists("SESSIO/taula.tmp"); }

    startup::Session saved_session;
    std::string saved_module;
    test_support::TempDir dir;
    test_support::CwdGuard cwd;
    platform::HeadlessConsole console;
};
