#include "record_file.h"

#include <array>

namespace recutil {

using namespace platform;

namespace {

constexpr std::size_t BUFFER_SIZE = 4096 + 1536;

std::string path_key(const std::string& path) {
    std::string key = path.substr(0, 255);
    key.resize(256, '\0');
    return key;
}

}  // namespace

std::int16_t RecordFile::create(const std::string& path, const std::string& specification, bool replace) {
    PositionBlock block{};
    std::string data = specification;
    std::uint32_t length = static_cast<std::uint32_t>(data.size());
    std::string key = path_key(path);
    return record_manager_call(OP_CREATE, block, data, length, key, static_cast<std::uint8_t>(path.size()),
                               replace ? 0 : CREATE_NEW_ONLY);
}

std::int16_t RecordFile::open(const std::string& path, const std::string& owner, bool exclusive) {
    std::string data = owner + '\0';
    std::uint32_t length = static_cast<std::uint32_t>(data.size());
    std::string key = path_key(path);
    const std::int16_t status =
        record_manager_call(OP_OPEN, block_, data, length, key, static_cast<std::uint8_t>(path.size()),
                            exclusive ? OPEN_EXCLUSIVE : OPEN_NORMAL);
    open_ = status == STATUS_OK;
    return open_ ? stat() : status;
}

void RecordFile::close() {
    if (!open_) return;
    std::string data, key;
    std::uint32_t length = 0;
    record_manager_call(OP_CLOSE, block_, data, length, key, 0, 0);
    open_ = false;
}

std::int16_t RecordFile::stat() {
    std::string data(BUFFER_SIZE, ' ');
    std::uint32_t length = static_cast<std::uint32_t>(data.size());
    std::string key(255, ' ');
    const std::int16_t status = record_manager_call(OP_STAT, block_, data, length, key, 255, 0);
    if (status != STATUS_OK) return status;
    data.resize(length);
    records_ = static_cast<std::uint8_t>(data[6]) | static_cast<std::uint8_t>(data[7]) << 8 |
               static_cast<std::uint8_t>(data[8]) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[9])) << 24;
    return recman::parse_layout(data, layout_);
}

std::int16_t RecordFile::read(std::int16_t operation, std::int8_t key_number, std::string& record) {
    record.assign(layout_.record_length, '\0');
    std::uint32_t length = layout_.record_length;
    const std::int16_t status = record_manager_call(operation, block_, record, length, key_, 255, key_number);
    record.resize(length);
    return status;
}

std::int16_t RecordFile::insert(const std::string& record) {
    std::string data = record;
    std::uint32_t length = static_cast<std::uint32_t>(data.size());
    return record_manager_call(OP_INSERT, block_, data, length, key_, 255, 0);
}

std::int16_t RecordFile::set_owner(const std::string& owner) {
    std::string data = owner + '\0';
    std::string key = data;
    std::uint32_t length = static_cast<std::uint32_t>(data.size());
    return record_manager_call(OP_SET_OWNER, block_, data, length, key, static_cast<std::uint8_t>(key.size()), 0);
}

std::int16_t process_call(std::int16_t operation) {
    PositionBlock block{};
    std::string data, key;
    std::uint32_t length = 0;
    return record_manager_call(operation, block, data, length, key, 0, 0);
}

std::string status_text(std::int16_t status) {
    switch (status) {
        case STATUS_IO_ERROR:
            return "the file is damaged or cannot be read or written";
        case STATUS_DUPLICATE_KEY:
            return "a key without duplicates would repeat";
        case STATUS_FILE_NOT_FOUND:
            return "the file does not exist";
        case STATUS_DISK_FULL:
            return "the disk is full";
        case STATUS_DATA_BUFFER_TOO_SHORT:
            return "the specification or record is too short";
        case STATUS_PAGE_SIZE_ERROR:
            return "the page size is not a multiple of 512 from 512 to 4096";
        case STATUS_CREATE_ERROR:
            return "the file cannot be created there";
        case STATUS_INVALID_KEY_COUNT:
            return "the number of keys is not from 1 to 24";
        case STATUS_INVALID_KEY_POSITION:
            return "a key segment lies outside the record";
        case STATUS_INVALID_RECORD_LENGTH:
            return "the record length is not from 1 to 4096";
        case STATUS_INVALID_KEY_LENGTH:
            return "a key is empty or longer than 255 bytes";
        case STATUS_NOT_A_RECORD_FILE:
            return "it is not a record file (or of another version)";
        case STATUS_INCONSISTENT_KEY_FLAGS:
            return "a key has unknown or contradicting flags";
        case STATUS_ACCESS_DENIED:
            return "access is denied";
        case STATUS_INVALID_COLLATING_SEQUENCE:
            return "the collating sequence is missing or bad";
        case STATUS_INVALID_OWNER:
            return "the owner name is missing or wrong";
        case STATUS_FILE_EXISTS:
            return "the file already exists";
        case STATUS_RECORD_LOCKED:
            return "a record is locked by another process";
        case STATUS_FILE_LOCKED:
            return "the file is in use by another process";
        default:
            return "record manager status";
    }
}

}  // namespace recutil
