#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/cp850.h"
#include "platform/files.h"
#include "platform/files_registry.h"

namespace platform {

namespace {

bool exists(const std::string& native) {
    struct stat st {};
    return ::lstat(native.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` without regard to case, or
// nothing.
std::string find_entry(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    const std::string wanted = upper_case(utf8_to_cp850(name));
    std::string found;
    while (const dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (upper_case(utf8_to_cp850(entry)) == wanted) {
            found = entry;
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const auto end = slash == std::string::npos ? path.size() : slash;
        parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

}  // namespace

std::string native_path(std::string_view path) {
    std::string written = cp850_to_utf8(path);
    for (char& c : written)
        if (c == '\\') c = '/';
    if (written.empty() || exists(written)) return written;

    const bool absolute = written.front() == '/';
    std::string result = absolute ? "/" : "";
    bool lost = false;  // once a component is missing, the rest stays as written
    for (const std::string& part : split(written)) {
        if (part.empty()) continue;
        const std::string exact = result + part;
        std::string next = exact;
        if (!lost && !exists(exact) && part != "." && part != "..") {
            const std::string entry = find_entry(result, part);
            if (entry.empty()) lost = true;
            else next = result + entry;
        }
        result = next + "/";
    }
    if (!result.empty() && written.back() != '/') result.pop_back();
    return result;
}

File File::open(std::string_view path, Access access, Share share) {
    File f;
    const std::string native = native_path(path);
    int flags = O_CLOEXEC;
    switch (access) {
        case Access::Read: flags |= O_RDONLY; break;
        case Access::ReadWrite: flags |= O_RDWR | O_CREAT; break;
        case Access::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    }
    const int fd = ::open(native.c_str(), flags, 0666);
    if (fd < 0) {
        f.error_ = errno == ENOENT || errno == ENOTDIR ? FileError::NotFound : FileError::Other;
        return f;
    }
    // Sharing holds between processes: every open takes a lock on the file,
    // shared or exclusive, and gives up at once when it cannot have it.
    const int lock = share == Share::Shared ? LOCK_SH : LOCK_EX;
    if (::flock(fd, lock | LOCK_NB) != 0) {
        f.error_ = errno == EWOULDBLOCK ? FileError::Locked : FileError::Other;
        ::close(fd);
        return f;
    }
    f.fd_ = fd;
    f.append_ = access == Access::Append;
    open_files().insert(&f);
    return f;
}

std::int64_t read_some(int fd, char* data, std::size_t count, std::int64_t offset) {
    ssize_t n = 0;
    do n = ::pread(fd, data, count, static_cast<off_t>(offset));
    while (n < 0 && errno == EINTR);
    return n;
}

std::int64_t write_some(int fd, const char* data, std::size_t count, std::int64_t offset) {
    ssize_t n = 0;
    // A file opened for appending puts every write at its end by itself.
    do n = offset < 0 ? ::write(fd, data, count) : ::pwrite(fd, data, count, static_cast<off_t>(offset));
    while (n < 0 && errno == EINTR);
    return n;
}

bool File::truncate(std::int64_t length) {
    return fd_ >= 0 && length >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

std::int64_t File::length() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

void File::close() {
    if (fd_ < 0) return;
    ::close(fd_);  // also releases the lock
    fd_ = -1;
    open_files().erase(this);
}

bool file_exists(std::string_view path) { return exists(native_path(path)); }

bool is_directory(std::string_view path) {
    struct stat st {};
    return ::stat(native_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool delete_file(std::string_view path) { return ::unlink(native_path(path).c_str()) == 0; }

}  // namespace platform
