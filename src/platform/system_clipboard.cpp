#include "platform/system_clipboard.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

constexpr int TOOL_DEADLINE_MS = 500;

bool on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string_view rest(path);
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        std::string file(dir.empty() ? std::string_view(".") : dir);
        file += '/';
        file += name;
        if (::access(file.c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) return false;
        rest.remove_prefix(colon + 1);
    }
}

struct Tool {
    std::vector<std::string> put;
    std::vector<std::string> get;
};

std::optional<Tool> choose_tool() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland && on_path("wl-copy") && on_path("wl-paste"))
        return Tool{{"wl-copy"}, {"wl-paste", "--no-newline"}};
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return std::nullopt;
    if (on_path("xclip"))
        return Tool{{"xclip", "-selection", "clipboard", "-in"}, {"xclip", "-selection", "clipboard", "-out"}};
    if (on_path("xsel")) return Tool{{"xsel", "--clipboard", "--input"}, {"xsel", "--clipboard", "--output"}};
    return std::nullopt;
}

int elapsed_ms(std::chrono::steady_clock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

// Waits until the pipe is ready for `events`; false once the tool's deadline,
// counted from `start`, has passed.
bool ready_before_deadline(int fd, short events, std::chrono::steady_clock::time_point start) {
    while (true) {
        const int left = TOOL_DEADLINE_MS - elapsed_ms(start);
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        if (::poll(&p, 1, left) > 0) return true;
    }
}

// Runs a tool with `input` on its standard input, collecting its output when
// asked. Gives the exit code, or -1 when it failed or ran past the deadline.
// The copy tools fork a server that keeps the selection, so only the first
// process is waited for and the output pipe is left at its end of file.
int run_tool(const std::vector<std::string>& argv, std::string_view input, std::string* output) {
    int in_pipe[2];
    int out_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) != 0) return -1;
    if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
        ::close(in_pipe[0]);
        ::close(in_pipe[1]);
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(in_pipe[0], 0);
        ::dup2(output ? out_pipe[1] : null, 1);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    if (pid < 0) {
        ::close(in_pipe[1]);
        ::close(out_pipe[0]);
        return -1;
    }
    const auto start = std::chrono::steady_clock::now();
    // A tool that died early must not kill us through the pipe.
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &old);
    ::fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);
    std::size_t written = 0;
    bool timed_out = false;
    while (written < input.size()) {
        if (!ready_before_deadline(in_pipe[1], POLLOUT, start)) {
            timed_out = true;
            break;
        }
        const ssize_t n = ::write(in_pipe[1], input.data() + written, input.size() - written);
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        if (n > 0) written += static_cast<std::size_t>(n);
    }
    ::close(in_pipe[1]);
    ::sigaction(SIGPIPE, &old, nullptr);
    if (output) {
        char buf[4096];
        while (!timed_out) {
            if (!ready_before_deadline(out_pipe[0], POLLIN, start)) {
                timed_out = true;
                break;
            }
            const ssize_t n = ::read(out_pipe[0], buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            output->append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(out_pipe[0]);
    int status = 0;
    while (!timed_out) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0 && errno != EINTR) return -1;
        if (elapsed_ms(start) >= TOOL_DEADLINE_MS)
            timed_out = true;
        else
            ::usleep(5000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

}  // namespace

bool system_clipboard_available() { return choose_tool().has_value(); }

bool put_system_clipboard(std::string_view utf8) {
    const auto tool = choose_tool();
    return tool && run_tool(tool->put, utf8, nullptr) == 0;
}

std::optional<std::string> get_system_clipboard() {
    const auto tool = choose_tool();
    if (!tool) return std::nullopt;
    std::string out;
    if (run_tool(tool->get, {}, &out) != 0) return std::nullopt;
    return out;
}

std::string base64(std::string_view bytes) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += digits[(v >> 6) & 63];
        out += digits[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[v >> 18];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace platform
