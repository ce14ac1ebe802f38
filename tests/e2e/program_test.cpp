// The real program, started as a process on a copy of the sample
// installation.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Runs the program in `start` with only the given environment; gives the
// exit code, or -1 when it did not exit normally.
int run_program(const std::string& start, const std::vector<std::string>& env) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(start.c_str()) != 0) ::_exit(101);
        std::vector<char*> envp;
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(EXPTYPES_BINARY), nullptr};
        ::execve(EXPTYPES_BINARY, argv, envp.data());
        ::_exit(102);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(SAMPLE_INSTALL, dir.path() + "root", fs::copy_options::recursive);
        dir.write("start/.keep", "");
    }
    test_support::TempDir dir;
};

TEST_F(Program, EndsWithExitCodeZeroAndLeavesNoFileBehind) {
    const std::string before = dir.listing();
    const std::string root = dir.path() + "root/";
    EXPECT_EQ(run_program(dir.path() + "start", {"JOBROOT=" + root, "JOBTMP=" + root + "SESSIO", "PATH=/usr/bin:/bin"}), 0);
    EXPECT_EQ(dir.listing(), before);
}

TEST_F(Program, RunsWithNoEnvironmentAtAll) {
    const std::string before = dir.listing();
    EXPECT_EQ(run_program(dir.path() + "start", {}), 0);
    EXPECT_EQ(dir.listing(), before);
}

}  // namespace
