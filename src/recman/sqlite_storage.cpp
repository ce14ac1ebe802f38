// The SQLite backend: one database per record file, in WAL mode, with full
// syncs at every commit (a record written outside a transaction is one
// commit; a transaction is one commit at its end).
//
//   PRAGMA application_id  our mark; a database without it is not ours (30)
//   PRAGMA user_version    the schema version below
//   meta(layout, owner, key_count, unique_keys)      one row
//   records(k0, id, data, k1, ...), WITHOUT ROWID, primary key (k0) when
//       key 0 is unique, else (k0, id)
//   position: UNIQUE INDEX on (id)
//   key<k> for k from 1: UNIQUE INDEX on (k<k>), or INDEX on (k<k>, id)
//
// id is the record's position (from 1, the highest in use plus one for a new
// record); k<k> holds key k in collating form, so that byte order is key
// order and (k<k>, id) orders duplicates. The table is kept in the order of
// key 0: reading along it never leaves the table. Locks between processes
// are byte-range locks on the companion file "<file>-lck": byte 0 shared by
// every open (exclusive for an exclusive open), byte 1 exclusive while a
// transaction holds the file, byte 16 + id for the lock of a record. The
// system drops them when a process ends.
//
// No statement stays open between calls: a scan reads rows ahead in small,
// growing batches, so no read snapshot outlives a call, and another
// process's checkpoint is never held up by a scan that waits for a key.
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <vector>

#include "platform/record_manager.h"
#include "recman/os.h"
#include "recman/storage.h"

namespace recman {

namespace {

using platform::STATUS_OK;

constexpr int APPLICATION_ID = 0x58524D31;
constexpr int SCHEMA_VERSION = 1;
constexpr std::uint64_t OPEN_BYTE = 0;
constexpr std::uint64_t TRANSACTION_BYTE = 1;
constexpr std::uint64_t RECORD_BYTES = 16;
constexpr RowId MAX_ROW_ID = 0x7FFFFFFF;
// Rows read ahead serve later reads this long at most outside a transaction:
// the latest another process can see a change of this one.
constexpr auto READ_AHEAD_LIFE = std::chrono::milliseconds(50);
constexpr std::size_t FIRST_BATCH = 16;
constexpr std::size_t LARGEST_BATCH = 1024;

std::int16_t status_of(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return STATUS_OK;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return platform::STATUS_FILE_LOCKED;
        case SQLITE_FULL:
            return platform::STATUS_DISK_FULL;
        case SQLITE_NOTADB:
            return platform::STATUS_NOT_A_RECORD_FILE;
        case SQLITE_CONSTRAINT:
            return platform::STATUS_DUPLICATE_KEY;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return platform::STATUS_ACCESS_DENIED;
        default:
            return platform::STATUS_IO_ERROR;
    }
}

class Statement {
public:
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(stmt_); }

    int prepare(sqlite3* db, const std::string& sql) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    }
    bool ready() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    void reset() const {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    void bind(int index, std::string_view bytes) const {
        sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    }
    void bind(int index, std::int64_t value) const { sqlite3_bind_int64(stmt_, index, value); }
    int step() const { return sqlite3_step(stmt_); }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string_view blob(int column) const {
        const void* data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size))
                    : std::string_view();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// Runs a statement without results (or ignoring them).
