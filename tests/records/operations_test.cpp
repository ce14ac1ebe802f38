// Record operations through the layer: reads by direction, skipping,
// deleting, positions, lock modes and the wait for locked records, and
// collating texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/record_manager.h"
#include "records/insert.h"
#include "records/operations.h"
#include "records_fixture.h"

namespace {

using namespace records;
using namespace platform;
using recman_test::make_spec;

class Operations : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        open_expenses();
        for (const char* code : {"AA", "BA", "BB", "CC", "DD", "EE", "FF", "GG"}) {
            set_record(expense(code, std::string("about ") + code));
            ASSERT_EQ(insert_record(501), 0);
        }
    }
    std::string code() const { return record_text().substr(0, 2); }
    bool screen_shows(const std::string& text) const {
        for (int r = 1; r <= 25; ++r)
            if (console.row_text(r).find(text) != std::string::npos) return true;
        return false;
    }
    FileSlot& slot() { return records_state.file_table[40]; }
    // Another open of the file in this process; its locks hold against ours.
    recman_test::Client other() {
        recman_test::Client c;
        EXPECT_EQ(c.open(dir.path() + "DADES/TDespesa.dat"), 0);
        return c;
    }
};

TEST_F(Operations, FindRecordReadsByDirection) {
    struct Case {
        std::string key;
        std::int16_t direction;
        std::int16_t status;
        const char* found;
    };
    const Case cases[] = {
        {"", 1, 0, "AA"},   // at or after a key of zero bytes
        {"B", 1, 0, "BA"},  // "B" then a zero byte
        {"B", 0, STATUS_KEY_NOT_FOUND, ""},
        {"BB", 0, 0, "BB"},
        {"BBX", 0, 0, "BB"},  // cut to the key's length
        {"BZ", -1, 0, "BB"},
        {"B", -1, 0, "AA"},
        {"ZZ", 1, STATUS_END_OF_FILE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + " " + std::to_string(c.direction));
        ASSERT_EQ(find_record(501, 0, c.key, c.direction), c.status);
        if (c.status == 0) {
            EXPECT_EQ(code(), c.found);
            EXPECT_EQ(slot().key_buffer, c.found);
        }
    }
    EXPECT_EQ(find_record(777, 0, "AA", 0), STATUS_FILE_NOT_OPEN);

    ASSERT_EQ(find_record(501, 0, "CC", 0), 0);
    EXPECT_EQ(find_record(501, 1, "x", 0), STATUS_NO_SUCH_KEY);
    EXPECT_EQ(slot().key_number, 0);
    EXPECT_EQ(slot().key_buffer, "CC");
    ASSERT_EQ(skip_records(501, 1), 0);
    EXPECT_EQ(code(), "DD");
}

TEST_F(Operations, SkipRecordsMovesAndReadsTheLastRecordReached) {
    ASSERT_EQ(find_record(501, 0, "", 1), 0);
    EXPECT_EQ(skip_records(501, 0), 0);
    EXPECT_EQ(code(), "AA");
    ASSERT_EQ(skip_records(501, 1), 0);
    EXPECT_EQ(code(), "BA");
    ASSERT_EQ(skip_records(501, -1), 0);
    EXPECT_EQ(code(), "AA");
    ASSERT_EQ(skip_records(501, 5), 0);
    EXPECT_EQ(code(), "EE");
    EXPECT_EQ(slot().key_buffer, "EE");
    ASSERT_EQ(skip_records(501, -3), 0);
    EXPECT_EQ(code(), "BB");
    EXPECT_EQ(skip_records(501, 10), STATUS_END_OF_FILE);
    EXPECT_EQ(skip_records(777, 1), STATUS_FILE_NOT_OPEN);
}

