// Real files in a fresh directory, and environment and working directory
// set for one test and put back afterwards.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace test_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory, ending with a separator.
    const std::string& path() const { return path_; }
    // Writes the bytes to a file under the directory (folders made as needed)
    // and gives its full path.
    std::string write(std::string_view relative, std::string_view bytes) const;
    std::string read(std::string_view relative) const;
    bool exists(std::string_view relative) const;
    // Names of every file and folder under the directory, sorted.
    std::string listing() const;

private:
    std::string path_;
};

// Sets variables (an empty optional removes one) until destroyed.
class EnvGuard {
public:
    EnvGuard() = default;
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    void set(const std::string& name, std::optional<std::string> value);

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class CwdGuard {
public:
    CwdGuard();
    ~CwdGuard();
    CwdGuard(const CwdGuard&) = delete;
    CwdGuard& operator=(const CwdGuard&) = delete;

private:
    std::string saved_;
};

}  // namespace test_support