int run(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// The first column of the first row of a statement, as an integer.
int query_integer(sqlite3* db, const char* sql, std::int64_t& value) {
    Statement s;
    int rc = s.prepare(db, sql);
    if (rc != SQLITE_OK) return rc;
    rc = s.step();
    if (rc == SQLITE_ROW) {
        value = s.integer(0);
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
}

std::string column(std::size_t key) { return "k" + std::to_string(key); }

const char* const META_SQL =
    "CREATE TABLE meta(layout BLOB NOT NULL, owner BLOB NOT NULL, key_count INTEGER NOT NULL, "
    "unique_keys INTEGER NOT NULL)";

// Records are kept in the order of key 0 (the table's primary key), so that
// reading along key 0 reads the table in order; the position is a column of
// its own with an index; every other key is an index.
// The key columns come first: SQLite's integrity check misreads a table
// without row ids whose primary key does not lead.
std::string records_sql(std::size_t key_count, std::uint32_t unique_keys) {
    std::string sql = "CREATE TABLE records(k0 BLOB NOT NULL, id INTEGER NOT NULL, data BLOB NOT NULL";
    for (std::size_t k = 1; k < key_count; ++k) sql += ", " + column(k) + " BLOB NOT NULL";
    return sql + ", PRIMARY KEY(k0" + (unique_keys & 1 ? "" : ", id") + ")) WITHOUT ROWID";
}

const char* const POSITION_SQL = "CREATE UNIQUE INDEX position ON records(id)";

std::string index_sql(std::size_t key, bool unique) {
    const std::string name = "key" + std::to_string(key);
    return unique ? "CREATE UNIQUE INDEX " + name + " ON records(" + column(key) + ")"
                  : "CREATE INDEX " + name + " ON records(" + column(key) + ", id)";
}

// A new record takes the position after the highest in use: found by the
// insert itself, or given (?1) inside a transaction, which counts on from
// the highest it found.
std::string insert_sql(std::size_t key_count, bool given) {
    std::string sql = "INSERT INTO records(id, data";
    for (std::size_t k = 0; k < key_count; ++k) sql += ", " + column(k);
    sql += given ? ") VALUES(?1, ?2" : ") VALUES((SELECT coalesce(max(id), 0) + 1 FROM records), ?2";
    for (std::size_t k = 0; k < key_count; ++k) sql += ", ?" + std::to_string(k + 3);
    return sql + (given ? ")" : ") RETURNING id");
}

struct Meta {
    std::string layout;
    std::string owner;
    std::size_t key_count = 0;
    std::uint32_t unique_keys = 0;
};

// Tells a database of ours from any other: the mark, the version and the
// exact schema, with nothing added (no triggers, views or other tables).
int check_schema(sqlite3* db, Meta& meta, std::int16_t& status) {
    status = platform::STATUS_NOT_A_RECORD_FILE;
    std::int64_t value = 0;
    if (int rc = query_integer(db, "PRAGMA application_id", value); rc != SQLITE_OK) return rc;
    if (value != APPLICATION_ID) return SQLITE_OK;
    if (int rc = query_integer(db, "PRAGMA user_version", value); rc != SQLITE_OK) return rc;
    if (value != SCHEMA_VERSION) return SQLITE_OK;

    Statement s;
    if (s.prepare(db, "SELECT layout, owner, key_count, unique_keys FROM meta") != SQLITE_OK) return SQLITE_OK;
    int rc = s.step();
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? SQLITE_OK : rc;
    meta.layout = s.blob(0);
    meta.owner = s.blob(1);
    const std::int64_t keys = s.integer(2);
    const std::int64_t unique = s.integer(3);
    if ((rc = s.step()) != SQLITE_DONE) return rc == SQLITE_ROW ? SQLITE_OK : rc;
    if (keys < 1 || keys > 24 || unique < 0 || unique >= (std::int64_t{1} << keys)) return SQLITE_OK;
    meta.key_count = static_cast<std::size_t>(keys);
    meta.unique_keys = static_cast<std::uint32_t>(unique);

    std::map<std::string, std::string> expected{
        {"meta", META_SQL}, {"records", records_sql(meta.key_count, meta.unique_keys)}, {"position", POSITION_SQL}};
    for (std::size_t k = 1; k < meta.key_count; ++k)
        expected["key" + std::to_string(k)] = index_sql(k, meta.unique_keys >> k & 1);
    Statement schema;
    if ((rc = schema.prepare(db, "SELECT name, sql FROM sqlite_schema")) != SQLITE_OK) return rc;
    std::size_t seen = 0;
    while ((rc = schema.step()) == SQLITE_ROW) {
        const auto it = expected.find(std::string(schema.blob(0)));
        if (it == expected.end() || it->second != schema.blob(1)) return SQLITE_OK;
        ++seen;
    }
    if (rc != SQLITE_DONE) return rc;
    if (seen == expected.size()) status = STATUS_OK;
    return SQLITE_OK;
}

void configure(sqlite3* db) {
    sqlite3_extended_result_codes(db, 1);
    // A file of ours runs no code: nothing but our own statements touch it.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

class SqliteStorage;
class SqliteHandle;

// One database connection per record file and process, shared by every open
// of the file, so that a transaction covers all of them.
class SqliteFile {
public:
    SqliteFile(SqliteStorage& storage, std::string name) : storage(storage), name(name), locks(name) {}
    ~SqliteFile() {
        statements_.clear();
        sqlite3_close_v2(db);
    }

    std::int16_t open();
    std::int16_t reload_meta() {
        std::int16_t status = STATUS_OK;
        const int rc = check_schema(db, meta, status);
        return rc != SQLITE_OK ? status_of(rc) : status;
    }
    // A prepared statement of this connection (prepared at its first use),
    // or nullptr with the status.
    const Statement* statement(std::size_t which, std::int16_t& status);

    // Forgets the rows read ahead after a write; `keep` keeps its own.
    void changed(const SqliteHandle* keep);
    // Runs a statement that takes one value and gives no rows.
    template <typename Value>
    std::int16_t write(std::size_t which, const Value& value) {
        std::int16_t status = STATUS_OK;
        const Statement* s = statement(which, status);
        if (!s) return status;
        s->bind(1, value);
        const int rc = s->step();
        s->reset();
        return status_of(rc);
    }

    SqliteStorage& storage;
    const std::string name;
    sqlite3* db = nullptr;
    Meta meta;
    os::LockFile locks;  // the transaction byte
    bool joined = false;
    std::vector<SqliteHandle*> handles;
    bool count_known = false;
    std::int64_t count = 0;
    std::int64_t count_version = 0;
    // In a transaction: the position the next record takes (0: not known),
    // and whether another open may hold record locks (else a delete need not
    // look for them).
    RowId next_id = 0;
    bool locks_elsewhere = true;

private:
    std::vector<std::unique_ptr<Statement>> statements_;
};

class SqliteStorage : public Storage {
public:
    std::int16_t create(std::string_view path, const NewFile& file, bool replace) override;
    std::int16_t open(std::string_view path, std::string_view owner, bool exclusive,
                      std::unique_ptr<StorageHandle>& handle) override;
    std::int16_t begin_transaction() override {
        in_transaction = true;
        return STATUS_OK;
    }
    std::int16_t end_transaction() override { return finish(true); }
    std::int16_t abort_transaction() override { return finish(false); }

    // Makes the file part of the running transaction, if one runs.
    std::int16_t join(const std::shared_ptr<SqliteFile>& file);

    bool in_transaction = false;

private:
    std::int16_t finish(bool commit);

    std::map<std::string, std::weak_ptr<SqliteFile>> files_;  // by identity
    std::vector<std::shared_ptr<SqliteFile>> joined_;
};

// Rows of one scan, read ahead of the reads that take them.
struct ReadAhead {
    bool valid = false;
    std::size_t key = 0;
    bool forward = true;
    RowId last_id = 0;                                                        // the row last handed out
    std::vector<std::pair<RowId, std::pair<std::size_t, std::size_t>>> rows;  // id, offset and size in bytes
    std::string bytes;
    std::size_t next = 0;
    bool at_end = false;  // the scan met the end of the key
    std::size_t batch = FIRST_BATCH;
    std::chrono::steady_clock::time_point read_at;

    void drop() {
        valid = false;
        rows.clear();
        bytes.clear();
        next = 0;
        at_end = false;
        batch = FIRST_BATCH;
    }
};

enum Query { AT_OR_AFTER, GREATER, SAME_AFTER, AT_OR_BEFORE, LESS, SAME_BEFORE, QUERY_COUNT };

std::string query_sql(std::size_t key, Query q) {
    const std::string k = column(key);
    const std::string head = "SELECT id, data FROM records WHERE ";
    const std::string up = " ORDER BY " + k + ", id";
    const std::string down = " ORDER BY " + k + " DESC, id DESC";
    switch (q) {
        case AT_OR_AFTER:
            return head + k + " >= ?1" + up;
        case GREATER:
            return head + k + " > ?1" + up;
        case SAME_AFTER:
            return head + k + " = ?1 AND id > ?2 ORDER BY id";
        case AT_OR_BEFORE:
            return head + k + " <= ?1" + down;
        case LESS:
            return head + k + " < ?1" + down;
        case SAME_BEFORE:
            return head + k + " = ?1 AND id < ?2 ORDER BY id DESC";
        default:
            return {};
    }
}

// The statements of a connection: these, then QUERY_COUNT for each key.
enum Named {
    READ_ROW,
    INSERT_ROW,
    INSERT_ROW_AT,
    HIGHEST_ID,
    DELETE_ROW,
    SET_OWNER,
    COUNT_ROWS,
    DATA_VERSION,
    NAMED_COUNT
};

std::size_t query_statement(std::size_t key, Query q) { return NAMED_COUNT + key * QUERY_COUNT + q; }

std::string statement_sql(std::size_t which, const Meta& meta) {
    switch (which) {
        case READ_ROW:
            return "SELECT id, data FROM records WHERE id = ?1";
        case INSERT_ROW:
            return insert_sql(meta.key_count, false);
        case INSERT_ROW_AT:
            return insert_sql(meta.key_count, true);
        case HIGHEST_ID:
            return "SELECT coalesce(max(id), 0) FROM records";
        case DELETE_ROW:
            return "DELETE FROM records WHERE id = ?1";
        case SET_OWNER:
            return "UPDATE meta SET owner = ?1";
        case COUNT_ROWS:
            return "SELECT count(*) FROM records";
        case DATA_VERSION:
            return "PRAGMA data_version";
        default: {
            const std::size_t n = which - NAMED_COUNT;
            return query_sql(n / QUERY_COUNT, static_cast<Query>(n % QUERY_COUNT));
        }
    }
}

class SqliteHandle : public StorageHandle {
public:
    SqliteHandle(std::shared_ptr<SqliteFile> file) : file_(std::move(file)), locks_(file_->name) {
        file_->handles.push_back(this);
    }
    ~SqliteHandle() override {
        auto& list = file_->handles;
        std::erase(list, this);
    }

    bool lock_open(bool exclusive) { return locks_.is_open() && locks_.try_lock(OPEN_BYTE, exclusive); }
    bool locks_available() const { return locks_.is_open(); }

    std::string_view layout() const override { return file_->meta.layout; }
    std::int16_t count_records(std::int64_t& count) override;
    std::int16_t read(RowId id, Row& row) override;
    std::int16_t seek(std::size_t key, Seek how, std::string_view value, RowId id, bool fresh, Row& row) override;
    std::int16_t insert(std::string_view record, std::span<const std::string> keys, RowId& id) override;
    std::int16_t erase(RowId id) override;
    std::int16_t lock_record(RowId id) override;
    void unlock_record(RowId id) override;
    std::int16_t check_file_free() override;
    std::int16_t set_owner(std::string_view owner) override;
    std::int16_t verify(std::vector<std::string>& problems) override;

    ReadAhead ahead;

private:
    std::int16_t join() { return file_->storage.join(file_); }
    const Statement* query(std::size_t key, Query q, std::int16_t& status) {
        return file_->statement(query_statement(key, q), status);
    }
    // Runs one query into the rows read ahead, up to `limit` rows in all.
    int collect(const Statement& s, std::size_t limit);
    std::int16_t fill(std::size_t key, Seek how, std::string_view value, RowId id);
    bool fresh_enough() const {
        return file_->joined || std::chrono::steady_clock::now() - ahead.read_at < READ_AHEAD_LIFE;
    }
    bool holds(RowId id) const { return std::find(locked_.begin(), locked_.end(), id) != locked_.end(); }

    std::shared_ptr<SqliteFile> file_;
    os::LockFile locks_;  // the open byte and this handle's record locks
    std::vector<RowId> locked_;
    std::string point_;  // the record of the last single-row read
};

std::int16_t SqliteFile::open() {
    int rc = sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        return (rc & 0xFF) == SQLITE_CANTOPEN
                   ? (os::is_file(name) ? platform::STATUS_ACCESS_DENIED : platform::STATUS_FILE_NOT_FOUND)
                   : status_of(rc);
    configure(db);
    if (const std::int16_t status = reload_meta(); status != STATUS_OK) return status;
    // WAL mode is kept in the file; a file put back from elsewhere may need it again.
    if ((rc = run(db, "PRAGMA journal_mode=WAL")) != SQLITE_OK) return status_of(rc);
    if ((rc = run(db, "PRAGMA synchronous=FULL")) != SQLITE_OK) return status_of(rc);
    // Reading along a key visits the rows' pages out of their order: a
    // cache that holds a file of some 100,000 records reads each page once.
    if ((rc = run(db, "PRAGMA cache_size=-16384")) != SQLITE_OK) return status_of(rc);
    return STATUS_OK;
}

const Statement* SqliteFile::statement(std::size_t which, std::int16_t& status) {
    if (statements_.size() <= which) statements_.resize(which + 1);
    auto& slot = statements_[which];
    if (!slot) slot = std::make_unique<Statement>();
    // A failed preparation (a busy schema read) is tried again next time.
    if (!slot->ready()) {
        const int rc = slot->prepare(db, statement_sql(which, meta));
        if (rc != SQLITE_OK || !slot->ready()) {
            status = rc != SQLITE_OK ? status_of(rc) : platform::STATUS_IO_ERROR;
            return nullptr;
        }
    }
    return slot.get();
}

void SqliteFile::changed(const SqliteHandle* keep) {
    count_known = false;
    for (SqliteHandle* h : handles)
        if (h != keep) h->ahead.drop();
}

std::int16_t SqliteStorage::join(const std::shared_ptr<SqliteFile>& file) {
    if (!in_transaction || file->joined) return STATUS_OK;
    if (!file->locks.try_lock(TRANSACTION_BYTE, true)) return platform::STATUS_FILE_LOCKED;
    // A record lock taken after this look sees the transaction and gives way
    // (lock_record), so none can appear unseen until the transaction ends.
    file->locks_elsewhere = file->locks.locked_by_other(RECORD_BYTES, true);
    if (const int rc = run(file->db, "BEGIN IMMEDIATE"); rc != SQLITE_OK) {
        file->locks.unlock(TRANSACTION_BYTE);
        return status_of(rc);
    }
    file->joined = true;
    // Rows read before the transaction may be older than it.
    file->changed(nullptr);
    joined_.push_back(file);
    return STATUS_OK;
}

std::int16_t SqliteStorage::finish(bool commit) {
    std::int16_t status = STATUS_OK;
    for (const auto& file : joined_) {
        if (commit && status == STATUS_OK) {
            if (const int rc = run(file->db, "COMMIT"); rc != SQLITE_OK) status = status_of(rc);
        }
        if (sqlite3_get_autocommit(file->db) == 0) run(file->db, "ROLLBACK");
        file->locks.unlock(TRANSACTION_BYTE);
        file->joined = false;
        file->next_id = 0;
        file->changed(nullptr);
    }
    joined_.clear();
    in_transaction = false;
    return status;
}

std::int16_t SqliteStorage::open(std::string_view path, std::string_view owner, bool exclusive,
                                 std::unique_ptr<StorageHandle>& handle) {
    const std::string name = os::storage_path(path);
    if (name.empty() || !os::is_file(name)) return platform::STATUS_FILE_NOT_FOUND;
    const std::string identity = os::identity(name);
    std::erase_if(files_, [](const auto& entry) { return entry.second.expired(); });
    std::shared_ptr<SqliteFile> file = files_[identity].lock();
    if (file) {
        // Another open of this process shares the connection; the owner may
        // have changed since.
        if (const std::int16_t status = file->reload_meta(); status != STATUS_OK) return status;
    } else {
        file = std::make_shared<SqliteFile>(*this, name);
        if (const std::int16_t status = file->open(); status != STATUS_OK) return status;
        files_[identity] = file;
    }
    if (!file->meta.owner.empty() && file->meta.owner != owner) return platform::STATUS_INVALID_OWNER;
    auto h = std::make_unique<SqliteHandle>(file);
    if (!h->locks_available()) return platform::STATUS_ACCESS_DENIED;
    if (!h->lock_open(exclusive)) return platform::STATUS_FILE_LOCKED;
    handle = std::move(h);
    return STATUS_OK;
}

std::int16_t SqliteStorage::create(std::string_view path, const NewFile& file, bool replace) {
    const std::string name = os::storage_path(path);
    if (name.empty()) return platform::STATUS_CREATE_ERROR;
    // Nobody may have the file open while it is put in place, nor while the
    // log of an older file of that name is removed (it must not be applied
    // to the new one).
    os::LockFile guard(name);
    if (!guard.is_open()) return platform::STATUS_CREATE_ERROR;
    const bool exists = os::is_file(name);
    if (exists && !replace) return platform::STATUS_FILE_EXISTS;
    // Held elsewhere: open (so it exists), or being put in place by another.
    if (!guard.try_lock(OPEN_BYTE, true)) return replace ? platform::STATUS_FILE_LOCKED : platform::STATUS_FILE_EXISTS;

    const std::string temp = name + "-new-" + std::to_string(os::process_id());
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) os::remove_file(temp + suffix);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto fail = [&](std::int16_t status) {
        sqlite3_close_v2(db);
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) os::remove_file(temp + suffix);
        return status;
    };
    if (rc != SQLITE_OK)
        return fail((rc & 0xFF) == SQLITE_FULL ? platform::STATUS_DISK_FULL : platform::STATUS_CREATE_ERROR);
    configure(db);
    std::string script = "PRAGMA application_id=" + std::to_string(APPLICATION_ID) +
                         ";PRAGMA user_version=" + std::to_string(SCHEMA_VERSION) + ";BEGIN;" + META_SQL + ";" +
                         records_sql(file.key_count, file.unique_keys) + ";" + POSITION_SQL + ";";
    for (std::size_t k = 1; k < file.key_count; ++k) script += index_sql(k, file.unique_keys >> k & 1) + ";";
    rc = run(db, script.c_str());
    if (rc == SQLITE_OK) {
        Statement meta;
        rc = meta.prepare(db, "INSERT INTO meta VALUES(?1, x'', ?2, ?3)");
        if (rc == SQLITE_OK) {
            meta.bind(1, file.layout);
            meta.bind(2, static_cast<std::int64_t>(file.key_count));
            meta.bind(3, static_cast<std::int64_t>(file.unique_keys));
            rc = meta.step() == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
        }
    }
    if (rc == SQLITE_OK) rc = run(db, "COMMIT");
    if (rc == SQLITE_OK) rc = run(db, "PRAGMA journal_mode=WAL");
    if (rc != SQLITE_OK)
        return fail((rc & 0xFF) == SQLITE_FULL ? platform::STATUS_DISK_FULL : platform::STATUS_CREATE_ERROR);
    if (sqlite3_close(db) != SQLITE_OK) return fail(platform::STATUS_CREATE_ERROR);
    db = nullptr;

    for (const char* suffix : {"-wal", "-shm"}) os::remove_file(name + suffix);
    switch (os::move_into_place(temp, name, replace)) {
        case os::Move::Done:
            return STATUS_OK;
        case os::Move::Exists:
            return fail(platform::STATUS_FILE_EXISTS);
        default:
            return fail(platform::STATUS_CREATE_ERROR);
    }
}

std::int16_t SqliteHandle::count_records(std::int64_t& count) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    // Counting walks a whole index; it is counted again only when a write
    // of this process or a commit of another (data_version) has come between.
    std::int16_t status = STATUS_OK;
    const Statement* version = file_->statement(DATA_VERSION, status);
    const Statement* rows = file_->statement(COUNT_ROWS, status);
    if (!version || !rows) return status;
    int rc = version->step();
    const std::int64_t now = version->integer(0);
    version->reset();
    if (rc != SQLITE_ROW) return status_of(rc);
    if (!file_->count_known || file_->count_version != now) {
        rc = rows->step();
        const std::int64_t n = rows->integer(0);
        rows->reset();
        if (rc != SQLITE_ROW) return status_of(rc);
        file_->count = n;
        file_->count_version = now;
        file_->count_known = true;
    }
    count = file_->count;
    return STATUS_OK;
}

