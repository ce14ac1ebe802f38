// The part of File that is the same on every system: ownership, the set of
// open files, and whole transfers made of the system's single ones.
#include <vector>

#include "platform/files.h"
#include "platform/files_registry.h"

namespace platform {

std::set<File*>& open_files() {
    static std::set<File*> files;
    return files;
}

File::File(File&& other) noexcept : fd_(other.fd_), append_(other.append_), error_(other.error_) {
    other.fd_ = -1;
    if (fd_ >= 0) {
        open_files().erase(&other);
        open_files().insert(this);
    }
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        append_ = other.append_;
        error_ = other.error_;
        other.fd_ = -1;
        if (fd_ >= 0) {
            open_files().erase(&other);
            open_files().insert(this);
        }
    }
    return *this;
}

File::~File() { close(); }

namespace {

// Writes everything at the 0-based offset (negative: at the end).
bool write_all(int fd, std::string_view data, std::int64_t offset) {
    std::size_t done = 0;
    while (done < data.size()) {
        const std::int64_t at = offset < 0 ? -1 : offset + static_cast<std::int64_t>(done);
        const std::int64_t n = write_some(fd, data.data() + done, data.size() - done, at);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string File::read(std::int64_t position, std::size_t count) const {
    std::string out;
    if (fd_ < 0 || position < 1) return out;
    out.resize(count);
    std::size_t got = 0;
    while (got < count) {
        const std::int64_t n =
            read_some(fd_, out.data() + got, count - got, position - 1 + static_cast<std::int64_t>(got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return out;
}

bool File::write(std::int64_t position, std::string_view data) {
    if (fd_ < 0) return false;
    if (append_) return append(data);
    return position >= 1 && write_all(fd_, data, position - 1);
}

bool File::append(std::string_view data) {
    return fd_ >= 0 && write_all(fd_, data, append_ ? -1 : length());
}

std::string File::read_all() const {
    const std::int64_t len = length();
    return len > 0 ? read(1, static_cast<std::size_t>(len)) : std::string();
}

void close_all_files() {
    // Copy first: closing a file takes it out of the set.
    const std::vector<File*> files(open_files().begin(), open_files().end());
    for (File* f : files) f->close();
}

int open_file_count() { return static_cast<int>(open_files().size()); }

}  // namespace platform
