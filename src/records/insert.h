// Inserting a record, with its line in the database log "db.log" (in the
// current directory).
#pragma once

#include <cstdint>
#include <string>

namespace records {

// Inserts the caller's record buffer as a new record along the current key
// and appends the line "file id, 2, status" to db.log, whatever the status.
// 3 (and no line) when the file id is not open.
std::int16_t insert_record(std::int16_t file_id);

// One line of the log: three number items in zones of 14 columns, CR LF.
std::string db_log_line(std::int16_t file_id, std::int16_t operation, std::int16_t status);

}  // namespace records