std::int16_t SqliteHandle::read(RowId id, Row& row) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    std::int16_t status = STATUS_OK;
    const Statement* s = file_->statement(READ_ROW, status);
    if (!s) return status;
    s->bind(1, id);
    const int rc = s->step();
    status = platform::STATUS_INVALID_RECORD_ADDRESS;
    if (rc == SQLITE_ROW) {
        point_.assign(s->blob(1));
        row = Row{id, point_};
        status = STATUS_OK;
    } else if (rc != SQLITE_DONE) {
        status = status_of(rc);
    }
    s->reset();
    return status;
}

int SqliteHandle::collect(const Statement& s, std::size_t limit) {
    int rc = SQLITE_ROW;
    while (ahead.rows.size() < limit && (rc = s.step()) == SQLITE_ROW) {
        const std::string_view data = s.blob(1);
        ahead.rows.push_back({s.integer(0), {ahead.bytes.size(), data.size()}});
        ahead.bytes.append(data);
    }
    s.reset();
    return rc;
}

std::int16_t SqliteHandle::fill(std::size_t key, Seek how, std::string_view value, RowId id) {
    const bool forward = how == Seek::After;
    const std::size_t batch = ahead.valid && ahead.key == key && ahead.forward == forward
                                  ? std::min(ahead.batch * 4, LARGEST_BATCH)
                                  : FIRST_BATCH;
    ahead.drop();
    ahead.batch = batch;
    // Rows with this key after this id first, then the keys beyond it.
    std::int16_t status = STATUS_OK;
    const Statement* same = query(key, forward ? SAME_AFTER : SAME_BEFORE, status);
    const Statement* beyond = query(key, forward ? GREATER : LESS, status);
    if (!same || !beyond) return status;
    same->bind(1, value);
    same->bind(2, id);
    int rc = collect(*same, batch);
    if (rc == SQLITE_DONE) {
        beyond->bind(1, value);
        rc = collect(*beyond, batch);
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        ahead.drop();
        return status_of(rc);
    }
    ahead.valid = true;
    ahead.key = key;
    ahead.forward = forward;
    ahead.last_id = id;
    ahead.at_end = rc == SQLITE_DONE;
    ahead.read_at = std::chrono::steady_clock::now();
    return STATUS_OK;
}

