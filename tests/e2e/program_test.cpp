// The real program, started as a process on a copy of the sample
// installation.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

constexpr const char* STRACE = "/usr/bin/strace";

namespace {

// Runs the program in `start` with only the given environment, under the
// given tracer command when there is one; gives the exit code, or -1 when it
// did not exit normally.
int run_program(const std::string& start, const std::vector<std::string>& env,
                std::vector<std::string> tracer = {}) {
    tracer.push_back(EXPTYPES_BINARY);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(start.c_str()) != 0) ::_exit(101);
        std::vector<char*> envp;
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        std::vector<char*> argv;
        for (const auto& a : tracer) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execve(argv[0], argv.data(), envp.data());
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

// The directories the program changes to, seen from outside by strace.
std::vector<std::string> directory_changes(const std::string& start, std::vector<std::string> env,
                                           const std::string& trace_file) {
    // The leak checker of a sanitized build cannot run under a tracer.
    env.push_back("ASAN_OPTIONS=detect_leaks=0");
    EXPECT_EQ(run_program(start, env, {STRACE, "-f", "-qq", "-e", "trace=chdir", "-o", trace_file}), 0);
    std::ifstream in(trace_file);
    std::vector<std::string> dirs;
    for (std::string line; std::getline(in, line);) {
        const auto open = line.find("chdir(\"");
        if (open == std::string::npos) continue;
        const auto from = open + 7;
        dirs.push_back(line.substr(from, line.find('"', from) - from));
    }
    return dirs;
}

TEST_F(Program, ChangesToTheRootOnlyWhenOneIsGiven) {
    if (::access(STRACE, X_OK) != 0) GTEST_SKIP() << "strace is not installed";
    const std::string root = dir.path() + "root/";
    const std::string trace = dir.path() + "chdir.trace";
    EXPECT_EQ(directory_changes(dir.path() + "start", {"JOBROOT=" + root}, trace), std::vector<std::string>{root});
    EXPECT_EQ(directory_changes(dir.path() + "start", {}, trace), std::vector<std::string>{});
}

}  // namespace
