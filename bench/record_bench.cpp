// The record manager against plain SQLite, in one run: inserting N records of
// 27 bytes in one transaction, Get Equal on every key, a full Next scan and
// deleting every record, for N = 1,213 (the table's limit) and 100,000.
//
//   Plain  prepared SQLite statements on a table of code and description
//          with a unique index, in WAL mode with full syncs, as ours;
//   Call   the record manager's single call;
//   Layer  the record layer (find_record, skip_records, delete_record,
//          insert_record, which also writes its db.log line).
//
// Each benchmark reports `syncs` per transaction (from a VFS that counts
// SQLite's syncs). After the runs a table gives each median and its ratio
// to Plain. Run with --benchmark_repetitions=5 for medians of five, and
// --benchmark_enable_random_interleaving=true so that a change in the
// machine's load falls on every engine alike.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>

#include <unistd.h>

#include "platform/process.h"
#include "platform/record_manager.h"
#include "records/file_table.h"
#include "records/insert.h"
#include "records/operations.h"
#include "sync_counter.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

constexpr std::size_t RECORD_LENGTH = 27;
constexpr std::int16_t FILE_ID = 501;

struct Dataset {
    std::string spec;  // the creation buffer
    std::size_t key_length = 0;
    std::vector<std::string> records;  // in the order they are inserted
    std::vector<std::string> lookups;  // keys, in the order they are looked up
};

void put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

// Up to 1,296 records: the expense-type layout, a 2-character code. More: a
// 4-byte binary number as the key, since two characters cannot tell them apart.
Dataset make_dataset(std::size_t n) {
    Dataset d;
    const bool codes = n <= 36 * 36;
    d.key_length = codes ? 2 : 4;
    d.spec.assign(32, '\0');
    put16(d.spec, 0, RECORD_LENGTH);
    put16(d.spec, 2, 1024);
    put16(d.spec, 4, 1);
    put16(d.spec, 16, 1);
    put16(d.spec, 18, static_cast<unsigned>(d.key_length));
    put16(d.spec, 20, codes ? 0 : 4);
    const char* alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (std::size_t i = 0; i < n; ++i) {
        std::string key;
        if (codes) {
            key = {alphabet[i / 36], alphabet[i % 36]};
        } else {
            for (int b = 0; b < 4; ++b) key += static_cast<char>((i + 1) >> (8 * b) & 0xFF);
        }
        std::string record = key + "Despesa " + std::to_string(i);
        record.resize(RECORD_LENGTH, ' ');
        d.records.push_back(record);
        d.lookups.push_back(key);
    }
    std::mt19937 random(12345);
    std::shuffle(d.records.begin(), d.records.end(), random);
    std::shuffle(d.lookups.begin(), d.lookups.end(), random);
    return d;
}

const Dataset& dataset(std::size_t n) {
    static std::map<std::size_t, Dataset> made;
    auto it = made.find(n);
    if (it == made.end()) it = made.emplace(n, make_dataset(n)).first;
    return it->second;
}

std::string work_dir() {
    return (fs::temp_directory_path() / ("exptypes-bench-" + std::to_string(::getpid()))).string() + "/";
}

void remove_file_set(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-lck"}) fs::remove(path + suffix);
}

// The collating form of the binary key is its bytes reversed; Plain stores
// that, so both order the same way.
std::string plain_key(const std::string& key) { return key.size() == 4 ? std::string(key.rbegin(), key.rend()) : key; }

