#include "recman_support.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "platform/cp850.h"

namespace recman_test {

using namespace platform;

namespace {

void put16(std::string& s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

}  // namespace

std::string make_spec(std::uint16_t record_length, const std::vector<std::vector<SegmentSpec>>& keys,
                      const std::string& translation, std::uint16_t page_size) {
    std::string spec(16, '\0');
    put16(spec, 0, record_length);
    put16(spec, 2, page_size);
    put16(spec, 4, static_cast<std::uint16_t>(keys.size()));
    for (const auto& key : keys) {
        for (std::size_t i = 0; i < key.size(); ++i) {
            std::string entry(16, '\0');
            put16(entry, 0, key[i].position);
            put16(entry, 2, key[i].length);
            put16(entry, 4, static_cast<std::uint16_t>(key[i].flags | (i + 1 < key.size() ? 16 : 0)));
            spec += entry;
        }
    }
    if (!translation.empty()) spec += std::string("\xAC") + "UPPER   " + translation;
    return spec;
}

std::string upper_case_translation() {
    std::string t(256, '\0');
    for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = platform::upper_case(static_cast<char>(c));
    return t;
}

std::int16_t Client::call(std::int16_t operation, std::string& data, std::uint32_t& length, std::string& key_buffer,
                          std::int8_t key_number) {
    return record_manager_call(operation, block, data, length, key_buffer, static_cast<std::uint8_t>(key_buffer.size()),
                               key_number);
}

std::int16_t Client::create(const std::string& path, const std::string& spec, std::int8_t mode) {
    std::string data = spec;
    data.resize(1536, ' ');
    std::uint32_t length = 1536;
    std::string k = path + '\0';
    return call(OP_CREATE, data, length, k, mode);
}

std::int16_t Client::open(const std::string& path, const std::string& owner, std::int8_t mode) {
    std::string data = owner + '\0';
    std::uint32_t length = static_cast<std::uint32_t>(data.size());
    std::string k = path + '\0';
    const std::int16_t status = call(OP_OPEN, data, length, k, mode);
    if (status == 0) {
        std::string s;
        stat(s);
        record_length = static_cast<std::uint8_t>(s[0]) | static_cast<std::uint8_t>(s[1]) << 8;
    }
    return status;
}

std::int16_t Client::close() {
    std::string data, k;
    std::uint32_t length = 0;
    return call(OP_CLOSE, data, length, k, 0);
}

std::int16_t Client::insert(const std::string& r, std::int8_t key_number) {
    record = r;
    key.assign(255, '\0');
    std::uint32_t length = static_cast<std::uint32_t>(record.size());
    return call(OP_INSERT, record, length, key, key_number);
}

std::int16_t Client::get(std::int16_t operation, std::int8_t key_number, const std::string& key_value) {
    record.assign(record_length, '\0');
    key = key_value;
    key.resize(255, '\0');
    std::uint32_t length = record_length;
    const std::int16_t status = call(operation, record, length, key, key_number);
    record.resize(length);
    return status;
}

std::int16_t Client::erase() {
    std::string k(255, '\0');
    std::uint32_t length = record_length;
    std::string data(record_length, '\0');
    return call(OP_DELETE, data, length, k, 0);
}

std::int16_t Client::stat(std::string& buffer) {
    buffer.assign(1536, ' ');
    std::string k(255, ' ');
    std::uint32_t length = 1536;
    const std::int16_t status = call(OP_STAT, buffer, length, k, 0);
    buffer.resize(length);
    return status;
}

std::int16_t Client::position(std::uint32_t& position) {
    std::string data(4, '\0'), k(4, '\0');
    std::uint32_t length = 4;
    const std::int16_t status = call(OP_GET_POSITION, data, length, k, 0);
    position = 0;
    for (int i = 3; i >= 0; --i)
        position = position << 8 | static_cast<std::uint8_t>(data[static_cast<std::size_t>(i)]);
    return status;
}

std::int16_t Client::direct(std::uint32_t position, std::int8_t key_number) {
    record.assign(std::max<std::uint32_t>(record_length, 4), '\0');
    for (std::size_t i = 0; i < 4; ++i) record[i] = static_cast<char>(position >> (8 * i) & 0xFF);
    key.assign(255, '\0');
    std::uint32_t length = static_cast<std::uint32_t>(record.size());
    const std::int16_t status = call(OP_GET_DIRECT, record, length, key, key_number);
    record.resize(length);
    return status;
}

std::vector<std::string> scan(Client& c, std::int8_t key_number) {
    std::vector<std::string> out;
    for (std::int16_t s = c.get(OP_GET_FIRST, key_number); s == 0; s = c.get(OP_GET_NEXT, key_number))
        out.push_back(c.record);
    return out;
}

std::int16_t reset() {
    PositionBlock block{};
    std::string data(4, '\0'), k(4, '\0');
    std::uint32_t length = 0;
    return record_manager_call(OP_RESET, block, data, length, k, 0, 0);
}

std::int16_t transaction(std::int16_t operation) {
    PositionBlock block{};
    std::string data, k;
    std::uint32_t length = 0;
    return record_manager_call(operation, block, data, length, k, 0, 0);
}

#ifdef _WIN32

Helper::Helper(const std::vector<std::string>& args) {
    std::wstring line = L"\"" + std::filesystem::path(RECMAN_HELPER).wstring() + L"\"";
    for (const auto& a : args) line += L" \"" + std::filesystem::path(a).wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        started_ = true;
    }
}

Helper::~Helper() {
    if (started_ && !ended_) {
        kill();
        wait();
    }
    if (process_) ::CloseHandle(static_cast<HANDLE>(process_));
}

int Helper::wait() {
    if (!started_) return -1;
    ::WaitForSingleObject(static_cast<HANDLE>(process_), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
    ended_ = true;
    return static_cast<int>(code);
}

void Helper::kill() {
    if (started_ && !ended_) ::TerminateProcess(static_cast<HANDLE>(process_), 9);
}

#else

Helper::Helper(const std::vector<std::string>& args) {
    std::vector<std::string> all{RECMAN_HELPER};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, RECMAN_HELPER, nullptr, nullptr, argv.data(), environ) == 0) {
        pid_ = pid;
        started_ = true;
    }
}

Helper::~Helper() {
    if (started_ && !ended_) {
        kill();
        wait();
    }
}

int Helper::wait() {
    if (!started_) return -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Helper::kill() {
    if (started_ && !ended_) ::kill(pid_, SIGKILL);
}

#endif

bool wait_for_file(const std::string& path, int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void touch(const std::string& path) { std::ofstream(path, std::ios::binary) << "x"; }

}  // namespace recman_test