std::int16_t SqliteHandle::seek(std::size_t key, Seek how, std::string_view value, RowId id, bool fresh, Row& row) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    if (key >= file_->meta.key_count) return platform::STATUS_INVALID_KEY_NUMBER;
    if (how == Seek::After || how == Seek::Before) {
        const bool forward = how == Seek::After;
        const bool continues = !fresh && ahead.valid && ahead.key == key && ahead.forward == forward &&
                               ahead.last_id == id && fresh_enough();
        if (!continues || (ahead.next == ahead.rows.size() && !ahead.at_end)) {
            if (const std::int16_t status = fill(key, how, value, id); status != STATUS_OK) return status;
        }
        if (ahead.next == ahead.rows.size()) return platform::STATUS_END_OF_FILE;
        const auto& [row_id, place] = ahead.rows[ahead.next++];
        ahead.last_id = row_id;
        row = Row{row_id, std::string_view(ahead.bytes).substr(place.first, place.second)};
        return STATUS_OK;
    }

    const Query q = how == Seek::AtOrAfter    ? AT_OR_AFTER
                    : how == Seek::Greater    ? GREATER
                    : how == Seek::AtOrBefore ? AT_OR_BEFORE
                                              : LESS;
    std::int16_t status = STATUS_OK;
    const Statement* s = query(key, q, status);
    if (!s) return status;
    s->bind(1, value);
    const int rc = s->step();
    status = platform::STATUS_END_OF_FILE;
    ahead.drop();
    if (rc == SQLITE_ROW) {
        point_.assign(s->blob(1));
        row = Row{s->integer(0), point_};
        // A scan from here starts with the rows after this one.
        ahead.valid = true;
        ahead.key = key;
        ahead.forward = how == Seek::AtOrAfter || how == Seek::Greater;
        ahead.last_id = row.id;
        ahead.read_at = std::chrono::steady_clock::now();
        status = STATUS_OK;
    } else if (rc != SQLITE_DONE) {
        status = status_of(rc);
    }
    s->reset();
    return status;
}