class Plain {
public:
    bool create(const std::string& path, const Dataset&) {
        remove_file_set(path);
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) return false;
        // Made, closed and opened again, as the record manager makes its files:
        // the first transaction then starts a new log, for both alike.
        const bool made =
            exec("PRAGMA journal_mode=WAL") &&
            exec("CREATE TABLE expense(id INTEGER PRIMARY KEY, code BLOB NOT NULL, description BLOB NOT NULL)") &&
            exec("CREATE UNIQUE INDEX expense_code ON expense(code)");
        sqlite3_close(db_);
        return made && open(path);
    }
    bool open(const std::string& path) {
        return sqlite3_open(path.c_str(), &db_) == SQLITE_OK && settings() && prepare();
    }
    void close() {
        for (sqlite3_stmt* s : {insert_, equal_, scan_, first_, erase_}) sqlite3_finalize(s);
        sqlite3_close(db_);
        db_ = nullptr;
    }
    bool begin() { return exec("BEGIN IMMEDIATE"); }
    bool end() { return exec("COMMIT"); }
    bool insert(const std::string& record) {
        const std::string key = plain_key(record.substr(0, key_length_));
        sqlite3_bind_blob(insert_, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert_, 2, record.data() + key_length_, static_cast<int>(RECORD_LENGTH - key_length_),
                          SQLITE_STATIC);
        const int rc = sqlite3_step(insert_);
        sqlite3_reset(insert_);
        return rc == SQLITE_DONE;
    }
    bool get_equal(const std::string& key) {
        const std::string k = plain_key(key);
        sqlite3_bind_blob(equal_, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
        const bool found = sqlite3_step(equal_) == SQLITE_ROW;
        if (found) take_row(equal_);
        sqlite3_reset(equal_);
        return found;
    }
    std::size_t scan() {
        std::size_t n = 0;
        while (sqlite3_step(scan_) == SQLITE_ROW) {
            take_row(scan_);
            ++n;
        }
        sqlite3_reset(scan_);
        return n;
    }
    std::size_t delete_all() {
        std::size_t n = 0;
        while (sqlite3_step(first_) == SQLITE_ROW) {
            sqlite3_bind_int64(erase_, 1, sqlite3_column_int64(first_, 0));
            if (sqlite3_step(erase_) == SQLITE_DONE) ++n;
            sqlite3_reset(erase_);
        }
        sqlite3_reset(first_);
        return n;
    }
    void set_key_length(std::size_t n) { key_length_ = n; }

private:
    bool exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    // The record manager's settings: full syncs, a 16 MiB page cache.
    bool settings() { return exec("PRAGMA synchronous=FULL") && exec("PRAGMA cache_size=-16384"); }
    bool prepare() {
        return sqlite3_prepare_v2(db_, "INSERT INTO expense(code, description) VALUES(?1, ?2)", -1, &insert_,
                                  nullptr) == SQLITE_OK &&
               sqlite3_prepare_v2(db_, "SELECT code, description FROM expense WHERE code = ?1", -1, &equal_, nullptr) ==
                   SQLITE_OK &&
               sqlite3_prepare_v2(db_, "SELECT code, description FROM expense ORDER BY code", -1, &scan_, nullptr) ==
                   SQLITE_OK &&
               sqlite3_prepare_v2(db_, "SELECT id FROM expense ORDER BY code", -1, &first_, nullptr) == SQLITE_OK &&
               sqlite3_prepare_v2(db_, "DELETE FROM expense WHERE id = ?1", -1, &erase_, nullptr) == SQLITE_OK;
    }
    // The row into a record buffer, as a read of the record manager does.
    void take_row(sqlite3_stmt* s) {
        const int key = sqlite3_column_bytes(s, 0);
        const int rest = sqlite3_column_bytes(s, 1);
        std::copy_n(static_cast<const char*>(sqlite3_column_blob(s, 0)), key, buffer_.begin());
        std::copy_n(static_cast<const char*>(sqlite3_column_blob(s, 1)), rest, buffer_.begin() + key);
        benchmark::DoNotOptimize(buffer_.data());
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt *insert_ = nullptr, *equal_ = nullptr, *scan_ = nullptr, *first_ = nullptr, *erase_ = nullptr;
    std::array<char, RECORD_LENGTH> buffer_{};
    std::size_t key_length_ = 2;
};

// Calls that name no file: Begin, End, Reset.
std::int16_t process_call(std::int16_t operation) {
    PositionBlock block{};
    std::array<char, 4> data{}, key{};
    std::uint32_t length = 0;
    return record_manager_call(operation, block, data, length, key, 0, 0);
}

class Call {
public:
    bool create(const std::string& path, const Dataset& d) {
        remove_file_set(path);
        std::copy(d.spec.begin(), d.spec.end(), data_.begin());
        std::uint32_t length = static_cast<std::uint32_t>(d.spec.size());
        put_path(path);
        return call(OP_CREATE, length, CREATE_NEW_ONLY) == 0 && open(path);
    }
    bool open(const std::string& path) {
        data_[0] = '\0';
        std::uint32_t length = 1;
        put_path(path);
        return call(OP_OPEN, length, 0) == 0;
    }
    void close() { process_call(OP_RESET); }
    bool begin() { return process_call(OP_BEGIN_TRANSACTION) == 0; }
    bool end() { return process_call(OP_END_TRANSACTION) == 0; }
    bool insert(const std::string& record) {
        std::copy(record.begin(), record.end(), data_.begin());
        std::uint32_t length = RECORD_LENGTH;
        return call(OP_INSERT, length, 0) == 0;
    }
    bool get_equal(const std::string& key) {
        std::copy(key.begin(), key.end(), key_.begin());
        std::uint32_t length = RECORD_LENGTH;
        return call(OP_GET_EQUAL, length, 0) == 0;
    }
    std::size_t scan() {
        std::size_t n = 0;
        std::uint32_t length = RECORD_LENGTH;
        for (std::int16_t s = call(OP_GET_FIRST, length, 0); s == 0; s = call(OP_GET_NEXT, length = RECORD_LENGTH, 0))
            ++n;
        return n;
    }
    std::size_t delete_all() {
        std::size_t n = 0;
        std::uint32_t length = RECORD_LENGTH;
        for (std::int16_t s = call(OP_GET_FIRST, length, 0); s == 0; s = call(OP_GET_NEXT, length = RECORD_LENGTH, 0))
            if (call(OP_DELETE, length = RECORD_LENGTH, 0) == 0) ++n;
        return n;
    }

private:
    void put_path(const std::string& path) {
        key_.fill('\0');
        std::copy(path.begin(), path.end(), key_.begin());
    }
    std::int16_t call(std::int16_t operation, std::uint32_t& length, std::int8_t key_number) {
        return record_manager_call(operation, block_, data_, length, key_, 255, key_number);
    }

    PositionBlock block_{};
    std::array<char, 1536> data_{};
    std::array<char, 256> key_{};
};

class Layer {
public:
    bool create(const std::string& path, const Dataset& d) {
        Call maker;
        if (!maker.create(path, d)) return false;
        maker.close();
        return open(path);
    }
    bool open(const std::string& path) { return records::open_record_file(FILE_ID, path, record_) == 0; }
    void close() { records::close_all_record_files(); }
    bool begin() { return process_call(OP_BEGIN_TRANSACTION) == 0; }
    bool end() { return process_call(OP_END_TRANSACTION) == 0; }
    bool insert(const std::string& record) {
        std::copy(record.begin(), record.end(), record_.begin());
        return records::insert_record(FILE_ID) == 0;
    }
    bool get_equal(const std::string& key) { return records::find_record(FILE_ID, 0, key, 0) == 0; }
    std::size_t scan() {
        std::size_t n = 0;
        for (std::int16_t s = records::find_record(FILE_ID, 0, "", 1); s == 0; s = records::skip_records(FILE_ID, 1))
            ++n;
        return n;
    }
    std::size_t delete_all() {
        std::size_t n = 0;
        for (std::int16_t s = records::find_record(FILE_ID, 0, "", 1); s == 0; s = records::skip_records(FILE_ID, 1))
            if (records::delete_record(FILE_ID) == 0) ++n;
        return n;
    }

private:
    std::array<char, RECORD_LENGTH> record_{};
};

template <typename Engine>
bool fill(Engine& e, const Dataset& d) {
    if (!e.begin()) return false;
    for (const auto& r : d.records)
        if (!e.insert(r)) return false;
    return e.end();
}

template <typename Engine>
bool made(Engine& e, const std::string& path, const Dataset& d, bool filled) {
    if constexpr (std::is_same_v<Engine, Plain>) e.set_key_length(d.key_length);
    return e.create(path, d) && (!filled || fill(e, d));
}

// One transaction per iteration on a file made afresh (empty, or filled),
// counting its syncs.
template <typename Engine, typename Work>
void transactions(benchmark::State& state, bool filled, Work work) {
    const Dataset& d = dataset(static_cast<std::size_t>(state.range(0)));
    const std::string path = work_dir() + "write.dat";
    long syncs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Engine e;
        if (!made(e, path, d, filled)) return state.SkipWithError("create");
        const long before = bench::sync_count();
        state.ResumeTiming();
        if (!e.begin() || !work(e, d) || !e.end()) return state.SkipWithError("transaction");
        state.PauseTiming();
        syncs += bench::sync_count() - before;
        e.close();
        state.ResumeTiming();
    }
    state.counters["syncs"] = benchmark::Counter(static_cast<double>(syncs), benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(d.records.size()));
}

