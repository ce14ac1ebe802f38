// A fresh record layer for each test: an installation root and session in a
// temporary directory (also the current directory, where db.log goes), the
// headless console, Catalan texts, and waits that are counted instead of
// waited.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/headless_console.h"
#include "platform/process.h"
#include "recman_support.h"
#include "records/file_table.h"
#include "records/state.h"
#include "screen/state.h"
#include "startup/session.h"
#include "support/temp_dir.h"

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_session = startup::session;
        startup::session.root_dir = dir.path();
        startup::session.session_dir = dir.path();
        startup::session.language_code = "CAT";
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
        screen::screen_state = {};
        platform::set_console(&console);
        records::records_state = {};
        records::records_state.waits.sleep_ms = [this](int ms) {
            sleeps.push_back(ms);
            if (on_sleep) on_sleep(sleeps.size());
        };
        records::records_state.waits.random_fraction = [this] { return fraction; };
        platform::change_directory(dir.path());
        std::filesystem::create_directories(dir.path() + "DADES");
    }
    void TearDown() override {
        records::close_all_record_files();
        recman_test::reset();
        platform::set_console(nullptr);
        screen::screen_state = {};
        records::records_state = {};
        startup::session = saved_session;
    }

    // The dictionary of a file: its creation buffer after a 2-byte length.
    void write_dictionary(const std::string& base, const std::string& spec) {
        std::string bytes{static_cast<char>(spec.size() & 0xFF), static_cast<char>(spec.size() >> 8)};
        dir.write("ddf/" + base + ".xdf", bytes + spec);
    }
    // The expense-type layout: 27 bytes, key 0 the 2-byte code.
    static std::string expense_spec() { return recman_test::make_spec(27, {{{1, 2, 0}}}); }

    // Opens DADES\TDespesa as file 501 on `record`, created from its dictionary.
    void open_expenses() {
        write_dictionary("TDespesa", expense_spec());
        ASSERT_EQ(records::open_record_file(501, dir.path() + "DADES\\TDespesa", record), 0);
    }
    static std::string expense(const std::string& code, const std::string& description = {}) {
        std::string r = code + description;
        r.resize(27, ' ');
        return r;
    }
    void set_record(const std::string& r) { std::copy(r.begin(), r.end(), record.begin()); }
    std::string record_text() const { return std::string(record.data(), 27); }

    startup::Session saved_session;
    test_support::TempDir dir;
    test_support::CwdGuard cwd;  // put back before the directory goes
    platform::HeadlessConsole console;
    std::array<char, 27> record{};
    std::vector<int> sleeps;
    std::function<void(std::size_t)> on_sleep;
    double fraction = 0.0;
};
