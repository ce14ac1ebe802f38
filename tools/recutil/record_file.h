// One record file through the record-manager call, for the utility.
#pragma once

#include <cstdint>
#include <string>

#include "platform/record_manager.h"
#include "recman/layout.h"

namespace recutil {

class RecordFile {
public:
    RecordFile() = default;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile() { close(); }

    static std::int16_t create(const std::string& path, const std::string& specification, bool replace);

    // Opens the file and reads its layout and record count (Stat).
    std::int16_t open(const std::string& path, const std::string& owner, bool exclusive);
    void close();
    const recman::FileLayout& layout() const { return layout_; }
    std::uint32_t records() const { return records_; }
    // Reads with an operation along a key; the record lands in `record`.
    std::int16_t read(std::int16_t operation, std::int8_t key_number, std::string& record);
    std::int16_t insert(const std::string& record);
    std::int16_t set_owner(const std::string& owner);
    const platform::PositionBlock& block() const { return block_; }

private:
    std::int16_t stat();

    platform::PositionBlock block_{};
    bool open_ = false;
    std::string key_ = std::string(255, '\0');
    recman::FileLayout layout_;
    std::uint32_t records_ = 0;
};

// A call that names no file: transactions and Reset.
std::int16_t process_call(std::int16_t operation);

// What a status means, in a few words.
std::string status_text(std::int16_t status);

}  // namespace recutil
