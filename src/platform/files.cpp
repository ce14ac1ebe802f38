// The part of File that is the same on every system: ownership, the set of
// open files and reading a whole file.
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
