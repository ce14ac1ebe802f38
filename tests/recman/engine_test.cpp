// The record manager through its single call, on real files.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "recman_support.h"
#include "support/temp_dir.h"

namespace {

using namespace platform;
using namespace recman_test;

constexpr std::uint16_t DUPLICATES = 1;
constexpr std::uint16_t BINARY = 4;
constexpr std::uint16_t TRANSLATED = 32;

// Expense-like records: a 2-byte code (key 0, unique) and a 25-byte
// description (key 1, duplicates allowed).
std::string expense_spec() { return make_spec(27, {{{1, 2, 0}}, {{3, 25, DUPLICATES}}}); }

std::string row(const std::string& code, const std::string& description) {
    std::string r = code;
    r.resize(2, ' ');
    r += description;
    r.resize(27, ' ');
    return r;
}

std::string code_of(const std::string& record) { return record.substr(0, 2); }

std::vector<std::string> codes(const std::vector<std::string>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(code_of(r));
    return out;
}

std::string number16(unsigned n) { return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8 & 0xFF)}; }

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.path() + "t.dat";
        ASSERT_EQ(c.create(path, expense_spec()), 0);
        ASSERT_EQ(c.open(path), 0);
    }
    void TearDown() override { reset(); }

    void insert_all(Client& client, const std::vector<std::string>& records) {
        for (const auto& r : records) ASSERT_EQ(client.insert(r), 0) << r;
    }
    std::uint32_t count(Client& client) {
        std::string s;
        EXPECT_EQ(client.stat(s), 0);
        std::uint32_t n = 0;
        std::memcpy(&n, s.data() + 6, 4);
        return n;
    }

    test_support::TempDir dir;
    std::string path;
    Client c;
};

TEST_F(Engine, StatGivesTheCreationLayoutWithTheRecordCount) {
    const std::string spec = make_spec(40, {{{1, 4, BINARY}, {9, 6, TRANSLATED}}, {{20, 10, DUPLICATES | 2}}},
                                       upper_case_translation(), 2048);
    Client f;
    ASSERT_EQ(f.create(dir.path() + "s.dat", spec), 0);
    ASSERT_EQ(f.open(dir.path() + "s.dat"), 0);
    for (char ch : {'a', 'b', 'c'}) ASSERT_EQ(f.insert(std::string(1, ch) + std::string(39, 'x')), 0);

    std::string stat;
    ASSERT_EQ(f.stat(stat), 0);
    std::string expected = spec;
    expected[6] = 3;  // the record count
    EXPECT_EQ(stat, expected);
    EXPECT_EQ(stat.size(), 16u + 3 * 16 + 265);
}

