// Files that are not whole record files of ours: every one gives a status,
// none a crash.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "recman_support.h"
#include "support/temp_dir.h"

namespace {

using namespace platform;
using namespace recman_test;

std::string spec() { return make_spec(27, {{{1, 2, 0}}}); }

int exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

class Damaged : public ::testing::Test {
protected:
    void TearDown() override { reset(); }

    // A good file with a few records, closed.
    std::string good_file(const std::string& name) {
        const std::string path = dir.path() + name;
        Client c;
        EXPECT_EQ(c.create(path, spec()), 0);
        EXPECT_EQ(c.open(path), 0);
        for (char ch = 'a'; ch <= 'z'; ++ch) EXPECT_EQ(c.insert(std::string(2, ch) + std::string(25, ch)), 0);
        reset();
        return path;
    }

    test_support::TempDir dir;
};

TEST_F(Damaged, ForeignFilesAreNotRecordFiles) {
    Client c;
    EXPECT_EQ(c.open(dir.write("junk.dat", std::string(5000, '\x5A'))), STATUS_NOT_A_RECORD_FILE);
    EXPECT_EQ(c.open(dir.write("text.dat", "CODI;DESCRIPCIO\r\nDI;Dietes\r\n")), STATUS_NOT_A_RECORD_FILE);
    EXPECT_EQ(c.open(dir.write("empty.dat", "")), STATUS_NOT_A_RECORD_FILE);

    const std::string foreign = dir.path() + "foreign.dat";
    ASSERT_EQ(exec(foreign, "CREATE TABLE t(x); INSERT INTO t VALUES(1)"), SQLITE_OK);
    EXPECT_EQ(c.open(foreign), STATUS_NOT_A_RECORD_FILE);
}

TEST_F(Damaged, AlteredFilesOfOursAreRefused) {
    const char* alterations[] = {
        "PRAGMA user_version=2",
        "CREATE TABLE extra(x)",
        "CREATE TRIGGER t AFTER INSERT ON records BEGIN DELETE FROM records; END",
        "DROP INDEX position",
        "DELETE FROM meta",
        "INSERT INTO meta SELECT * FROM meta",
        "UPDATE meta SET key_count = 2",
        "UPDATE meta SET layout = x'00'",
    };
    for (const char* sql : alterations) {
        const std::string path = good_file("f.dat");
        ASSERT_EQ(exec(path, sql), SQLITE_OK) << sql;
        Client c;
        EXPECT_EQ(c.open(path), STATUS_NOT_A_RECORD_FILE) << sql;
        reset();
        std::filesystem::remove(path);
    }
}

TEST_F(Damaged, ARowOfTheWrongLengthIsAnError) {
    const std::string path = good_file("f.dat");
    ASSERT_EQ(exec(path, "UPDATE records SET data = zeroblob(4000) WHERE k0 = x'6363'"), SQLITE_OK);
    ASSERT_EQ(exec(path, "UPDATE records SET data = x'' WHERE k0 = x'6464'"), SQLITE_OK);
    Client c;
    ASSERT_EQ(c.open(path), 0);
    EXPECT_EQ(c.get(OP_GET_EQUAL, 0, "bb"), 0);
    EXPECT_EQ(c.get(OP_GET_EQUAL, 0, "cc"), STATUS_IO_ERROR);
    EXPECT_EQ(c.get(OP_GET_EQUAL, 0, "dd"), STATUS_IO_ERROR);
}

TEST_F(Damaged, TruncatedFilesGiveStatuses) {
    const std::string whole = good_file("whole.dat");
    const auto size = std::filesystem::file_size(whole);
    for (std::uintmax_t cut :
         {std::uintmax_t{1}, std::uintmax_t{50}, std::uintmax_t{100}, std::uintmax_t{1024}, size / 2, size - 1}) {
        SCOPED_TRACE(cut);
        const std::string path = dir.path() + "cut.dat";
        std::filesystem::copy_file(whole, path, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(path, cut);
        Client c;
        const std::int16_t status = c.open(path);
        if (status == 0) {
            // What still opens answers every call with a status of the call.
            auto allowed = [](std::int16_t s) {
                return s == 0 || s == STATUS_IO_ERROR || s == STATUS_END_OF_FILE || s == STATUS_KEY_NOT_FOUND ||
                       s == STATUS_DUPLICATE_KEY;
            };
            std::int16_t s = c.get(OP_GET_FIRST);
            for (int i = 0; s == 0 && i < 100; ++i) s = c.get(OP_GET_NEXT);
            EXPECT_TRUE(allowed(s)) << s;
            EXPECT_TRUE(allowed(s = c.get(OP_GET_EQUAL, 0, "mm"))) << s;
            EXPECT_TRUE(allowed(s = c.insert(std::string(27, 'q')))) << s;
        } else {
            EXPECT_TRUE(status == STATUS_NOT_A_RECORD_FILE || status == STATUS_IO_ERROR) << status;
        }
        reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    }
}

}  // namespace