std::int16_t SqliteHandle::insert(std::string_view record, std::span<const std::string> keys, RowId& id) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    if (keys.size() != file_->meta.key_count) return platform::STATUS_IO_ERROR;
    std::int16_t status = STATUS_OK;
    const bool given = file_->joined;
    const Statement* s = file_->statement(given ? INSERT_ROW_AT : INSERT_ROW, status);
    if (!s) return status;
    if (given && file_->next_id == 0) {
        const Statement* highest = file_->statement(HIGHEST_ID, status);
        if (!highest) return status;
        const int rc = highest->step();
        const RowId found = highest->integer(0);
        highest->reset();
        if (rc != SQLITE_ROW) return status_of(rc);
        file_->next_id = found + 1;
    }
    // Positions are 32-bit: a file that has used them all is full.
    if (given && file_->next_id > MAX_ROW_ID) return platform::STATUS_DISK_FULL;
    file_->changed(nullptr);
    if (given) s->bind(1, file_->next_id);
    s->bind(2, record);
    for (std::size_t k = 0; k < keys.size(); ++k) s->bind(static_cast<int>(k + 3), keys[k]);
    int rc = s->step();
    id = file_->next_id;
    if (rc == SQLITE_ROW) {
        id = s->integer(0);
        rc = s->step();
    }
    s->reset();
    if (rc != SQLITE_DONE) return status_of(rc);
    if (given) ++file_->next_id;
    if (id > MAX_ROW_ID) {
        file_->write(DELETE_ROW, id);
        return platform::STATUS_DISK_FULL;
    }
    return STATUS_OK;
}