TEST_F(Engine, CreateRefusesBadSpecifications) {
    const std::string good = make_spec(27, {{{1, 2, 0}}});
    auto with = [&](std::size_t at, std::uint16_t value) {
        std::string s = good;
        s[at] = static_cast<char>(value & 0xFF);
        s[at + 1] = static_cast<char>(value >> 8);
        return s;
    };
    struct Case {
        const char* what;
        std::string spec;
        std::int16_t status;
    };
    const Case cases[] = {
        {"no dictionary: spaces", std::string(), STATUS_PAGE_SIZE_ERROR},
        {"page size not a multiple of 512", with(2, 1000), STATUS_PAGE_SIZE_ERROR},
        {"no keys", with(4, 0), STATUS_INVALID_KEY_COUNT},
        {"25 keys", with(4, 25), STATUS_INVALID_KEY_COUNT},
        {"record length 0", with(0, 0), STATUS_INVALID_RECORD_LENGTH},
        {"record length 5000", with(0, 5000), STATUS_INVALID_RECORD_LENGTH},
        {"segment past the record", with(16, 27), STATUS_INVALID_KEY_POSITION},
        {"segment at 0", with(16, 0), STATUS_INVALID_KEY_POSITION},
        {"segment of length 0", with(18, 0), STATUS_INVALID_KEY_LENGTH},
        {"key longer than 255", make_spec(400, {{{1, 200, 0}, {201, 100, 0}}}), STATUS_INVALID_KEY_LENGTH},
        {"unknown flag", with(20, 64), STATUS_INCONSISTENT_KEY_FLAGS},
        {"binary and translated", make_spec(27, {{{1, 2, BINARY | TRANSLATED}}}, upper_case_translation()),
         STATUS_INCONSISTENT_KEY_FLAGS},
        {"duplicates on one segment only", make_spec(27, {{{1, 2, DUPLICATES}, {3, 2, 0}}}),
         STATUS_INCONSISTENT_KEY_FLAGS},
        {"translated without a sequence", make_spec(27, {{{1, 2, TRANSLATED}}}), STATUS_INVALID_COLLATING_SEQUENCE},
        {"sequence with a bad signature",
         make_spec(27, {{{1, 2, TRANSLATED}}}, upper_case_translation()).replace(32, 1, "\x01"),
         STATUS_INVALID_COLLATING_SEQUENCE},
    };
    for (const Case& k : cases) {
        Client f;
        EXPECT_EQ(f.create(dir.path() + "bad.dat", k.spec), k.status) << k.what;
        EXPECT_FALSE(dir.exists("bad.dat")) << k.what;
    }
    // A specification cut short (the data length says so) lacks its segments.
    Client f;
    std::string data = good;
    std::uint32_t length = 20;
    std::string key = dir.path() + "bad.dat" + '\0';
    EXPECT_EQ(f.call(OP_CREATE, data, length, key, CREATE_NEW_ONLY), STATUS_DATA_BUFFER_TOO_SHORT);
}

TEST_F(Engine, CreateReplacesOnlyWhenAskedAndNeverAnOpenFile) {
    insert_all(c, {row("AA", "x")});
    Client f;
    EXPECT_EQ(f.create(path, expense_spec()), STATUS_FILE_EXISTS);
    EXPECT_EQ(f.create(path, expense_spec(), 0), STATUS_FILE_LOCKED);  // c has it open
    ASSERT_EQ(c.close(), 0);
    EXPECT_EQ(f.create(path, expense_spec(), 0), 0);
    ASSERT_EQ(c.open(path), 0);
    EXPECT_EQ(count(c), 0u);
}

TEST_F(Engine, ReadsFindKeysInKeyOrder) {
    insert_all(c, {row("BB", "b"), row("AA", "a"), row("DD", "d")});
    struct Case {
        std::int16_t operation;
        const char* key;
        std::int16_t status;
        const char* found;
    };
    const Case cases[] = {
        {OP_GET_EQUAL, "BB", 0, "BB"},
        {OP_GET_EQUAL, "BC", STATUS_KEY_NOT_FOUND, ""},
        {OP_GET_EQUAL, "ZZ", STATUS_KEY_NOT_FOUND, ""},
        {OP_GET_GREATER_OR_EQUAL, "BB", 0, "BB"},
        {OP_GET_GREATER_OR_EQUAL, "BC", 0, "DD"},
        {OP_GET_GREATER_OR_EQUAL, "DE", STATUS_END_OF_FILE, ""},
        {OP_GET_GREATER, "BB", 0, "DD"},
        {OP_GET_LESS_OR_EQUAL, "BB", 0, "BB"},
        {OP_GET_LESS_OR_EQUAL, "BC", 0, "BB"},
        {OP_GET_LESS_OR_EQUAL, "A", STATUS_END_OF_FILE, ""},
        {OP_GET_LESS, "BB", 0, "AA"},
        {OP_GET_FIRST, "", 0, "AA"},
        {OP_GET_LAST, "", 0, "DD"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.operation) + " " + k.key);
        ASSERT_EQ(c.get(k.operation, 0, k.key), k.status);
        if (k.status == 0) {
            EXPECT_EQ(code_of(c.record), k.found);
            EXPECT_EQ(c.key.substr(0, 2), k.found);  // the key comes back too
        }
    }
    ASSERT_EQ(c.get(OP_GET_LAST), 0);
    EXPECT_EQ(c.get(OP_GET_NEXT), STATUS_END_OF_FILE);
    ASSERT_EQ(c.get(OP_GET_FIRST), 0);
    EXPECT_EQ(c.get(OP_GET_PREVIOUS), STATUS_END_OF_FILE);
    EXPECT_EQ(c.insert(row("BB", "again")), STATUS_DUPLICATE_KEY);
    EXPECT_EQ(count(c), 3u);
}

