#include "records/operations.h"

#include <algorithm>
#include <cmath>

#include "platform/cp850.h"
#include "platform/record_manager.h"
#include "records/file_table.h"
#include "records/messages.h"
#include "records/stat_buffer.h"
#include "records/state.h"
#include "screen/regions.h"
#include "screen/windows.h"

namespace records {

namespace {

using namespace platform;

constexpr std::int16_t LOCK_MESSAGE_ROW = 24;

// The operations sent with the lock bias when the file's lock mode is not 0.
bool biased(std::int16_t operation) {
    return (operation >= 5 && operation <= 13) || operation == 19 || (operation >= 22 && operation <= 24) ||
           (operation >= 33 && operation <= 35);
}

FileSlot& slot_at(std::int16_t slot) { return records_state.file_table[static_cast<std::size_t>(slot)]; }

// The returned key contents up to their first zero byte, cut to the length
// the slot's key buffer had.
void take_key_up_to_zero(FileSlot& slot, std::span<const char> key) {
    const auto zero = std::find(key.begin(), key.end(), '\0');
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(zero - key.begin()), slot.key_buffer.size());
    slot.key_buffer.assign(key.data(), n);
}

// Copies returned data into the caller's record, no further than the record
// length and the caller's buffer.
void copy_record_back(FileSlot& slot, std::uint32_t returned) {
    const std::size_t n =
        std::min({static_cast<std::size_t>(returned), static_cast<std::size_t>(std::max(slot.record_length, 0)),
                  slot.record_address.size(), DATA_BUFFER_SIZE});
    std::copy_n(records_state.data_buffer.begin(), n, slot.record_address.begin());
}

std::int16_t short_data_as_ok(std::int16_t status) {
    return status == STATUS_DATA_BUFFER_TOO_SHORT ? STATUS_OK : status;
}

}  // namespace

std::int16_t record_operation(std::int16_t slot_number, std::int16_t operation) {
    if (slot_number < 1 || slot_number > FILE_SLOTS) return platform::STATUS_FILE_NOT_OPEN;
    FileSlot& slot = slot_at(slot_number);
    if (biased(operation) && slot.lock_mode != LOCK_NONE) operation = static_cast<std::int16_t>(operation + LOCK_BIAS);
    const std::size_t record_length =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(slot.record_length, 0)), DATA_BUFFER_SIZE);
    const std::size_t key_length = std::min(slot.key_buffer.size(), KEY_BUFFER_SIZE);
    const char filler = operation == 8 || operation == 9 ? '\0' : operation == 10 || operation == 11 ? '\xFF' : ' ';
    auto& data = records_state.data_buffer;
    auto& key = records_state.key_buffer;
    int attempts = 0;
    for (;;) {
        if (attempts == 1) {
            std::string text = lock_wait_text();
            screen::show_message_box(LOCK_MESSAGE_ROW, text);
        }
        data.fill(' ');
        std::copy_n(slot.record_address.begin(), std::min(record_length, slot.record_address.size()), data.begin());
        key.fill(filler);
        std::copy_n(slot.key_buffer.begin(), key_length, key.begin());
        std::uint32_t length = static_cast<std::uint32_t>(record_length);
        const std::int16_t status =
            record_manager_call(operation, slot.position_block, data, length, key,
                                static_cast<std::uint8_t>(std::min<std::size_t>(key_length, 255)),
                                static_cast<std::int8_t>(slot.key_number));
        copy_record_back(slot, length);
        slot.key_buffer.assign(key.data(), key_length);
        if ((status == STATUS_RECORD_LOCKED || status == STATUS_FILE_LOCKED) && slot.lock_mode == LOCK_WAIT) {
            const double fraction = records_state.waits.random_fraction();
            records_state.waits.sleep_ms(static_cast<int>(std::lround(10000.0 * fraction + 1.0)));
            if (attempts < 2) ++attempts;
            continue;
        }
        if (attempts != 0) screen::restore_screen_region();
        return status;
    }
}

std::int16_t find_record(std::int16_t file_id, std::int16_t key_number, std::string_view key_value,
                         std::int16_t direction) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return platform::STATUS_FILE_NOT_OPEN;
    const FileLengths lengths = read_file_lengths(file_id, key_number);
    if (lengths.key_length <= 0) return STATUS_NO_SUCH_KEY;
    FileSlot& slot = slot_at(s);
    slot.key_number = key_number;
    slot.key_buffer.assign(key_value.substr(0, static_cast<std::size_t>(lengths.key_length)));
    slot.key_buffer.resize(static_cast<std::size_t>(lengths.key_length), '\0');
    const std::int16_t operation = direction == 0  ? OP_GET_EQUAL
                                   : direction > 0 ? OP_GET_GREATER_OR_EQUAL
                                                   : OP_GET_LESS_OR_EQUAL;
    return short_data_as_ok(record_operation(s, operation));
}

