#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "recman/os.h"

namespace recman::os {

std::string storage_path(std::string_view path) { return platform::native_path(path); }

bool is_file(const std::string& name) {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string identity(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) return name;
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

bool remove_file(const std::string& name) { return ::unlink(name.c_str()) == 0 || errno == ENOENT; }

long process_id() { return static_cast<long>(::getpid()); }

namespace {

void sync_directory_of(const std::string& name) {
    const auto slash = name.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

Move move_into_place(const std::string& from, const std::string& to, bool replace) {
    if (replace) {
        if (::rename(from.c_str(), to.c_str()) != 0) return Move::Failed;
    } else {
        // link refuses an existing name, so two processes creating the same
        // file cannot both succeed.
        if (::link(from.c_str(), to.c_str()) != 0) return errno == EEXIST ? Move::Exists : Move::Failed;
        ::unlink(from.c_str());
    }
    sync_directory_of(to);
    return Move::Done;
}

// Open file description locks: they belong to this open of the file, not to
// the process, so closing another descriptor of it (or SQLite's) never drops
// them, and two opens in one process conflict like two processes.
LockFile::LockFile(const std::string& data_file) {
    fd_ = ::open((data_file + "-lck").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

LockFile::~LockFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LockFile::is_open() const { return fd_ >= 0; }

namespace {

// One byte, or (length 0) every byte from the offset on.
struct flock byte_lock(short type, std::uint64_t offset, off_t length = 1) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = length;
    return fl;
}

int lock_call(int fd, int command, struct flock& fl) {
    int result = 0;
    do result = ::fcntl(fd, command, &fl);
    while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

bool LockFile::try_lock(std::uint64_t offset, bool exclusive) {
    if (fd_ < 0) return false;
    struct flock fl = byte_lock(exclusive ? F_WRLCK : F_RDLCK, offset);
    return lock_call(fd_, F_OFD_SETLK, fl) == 0;
}

void LockFile::unlock(std::uint64_t offset) {
    if (fd_ < 0) return;
    struct flock fl = byte_lock(F_UNLCK, offset);
    lock_call(fd_, F_OFD_SETLK, fl);
}

bool LockFile::locked_by_other(std::uint64_t offset, bool to_end) {
    if (fd_ < 0) return false;
    struct flock fl = byte_lock(F_RDLCK, offset, to_end ? 0 : 1);
    if (lock_call(fd_, F_OFD_GETLK, fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

}  // namespace recman::os