TEST_F(Engine, DuplicatesKeepOneOrderInBothDirections) {
    // Duplicates on a later key (key 1 of the expense layout), and on the
    // first key (a layout whose key 0 is the description).
    Client first_key;
    ASSERT_EQ(first_key.create(dir.path() + "d.dat", make_spec(27, {{{3, 25, DUPLICATES}}, {{1, 2, 0}}})), 0);
    ASSERT_EQ(first_key.open(dir.path() + "d.dat"), 0);
    for (auto [client, key] : {std::pair<Client*, std::int8_t>{&c, 1}, {&first_key, 0}}) {
        SCOPED_TRACE(key);
        Client& f = *client;
        insert_all(f, {row("A1", "X"), row("B1", "Y"), row("C1", "Z"), row("B2", "Y"), row("B3", "Y")});
        ASSERT_EQ(f.get(OP_GET_FIRST, key), 0);
        std::vector<std::string> walk{code_of(f.record)};
        for (std::int16_t op : {OP_GET_NEXT, OP_GET_NEXT, OP_GET_PREVIOUS, OP_GET_PREVIOUS, OP_GET_NEXT, OP_GET_NEXT,
                                OP_GET_NEXT, OP_GET_NEXT, OP_GET_PREVIOUS, OP_GET_PREVIOUS, OP_GET_NEXT}) {
            ASSERT_EQ(f.get(op, key), 0);
            walk.push_back(code_of(f.record));
        }
        EXPECT_EQ(walk,
                  (std::vector<std::string>{"A1", "B1", "B2", "B1", "A1", "B1", "B2", "B3", "C1", "B3", "B2", "B3"}));

        const std::string y = std::string("Y") + std::string(24, ' ');
        EXPECT_EQ(f.get(OP_GET_EQUAL, key, y), 0);
        EXPECT_EQ(code_of(f.record), "B1");  // the first of the equal keys
        EXPECT_EQ(f.get(OP_GET_LESS_OR_EQUAL, key, y), 0);
        EXPECT_EQ(code_of(f.record), "B3");  // the last of them
        // Deleting the middle one: the walk goes on across the gap both ways.
        ASSERT_EQ(f.get(OP_GET_PREVIOUS, key), 0);
        ASSERT_EQ(f.erase(), 0);
        ASSERT_EQ(f.get(OP_GET_NEXT, key), 0);
        EXPECT_EQ(code_of(f.record), "B3");
        ASSERT_EQ(f.get(OP_GET_PREVIOUS, key), 0);
        EXPECT_EQ(code_of(f.record), "B1");
        EXPECT_EQ(f.get(OP_GET_NEXT, 1 - key), STATUS_DIFFERENT_KEY_NUMBER);
    }
}

TEST_F(Engine, LongScansOverDuplicatesMatchInBothDirections) {
    // Enough equal keys that the scan reads ahead several times.
    std::vector<std::string> forward;
    ASSERT_EQ(transaction(OP_BEGIN_TRANSACTION), 0);
    for (int i = 0; i < 700; ++i) {
        const std::string code{static_cast<char>('0' + i / 26 % 75), static_cast<char>('a' + i % 26)};
        ASSERT_EQ(c.insert(row(code, i % 3 ? "same" : "other")), 0);
    }
    ASSERT_EQ(transaction(OP_END_TRANSACTION), 0);
    for (std::int16_t s = c.get(OP_GET_FIRST, 1); s == 0; s = c.get(OP_GET_NEXT, 1)) forward.push_back(c.record);
    std::vector<std::string> backward;
    for (std::int16_t s = c.get(OP_GET_LAST, 1); s == 0; s = c.get(OP_GET_PREVIOUS, 1)) backward.push_back(c.record);
    ASSERT_EQ(forward.size(), 700u);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward);
    // Equal keys in the order they were inserted.
    EXPECT_EQ(code_of(forward[0]), "0a");
    EXPECT_EQ(code_of(forward[1]), "0d");
}

