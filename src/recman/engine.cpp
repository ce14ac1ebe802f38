#include "recman/engine.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace recman {

EngineState engine_state;

namespace {

using namespace platform;

constexpr std::array<char, 8> MARK = {'r', 'e', 'c', 'm', 'a', 'n', '\1', '\0'};
constexpr std::size_t MAX_PATH_LENGTH = 255;
constexpr std::size_t MAX_OWNER_LENGTH = 8;

// The arguments of one call that say where data and keys go.
struct Buffers {
    std::span<char> data;
    std::uint32_t& data_length;
    std::span<char> key;
    std::int8_t key_number;

    // Room for data: what the caller claims, within what it passed.
    std::size_t room() const { return std::min<std::size_t>(data_length, data.size()); }
};

// The text in `bytes` up to its first zero byte, at most `limit` bytes.
std::string_view zero_terminated(std::span<const char> bytes, std::size_t limit) {
    const std::size_t size = std::min(bytes.size(), limit);
    const auto end = std::find(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), '\0');
    return {bytes.data(), static_cast<std::size_t>(end - bytes.begin())};
}

OpenFile* find_open_file(const PositionBlock& block) {
    if (!std::equal(MARK.begin(), MARK.end(), block.begin())) return nullptr;
    std::uint32_t slot = 0;
    std::uint64_t generation = 0;
    std::memcpy(&slot, block.data() + 8, sizeof slot);
    std::memcpy(&generation, block.data() + 12, sizeof generation);
    auto& files = engine_state.files;
    if (slot >= files.size() || !files[slot].in_use || files[slot].generation != generation) return nullptr;
    return &files[slot];
}

void name_in_block(PositionBlock& block, std::uint32_t slot, std::uint64_t generation) {
    block.fill('\0');
    std::copy(MARK.begin(), MARK.end(), block.begin());
    std::memcpy(block.data() + 8, &slot, sizeof slot);
    std::memcpy(block.data() + 12, &generation, sizeof generation);
}

void close_file(OpenFile& f) { f = OpenFile{}; }

void close_all_files() {
    if (engine_state.in_transaction) {
        storage().abort_transaction();
        engine_state.in_transaction = false;
    }
    for (OpenFile& f : engine_state.files) close_file(f);
}

std::int16_t open_file(PositionBlock& block, const Buffers& b) {
    const std::string_view path = zero_terminated(b.key, MAX_PATH_LENGTH);
    if (path.empty()) return STATUS_FILE_NOT_FOUND;
    const std::string_view owner = zero_terminated(b.data.first(b.room()), MAX_OWNER_LENGTH + 1);
    if (owner.size() > MAX_OWNER_LENGTH) return STATUS_INVALID_OWNER;
    std::unique_ptr<StorageHandle> handle;
    if (const auto status = storage().open(path, owner, b.key_number == OPEN_EXCLUSIVE, handle); status != STATUS_OK)
        return status;
    FileLayout layout;
    if (parse_layout(handle->layout(), layout) != STATUS_OK) return STATUS_NOT_A_RECORD_FILE;

    auto& files = engine_state.files;
    auto free = std::find_if(files.begin(), files.end(), [](const OpenFile& f) { return !f.in_use; });
    if (free == files.end()) free = files.insert(files.end(), OpenFile{});
    OpenFile& f = *free;
    f.in_use = true;
    f.generation = engine_state.next_generation++;
    f.storage = std::move(handle);
    f.layout = std::move(layout);
    name_in_block(block, static_cast<std::uint32_t>(free - files.begin()), f.generation);
    return STATUS_OK;
}

std::int16_t create_file(const Buffers& b) {
    if (engine_state.in_transaction) return STATUS_NOT_ALLOWED;
    const std::string_view path = zero_terminated(b.key, MAX_PATH_LENGTH);
    if (path.empty()) return STATUS_CREATE_ERROR;
    FileLayout layout;
    if (const auto status = parse_layout(b.data.first(b.room()), layout); status != STATUS_OK) return status;
    NewFile file{layout_bytes(layout), layout.keys.size(), 0};
    for (std::size_t k = 0; k < layout.keys.size(); ++k)
        if (!layout.keys[k].duplicates) file.unique_keys |= 1u << k;
    return storage().create(path, file, b.key_number != CREATE_NEW_ONLY);
}

