// Files through the Win32 calls. The share mode of every open does what the
// file locks do on POSIX, between processes and within this one. The handle
// is kept as a C runtime descriptor so that File stays the same on every
// system.
#include <io.h>
#include <windows.h>

#include <fcntl.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/files_registry.h"
#include "platform/win32_text.h"

namespace platform {

namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

OVERLAPPED at_offset(std::int64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    o.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return o;
}

FileError error_of(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return FileError::NotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileError::Locked;
        default:
            return FileError::Other;
    }
}

}  // namespace

// Windows itself takes backslashes and any case of letters.
std::string native_path(std::string_view path) { return std::string(path); }

File File::open(std::string_view path, Access access, Share share) {
    File f;
    DWORD desired = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    switch (access) {
        case Access::Read:
            break;
        case Access::ReadWrite:
            desired = GENERIC_READ | GENERIC_WRITE;
            disposition = OPEN_ALWAYS;
            break;
        case Access::Append:
            // Without FILE_WRITE_DATA every write goes to the end of the file.
            desired = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
            disposition = OPEN_ALWAYS;
            break;
    }
    const DWORD sharing = share == Share::Shared ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
    const HANDLE h =
        ::CreateFileW(to_wide(path).c_str(), desired, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        f.error_ = error_of(::GetLastError());
        return f;
    }
    // CON, NUL, COM1 and the like name devices in any folder: a record or
    // settings file of such a name must not read the keyboard or write to
    // a port.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        f.error_ = FileError::Other;
        return f;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
        f.error_ = FileError::Other;
        return f;
    }
    f.fd_ = fd;
    f.append_ = access == Access::Append;
    open_files().insert(&f);
    return f;
}

// One call moves at most 1 GiB, so that the count fits a DWORD.
constexpr std::size_t MOST_PER_CALL = std::size_t{1} << 30;

std::int64_t read_some(int fd, char* data, std::size_t count, std::int64_t offset) {
    OVERLAPPED o = at_offset(offset);
    DWORD n = 0;
    if (!::ReadFile(handle_of(fd), data, static_cast<DWORD>(std::min(count, MOST_PER_CALL)), &n, &o))
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return n;
}

std::int64_t write_some(int fd, const char* data, std::size_t count, std::int64_t offset) {
    // A file opened for appending only puts every write at its end by itself.
    OVERLAPPED o = at_offset(offset < 0 ? 0 : offset);
    DWORD n = 0;
    if (!::WriteFile(handle_of(fd), data, static_cast<DWORD>(std::min(count, MOST_PER_CALL)), &n,
                     offset < 0 ? nullptr : &o))
        return -1;
    return n;
}

bool File::truncate(std::int64_t length) {
    if (fd_ < 0 || length < 0) return false;
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = length;
    return ::SetFileInformationByHandle(handle_of(fd_), FileEndOfFileInfo, &info, sizeof info) != 0;
}

std::int64_t File::length() const {
    LARGE_INTEGER size{};
    if (fd_ < 0 || !::GetFileSizeEx(handle_of(fd_), &size)) return 0;
    return static_cast<std::int64_t>(size.QuadPart);
}

void File::close() {
    if (fd_ < 0) return;
    ::_close(fd_);  // closes the handle too
    fd_ = -1;
    open_files().erase(this);
}

bool file_exists(std::string_view path) {
    return ::GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool is_directory(std::string_view path) {
    const DWORD attributes = ::GetFileAttributesW(to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool delete_file(std::string_view path) { return ::DeleteFileW(to_wide(path).c_str()) != 0; }

}  // namespace platform