TEST_F(Engine, BinaryAndTranslatedSegmentsCompareAsNumbersAndTranslations) {
    // Key 0: a 2-byte number, then 3 letters without regard to case (unique).
    // Key 1: a 6-byte number (duplicates).
    const std::string spec =
        make_spec(11, {{{1, 2, BINARY}, {3, 3, TRANSLATED}}, {{6, 6, BINARY | DUPLICATES}}}, upper_case_translation());
    Client f;
    ASSERT_EQ(f.create(dir.path() + "n.dat", spec), 0);
    ASSERT_EQ(f.open(dir.path() + "n.dat"), 0);
    auto big = [](std::uint64_t n) {
        std::string s;
        for (int i = 0; i < 6; ++i) s += static_cast<char>(n >> (8 * i) & 0xFF);
        return s;
    };
    insert_all(
        f, {number16(256) + "aaa" + big(1ull << 40), number16(1) + "zzz" + big(5),
            number16(1) + "BBB" + big((1ull << 32) + 1), number16(2) + "aaa" + big(5), number16(1) + "aab" + big(0)});
    EXPECT_EQ(f.insert(number16(1) + "bBb" + big(9)), STATUS_DUPLICATE_KEY);  // equal once translated

    std::vector<std::string> order;
    for (const auto& r : scan(f, 0))
        order.push_back(std::to_string(static_cast<std::uint8_t>(r[0]) | static_cast<std::uint8_t>(r[1]) << 8) +
                        r.substr(2, 3));
    EXPECT_EQ(order, (std::vector<std::string>{"1aab", "1BBB", "1zzz", "2aaa", "256aaa"}));

    std::vector<std::string> by_number;
    for (const auto& r : scan(f, 1)) by_number.push_back(r.substr(2, 3));
    EXPECT_EQ(by_number, (std::vector<std::string>{"aab", "zzz", "aaa", "BBB", "aaa"}));

    ASSERT_EQ(f.get(OP_GET_EQUAL, 0, number16(1) + "bbb"), 0);
    EXPECT_EQ(f.record.substr(2, 3), "BBB");
    EXPECT_EQ(f.key.substr(0, 5), number16(1) + "BBB");  // the key as stored, not translated
}

TEST_F(Engine, GetDirectSetsThePositionAlongTheKeyGiven) {
    insert_all(c, {row("AA", "5"), row("BB", "3"), row("CC", "4"), row("DD", "1"), row("EE", "2")});
    ASSERT_EQ(c.get(OP_GET_EQUAL, 0, "CC"), 0);
    std::uint32_t cc = 0;
    ASSERT_EQ(c.position(cc), 0);
    ASSERT_EQ(c.get(OP_GET_LAST), 0);

    ASSERT_EQ(c.direct(cc), 0);
    EXPECT_EQ(code_of(c.record), "CC");
    ASSERT_EQ(c.get(OP_GET_NEXT), 0);
    EXPECT_EQ(code_of(c.record), "DD");

    // Along the description: 1 DD, 2 EE, 3 BB, 4 CC, 5 AA.
    ASSERT_EQ(c.direct(cc, 1), 0);
    EXPECT_EQ(c.key.substr(0, 1), "4");
    ASSERT_EQ(c.get(OP_GET_NEXT, 1), 0);
    EXPECT_EQ(code_of(c.record), "AA");
    ASSERT_EQ(c.direct(cc, 1), 0);
    ASSERT_EQ(c.get(OP_GET_PREVIOUS, 1), 0);
    EXPECT_EQ(code_of(c.record), "BB");

    EXPECT_EQ(c.direct(0), STATUS_INVALID_RECORD_ADDRESS);
    EXPECT_EQ(c.direct(999), STATUS_INVALID_RECORD_ADDRESS);
}

