#include <windows.h>

#include "platform/cp850.h"
#include "recman/os.h"

namespace recman::os {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::string storage_path(std::string_view path) { return platform::cp850_to_utf8(path); }

bool is_file(const std::string& name) {
    const DWORD attributes = ::GetFileAttributesW(wide(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string identity(const std::string& name) {
    // Names on Windows are found without regard to case: the full name in
    // capitals names the file.
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(wide(name).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameW(wide(name).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    if (n == 0) return name;
    full.resize(n);
    ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    return utf8(full);
}

bool remove_file(const std::string& name) {
    return ::DeleteFileW(wide(name).c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

long process_id() { return static_cast<long>(::GetCurrentProcessId()); }

Move move_into_place(const std::string& from, const std::string& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (::MoveFileExW(wide(from).c_str(), wide(to).c_str(), flags)) return Move::Done;
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Move::Exists : Move::Failed;
}

// LockFileEx locks belong to the handle: two handles conflict even in one
// process, and the system drops them when the process ends.
LockFile::LockFile(const std::string& data_file) {
    const HANDLE h = ::CreateFileW(wide(data_file + "-lck").c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) handle_ = h;
}

LockFile::~LockFile() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
}

bool LockFile::is_open() const { return handle_ != nullptr; }

namespace {

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}

}  // namespace

bool LockFile::try_lock(std::uint64_t offset, bool exclusive) {
    if (!handle_) return false;
    OVERLAPPED ov = at(offset);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return ::LockFileEx(static_cast<HANDLE>(handle_), flags, 0, 1, 0, &ov);
}

void LockFile::unlock(std::uint64_t offset) {
    if (!handle_) return;
    OVERLAPPED ov = at(offset);
    ::UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &ov);
}

bool LockFile::locked_by_other(std::uint64_t offset, bool to_end) {
    // No query exists: a shared lock that cannot be had says it. The callers
    // never ask about a byte this handle holds itself.
    if (!handle_) return false;
    OVERLAPPED ov = at(offset);
    const DWORD low = to_end ? 0xFFFFFFFFu : 1, high = to_end ? 0x7FFFFFFFu : 0;
    if (!::LockFileEx(static_cast<HANDLE>(handle_), LOCKFILE_FAIL_IMMEDIATELY, 0, low, high, &ov)) return true;
    ov = at(offset);
    ::UnlockFileEx(static_cast<HANDLE>(handle_), 0, low, high, &ov);
    return false;
}

}  // namespace recman::os
