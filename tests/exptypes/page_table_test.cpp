#include "exptypes/page_table.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "forms/form_tables.h"
#include "program_fixture.h"

using exptypes::exptypes_state;
using exptypes::load_page;
using exptypes::open_work_table;
using exptypes::save_page;
using exptypes::write_back_work_table;
using forms::form_field;
using platform::key_codes::KEY_ESC;
using platform::key_codes::KEY_F10;

namespace {

constexpr int ROWS_PER_PAGE = 44;

class PageTable : public ProgramTest {
protected:
    // The rows of form page 1 as they stand.
    std::vector<Row> page_rows() {
        std::vector<Row> rows;
        for (std::int16_t f = 1; f <= forms::form_page(1).field_count; f += 2)
            rows.push_back({form_field(1, f).value, form_field(1, static_cast<std::int16_t>(f + 1)).value});
        return rows;
    }
    void set_row(int n, const std::string& code, const std::string& description) {
        forms::store_field_value(form_field(1, static_cast<std::int16_t>(2 * n - 1)), code);
        forms::store_field_value(form_field(1, static_cast<std::int16_t>(2 * n)), description);
        forms::forms_state.table_changed = -1;
    }
    void show_page(std::int16_t page) {
        exptypes_state.table_page = page;
        load_page();
    }
    static std::vector<Row> blank_rows(int n) { return std::vector<Row>(static_cast<std::size_t>(n), row("", "")); }
    static std::vector<Row> concat(std::vector<Row> a, const std::vector<Row>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
};

TEST_F(PageTable, EmptyFileGivesABlankPagePastTheEnd) {
    open_work_table();
    EXPECT_EQ(exptypes_state.data_end, 1);
    show_page(1);
    EXPECT_EQ(exptypes_state.past_end, -1);
    EXPECT_EQ(exptypes_state.table_page_bytes, ROWS_PER_PAGE * 27);
    EXPECT_EQ(page_rows(), blank_rows(ROWS_PER_PAGE));
}

TEST_F(PageTable, OnePageOfRowsFillsPageOneAndLeavesPageTwoBlank) {
    const auto rows = numbered_rows(ROWS_PER_PAGE);
    insert_rows(rows);
    open_work_table();
    EXPECT_EQ(exptypes_state.data_end, 1 + 27 * ROWS_PER_PAGE);
    show_page(1);
    EXPECT_EQ(exptypes_state.past_end, 0);
    EXPECT_EQ(page_rows(), rows);
    show_page(2);
    EXPECT_EQ(exptypes_state.past_end, -1);
    EXPECT_EQ(page_rows(), blank_rows(ROWS_PER_PAGE));
}

TEST_F(PageTable, RowsTypedPastTheEndAreKeptAndWrittenBack) {
    insert_rows(numbered_rows(3));
    open_work_table();
    show_page(2);
    set_row(1, "ZA", "added one");
    set_row(5, "ZB", "added two");
    save_page();
    // The table ends after the last field written that is not blank.
    EXPECT_EQ(exptypes_state.data_end, 1 + 27 * (ROWS_PER_PAGE + 5));
    show_page(1);
    EXPECT_EQ(page_rows(), concat(numbered_rows(3), blank_rows(ROWS_PER_PAGE - 3)));
    EXPECT_EQ(write_back_work_table(KEY_F10), 0);
    EXPECT_EQ(file_rows(), concat(numbered_rows(3), {row("ZA", "added one"), row("ZB", "added two")}));
    EXPECT_FALSE(work_file_exists());
}

TEST_F(PageTable, BlankCodesAndBlankRowsAreDroppedAndTheRestStays) {
    insert_rows(numbered_rows(6));
    open_work_table();
    show_page(1);
    set_row(2, "", "ROW 1");  // the code blanked, the description kept
    set_row(4, "", "");       // a blank row in the middle
    save_page();
    EXPECT_EQ(write_back_work_table(KEY_F10), 0);
    const auto all = numbered_rows(6);
    EXPECT_EQ(file_rows(), (std::vector<Row>{all[0], all[2], all[4], all[5]}));
    // Every insert has its line in db.log.
    EXPECT_EQ(dir.read("db.log"), [] {
        std::string lines;
        for (int i = 0; i < 4; ++i) lines += " 501" + std::string(11, ' ') + "2" + std::string(13, ' ') + "0 \r\n";
        return lines;
    }());
}

TEST_F(PageTable, EscOrNoChangeLeavesTheRecordFileUntouched) {
    const auto rows = numbered_rows(50);
    insert_rows(rows);
    for (const bool with_esc : {true, false}) {
        open_work_table();
        show_page(2);
        if (with_esc) set_row(1, "QQ", "changed");
        save_page();
        show_page(1);
        save_page();
        EXPECT_EQ(write_back_work_table(with_esc ? KEY_ESC : KEY_F10), 0);
        EXPECT_EQ(file_rows(), rows);
        EXPECT_FALSE(dir.exists("db.log"));
        EXPECT_FALSE(work_file_exists());
    }
}

TEST_F(PageTable, TablesBeyondTheSixteenBitLimitAreNeverCut) {
    const auto rows = numbered_rows(1296);
    insert_rows(rows);
    open_work_table();
    EXPECT_EQ(exptypes_state.data_end, 1 + 27 * 1296);
    // The last rows are on page 30 and can be changed like any others.
    show_page(30);
    EXPECT_EQ(page_rows()[19], rows[1295]);
    set_row(20, "~~", "last one changed");
    save_page();
    EXPECT_EQ(write_back_work_table(KEY_F10), 0);
    auto expected = rows;
    expected.back() = row("~~", "last one changed");
    EXPECT_EQ(file_rows(), expected);
}

TEST_F(PageTable, AWorkFileThatCannotBeOpenedNeverRewritesTheRecordFile) {
    insert_rows(numbered_rows(5));
    // Another program of this session holds the work file.
    platform::File holder =
        platform::File::open(dir.path() + "SESSIO/taula.tmp", platform::Access::ReadWrite, platform::Share::Exclusive);
    ASSERT_TRUE(holder.is_open());
    open_work_table();
    EXPECT_FALSE(exptypes::work_table_whole());
    show_page(1);
    EXPECT_EQ(page_rows(), blank_rows(ROWS_PER_PAGE));
    set_row(1, "NN", "typed over nothing");
    save_page();
    EXPECT_EQ(write_back_work_table(KEY_F10), 0);
    EXPECT_EQ(file_rows(), numbered_rows(5));
}

#ifndef _WIN32
// A write-back killed at any point leaves exactly the old table or exactly
// the new one.
TEST_F(PageTable, AWriteBackKilledAnywhereLeavesTheOldOrTheNewTable) {
    const auto old_rows = numbered_rows(1213);
    insert_rows(old_rows);
    auto new_rows = numbered_rows(1213);
    for (auto& r : new_rows) r.description = fit("NEW " + r.description.substr(0, 20), 25);

    for (const int kill_after : {1, 2, 100, 607, 1212, 1213, 0}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            open_work_table();
            for (std::int16_t page = 1; page <= 28; ++page) {
                show_page(page);
                for (int n = 1; n <= ROWS_PER_PAGE; ++n) {
                    const std::size_t i = static_cast<std::size_t>((page - 1) * ROWS_PER_PAGE + n - 1);
                    if (i < new_rows.size()) set_row(n, new_rows[i].code, new_rows[i].description);
                }
                save_page();
            }
            exptypes_state.after_insert = [kill_after](std::int32_t inserted) {
                if (inserted == kill_after) ::kill(::getpid(), SIGKILL);
            };
            ::_exit(write_back_work_table(KEY_F10) == 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        records::close_all_record_files();
        records::records_state = {};
        ASSERT_EQ(open_file(), 0);
        if (kill_after == 0) {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            EXPECT_EQ(file_rows(), new_rows);
        } else {
            ASSERT_TRUE(WIFSIGNALED(status)) << kill_after;
            EXPECT_EQ(file_rows(), old_rows) << "killed after insert " << kill_after;
        }
    }
}
#endif

}  // namespace
