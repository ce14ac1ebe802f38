// Inserts and their lines in db.log.
#include <gtest/gtest.h>

#include "platform/record_manager.h"
#include "records/insert.h"
#include "records/operations.h"
#include "records_fixture.h"

namespace {

using namespace records;

using Insert = RecordsTest;

TEST_F(Insert, EveryInsertLeavesALineByteForByte) {
    open_expenses();
    dir.write("db.log", "earlier line\r\n");
    set_record(expense("DI", "Dietes"));
    ASSERT_EQ(insert_record(501), 0);
    ASSERT_EQ(insert_record(501), platform::STATUS_DUPLICATE_KEY);
    EXPECT_EQ(records_state.file_table[40].key_buffer, std::string(2, '\0'));
    const std::string ok = " 501" + std::string(10, ' ') + " 2" + std::string(12, ' ') + " 0 \r\n";
    const std::string duplicate = " 501" + std::string(10, ' ') + " 2" + std::string(12, ' ') + " 5 \r\n";
    EXPECT_EQ(ok.size(), 33u);
    EXPECT_EQ(dir.read("db.log"), "earlier line\r\n" + ok + duplicate);

    EXPECT_EQ(insert_record(502), platform::STATUS_FILE_NOT_OPEN);
    EXPECT_EQ(dir.read("db.log"), "earlier line\r\n" + ok + duplicate);
    ASSERT_EQ(find_record(501, 0, "DI", 0), 0);
    EXPECT_EQ(record_text(), expense("DI", "Dietes"));
}

TEST_F(Insert, LogLinesKeepTheirZones) {
    struct Case {
        std::int16_t file_id;
        std::int16_t status;
        std::string line;
    };
    const Case cases[] = {
        {-7, 0, "-7" + std::string(12, ' ') + " 2" + std::string(12, ' ') + " 0 \r\n"},
        {1, 84, " 1" + std::string(12, ' ') + " 2" + std::string(12, ' ') + " 84 \r\n"},
        {-32768, 1003, "-32768" + std::string(8, ' ') + " 2" + std::string(12, ' ') + " 1003 \r\n"},
        {12345, -5, " 12345" + std::string(8, ' ') + " 2" + std::string(12, ' ') + "-5 \r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(db_log_line(c.file_id, 2, c.status), c.line) << c.file_id;
}

TEST_F(Insert, ANegativeFileIdIsLoggedWithItsSign) {
    write_dictionary("TDespesa", expense_spec());
    ASSERT_EQ(open_record_file(-7, dir.path() + "DADES\\TDespesa", record), 0);
    set_record(expense("KM"));
    ASSERT_EQ(insert_record(-7), 0);
    EXPECT_EQ(dir.read("db.log"), "-7" + std::string(12, ' ') + " 2" + std::string(12, ' ') + " 0 \r\n");
}

}  // namespace