std::int16_t skip_records(std::int16_t file_id, std::int16_t count) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return platform::STATUS_FILE_NOT_OPEN;
    FileSlot& slot = slot_at(s);
    const std::int16_t operation = count >= 0 ? OP_GET_NEXT : OP_GET_PREVIOUS;
    std::int16_t status = STATUS_OK;
    int steps = std::abs(static_cast<int>(count));
    // Plain moves: no lock, no wait, nothing copied to the caller.
    std::array<char, DATA_BUFFER_SIZE> work_data{};
    std::array<char, KEY_BUFFER_SIZE> work_key{};
    while (steps > 1 && status == STATUS_OK) {
        std::uint32_t length = DATA_BUFFER_SIZE;
        const auto key_length = static_cast<std::uint8_t>(
            std::min<std::size_t>(std::find(work_key.begin(), work_key.end(), '\0') - work_key.begin(), 255));
        status = short_data_as_ok(record_manager_call(operation, slot.position_block, work_data, length, work_key,
                                                      key_length, static_cast<std::int8_t>(slot.key_number)));
        take_key_up_to_zero(slot, work_key);
        --steps;
    }
    if (steps != 0 && status == STATUS_OK) status = short_data_as_ok(record_operation(s, operation));
    return status;
}

std::int16_t delete_record(std::int16_t file_id) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return platform::STATUS_FILE_NOT_OPEN;
    const std::int16_t status = record_operation(s, OP_DELETE);
    if (status != STATUS_OK) std::fill(slot_at(s).key_buffer.begin(), slot_at(s).key_buffer.end(), '\0');
    return status;
}

std::int32_t record_position(std::int16_t file_id, std::int32_t position) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return 0;
    FileSlot& slot = slot_at(s);
    auto& data = records_state.data_buffer;
    auto& key = records_state.key_buffer;
    std::uint32_t length = DATA_BUFFER_SIZE;
    if (position == 0) {
        data.fill('\0');
        key.fill('\0');
        const std::int16_t status =
            record_manager_call(OP_GET_POSITION, slot.position_block, data, length, std::span(key).first(4), 0, 0);
        if (status != STATUS_OK) return 0;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(data[static_cast<std::size_t>(i)]);
        return static_cast<std::int32_t>(value);
    }
    data.fill(' ');
    for (std::size_t i = 0; i < 4; ++i)
        data[i] = static_cast<char>(static_cast<std::uint32_t>(position) >> (8 * i) & 0xFF);
    key.fill('\0');
    const std::int16_t status = short_data_as_ok(record_manager_call(
        OP_GET_DIRECT, slot.position_block, data, length, key, 0, static_cast<std::int8_t>(slot.key_number)));
    take_key_up_to_zero(slot, key);
    if (status == STATUS_OK) copy_record_back(slot, length);
    return status;
}

void set_lock_mode(std::int16_t file_id, std::string_view letters, std::int16_t& status) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) {
        status = platform::STATUS_FILE_NOT_OPEN;
        return;
    }
    FileSlot& slot = slot_at(s);
    std::string& stack = records_state.lock_mode_stack;
    for (const char letter : letters) {
        switch (platform::upper_case(letter)) {
            case 'D':
                slot.lock_mode = LOCK_NONE;
                break;
            case 'A':
                slot.lock_mode = LOCK_WAIT;
                break;
            case 'B':
                slot.lock_mode = LOCK_REPORT;
                break;
            case '+':
                stack += static_cast<char>(s);
                stack += static_cast<char>(slot.lock_mode);
                break;
            case '-':
                for (std::size_t pair = stack.size() / 2; pair-- > 0;) {
                    if (stack[2 * pair] == static_cast<char>(s)) {
                        slot.lock_mode = static_cast<std::int16_t>(stack[2 * pair + 1]);
                        stack.erase(2 * pair, 2);
                        break;
                    }
                }
                break;
            default:
                break;
        }
    }
}

std::string key_to_collating_text(std::string key_text, std::int16_t file_id) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return key_text;
    FileSlot& slot = slot_at(s);
    call_stat(slot, false);
    call_stat(slot, true);
    const std::string_view translation = stat_translation();
    std::size_t p = 0;
    for (const StatSegment& segment : stat_key_segments(slot.key_number)) {
        const auto length = static_cast<std::size_t>(std::max<std::int16_t>(segment.length, 0));
        if (segment.flags & SEGMENT_BINARY) {
            if (key_text.size() < p + length) key_text.resize(p + length, '\0');
            std::reverse(key_text.begin() + static_cast<std::ptrdiff_t>(p),
                         key_text.begin() + static_cast<std::ptrdiff_t>(p + length));
        } else if ((segment.flags & SEGMENT_TRANSLATED) && !translation.empty()) {
            for (std::size_t i = p; i < std::min(p + length, key_text.size()); ++i)
                key_text[i] = translation[static_cast<std::uint8_t>(key_text[i])];
        }
        p += length;
    }
    return key_text;
}

std::string current_key_text(std::int16_t file_id) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return {};
    return key_to_collating_text(slot_at(s).key_buffer, file_id);
}

}  // namespace records
