// Our record manager: the operations of the record-manager call
// (platform/record_manager.h) over a storage backend (storage.h).
//
// A position block names one open of a file: the engine writes a mark, a
// slot number and a generation into it, and answers 3 for a block that does
// not name a live open (never opened, closed, reset, or garbage). The
// logical position along the current key (key value and row id) belongs to
// the open, so Next and Previous continue from the last record read, also
// after it was deleted, and Get Direct sets it from the record it reads.
//
// Operations: Open 0 (key number -4 exclusive), Close 1, Insert 2, Delete 4,
// Get Equal 5, Next 6, Previous 7, Greater 8, Greater or Equal 9, Less 10,
// Less or Equal 11, First 12, Last 13, Create 14 (key number -1: never
// replace), Stat 15, Begin 19, End 20 and Abort Transaction 21, Get Position
// 22, Get Direct 23, Reset 28 (closes every open of the process), Set Owner
// 29. The reads 5 to 13, 22 and 23 plus 200 lock the record read (one lock
// per open: the next locking read, a delete, a close or a reset frees it)
// and answer 84 at once when another holds it, 85 while another process
// holds the file in a transaction; nothing moves then.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/record_manager.h"
#include "recman/layout.h"
#include "recman/storage.h"

namespace recman {

struct OpenFile {
    bool in_use = false;
    std::uint64_t generation = 0;
    std::unique_ptr<StorageHandle> storage;
    FileLayout layout;
    // The logical position: along key_number, at (position_key, position_id).
    bool positioned = false;
    std::size_t key_number = 0;
    std::string position_key;
    RowId position_id = 0;
    // The record at the position is still there (it was not deleted).
    bool current = false;
    RowId locked = 0;
};

struct EngineState {
    std::unique_ptr<Storage> storage;
    std::vector<OpenFile> files;
    std::uint64_t next_generation = 1;
    bool in_transaction = false;
    // Work texts kept between calls, so that a call allocates nothing.
    std::string key_text;
    std::string collating_text;
    std::string found_text;
    std::vector<std::string> insert_keys;
};

extern EngineState engine_state;

// The open file a position block names, or nullptr.
OpenFile* open_file_of(const platform::PositionBlock& block);

// Puts another backend under the engine (a server engine, or a wrapper that
// injects faults), after closing every open file; nullptr brings SQLite back.
void use_storage(std::unique_ptr<Storage> storage);
Storage& storage();

}  // namespace recman