std::int16_t SqliteHandle::erase(RowId id) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    if (!holds(id) && (!file_->joined || file_->locks_elsewhere) &&
        locks_.locked_by_other(RECORD_BYTES + static_cast<std::uint64_t>(id)))
        return platform::STATUS_RECORD_LOCKED;
    if (const std::int16_t status = file_->write(DELETE_ROW, id); status != STATUS_OK) return status;
    if (sqlite3_changes(file_->db) == 0) return platform::STATUS_CONFLICT;
    // The rows this handle read ahead follow the one it deleted: still good.
    file_->changed(ahead.last_id == id ? this : nullptr);
    unlock_record(id);
    return STATUS_OK;
}

std::int16_t SqliteHandle::lock_record(RowId id) {
    if (holds(id)) return STATUS_OK;
    const std::uint64_t byte = RECORD_BYTES + static_cast<std::uint64_t>(id);
    if (!locks_.try_lock(byte, true)) return platform::STATUS_RECORD_LOCKED;
    // Taken first, looked at the transaction second: see join.
    if (check_file_free() != STATUS_OK) {
        locks_.unlock(byte);
        return platform::STATUS_FILE_LOCKED;
    }
    if (file_->joined) file_->locks_elsewhere = true;
    locked_.push_back(id);
    return STATUS_OK;
}

