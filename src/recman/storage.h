// The storage under the record manager: where rows live, how they are found
// in key order, transactions and locks between processes. The engine
// (engine.cpp) keeps every rule of the record-manager call above this line:
// position blocks, key values and their collating form, buffers and
// statuses. A backend keeps rows below it: SQLite (sqlite_storage.cpp), a
// server engine later; a wrapper can stand between the two to inject faults,
// since every storage result passes through here.
//
// Every function answers with a record-manager status (0 for success); a
// backend maps its own failures: busy to 85, disk full to 18, a damaged or
// unreadable file to 2, a file that is not one of ours to 30.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace recman {

// A record's place in its file: its physical position, from 1 to 2^31 - 1.
using RowId = std::int64_t;

struct Row {
    RowId id = 0;
    // The record's bytes; valid until the next call on the same handle.
    std::string_view record;
};

// How a read along a key finds its row, for a key value v and a row id i.
// Rows are ordered by (collating key value, row id), so that records with
// equal keys keep their order in both directions.
enum class Seek {
    AtOrAfter,   // the first row whose key is v or after it
    Greater,     // the first row whose key is after v
    After,       // the first row after (v, i): the next one
    AtOrBefore,  // the last row whose key is v or before it
    Less,        // the last row whose key is before v
    Before,      // the last row before (v, i): the previous one
};

// What a file is created with. The layout bytes are the engine's: the
// backend keeps them and gives them back unchanged.
struct NewFile {
    std::string layout;
    std::size_t key_count = 0;
    // Bit k set: key k refuses a duplicate (status 5).
    std::uint32_t unique_keys = 0;
};

// One open of a file (one position block). Its reads may be served from rows
// read ahead, as long as no write of this process has happened since and,
// outside a transaction, only for a short while (writes of other processes
// show at most that late).
class StorageHandle {
public:
    virtual ~StorageHandle() = default;

    virtual std::string_view layout() const = 0;
    virtual std::int16_t count_records(std::int64_t& count) = 0;

    // 0 or 43 when no row has that id.
    virtual std::int16_t read(RowId id, Row& row) = 0;
    // 0 or 9 when there is no such row. `fresh` asks for the row as stored
    // now, not read ahead.
    virtual std::int16_t seek(std::size_t key, Seek how, std::string_view value, RowId id, bool fresh, Row& row) = 0;
    // Keys in collating form, one per key of the file. 0, or 5 on a
    // duplicate of a unique key.
    virtual std::int16_t insert(std::string_view record, std::span<const std::string> keys, RowId& id) = 0;
    // 0, 84 when another holder has the record locked, 80 when the row is gone.
    virtual std::int16_t erase(RowId id) = 0;

    // Record locks of this handle: 0; 84 when another holder has it; 85
    // while another process holds the file in a transaction.
    virtual std::int16_t lock_record(RowId id) = 0;
    virtual void unlock_record(RowId id) = 0;
    // 0, or 85 while another process holds the file in a transaction.
    virtual std::int16_t check_file_free() = 0;
    // 0, or 51 when the file already has an owner.
    virtual std::int16_t set_owner(std::string_view owner) = 0;
    // The backend's own check of the file's structure: adds what it finds
    // wrong to `problems`; a status when it cannot look.
    virtual std::int16_t verify(std::vector<std::string>& problems) = 0;
};

// A backend: the files of this process and its transaction.
class Storage {
public:
    virtual ~Storage() = default;

    // 0; 59 when the file exists and `replace` is false; 85 when it is to be
    // replaced while open elsewhere.
    virtual std::int16_t create(std::string_view path, const NewFile& file, bool replace) = 0;
    // 0; 12 when the file does not exist; 30 when it is not a record file; 51
    // when it has an owner other than `owner`; 85 when another holder has it
    // exclusively (or it is to be exclusive and open elsewhere).
    virtual std::int16_t open(std::string_view path, std::string_view owner, bool exclusive,
                              std::unique_ptr<StorageHandle>& handle) = 0;

    // One transaction over every file of the process; the files join it at
    // their first read or write, and a file in it is kept from every other
    // process's writes and locking reads (85) until it ends.
    virtual std::int16_t begin_transaction() = 0;
    // A durable commit of every file that joined.
    virtual std::int16_t end_transaction() = 0;
    virtual std::int16_t abort_transaction() = 0;
};

// The SQLite backend: one database per record file.
std::unique_ptr<Storage> make_sqlite_storage();

}  // namespace recman