TEST_F(Engine, DeleteKeepsThePlaceForNextAndPrevious) {
    insert_all(c, {row("AA", ""), row("BB", ""), row("CC", ""), row("DD", "")});
    ASSERT_EQ(c.get(OP_GET_EQUAL, 0, "BB"), 0);
    ASSERT_EQ(c.erase(), 0);
    EXPECT_EQ(c.erase(), STATUS_INVALID_POSITIONING);
    std::uint32_t p = 0;
    EXPECT_EQ(c.position(p), STATUS_INVALID_POSITIONING);
    ASSERT_EQ(c.get(OP_GET_NEXT), 0);
    EXPECT_EQ(code_of(c.record), "CC");
    ASSERT_EQ(c.erase(), 0);
    ASSERT_EQ(c.get(OP_GET_PREVIOUS), 0);
    EXPECT_EQ(code_of(c.record), "AA");

    // Emptying a file the way the table is rewritten: first, then delete and next.
    for (std::int16_t s = c.get(OP_GET_FIRST); s == 0; s = c.get(OP_GET_NEXT)) ASSERT_EQ(c.erase(), 0);
    EXPECT_EQ(count(c), 0u);
    EXPECT_EQ(c.get(OP_GET_FIRST), STATUS_END_OF_FILE);
}

TEST_F(Engine, BadCallsGiveStatuses) {
    insert_all(c, {row("AA", "")});
    Client closed;
    closed.record_length = 27;
    EXPECT_EQ(closed.get(OP_GET_FIRST), STATUS_FILE_NOT_OPEN);
    EXPECT_EQ(closed.insert(row("ZZ", "")), STATUS_FILE_NOT_OPEN);
    EXPECT_EQ(closed.erase(), STATUS_FILE_NOT_OPEN);
    std::string s;
    EXPECT_EQ(closed.stat(s), STATUS_FILE_NOT_OPEN);
    closed.block.fill('\xA5');  // garbage
    EXPECT_EQ(closed.get(OP_GET_FIRST), STATUS_FILE_NOT_OPEN);

    EXPECT_EQ(c.get(3), STATUS_INVALID_OPERATION);  // update: not ours
    EXPECT_EQ(c.get(99), STATUS_INVALID_OPERATION);
    EXPECT_EQ(c.get(-1), STATUS_INVALID_OPERATION);
    EXPECT_EQ(c.get(OP_INSERT + LOCK_BIAS), STATUS_INVALID_OPERATION);
    EXPECT_EQ(c.get(OP_GET_FIRST, 2), STATUS_INVALID_KEY_NUMBER);
    EXPECT_EQ(c.get(OP_GET_FIRST, -1), STATUS_INVALID_KEY_NUMBER);
    Client fresh;
    ASSERT_EQ(fresh.open(path), 0);
    EXPECT_EQ(fresh.get(OP_GET_NEXT), STATUS_INVALID_POSITIONING);
    EXPECT_EQ(c.insert(row("ZZ", "").substr(0, 20)), STATUS_DATA_BUFFER_TOO_SHORT);
    EXPECT_EQ(c.insert(row("ZZ", "") + "more"), STATUS_DATA_BUFFER_TOO_SHORT);

    EXPECT_EQ(transaction(OP_END_TRANSACTION), STATUS_NO_TRANSACTION);
    EXPECT_EQ(transaction(OP_ABORT_TRANSACTION), STATUS_NO_TRANSACTION);
    ASSERT_EQ(transaction(OP_BEGIN_TRANSACTION), 0);
    EXPECT_EQ(transaction(OP_BEGIN_TRANSACTION), STATUS_TRANSACTION_ACTIVE);
    EXPECT_EQ(c.close(), STATUS_NOT_ALLOWED);
    EXPECT_EQ(c.create(dir.path() + "other.dat", expense_spec()), STATUS_NOT_ALLOWED);
    EXPECT_EQ(transaction(OP_ABORT_TRANSACTION), 0);

    Client missing;
    EXPECT_EQ(missing.open(dir.path() + "missing.dat"), STATUS_FILE_NOT_FOUND);
    EXPECT_EQ(missing.open(""), STATUS_FILE_NOT_FOUND);
    EXPECT_EQ(missing.open(dir.path()), STATUS_FILE_NOT_FOUND);  // a directory
    EXPECT_EQ(missing.create(dir.path() + "no/such/dir/x.dat", expense_spec()), STATUS_CREATE_ERROR);
}

