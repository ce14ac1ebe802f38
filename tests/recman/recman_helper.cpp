// A second process for the lock tests. Commands (the file's records start
// with an 8-byte unique key):
//   lock <file> <key> <dir>      reads the record with the key, locking it
//   exclusive <file> <dir>       opens the file exclusively
//   transaction <file> <n> <dir> in a transaction, deletes every record and
//                                inserts n new ones
// Each writes its last status to <dir>/ready, then holds what it took until
// <dir>/go exists (ending a transaction then) or the process is killed.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "recman_support.h"

using namespace recman_test;

namespace {

void report(const std::string& dir, int status) {
    std::ofstream(dir + "/ready.tmp") << status;
    std::filesystem::rename(dir + "/ready.tmp", dir + "/ready");
}

void hold(const std::string& dir) {
    while (!std::filesystem::exists(dir + "/go")) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string command = argv[1];
    const std::string file = argv[2];
    const std::string dir = argv[argc - 1];
    Client c;
    int status = command == "exclusive" ? c.open(file, {}, platform::OPEN_EXCLUSIVE) : c.open(file);
    if (status != 0) {
        report(dir, status);
        return 1;
    }
    if (command == "lock") {
        std::string key = argv[3];
        key.resize(8, ' ');
        status = c.get(platform::OP_GET_EQUAL + platform::LOCK_BIAS, 0, key);
    } else if (command == "transaction") {
        status = transaction(platform::OP_BEGIN_TRANSACTION);
        for (int s = c.get(platform::OP_GET_FIRST); status == 0 && s == 0; s = c.get(platform::OP_GET_NEXT))
            status = c.erase();
        const int n = std::stoi(argv[3]);
        for (int i = 0; status == 0 && i < n; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "H%07d", i);
            std::string record = key;
            record.resize(c.record_length, '.');
            status = c.insert(record);
        }
    }
    report(dir, status);
    hold(dir);
    if (command == "transaction") status = transaction(platform::OP_END_TRANSACTION);
    return status == 0 ? 0 : 1;
}
