#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/cp850.h"
#include "platform/files.h"
#include "platform/process.h"

namespace platform {

std::string get_env(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    return value ? utf8_to_cp850(value) : std::string();
}

void set_env(std::string_view name, std::string_view value) {
    const std::string key(name);
    if (value.empty()) ::unsetenv(key.c_str());
    else ::setenv(key.c_str(), cp850_to_utf8(value).c_str(), 1);
}

std::string current_directory() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return utf8_to_cp850(buf.data());
}

bool change_directory(std::string_view path) { return ::chdir(native_path(path).c_str()) == 0; }

int run_command(std::string_view command_line) {
    const std::string command = cp850_to_utf8(command_line);
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
