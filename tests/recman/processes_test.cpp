// Locks and transactions between two real processes: the helper process
// (recman_helper) takes them, this one meets them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "recman_support.h"
#include "support/temp_dir.h"

namespace {

using namespace platform;
using namespace recman_test;

std::string record(int i) {
    char key[16];
    std::snprintf(key, sizeof key, "K%07d", i);
    std::string r = key;
    r.resize(27, '-');
    return r;
}

class Processes : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.path() + "shared.dat";
        sync = dir.path() + "sync";
        std::filesystem::create_directory(sync);
        ASSERT_EQ(c.create(path, make_spec(27, {{{1, 8, 0}}})), 0);
        ASSERT_EQ(c.open(path), 0);
        for (int i = 0; i < 5; ++i) ASSERT_EQ(c.insert(record(i)), 0);
    }
    void TearDown() override { reset(); }

    // Starts the helper and waits until it holds what it took; its status.
    int start(Helper& helper) {
        EXPECT_TRUE(helper.started());
        if (!wait_for_file(sync + "/ready")) return -1;
        return std::stoi(dir.read("sync/ready"));
    }
    std::vector<std::string> records() { return scan(c); }
    std::vector<std::string> originals() {
        std::vector<std::string> out;
        for (int i = 0; i < 5; ++i) out.push_back(record(i));
        return out;
    }

    test_support::TempDir dir;
    std::string path;
    std::string sync;
    Client c;
};

TEST_F(Processes, ALockedRecordGives84UntilItsHolderEnds) {
    Helper helper({"lock", path, "K0000002", sync});
    ASSERT_EQ(start(helper), 0);
    EXPECT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "K0000002"), STATUS_RECORD_LOCKED);
    EXPECT_EQ(c.get(OP_GET_EQUAL, 0, "K0000002"), 0);
    EXPECT_EQ(c.erase(), STATUS_RECORD_LOCKED);
    EXPECT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "K0000003"), 0);  // only that record

    touch(sync + "/go");
    ASSERT_EQ(helper.wait(), 0);
    EXPECT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "K0000002"), 0);
    EXPECT_EQ(c.erase(), 0);
}

TEST_F(Processes, AKilledHolderLeavesNoLock) {
    Helper helper({"lock", path, "K0000001", sync});
    ASSERT_EQ(start(helper), 0);
    ASSERT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "K0000001"), STATUS_RECORD_LOCKED);
    helper.kill();
    helper.wait();
    EXPECT_EQ(c.get(OP_GET_EQUAL + LOCK_BIAS, 0, "K0000001"), 0);
}

TEST_F(Processes, AFileInAnotherProcessTransactionGives85) {
    Helper helper({"transaction", path, "10", sync});
    ASSERT_EQ(start(helper), 0);
    EXPECT_EQ(c.insert(record(7)), STATUS_FILE_LOCKED);
    EXPECT_EQ(c.get(OP_GET_FIRST + LOCK_BIAS), STATUS_FILE_LOCKED);
    // Reading without a lock sees the file as it was before the transaction.
    EXPECT_EQ(records(), originals());
    ASSERT_EQ(transaction(OP_BEGIN_TRANSACTION), 0);
    EXPECT_EQ(c.get(OP_GET_FIRST), STATUS_FILE_LOCKED);
    ASSERT_EQ(transaction(OP_ABORT_TRANSACTION), 0);

    touch(sync + "/go");
    ASSERT_EQ(helper.wait(), 0);  // it committed
    const auto after = records();
    ASSERT_EQ(after.size(), 10u);
    EXPECT_EQ(after[0].substr(0, 8), "H0000000");
    EXPECT_EQ(c.insert(record(7)), 0);
}

TEST_F(Processes, AProcessKilledInATransactionLeavesTheFileAsBefore) {
    // Enough records that the transaction's pages go to the log before its end.
    Helper helper({"transaction", path, "30000", sync});
    ASSERT_EQ(start(helper), 0);
    helper.kill();
    helper.wait();
    EXPECT_EQ(records(), originals());
    std::string stat;
    ASSERT_EQ(c.stat(stat), 0);
    EXPECT_EQ(stat[6], 5);
    EXPECT_EQ(c.insert(record(9)), 0);  // no lock stayed behind
    reset();
    Client again;
    ASSERT_EQ(again.open(path), 0);
    EXPECT_EQ(scan(again).size(), 6u);
}

TEST_F(Processes, AnExclusiveOpenElsewhereGives85) {
    reset();
    Helper helper({"exclusive", path, sync});
    ASSERT_EQ(start(helper), 0);
    EXPECT_EQ(c.open(path), STATUS_FILE_LOCKED);
    helper.kill();
    helper.wait();
    EXPECT_EQ(c.open(path), 0);
}

}  // namespace