TEST_F(Operations, SkippingLocksOnlyTheLastRecord) {
    // Another open holds CC; under lock mode 2 the four plain moves pass it
    // and only the last move, the full read, locks.
    recman_test::Client holder = other();
    ASSERT_EQ(holder.get(OP_GET_EQUAL + LOCK_BIAS, 0, "CC"), 0);
    std::int16_t status = 0;
    set_lock_mode(501, "B", status);
    ASSERT_EQ(find_record(501, 0, "", 1), 0);
    set_record(expense("??"));
    ASSERT_EQ(skip_records(501, 5), 0);
    EXPECT_EQ(code(), "EE");

    ASSERT_EQ(holder.get(OP_GET_EQUAL + LOCK_BIAS, 0, "GG"), 0);
    set_record(expense("??"));
    EXPECT_EQ(skip_records(501, 2), STATUS_RECORD_LOCKED);
    EXPECT_EQ(code(), "??") << "a refused read leaves the caller's record as it was";
    EXPECT_EQ(skip_records(501, -1), 0);  // the plain move stopped at FF
    EXPECT_EQ(code(), "EE");
}

TEST_F(Operations, LockModesZeroAndTwo) {
    recman_test::Client holder = other();
    ASSERT_EQ(holder.get(OP_GET_EQUAL + LOCK_BIAS, 0, "BB"), 0);
    EXPECT_EQ(find_record(501, 0, "BB", 0), 0);  // mode 0 reads without a lock
    std::int16_t status = 0;
    set_lock_mode(501, "b", status);
    EXPECT_EQ(find_record(501, 0, "BB", 0), STATUS_RECORD_LOCKED);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(delete_record(501), STATUS_RECORD_LOCKED);
}

TEST_F(Operations, LockModeOneWaitsWithAMessageUntilTheOtherProcessLetsGo) {
    const std::string sync = dir.path() + "sync";
    std::filesystem::create_directory(sync);
    recman_test::Helper holder({"lock", dir.path() + "DADES/TDespesa.dat", "BB", sync});
    ASSERT_TRUE(recman_test::wait_for_file(sync + "/ready"));
    ASSERT_EQ(dir.read("sync/ready"), "0");

    std::int16_t status = 0;
    set_lock_mode(501, "A", status);
    std::vector<bool> shown;
    on_sleep = [&](std::size_t n) {
        shown.push_back(screen_shows("FITXER BLOQUEJAT. ESPEREU UN MOMENT."));
        if (n == 3) {
            recman_test::touch(sync + "/go");
            holder.wait();
        }
    };
    fraction = 0.5;
    ASSERT_EQ(find_record(501, 0, "BB", 0), 0);
    EXPECT_EQ(code(), "BB");
    EXPECT_EQ(sleeps, (std::vector<int>{5001, 5001, 5001}));
    // Silent through the first wait; shown from the second on; gone at the end.
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true}));
    EXPECT_FALSE(screen_shows("FITXER BLOQUEJAT"));
    EXPECT_EQ(status, 0);
}

TEST_F(Operations, RandomWaitsRunFromOneToTenThousandAndOneMilliseconds) {
    recman_test::Client holder = other();
    ASSERT_EQ(holder.get(OP_GET_EQUAL + LOCK_BIAS, 0, "AA"), 0);
    std::int16_t status = 0;
    set_lock_mode(501, "A", status);
    const double fractions[] = {0.0, 0.99999999, 0.25};
    on_sleep = [&](std::size_t n) {
        if (n < 3)
            fraction = fractions[n];
        else
            holder.close();
    };
    fraction = fractions[0];
    ASSERT_EQ(find_record(501, 0, "AA", 0), 0);
    EXPECT_EQ(sleeps, (std::vector<int>{1, 10001, 2501}));
}

TEST_F(Operations, AFailedDeleteZeroesTheKeyBuffer) {
    ASSERT_EQ(find_record(501, 0, "BB", 0), 0);
    ASSERT_EQ(delete_record(501), 0);
    ASSERT_EQ(skip_records(501, 1), 0);
    EXPECT_EQ(code(), "CC");
    ASSERT_EQ(delete_record(501), 0);
    EXPECT_EQ(delete_record(501), STATUS_INVALID_POSITIONING);
    EXPECT_EQ(slot().key_buffer, std::string(2, '\0'));
    EXPECT_EQ(delete_record(777), STATUS_FILE_NOT_OPEN);
}

