// What the SQLite backend needs of the operating system beyond SQLite: file
// names, putting a new file in place, and byte-range locks between
// processes. One implementation per system (os_posix.cpp, os_win32.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace recman::os {

// The name SQLite opens (UTF-8) for a path of the program (code page 850,
// backslashes; on POSIX found again without regard to case).
std::string storage_path(std::string_view path);
bool is_file(const std::string& name);
// Two names of one file give the same identity.
std::string identity(const std::string& name);
bool remove_file(const std::string& name);
long process_id();

enum class Move { Done, Exists, Failed };
// Puts `from` in the place of `to`: atomically, and without replacing an
// existing `to` unless asked to.
Move move_into_place(const std::string& from, const std::string& to, bool replace);

// Byte-range locks on a companion file ("<data file>-lck") that only ever
// stays empty. Locks belong to this object: two objects conflict even in one
// process, and the system drops them when the process ends, however it ends.
class LockFile {
public:
    explicit LockFile(const std::string& data_file);
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    bool is_open() const;
    // Without waiting; false when another holder's lock is in the way.
    bool try_lock(std::uint64_t offset, bool exclusive);
    void unlock(std::uint64_t offset);
    // Whether another holder has an exclusive lock on the byte, or (`to_end`)
    // on any byte from it on.
    bool locked_by_other(std::uint64_t offset, bool to_end = false);

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace recman::os