std::int16_t stat_file(OpenFile& f, const Buffers& b) {
    std::int64_t count = 0;
    if (const auto status = f.storage->count_records(count); status != STATUS_OK) return status;
    const std::string bytes =
        layout_bytes(f.layout, static_cast<std::uint32_t>(std::clamp<std::int64_t>(count, 0, UINT32_MAX)));
    const std::size_t n = std::min(b.room(), bytes.size());
    std::copy_n(bytes.data(), n, b.data.data());
    b.data_length = static_cast<std::uint32_t>(n);
    return n < bytes.size() ? STATUS_DATA_BUFFER_TOO_SHORT : STATUS_OK;
}

// Takes the single-record lock of this open for the row.
std::int16_t lock_row(OpenFile& f, RowId id) {
    if (f.locked == id) return STATUS_OK;
    if (const auto status = f.storage->lock_record(id); status != STATUS_OK) return status;
    if (f.locked != 0) f.storage->unlock_record(f.locked);
    f.locked = id;
    return STATUS_OK;
}

// Hands a row read along key `k` to the caller and makes it the position.
std::int16_t deliver(OpenFile& f, const Buffers& b, std::size_t k, const Row& row, bool lock) {
    if (row.record.size() != f.layout.record_length) return STATUS_IO_ERROR;  // a damaged row
    if (lock) {
        if (const auto status = lock_row(f, row.id); status != STATUS_OK) return status;
    }
    std::string& value = engine_state.key_text;
    key_value(f.layout, k, row.record, value);
    collating_key(f.layout, k, value, f.position_key);
    std::copy(value.begin(), value.end(), b.key.begin());
    const std::size_t n = std::min<std::size_t>(b.room(), row.record.size());
    std::copy_n(row.record.data(), n, b.data.data());
    b.data_length = static_cast<std::uint32_t>(n);
    f.positioned = true;
    f.current = true;
    f.key_number = k;
    f.position_id = row.id;
    return n < row.record.size() ? STATUS_DATA_BUFFER_TOO_SHORT : STATUS_OK;
}

std::int16_t key_checks(const OpenFile& f, const Buffers& b) {
    if (b.key_number < 0 || static_cast<std::size_t>(b.key_number) >= f.layout.keys.size())
        return STATUS_INVALID_KEY_NUMBER;
    if (b.key.size() < f.layout.keys[static_cast<std::size_t>(b.key_number)].length) return STATUS_KEY_BUFFER_TOO_SHORT;
    return STATUS_OK;
}

std::int16_t read_record(OpenFile& f, const Buffers& b, std::int16_t operation, bool lock) {
    if (const auto status = key_checks(f, b); status != STATUS_OK) return status;
    const auto k = static_cast<std::size_t>(b.key_number);
    const Key& key = f.layout.keys[k];
    std::string& value = engine_state.collating_text;
    RowId id = 0;
    Seek how = Seek::AtOrAfter;
    switch (operation) {
        case OP_GET_NEXT:
        case OP_GET_PREVIOUS:
            if (!f.positioned) return STATUS_INVALID_POSITIONING;
            if (f.key_number != k) return STATUS_DIFFERENT_KEY_NUMBER;
            value = f.position_key;
            id = f.position_id;
            how = operation == OP_GET_NEXT ? Seek::After : Seek::Before;
            break;
        case OP_GET_FIRST:
            value.clear();
            break;
        case OP_GET_LAST:
            // After every key of this length.
            value.assign(key.length + 1u, '\xFF');
            how = Seek::AtOrBefore;
            break;
        default:
            collating_key(f.layout, k, std::string_view(b.key.data(), key.length), value);
            how = operation == OP_GET_GREATER         ? Seek::Greater
                  : operation == OP_GET_LESS          ? Seek::Less
                  : operation == OP_GET_LESS_OR_EQUAL ? Seek::AtOrBefore
                                                      : Seek::AtOrAfter;
    }
    if (lock) {
        if (const auto status = f.storage->check_file_free(); status != STATUS_OK) return status;
    }
    Row row;
    const auto status = f.storage->seek(k, how, value, id, lock, row);
    if (status == STATUS_END_OF_FILE && operation == OP_GET_EQUAL) return STATUS_KEY_NOT_FOUND;
    if (status != STATUS_OK) return status;
    if (row.record.size() != f.layout.record_length) return STATUS_IO_ERROR;  // a damaged row
    if (operation == OP_GET_EQUAL) {
        key_value(f.layout, k, row.record, engine_state.key_text);
        collating_key(f.layout, k, engine_state.key_text, engine_state.found_text);
        if (engine_state.found_text != value) return STATUS_KEY_NOT_FOUND;
    }
    return deliver(f, b, k, row, lock);
}

