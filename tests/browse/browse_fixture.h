// Browse lists in a test: a record file of 300 items in a temporary
// installation root (also the session directory and the current
// directory), the headless console, and hooks that give each item's line.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browse/browse_list.h"
#include "browse/state.h"
#include "format/state.h"
#include "forms/form_tables.h"
#include "forms/load_form.h"
#include "forms/state.h"
#include "input/state.h"
#include "keys_at_waits.h"
#include "platform/console.h"
#include "platform/headless_console.h"
#include "platform/process.h"
#include "recman_support.h"
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

using namespace platform::key_codes;

class BrowseTest : public ::testing::Test {
protected:
    static constexpr std::int16_t FILE_ID = 7;
    static constexpr int ITEMS = 300;
    // An item: a 4-digit code (key 0), its number as a 2-byte binary value
    // (key 1), a name.
    static constexpr std::size_t RECORD_LENGTH = 32;

    void SetUp() override {
        saved_session = startup::session;
        saved_module = startup::main_state.module_name;
        startup::session.root_dir = dir.path();
        startup::session.session_dir = dir.path();
        startup::session.language_code = "CAT";
        startup::session.screen_palette = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
        startup::main_state.module_name = "EXPTYPES";
        startup::language_state = {};
        reset_states();
        platform::set_console(&console);
        platform::change_directory(dir.path());
        browse::install_browse_list();
        forms::ProgramHooks& hooks = forms::forms_state.hooks;
        hooks.browse_row_text = [this](const forms::BrowseListDef&) {
            ++row_text_calls;
            return row_text(record_number());
        };
        hooks.browse_range = [this](const forms::BrowseListDef&, std::string& first, std::string& last) {
            ++range_calls;
            first = range_first;
            last = range_last;
            return range_result;
        };
        hooks.after_browse = [this](std::int16_t& list, std::int16_t& page, std::int16_t& field) {
            after_browse_calls.push_back({list, page, field});
        };

        std::filesystem::create_directories(dir.path() + "DADES");
        const std::string spec = recman_test::make_spec(RECORD_LENGTH, {{{1, 4, 0}}, {{5, 2, 4}}});
        dir.write("ddf/ITEMS.xdf", std::string{static_cast<char>(spec.size()), 0} + spec);
        ASSERT_EQ(records::open_record_file(FILE_ID, dir.path() + "DADES\\ITEMS", record), 0);
        ASSERT_EQ(records::begin_transaction(), 0);
        for (int n = 1; n <= ITEMS; ++n) {
            const std::string r = item(n);
            std::copy(r.begin(), r.end(), record.begin());
            ASSERT_EQ(records::insert_record(FILE_ID), 0);
        }
        ASSERT_EQ(records::end_transaction(), 0);
        record.fill(0);
    }
    void TearDown() override {
        records::close_all_record_files();
        recman_test::reset();
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
        browse::browse_state = {};
    }

    static std::string code(int n) {
        std::string digits = std::to_string(n);
        return std::string(4 - digits.size(), '0') + digits;
    }
    static std::string binary(int n) { return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)}; }
    static std::string item(int n) {
        std::string r = code(n) + binary(n) + "ITEM " + code(n);
        r.resize(RECORD_LENGTH, ' ');
        return r;
    }
    // The number of the item in the record buffer.
    int record_number() const { return std::stoi(std::string(record.data(), 4)); }

    // A list over the items along key 0, in a window of 10 rows of 20
    // columns, added to the form tables; gives its number.
    static forms::BrowseListDef items_list() {
        forms::BrowseListDef d;
        d.record_file = FILE_ID;
        d.window_top = 3;
        d.window_left = 10;
        d.window_bottom = 14;
        d.window_right = 31;
        d.heading = "ITEMS";
        return d;
    }
    static std::int16_t add_list(const forms::BrowseListDef& d) {
        forms::forms_state.browse_list_defs.push_back(d);
        return forms::browse_list_count();
    }

    std::int16_t show(std::int16_t list) {
        std::int16_t result = 99;
        browse::show_browse_list(list, result);
        EXPECT_FALSE(work_file_exists()) << "the work file outlives its list";
        return result;
    }
    bool work_file_exists() const { return dir.exists("Browse.tmp"); }

    void keys(std::initializer_list<KeyCode> codes) { waits.keys(codes); }

    // The window's rows at key wait `shot`, without trailing blanks.
    std::vector<std::string> lines(std::size_t shot, const forms::BrowseListDef& d) const {
        std::vector<std::string> out;
        for (int r = d.window_top + 1; r < d.window_bottom; ++r) {
            std::string line = waits.shots.at(shot).bytes(r, d.window_left + 1, d.window_right - 1);
            line.erase(line.find_last_not_of(' ') + 1);
            out.push_back(line);
        }
        return out;
    }
    // The window row shown in the highlight colour at key wait `shot`, 0
    // for none.
    int highlighted(std::size_t shot, const forms::BrowseListDef& d) const {
        int found = 0;
        for (int r = d.window_top + 1; r < d.window_bottom; ++r)
            if (waits.shots.at(shot).at(r, d.window_left + 1).attr == HIGHLIGHT) found = r - d.window_top;
        return found;
    }
    std::string title(std::size_t shot, const forms::BrowseListDef& d) const {
        return waits.shots.at(shot).bytes(d.window_top, d.window_left, d.window_right);
    }
    static std::vector<std::string> item_lines(int first, int last) {
        std::vector<std::string> out;
        for (int n = first; n <= last; ++n) out.push_back("ITEM " + code(n));
        return out;
    }

    // The "u" colour of the palette above: black on light grey.
    static constexpr std::uint8_t HIGHLIGHT = 0x70;

    startup::Session saved_session;
    std::string saved_module;
    test_support::TempDir dir;
    test_support::CwdGuard cwd;
    platform::HeadlessConsole console;
    KeysAtWaits waits{console};
    std::array<char, RECORD_LENGTH> record{};

    std::function<std::string(int)> row_text = [](int n) { return "ITEM " + code(n); };
    int row_text_calls = 0;
    std::string range_first, range_last;
    std::int16_t range_result = 0;
    int range_calls = 0;
    struct AfterBrowse {
        std::int16_t list, page, field;
        bool operator==(const AfterBrowse&) const = default;
    };
    std::vector<AfterBrowse> after_browse_calls;
};