TEST_F(Operations, RecordPositionsReadAndGoOnFromThere) {
    ASSERT_EQ(find_record(501, 0, "AA", 0), 0);
    ASSERT_EQ(delete_record(501), 0);
    EXPECT_EQ(record_position(501, 0), 0);  // no current record
    ASSERT_EQ(find_record(501, 0, "CC", 0), 0);
    const std::int32_t cc = record_position(501, 0);
    EXPECT_NE(cc, 0);
    ASSERT_EQ(find_record(501, 0, "GG", 0), 0);
    ASSERT_EQ(record_position(501, cc), 0);
    EXPECT_EQ(code(), "CC");
    EXPECT_EQ(slot().key_buffer, "CC");
    ASSERT_EQ(skip_records(501, 1), 0);
    EXPECT_EQ(code(), "DD");
    EXPECT_EQ(record_position(501, 99999), STATUS_INVALID_RECORD_ADDRESS);
    EXPECT_EQ(record_position(777, 0), 0);
}

TEST_F(Operations, LockModesArePushedAndPoppedPerFile) {
    write_dictionary("other", expense_spec());
    std::array<char, 27> other_record{};
    ASSERT_EQ(open_record_file(502, dir.path() + "DADES\\other", other_record), 0);
    std::int16_t status = 77;
    auto mode = [](std::int16_t slot) { return records_state.file_table[static_cast<std::size_t>(slot)].lock_mode; };

    set_lock_mode(501, "a+d", status);
    EXPECT_EQ(mode(40), LOCK_NONE);
    set_lock_mode(502, "B+", status);
    set_lock_mode(501, "-", status);
    EXPECT_EQ(mode(40), LOCK_WAIT);
    set_lock_mode(501, "-", status);  // nothing of 501 left on the stack
    EXPECT_EQ(mode(40), LOCK_WAIT);
    set_lock_mode(501, "xyz?", status);  // ignored
    EXPECT_EQ(mode(40), LOCK_WAIT);
    set_lock_mode(501, "+b+D--", status);  // pushed twice, popped in reverse
    EXPECT_EQ(mode(40), LOCK_WAIT);
    EXPECT_EQ(mode(39), LOCK_REPORT);
    EXPECT_EQ(records_state.lock_mode_stack, std::string("\x27\x02", 2));
    EXPECT_EQ(status, 77);  // left alone while the file is open
    set_lock_mode(999, "A", status);
    EXPECT_EQ(status, STATUS_FILE_NOT_OPEN);
}

TEST_F(Operations, CollatingTextsFollowTheKeysOrder) {
    // Key 0: a 2-byte number; key 1: three letters without regard to case,
    // then a 2-byte number.
    write_dictionary("n", make_spec(10, {{{1, 2, 4}}, {{3, 3, 32}, {6, 2, 4}}}, recman_test::upper_case_translation()));
    std::array<char, 10> buffer{};
    ASSERT_EQ(open_record_file(7, dir.path() + "DADES\\n", buffer), 0);
    EXPECT_EQ(key_to_collating_text(std::string("\x01\x00", 2), 7), std::string("\x00\x01", 2));
    EXPECT_EQ(key_to_collating_text("\x01", 7), std::string("\x00\x01", 2));  // extended first

    std::copy_n(
        "\x05\x00"
        "abc\x02\x01xyz",
        10, buffer.begin());
    ASSERT_EQ(insert_record(7), 0);
    ASSERT_EQ(find_record(7, 1, "", 1), 0);
    EXPECT_EQ(current_key_text(7), std::string("ABC\x01\x02", 5));
    // Translated as far as the text goes; the number after it is extended.
    EXPECT_EQ(key_to_collating_text("ab", 7), std::string("AB\0\0\0", 5));
    EXPECT_EQ(key_to_collating_text("abc\x03", 7), std::string("ABC\x00\x03", 5));
    EXPECT_EQ(key_to_collating_text("ab", 999), "ab");
    EXPECT_EQ(current_key_text(999), "");
}

}  // namespace
