#include "tmux.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

namespace test_e2e {

std::string run(const std::vector<std::string>& argv, int* exit_code) {
    int out[2];
    // Close-on-exec, or the tmux server would hold the pipe open for ever.
    if (::pipe2(out, O_CLOEXEC) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (exit_code) *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return text;
}

bool have_tmux() {
    int code = -1;
    run({"tmux", "-V"}, &code);
    return code == 0;
}

Tmux::Tmux(const std::string& program, const std::string& term) {
    static int serial = 0;
    socket_ = "exptypes-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    // The shell stays after the program to show how it ended, and keeps
    // the pane (and its modes) to be looked at.
    const std::string command =
        (term.empty() ? "" : "TERM=" + term + " ") + program + "; echo \"exit status $?\"; sleep 120";
    tmux({"-f", "/dev/null", "new-session", "-d", "-x", "80", "-y", "25", command});
}

int Tmux::program_pid() const {
    const std::string shell = pane("#{pane_pid}");
    FILE* f = std::fopen(("/proc/" + shell + "/task/" + shell + "/children").c_str(), "r");
    int pid = -1;
    if (f) {
        if (std::fscanf(f, "%d", &pid) != 1) pid = -1;
        std::fclose(f);
    }
    return pid;
}

bool Tmux::wait_until(const std::function<bool()>& condition) const {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

}  // namespace test_e2e
