#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/process.h"

namespace fs = std::filesystem;

namespace test_support {

namespace {

// Relative names in tests are UTF-8 source text, on every system.
fs::path under(const std::string& dir, std::string_view relative) {
    return fs::path(dir) / fs::path(std::u8string(relative.begin(), relative.end()));
}

}  // namespace

TempDir::TempDir() {
    // A name nobody holds yet: create_directory is false when it exists.
    static std::mt19937_64 engine{std::random_device{}()};
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path dir = base / ("exptypes-test-" + std::to_string(engine() % 100000000));
        std::error_code ec;
        if (fs::create_directory(dir, ec)) {
            path_ = dir.string() + std::string(1, fs::path::preferred_separator);
            return;
        }
    }
    throw std::runtime_error("no temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::write(std::string_view relative, std::string_view bytes) const {
    const fs::path full = under(path_, relative);
    fs::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full.string();
}

std::string TempDir::read(std::string_view relative) const {
    std::ifstream in(under(path_, relative), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::exists(std::string_view relative) const { return fs::exists(under(path_, relative)); }

std::string TempDir::listing() const {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(path_))
        names.insert(fs::relative(e.path(), path_).generic_string());  // "/" on every system
    std::string out;
    for (const auto& n : names) out += n + "\n";
    return out;
}

EnvGuard::~EnvGuard() {
    for (const auto& [name, value] : saved_) platform::set_env(name, value.value_or(""));
}

void EnvGuard::set(const std::string& name, std::optional<std::string> value) {
    if (!saved_.count(name)) {
        const std::string old = platform::get_env(name);
        saved_[name] = old.empty() ? std::nullopt : std::optional<std::string>(old);
    }
    platform::set_env(name, value.value_or(""));
}

CwdGuard::CwdGuard() : saved_(fs::current_path().string()) {}
CwdGuard::~CwdGuard() {
    std::error_code ec;
    fs::current_path(saved_, ec);
}

}  // namespace test_support