template <typename Engine>
void insert_all(benchmark::State& state) {
    transactions<Engine>(state, false, [](Engine& e, const Dataset& d) {
        for (const auto& r : d.records)
            if (!e.insert(r)) return false;
        return true;
    });
}

template <typename Engine>
void delete_all(benchmark::State& state) {
    transactions<Engine>(state, true, [](Engine& e, const Dataset& d) { return e.delete_all() == d.records.size(); });
}

// Reads of a file filled once; `read` does one pass and gives the records met.
template <typename Engine, typename Read>
void reads(benchmark::State& state, Read read) {
    const Dataset& d = dataset(static_cast<std::size_t>(state.range(0)));
    Engine e;
    if (!made(e, work_dir() + "read.dat", d, true)) return state.SkipWithError("fill");
    for (auto _ : state)
        if (read(e, d) != d.records.size()) return state.SkipWithError("read");
    e.close();
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(d.records.size()));
}

template <typename Engine>
void get_equal(benchmark::State& state) {
    reads<Engine>(state, [](Engine& e, const Dataset& d) {
        std::size_t found = 0;
        for (const auto& key : d.lookups) found += e.get_equal(key);
        return found;
    });
}

template <typename Engine>
void next_scan(benchmark::State& state) {
    reads<Engine>(state, [](Engine& e, const Dataset&) { return e.scan(); });
}