void SqliteHandle::unlock_record(RowId id) {
    if (!holds(id)) return;
    locks_.unlock(RECORD_BYTES + static_cast<std::uint64_t>(id));
    std::erase(locked_, id);
}

std::int16_t SqliteHandle::check_file_free() {
    if (file_->joined) return STATUS_OK;
    return locks_.locked_by_other(TRANSACTION_BYTE) ? platform::STATUS_FILE_LOCKED : STATUS_OK;
}

std::int16_t SqliteHandle::set_owner(std::string_view owner) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    if (const std::int16_t status = file_->reload_meta(); status != STATUS_OK) return status;
    if (!file_->meta.owner.empty()) return platform::STATUS_INVALID_OWNER;
    if (const std::int16_t status = file_->write(SET_OWNER, owner); status != STATUS_OK) return status;
    file_->meta.owner = owner;
    return STATUS_OK;
}

std::int16_t SqliteHandle::verify(std::vector<std::string>& problems) {
    if (const std::int16_t status = join(); status != STATUS_OK) return status;
    Statement s;
    int rc = s.prepare(file_->db, "PRAGMA integrity_check");
    if (rc != SQLITE_OK) return status_of(rc);
    while ((rc = s.step()) == SQLITE_ROW) {
        const std::string_view line = s.blob(0);
        if (line != "ok") problems.emplace_back(line);
    }
    return rc == SQLITE_DONE ? STATUS_OK : status_of(rc);
}

}  // namespace

std::unique_ptr<Storage> make_sqlite_storage() { return std::make_unique<SqliteStorage>(); }

}  // namespace recman
