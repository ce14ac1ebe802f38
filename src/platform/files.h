// Files as the system uses them: opened for one use, raw bytes at 1-based
// positions. Paths are code page 850 texts with backslashes; on POSIX a
// backslash is a separator and a path that does not exist as written is
// found again component by component without regard to case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class Access {
    Read,       // the file must exist
    ReadWrite,  // created when missing
    Append,     // created when missing; every write goes to the end
};

// Shared: other opens (in this or another process) may read and write too.
// Exclusive: no other open of the file succeeds while this one lasts, and
// this one fails while another lasts.
enum class Share { Shared, Exclusive };

enum class FileError { None, NotFound, Locked, Other };

class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();

    static File open(std::string_view path, Access access, Share share);

    bool is_open() const { return fd_ >= 0; }
    FileError error() const { return error_; }

    // Up to `count` bytes from the 1-based position; fewer at the end.
    std::string read(std::int64_t position, std::size_t count) const;
    std::string read_all() const;
    // Writes at the 1-based position (Append: at the end, whatever it is).
    bool write(std::int64_t position, std::string_view data);
    bool append(std::string_view data);
    bool truncate(std::int64_t length);
    std::int64_t length() const;
    void close();

private:
    int fd_ = -1;
    bool append_ = false;
    FileError error_ = FileError::None;
};

// The name to hand to the operating system for a path of the program.
std::string native_path(std::string_view path);
bool file_exists(std::string_view path);
bool is_directory(std::string_view path);
bool delete_file(std::string_view path);
// Closes every file still open (the end of the run).
void close_all_files();
int open_file_count();

}  // namespace platform