std::int16_t get_direct(OpenFile& f, const Buffers& b, bool lock) {
    if (b.room() < 4) return STATUS_DATA_BUFFER_TOO_SHORT;
    if (const auto status = key_checks(f, b); status != STATUS_OK) return status;
    std::uint32_t position = 0;
    for (int i = 3; i >= 0; --i)
        position = position << 8 | static_cast<std::uint8_t>(b.data[static_cast<std::size_t>(i)]);
    if (position == 0 || position > 0x7FFFFFFFu) return STATUS_INVALID_RECORD_ADDRESS;
    if (lock) {
        if (const auto status = f.storage->check_file_free(); status != STATUS_OK) return status;
    }
    Row row;
    if (const auto status = f.storage->read(position, row); status != STATUS_OK) return status;
    return deliver(f, b, static_cast<std::size_t>(b.key_number), row, lock);
}

std::int16_t get_position(OpenFile& f, const Buffers& b, bool lock) {
    if (!f.current) return STATUS_INVALID_POSITIONING;
    if (b.room() < 4) return STATUS_DATA_BUFFER_TOO_SHORT;
    if (lock) {
        if (const auto status = f.storage->check_file_free(); status != STATUS_OK) return status;
        if (const auto status = lock_row(f, f.position_id); status != STATUS_OK) return status;
    }
    const auto position = static_cast<std::uint32_t>(f.position_id);
    for (std::size_t i = 0; i < 4; ++i) b.data[i] = static_cast<char>(position >> (8 * i) & 0xFF);
    b.data_length = 4;
    return STATUS_OK;
}

std::int16_t insert_record(OpenFile& f, const Buffers& b) {
    if (const auto status = key_checks(f, b); status != STATUS_OK) return status;
    const std::size_t length = f.layout.record_length;
    if (b.data_length != length || b.data.size() < length) return STATUS_DATA_BUFFER_TOO_SHORT;
    const std::string_view record(b.data.data(), length);
    auto& keys = engine_state.insert_keys;
    keys.resize(f.layout.keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        key_value(f.layout, k, record, engine_state.key_text);
        collating_key(f.layout, k, engine_state.key_text, keys[k]);
    }
    RowId id = 0;
    if (const auto status = f.storage->insert(record, keys, id); status != STATUS_OK) return status;
    const auto k = static_cast<std::size_t>(b.key_number);
    key_value(f.layout, k, record, engine_state.key_text);
    std::copy(engine_state.key_text.begin(), engine_state.key_text.end(), b.key.begin());
    f.positioned = true;
    f.current = true;
    f.key_number = k;
    f.position_key = keys[k];
    f.position_id = id;
    return STATUS_OK;
}

std::int16_t delete_current(OpenFile& f) {
    if (!f.current) return STATUS_INVALID_POSITIONING;
    if (const auto status = f.storage->erase(f.position_id); status != STATUS_OK) return status;
    if (f.locked == f.position_id) f.locked = 0;
    // The logical position stays, so that Next and Previous go on from here.
    f.current = false;
    return STATUS_OK;
}

