// The real program, started as a process on a copy of the sample
// installation.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

constexpr const char* STRACE = "/usr/bin/strace";

namespace {

// Runs the program in `start` with only the given environment, under the
// given tracer command when there is one; gives the exit code, or -1 when it
// did not exit normally.
int run_program(const std::string& start, const std::vector<std::string>& env, std::vector<std::string> tracer = {}) {
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

// The files under the directory, but for the lock file the record manager
// keeps beside a data file once it has been opened.
std::string files_but_locks(const test_support::TempDir& dir) {
    std::istringstream in(dir.listing());
    std::string kept;
    for (std::string line; std::getline(in, line);)
        if (!line.ends_with("-lck")) kept += line + "\n";
    return kept;
}

TEST_F(Program, EndsWithExitCodeZeroAndLeavesNoFileBehind) {
    const std::string before = dir.listing();
    const std::string root = dir.path() + "root/";
    EXPECT_EQ(run_program(dir.path() + "start", {"JOBROOT=" + root, "JOBTMP=" + root + "SESSIO", "PATH=/usr/bin:/bin"}),
              0);
    EXPECT_EQ(files_but_locks(dir), before);
}

// With nothing set, the form is looked for in the starting directory: there
// is none, so the program stops at once with its message (the headless
// console's script is empty: the key it waits for is there at once), before
// anything is opened or written.
TEST_F(Program, WithoutItsFormStopsAndWritesNothing) {
    const std::string before = dir.listing();
    EXPECT_EQ(run_program(dir.path() + "start", {}), 2);
    EXPECT_EQ(dir.listing(), before);

    // A form without the exit question's page is no better.
    const std::string root = dir.path() + "root/";
    std::ofstream(root + "FORMS/EXPTYPES.JPN", std::ios::binary | std::ios::trunc)
        << "1,2\r\n\"d\",2,0,0,0,0,0\r\n"
           "4,1,\"\",2,0,0,0,1,0,\"\"\r\n4,9,\"\",25,0,0,0,0,0,\"\"\r\n";
    const std::string with_form = dir.listing();
    EXPECT_EQ(run_program(dir.path() + "start", {"JOBROOT=" + root, "JOBTMP=" + root + "SESSIO"}), 2);
    EXPECT_EQ(dir.listing(), with_form);
}

// The directories the program changes to, seen from outside by strace.
std::vector<std::string> directory_changes(const std::string& start, std::vector<std::string> env,
                                           const std::string& trace_file) {
    // The leak checker of a sanitized build cannot run under a tracer.
    env.push_back("ASAN_OPTIONS=detect_leaks=0");
    run_program(start, env, {STRACE, "-f", "-qq", "-e", "trace=chdir", "-o", trace_file});
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
