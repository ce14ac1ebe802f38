#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#endif
#include <vector>

#include "platform/cp850.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace platform;

namespace {

TEST(Process, EnvironmentInCodePage850) {
    test_support::EnvGuard env;
    env.set("EXPTYPES_TEST_VAR", "x");
#ifdef _WIN32
    ::SetEnvironmentVariableW(L"EXPTYPES_TEST_VAR", L"Pe\u00f3");  // the system holds UTF-16
#else
    ::setenv("EXPTYPES_TEST_VAR", "Peó", 1);  // the system holds UTF-8
#endif
    EXPECT_EQ(get_env("EXPTYPES_TEST_VAR"), "Pe\xA2");
    set_env("EXPTYPES_TEST_VAR", "Añ"_cp850);
    EXPECT_EQ(get_env("EXPTYPES_TEST_VAR"), "A\xA4");
    set_env("EXPTYPES_TEST_VAR", "");
    EXPECT_EQ(get_env("EXPTYPES_TEST_VAR"), "");
}

TEST(Process, CurrentDirectoryWithBackslashesAndCase) {
    test_support::TempDir dir;
    test_support::CwdGuard cwd;
    dir.write("Root/Sub/.keep", "");
#ifdef _WIN32
    // Windows keeps the case the directory was named with.
    const auto here = [] { return upper_case(current_directory()); };
    const std::string sub = upper_case(dir.path() + "Root\\Sub");
#else
    const auto here = [] { return current_directory(); };
    const std::string sub = dir.path() + "Root/Sub";
#endif
    EXPECT_TRUE(change_directory(dir.path() + "ROOT\\sub"));
    EXPECT_EQ(here(), sub);
    EXPECT_FALSE(change_directory(dir.path() + "missing"));
    EXPECT_EQ(here(), sub);
}

TEST(Process, RunsACommandLineAndWaits) {
    test_support::TempDir dir;
    EXPECT_EQ(run_command("exit 7"), 7);
#ifdef _WIN32
    EXPECT_EQ(run_command("echo done> \"" + dir.path() + "out.txt\""), 0);
    EXPECT_EQ(dir.read("out.txt"), "done\r\n");
#else
    EXPECT_EQ(run_command("sleep 0.1; echo done > '" + dir.path() + "out.txt'"), 0);
    EXPECT_EQ(dir.read("out.txt"), "done\n");
#endif
}

TEST(Process, RandomFractionIsInRange) {
    double low = 1, high = 0;
    for (int i = 0; i < 10000; ++i) {
        const double f = random_fraction();
        ASSERT_GE(f, 0.0);
        ASSERT_LT(f, 1.0);
        low = std::min(low, f);
        high = std::max(high, f);
    }
    EXPECT_LT(low, 0.01);
    EXPECT_GT(high, 0.99);
}

TEST(Process, EndActionsRunLastFirstAndOnce) {
    std::vector<int> order;
    at_process_end([&] { order.push_back(1); });
    at_process_end([&] { order.push_back(2); });
    run_process_end_actions();
    run_process_end_actions();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
}

TEST(Process, EndProcessGivesTheExitCodeAfterTheActions) {
    // The action speaks on stderr: on Windows the dying child is a new run
    // of the test program and would not share a temporary directory.
    EXPECT_EXIT(
        {
            at_process_end([] { std::fputs("end action ran", stderr); });
            end_process(3);
        },
        ::testing::ExitedWithCode(3), "end action ran");
}

}  // namespace
