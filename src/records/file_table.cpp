#include "records/file_table.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/record_manager.h"
#include "records/messages.h"
#include "records/stat_buffer.h"
#include "records/state.h"
#include "screen/regions.h"
#include "screen/windows.h"
#include "startup/session.h"

namespace records {

RecordsState records_state;

namespace {

using namespace platform;

constexpr int LOCKED_OPEN_WAIT_MS = 3000;
constexpr std::int16_t STOP_MESSAGE_ROW = 12;
constexpr int STOP_EXIT_CODE = 1;

// The owner name every file is opened with, put together at run time so
// that it does not stand in the program as one text.
constexpr char OWNER_1 = 'N', OWNER_2 = 'A', OWNER_3 = 'L', OWNER_4 = 'O';

std::string owner_name() {
    std::string owner;
    owner += OWNER_1;
    owner += OWNER_2;
    owner += OWNER_3;
    owner += OWNER_4;
    return owner;
}

// The key buffer of Open and Create: the path, a zero byte, zero bytes.
std::uint8_t put_path(const std::string& path) {
    auto& key = records_state.key_buffer;
    key.fill('\0');
    const std::size_t n = std::min(path.size(), KEY_BUFFER_SIZE - 1);
    std::copy_n(path.begin(), n, key.begin());
    return static_cast<std::uint8_t>(n);
}

std::int16_t open_file(FileSlot& slot, const std::string& path) {
    auto& data = records_state.data_buffer;
    data.fill(' ');
    const std::string owner = owner_name();
    std::copy(owner.begin(), owner.end(), data.begin());
    data[owner.size()] = '\0';
    std::uint32_t length = static_cast<std::uint32_t>(owner.size() + 1);
    const std::uint8_t key_length = put_path(path);
    return record_manager_call(OP_OPEN, slot.position_block, data, length, records_state.key_buffer, key_length, 0);
}

// The dictionary file: a 2-byte length n, then n bytes of the creation
// buffer. Missing or empty gives an empty specification.
std::string read_dictionary(const std::string& base) {
    File f = File::open(startup::session.root_dir + "ddf\\" + base + ".xdf", Access::Read, Share::Shared);
    if (!f.is_open()) return {};
    const std::string head = f.read(1, 2);
    if (head.size() < 2) return {};
    const auto n =
        static_cast<std::int16_t>(static_cast<std::uint8_t>(head[0]) | static_cast<std::uint8_t>(head[1]) << 8);
    if (n <= 0) return {};
    return f.read(3, std::min<std::size_t>(static_cast<std::size_t>(n), DATA_BUFFER_SIZE));
}

std::int16_t create_file(FileSlot& slot, const std::string& path, const std::string& base) {
    const std::string spec = read_dictionary(base);
    auto& data = records_state.data_buffer;
    data.fill(' ');
    std::copy(spec.begin(), spec.end(), data.begin());
    std::uint32_t length = DATA_BUFFER_SIZE;
    const std::uint8_t key_length = put_path(path);
    return record_manager_call(OP_CREATE, slot.position_block, data, length, records_state.key_buffer, key_length,
                               CREATE_NEW_ONLY);
}

[[noreturn]] void stop(const std::string& name, std::int16_t status) {
    screen::show_message_until_key(STOP_MESSAGE_ROW, open_failure_text() + name + " (" + std::to_string(status) + ")");
    platform::close_all_files();
    close_all_record_files();
    platform::end_process(STOP_EXIT_CODE);
}

}  // namespace

std::int16_t find_file_slot(std::int16_t file_id) {
    std::int16_t free = 0;
    for (std::int16_t s = 1; s <= FILE_SLOTS; ++s) {
        const std::int16_t id = records_state.file_table[static_cast<std::size_t>(s)].file_id;
        if (id == file_id) return s;
        if (id == 0) free = s;
    }
    return static_cast<std::int16_t>(-free);
}

SplitName split_record_file_name(std::string_view name) {
    std::string_view directory;
    std::string_view base = name;
    std::string_view extension = ".dat";
    std::size_t end = name.size();
    for (std::size_t p = name.size(); p >= 1; --p) {
        const char ch = name[p - 1];
        if (ch == ':' || ch == '\\' || ch == '/') {
            directory = name.substr(0, p);
            base = name.substr(p, end - p);
            break;
        }
        if (ch == '.') {
            base = name.substr(0, p - 1);
            extension = name.substr(p - 1);
            end = p - 1;
        }
    }
    return {std::string(directory) + std::string(base) + std::string(extension), std::string(base)};
}

std::int16_t open_record_file(std::int16_t file_id, const std::string& name, std::span<char> record) {
    const std::int16_t found = find_file_slot(file_id);
    if (found > 0) return STATUS_ALREADY_OPEN;
    if (found == 0) return STATUS_NO_FREE_SLOT;
    FileSlot& slot = records_state.file_table[static_cast<std::size_t>(-found)];
    slot = FileSlot{};
    slot.file_id = file_id;
    slot.record_address = record;

    const SplitName split = split_record_file_name(name);
    bool created = false;
    std::int16_t status = 0;
    for (;;) {
        status = open_file(slot, split.path);
        if (status == STATUS_FILE_LOCKED) {
            records_state.waits.sleep_ms(LOCKED_OPEN_WAIT_MS);
            continue;
        }
        // Created once at most: a file that is still missing after its
        // creation is not created again and again.
        if (status == STATUS_FILE_NOT_FOUND && !created) {
            created = true;
            status = create_file(slot, split.path, split.base);
            if (status == STATUS_OK) continue;
        }
        break;
    }
    if (status == STATUS_OK) {
        const FileLengths lengths = read_file_lengths(file_id, 0);
        slot.key_buffer.assign(static_cast<std::size_t>(std::max<std::int16_t>(lengths.key_length, 0)), '\0');
        slot.record_length = lengths.record_length;
        // A record buffer shorter than the record could only be written past.
        if (record.size() < static_cast<std::size_t>(slot.record_length)) status = STATUS_DATA_BUFFER_TOO_SHORT;
    }
    if (status != STATUS_OK) stop(name, status);
    return STATUS_OK;
}

std::int16_t close_all_record_files() {
    FileSlot& reset_slot = records_state.file_table[0];
    reset_slot.position_block.fill(' ');
    std::array<char, 4> data{}, key{};
    std::uint32_t length = 0;
    const std::int16_t status = record_manager_call(OP_RESET, reset_slot.position_block, data, length, key, 0, 0);
    reset_slot.position_block.fill('\0');
    if (status == STATUS_OK)
        for (std::size_t s = 1; s <= FILE_SLOTS; ++s) records_state.file_table[s] = FileSlot{};
    return status;
}

FileLengths read_file_lengths(std::int16_t file_id, std::int16_t key_number) {
    FileLengths lengths;
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return lengths;
    FileSlot& slot = records_state.file_table[static_cast<std::size_t>(s)];
    if (call_stat(slot, false) != STATUS_OK) return lengths;
    lengths.record_length = stat_record_length();
    if (key_number >= stat_key_count()) return lengths;
    if (call_stat(slot, true) != STATUS_OK) return lengths;
    for (const StatSegment& segment : stat_key_segments(key_number))
        lengths.key_length = static_cast<std::int16_t>(lengths.key_length + segment.length);
    return lengths;
}

}  // namespace records