// Buffers inside larger arrays whose other bytes must stay as they were.
TEST_F(Engine, WritesOnlyInsideTheBuffersPassed) {
    insert_all(c, {row("AA", "a description that fills")});
    std::array<char, 64> data{};
    std::array<char, 64> key{};
    data.fill('\xEE');
    key.fill('\xEE');
    auto untouched = [](const std::array<char, 64>& a, std::size_t from, std::size_t to) {
        return std::all_of(a.begin() + static_cast<std::ptrdiff_t>(from), a.begin() + static_cast<std::ptrdiff_t>(to),
                           [](char ch) { return ch == '\xEE'; });
    };

    // The data length claims more room than the span has: the span wins.
    std::uint32_t length = 1536;
    EXPECT_EQ(record_manager_call(OP_GET_FIRST, c.block, std::span(data).subspan(8, 10), length,
                                  std::span(key).subspan(8, 2), 2, 0),
              STATUS_DATA_BUFFER_TOO_SHORT);
    EXPECT_EQ(length, 10u);
    EXPECT_EQ(std::string(data.data() + 8, 10), row("AA", "a description that fills").substr(0, 10));
    EXPECT_TRUE(untouched(data, 0, 8) && untouched(data, 18, 64));
    EXPECT_TRUE(untouched(key, 0, 8) && untouched(key, 10, 64));

    // Stat into a short buffer, and a key buffer too short for the key.
    data.fill('\xEE');
    length = 20;
    EXPECT_EQ(record_manager_call(OP_STAT, c.block, std::span(data).subspan(8, 20), length, std::span(key), 0, 0),
              STATUS_DATA_BUFFER_TOO_SHORT);
    EXPECT_TRUE(untouched(data, 0, 8) && untouched(data, 28, 64));
    key.fill('\xEE');
    length = 27;
    EXPECT_EQ(record_manager_call(OP_GET_LAST, c.block, std::span(data).subspan(8, 27), length,
                                  std::span(key).subspan(8, 1), 1, 0),
              STATUS_KEY_BUFFER_TOO_SHORT);
    EXPECT_TRUE(untouched(key, 0, 64));
}

TEST_F(Engine, TransactionsCommitOrLeaveNoTrace) {
    insert_all(c, {row("AA", "")});
    ASSERT_EQ(transaction(OP_BEGIN_TRANSACTION), 0);
    insert_all(c, {row("BB", ""), row("CC", "")});
    ASSERT_EQ(c.get(OP_GET_EQUAL, 0, "AA"), 0);
    ASSERT_EQ(c.erase(), 0);
    EXPECT_EQ(codes(scan(c)), (std::vector<std::string>{"BB", "CC"}));
    ASSERT_EQ(transaction(OP_ABORT_TRANSACTION), 0);
    EXPECT_EQ(codes(scan(c)), (std::vector<std::string>{"AA"}));

    ASSERT_EQ(transaction(OP_BEGIN_TRANSACTION), 0);
    insert_all(c, {row("DD", "")});
    ASSERT_EQ(transaction(OP_END_TRANSACTION), 0);
    reset();
    Client again;
    ASSERT_EQ(again.open(path), 0);
    EXPECT_EQ(codes(scan(again)), (std::vector<std::string>{"AA", "DD"}));
}