// The console report, then for each operation and size the median real and
// CPU times of each engine with their ratios to Plain (on a busy machine the
// CPU times are the steadier).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const std::string& name = r.run_name.function_name;  // "Insert/Call"
            const auto slash = name.find('/');
            Times& t = times_[{name.substr(0, slash), std::stoi(r.run_name.args)}][name.substr(slash + 1)];
            t.real.push_back(r.GetAdjustedRealTime());
            t.cpu.push_back(r.GetAdjustedCPUTime());
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::cout << "\nmedians in ms, real / CPU (ratios to Plain)\n";
        for (const auto& [what, engines] : times_) {
            std::cout << "  " << what.first << " " << what.second << ":";
            const auto plain = engines.find("Plain");
            for (const char* engine : {"Plain", "Call", "Layer"}) {
                const auto it = engines.find(engine);
                if (it == engines.end()) continue;
                const double real = median(it->second.real), cpu = median(it->second.cpu);
                std::cout << "  " << engine << " " << real << " / " << cpu;
                if (plain != engines.end() && it != plain)
                    std::cout << " (x" << real / median(plain->second.real) << " / x" << cpu / median(plain->second.cpu)
                              << ")";
            }
            std::cout << "\n";
        }
    }

private:
    struct Times {
        std::vector<double> real, cpu;
    };
    static double median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        if (v.empty()) return 0;
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    std::map<std::pair<std::string, int>, std::map<std::string, Times>> times_;
};

// Every operation and size, each engine beside the others.
void register_benchmarks() {
    using Function = void (*)(benchmark::State&);
    struct Kind {
        const char* name;
        Function plain, call, layer;
    };
    const Kind kinds[] = {
        {"Insert", insert_all<Plain>, insert_all<Call>, insert_all<Layer>},
        {"GetEqual", get_equal<Plain>, get_equal<Call>, get_equal<Layer>},
        {"NextScan", next_scan<Plain>, next_scan<Call>, next_scan<Layer>},
        {"DeleteAll", delete_all<Plain>, delete_all<Call>, delete_all<Layer>},
    };
    for (const Kind& kind : kinds)
        for (const int n : {1213, 100000})
            for (const auto& [engine, function] :
                 {std::pair<const char*, Function>{"Plain", kind.plain}, {"Call", kind.call}, {"Layer", kind.layer}})
                benchmark::RegisterBenchmark((std::string(kind.name) + "/" + engine).c_str(), function)
                    ->Arg(n)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
    bench::install_sync_counter();
    const std::string dir = work_dir();
    fs::create_directories(dir);
    platform::change_directory(dir);  // db.log goes here
    register_benchmarks();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    platform::change_directory(fs::temp_directory_path().string());
    fs::remove_all(dir);
    return 0;
}
