// SQLite as built for this system keeps a row in a database file across a
// close and an open.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "support/temp_dir.h"

namespace {

int exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

TEST(Sqlite, WritesAndReadsARowInAFile) {
    test_support::TempDir dir;
    const std::string path = dir.path() + "tdespesa.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(exec(db, "PRAGMA journal_mode=WAL"), SQLITE_OK);
    ASSERT_EQ(exec(db, "CREATE TABLE t(code BLOB PRIMARY KEY, description BLOB)"), SQLITE_OK);
    ASSERT_EQ(exec(db, "INSERT INTO t VALUES (X'3031', 'Dietes')"), SQLITE_OK);
    EXPECT_EQ(exec(db, "INSERT INTO t VALUES (X'3031', 'Again')"), SQLITE_CONSTRAINT);
    ASSERT_EQ(sqlite3_close(db), SQLITE_OK);

    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT code, description FROM t", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_blob(st, 0)), 2), "01");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))), "Dietes");
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
    sqlite3_close(db);
    EXPECT_TRUE(dir.exists("tdespesa.db"));
}

}  // namespace
