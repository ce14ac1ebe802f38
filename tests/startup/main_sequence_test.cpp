#include "startup/main_sequence.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/headless_console.h"
#include "platform/process.h"
#include "startup/session.h"
#include "support/temp_dir.h"

namespace {

class MainSequence : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"JOBROOT", "JOBEXE", "JOBTMP", "TERM"}) env.set(v, std::nullopt);
        platform::set_console(&screen);
        startup::main_state = startup::MainState{};
        startup::session = startup::Session{};
        dir.write("start/.keep", "");
        platform::change_directory(dir.path() + "start");
    }
    void TearDown() override { platform::set_console(nullptr); }

    // Installs every step, each noting its name and what it saw.
    void record_steps() {
        auto& steps = startup::main_state.steps;
        steps.load_form = [this] { calls.push_back("load_form " + startup::main_state.module_name); };
        steps.open_record_file = [this](std::int16_t id, const std::string& path) {
            calls.push_back("open " + std::to_string(id) + " " + path);
            return std::int16_t{12};
        };
        steps.run_main_screen = [this] {
            calls.push_back("run cursor " + std::string(screen.cursor_visible() ? "shown" : "hidden") + " in " +
                            platform::current_directory());
            left_open = platform::File::open("work.tmp", platform::Access::ReadWrite, platform::Share::Exclusive);
        };
        steps.close_all_record_files = [this] {
            calls.push_back("close_all open files " + std::to_string(platform::open_file_count()));
            return std::int16_t{0};
        };
    }

    test_support::TempDir dir;
    test_support::EnvGuard env;
    test_support::CwdGuard cwd;
    platform::HeadlessConsole screen;
    std::vector<std::string> calls;
    platform::File left_open;
};

TEST_F(MainSequence, RunsItsStepsInOrderFromTheRoot) {
    dir.write("root/.keep", "");
    env.set("JOBROOT", dir.path() + "root/");
    record_steps();
    startup::run_main_sequence();

    const std::string root = dir.path() + "root";
    const std::vector<std::string> expected = {
        "load_form EXPTYPES",
        "open 501 " + root + "/DADES\\TDespesa",
        "run cursor hidden in " + root,
        "close_all open files 0",
    };
    EXPECT_EQ(calls, expected);
    EXPECT_FALSE(left_open.is_open());
    EXPECT_EQ(startup::main_state.open_status, 0);
    EXPECT_EQ(startup::session.root_dir, root + "/");
}

TEST_F(MainSequence, SettingsAreReadBeforeTheChangeOfDirectory) {
    dir.write("root/.keep", "");
    dir.write("start/sess/Sessio.ini", "[Menu]\r\nTitol=From start\r\n");
    dir.write("root/sess/Sessio.ini", "[Menu]\r\nTitol=From root\r\n");
    env.set("JOBROOT", dir.path() + "root/");
    env.set("JOBTMP", "sess");
    startup::run_main_sequence();
    EXPECT_EQ(startup::session.screen_title, " From start ");
    EXPECT_EQ(platform::current_directory(), dir.path() + "root");
}

TEST_F(MainSequence, WithoutRootStaysWhereItStartedAndRunsWithNoStepsInstalled) {
    startup::run_main_sequence();
    EXPECT_EQ(platform::current_directory(), dir.path() + "start");
    EXPECT_EQ(startup::main_state.module_name, "EXPTYPES");
    EXPECT_FALSE(screen.cursor_visible());
}

TEST_F(MainSequence, RootWithoutSeparatorRunsIntoTheDirectoryName) {
    dir.write("APP/.keep", "");
    env.set("JOBROOT", dir.path() + "APP");
    record_steps();
    startup::run_main_sequence();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "open 501 " + dir.path() + "APPDADES\\TDespesa");
}

}  // namespace