TEST_F(Engine, RecordLocksHoldBetweenTwoOpens) {
    insert_all(c, {row("AA", ""), row("BB", "")});
    Client other;
    ASSERT_EQ(other.open(path), 0);
    ASSERT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "AA"), 0);
    EXPECT_EQ(other.get(OP_GET_EQUAL + LOCK_BIAS, 0, "AA"), STATUS_RECORD_LOCKED);
    EXPECT_EQ(other.get(OP_GET_FIRST + LOCK_BIAS), STATUS_RECORD_LOCKED);
    EXPECT_EQ(other.get(OP_GET_EQUAL, 0, "AA"), 0);  // reading without a lock is allowed
    EXPECT_EQ(other.erase(), STATUS_RECORD_LOCKED);

    // The holder's next locking read lets the first record go.
    ASSERT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "BB"), 0);
    EXPECT_EQ(other.get(OP_GET_EQUAL + LOCK_BIAS, 0, "AA"), 0);
    EXPECT_EQ(other.get(OP_GET_NEXT + LOCK_BIAS), STATUS_RECORD_LOCKED);
    ASSERT_EQ(c.close(), 0);
    // The refused read moved nothing: the next one reads BB again.
    EXPECT_EQ(other.get(OP_GET_NEXT + LOCK_BIAS), 0);
    EXPECT_EQ(code_of(other.record), "BB");
}

TEST_F(Engine, AnotherOpenSeesEveryChangeAtOnce) {
    std::vector<std::string> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back(row({static_cast<char>('A' + i / 10), static_cast<char>('0' + i % 10)}, ""));
    insert_all(c, rows);
    Client other;
    ASSERT_EQ(other.open(path), 0);
    ASSERT_EQ(c.get(OP_GET_FIRST), 0);
    ASSERT_EQ(c.get(OP_GET_NEXT), 0);  // A1, with rows read ahead
    ASSERT_EQ(other.get(OP_GET_EQUAL, 0, "A2"), 0);
    ASSERT_EQ(other.erase(), 0);
    ASSERT_EQ(other.insert(row("A2", "new")), 0);  // the same key, a new record
    ASSERT_EQ(other.get(OP_GET_EQUAL, 0, "A4"), 0);
    ASSERT_EQ(other.erase(), 0);
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(c.get(OP_GET_NEXT), 0);
        seen.push_back(code_of(c.record));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"A2", "A3", "A5", "A6"}));
    ASSERT_EQ(c.get(OP_GET_EQUAL, 0, "A2"), 0);
    EXPECT_EQ(c.record, row("A2", "new"));
    EXPECT_EQ(count(c), 59u);
}

TEST_F(Engine, AFileWithAnOwnerOpensOnlyWithIt) {
    std::string owner = std::string("KEY1") + '\0', again = owner;
    std::uint32_t length = static_cast<std::uint32_t>(owner.size());
    ASSERT_EQ(c.call(OP_SET_OWNER, owner, length, again, 0), 0);
    EXPECT_EQ(c.call(OP_SET_OWNER, owner, length, again, 0), STATUS_INVALID_OWNER);
    reset();
    Client f;
    EXPECT_EQ(f.open(path), STATUS_INVALID_OWNER);
    EXPECT_EQ(f.open(path, "KEY2"), STATUS_INVALID_OWNER);
    EXPECT_EQ(f.open(path, "KEY1"), 0);

    // A file without an owner takes any.
    Client g;
    ASSERT_EQ(g.create(dir.path() + "free.dat", expense_spec()), 0);
    EXPECT_EQ(g.open(dir.path() + "free.dat", "ANY"), 0);
}

TEST_F(Engine, ExclusiveOpensShutOthersOut) {
    Client other;
    EXPECT_EQ(other.open(path, {}, OPEN_EXCLUSIVE), STATUS_FILE_LOCKED);
    ASSERT_EQ(c.close(), 0);
    ASSERT_EQ(other.open(path, {}, OPEN_EXCLUSIVE), 0);
    EXPECT_EQ(c.open(path), STATUS_FILE_LOCKED);
    ASSERT_EQ(other.close(), 0);
    EXPECT_EQ(c.open(path), 0);
}

TEST_F(Engine, ResetClosesEveryOpen) {
    insert_all(c, {row("AA", "")});
    Client other;
    ASSERT_EQ(other.open(path), 0);
    ASSERT_EQ(reset(), 0);
    EXPECT_EQ(c.get(OP_GET_FIRST), STATUS_FILE_NOT_OPEN);
    EXPECT_EQ(other.get(OP_GET_FIRST), STATUS_FILE_NOT_OPEN);
    ASSERT_EQ(c.open(path), 0);
    EXPECT_EQ(c.get(OP_GET_FIRST), 0);
}

}  // namespace