std::int16_t set_owner(OpenFile& f, const Buffers& b) {
    const std::string_view owner = zero_terminated(b.data.first(b.room()), MAX_OWNER_LENGTH + 1);
    const std::string_view again = zero_terminated(b.key, MAX_OWNER_LENGTH + 1);
    if (owner.empty() || owner.size() > MAX_OWNER_LENGTH || owner != again) return STATUS_INVALID_OWNER;
    return f.storage->set_owner(owner);
}

std::int16_t transaction(std::int16_t operation) {
    const bool running = engine_state.in_transaction;
    if (operation == OP_BEGIN_TRANSACTION) {
        if (running) return STATUS_TRANSACTION_ACTIVE;
        const auto status = storage().begin_transaction();
        engine_state.in_transaction = status == STATUS_OK;
        return status;
    }
    if (!running) return STATUS_NO_TRANSACTION;
    engine_state.in_transaction = false;
    return operation == OP_END_TRANSACTION ? storage().end_transaction() : storage().abort_transaction();
}

bool lockable(std::int16_t operation) {
    return (operation >= OP_GET_EQUAL && operation <= OP_GET_LAST) || operation == OP_GET_POSITION ||
           operation == OP_GET_DIRECT || operation == OP_BEGIN_TRANSACTION;
}

std::int16_t call(std::int16_t operation, PositionBlock& position_block, std::span<char> data,
                  std::uint32_t& data_length, std::span<char> key, std::int8_t key_number) {
    const Buffers b{data, data_length, key, key_number};
    bool lock = false;
    if (operation >= LOCK_BIAS && operation < LOCK_BIAS + 100) {
        operation = static_cast<std::int16_t>(operation - LOCK_BIAS);
        if (!lockable(operation)) return STATUS_INVALID_OPERATION;
        lock = true;
    }
    switch (operation) {
        case OP_OPEN:
            return open_file(position_block, b);
        case OP_CREATE:
            return create_file(b);
        case OP_RESET:
            close_all_files();
            return STATUS_OK;
        case OP_BEGIN_TRANSACTION:
        case OP_END_TRANSACTION:
        case OP_ABORT_TRANSACTION:
            return transaction(operation);
        case OP_CLOSE:
        case OP_INSERT:
        case OP_DELETE:
        case OP_STAT:
        case OP_GET_POSITION:
        case OP_GET_DIRECT:
        case OP_SET_OWNER:
            break;
        default:
            if (operation < OP_GET_EQUAL || operation > OP_GET_LAST) return STATUS_INVALID_OPERATION;
    }
    OpenFile* f = find_open_file(position_block);
    if (!f) return STATUS_FILE_NOT_OPEN;
    switch (operation) {
        case OP_CLOSE:
            if (engine_state.in_transaction) return STATUS_NOT_ALLOWED;
            close_file(*f);
            return STATUS_OK;
        case OP_INSERT:
            return insert_record(*f, b);
        case OP_DELETE:
            return delete_current(*f);
        case OP_STAT:
            return stat_file(*f, b);
        case OP_GET_POSITION:
            return get_position(*f, b, lock);
        case OP_GET_DIRECT:
            return get_direct(*f, b, lock);
        case OP_SET_OWNER:
            return set_owner(*f, b);
        default:
            return read_record(*f, b, operation, lock);
    }
}

}  // namespace

OpenFile* open_file_of(const platform::PositionBlock& block) { return find_open_file(block); }

Storage& storage() {
    if (!engine_state.storage) engine_state.storage = make_sqlite_storage();
    return *engine_state.storage;
}

void use_storage(std::unique_ptr<Storage> storage) {
    close_all_files();
    engine_state.storage = std::move(storage);
}

}  // namespace recman

// The key length is not needed: keys are read and written at their own
// length, within the key buffer passed.
std::int16_t platform::record_manager_call(std::int16_t operation, PositionBlock& position_block, std::span<char> data,
                                           std::uint32_t& data_length, std::span<char> key, std::uint8_t /*key_length*/,
                                           std::int8_t key_number) {
    return recman::call(operation, position_block, data, data_length, key, key_number);
}
