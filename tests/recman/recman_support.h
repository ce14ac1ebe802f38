// Tests of the record manager: creation buffers, a client that makes the
// single call with buffers of its own, and helper processes that hold locks
// and transactions from outside the test's process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/record_manager.h"

namespace recman_test {

struct SegmentSpec {
    std::uint16_t position = 1;
    std::uint16_t length = 1;
    std::uint16_t flags = 0;  // flag 16 is added to every segment of a key but its last
};

// A creation buffer: record length, page size, keys, and the collating
// sequence (256 translation bytes) when one is given.
std::string make_spec(std::uint16_t record_length, const std::vector<std::vector<SegmentSpec>>& keys,
                      const std::string& translation = {}, std::uint16_t page_size = 1024);
// A translation that compares letters without regard to case.
std::string upper_case_translation();

class Client {
public:
    std::int16_t create(const std::string& path, const std::string& spec, std::int8_t mode = platform::CREATE_NEW_ONLY);
    std::int16_t open(const std::string& path, const std::string& owner = {}, std::int8_t mode = platform::OPEN_NORMAL);
    std::int16_t close();
    std::int16_t insert(const std::string& record, std::int8_t key_number = 0);
    // Reads with an operation (5 to 13, plus 200 to lock); the record and the
    // key come back in `record` and `key`.
    std::int16_t get(std::int16_t operation, std::int8_t key_number = 0, const std::string& key_value = {});
    std::int16_t erase();
    std::int16_t stat(std::string& buffer);
    std::int16_t position(std::uint32_t& position);
    std::int16_t direct(std::uint32_t position, std::int8_t key_number = 0);
    std::int16_t call(std::int16_t operation, std::string& data, std::uint32_t& length, std::string& key,
                      std::int8_t key_number);

    platform::PositionBlock block{};
    std::string record;
    std::string key;
    std::uint32_t record_length = 0;  // the data length to send: set from Stat by open
};

// The records of a file along a key, first to last through Next.
std::vector<std::string> scan(Client& c, std::int8_t key_number = 0);
std::int16_t reset();
std::int16_t transaction(std::int16_t operation);

// A helper process (recman_helper) running one of its commands.
class Helper {
public:
    Helper(const std::vector<std::string>& args);
    ~Helper();
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    bool started() const { return started_; }
    // Waits for the helper to end; its exit code, or -1.
    int wait();
    void kill();

private:
    bool started_ = false;
    bool ended_ = false;
#ifdef _WIN32
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
};

// Waits until the file exists; false after the time.
bool wait_for_file(const std::string& path, int milliseconds = 20000);
void touch(const std::string& path);

}  // namespace recman_test
