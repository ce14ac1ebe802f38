#include "records/insert.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/record_manager.h"
#include "records/file_table.h"
#include "records/operations.h"
#include "records/state.h"

namespace records {

namespace {

constexpr std::size_t LOG_ZONE = 14;
// Another station may be writing its line: try again for about a second
// rather than lose this one.
constexpr int LOG_OPEN_ATTEMPTS = 50;
constexpr int LOG_RETRY_MS = 20;

// A sign (a blank for 0 and above), the digits, a blank.
void append_number_item(std::string& line, std::int32_t value) {
    line += value < 0 ? '-' : ' ';
    line += std::to_string(value < 0 ? -value : value);
    line += ' ';
}

void append_to_log(const std::string& line) {
    platform::File log;
    for (int attempt = 0; attempt < LOG_OPEN_ATTEMPTS; ++attempt) {
        log = platform::File::open("db.log", platform::Access::Append, platform::Share::Exclusive);
        if (log.is_open() || log.error() != platform::FileError::Locked) break;
        records_state.waits.sleep_ms(LOG_RETRY_MS);
    }
    if (!log.is_open()) return;
    log.append(line);
    log.close();
}

}  // namespace

std::string db_log_line(std::int16_t file_id, std::int16_t operation, std::int16_t status) {
    std::string line;
    append_number_item(line, file_id);
    line.append(LOG_ZONE - line.size() % LOG_ZONE, ' ');
    append_number_item(line, operation);
    line.append(LOG_ZONE - line.size() % LOG_ZONE, ' ');
    append_number_item(line, status);
    return line + "\r\n";
}

std::int16_t insert_record(std::int16_t file_id) {
    const std::int16_t s = find_file_slot(file_id);
    if (s <= 0) return platform::STATUS_FILE_NOT_OPEN;
    const std::int16_t status = record_operation(s, platform::OP_INSERT);
    append_to_log(db_log_line(file_id, platform::OP_INSERT, status));
    if (status != platform::STATUS_OK) {
        std::string& key = records_state.file_table[static_cast<std::size_t>(s)].key_buffer;
        std::fill(key.begin(), key.end(), '\0');
    }
    return status;
}

}  // namespace records
