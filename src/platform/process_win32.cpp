// The process through the wide Win32 calls, converted with our own code
// page table.
#include <windows.h>

#include <vector>

#include "platform/process.h"
#include "platform/win32_text.h"

namespace platform {

std::string get_env(std::string_view name) {
    const std::wstring key = to_wide(name);
    std::vector<wchar_t> buf(256);
    for (;;) {
        const DWORD n = ::GetEnvironmentVariableW(key.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return from_wide(std::wstring_view(buf.data(), n));
        buf.resize(n);  // n counts the terminating zero when the buffer is short
    }
}

void set_env(std::string_view name, std::string_view value) {
    const std::wstring key = to_wide(name);
    if (value.empty())
        ::SetEnvironmentVariableW(key.c_str(), nullptr);
    else
        ::SetEnvironmentVariableW(key.c_str(), to_wide(value).c_str());
}

std::string current_directory() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
        if (n == 0) return {};
        if (n < buf.size()) return from_wide(std::wstring_view(buf.data(), n));
        buf.resize(n);
    }
}

bool change_directory(std::string_view path) { return ::SetCurrentDirectoryW(to_wide(path).c_str()) != 0; }

// The shell named by COMSPEC runs the line with /C, in a normal window, and
// this waits for it. The line goes to the shell as it is: cmd.exe takes
// everything after /C as the command.
int run_command(std::string_view command_line) {
    std::string shell = get_env("COMSPEC");
    if (shell.empty()) shell = "cmd.exe";
    std::wstring line = L"\"" + to_wide(shell) + L"\" /C " + to_wide(command_line);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    ::CloseHandle(pi.hThread);
    DWORD code = 0;
    const bool waited =
        ::WaitForSingleObject(pi.hProcess, INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    return waited ? static_cast<int>(code) : -1;
}

}  // namespace platform
