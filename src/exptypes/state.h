// The state of the expense-type program, one instance for the run.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/files.h"

namespace exptypes {

inline constexpr std::int16_t CODE_LENGTH = 2;
inline constexpr std::int16_t DESCRIPTION_LENGTH = 25;
inline constexpr std::int16_t ROW_LENGTH = CODE_LENGTH + DESCRIPTION_LENGTH;

// The last table page a 16-bit page number reaches.
inline constexpr std::int16_t LAST_TABLE_PAGE = 32767;

struct ExptypesState {
    // The record buffer of the expense-type file: code, then description.
    std::array<char, ROW_LENGTH> expense_record{};

    // The table page on the screen, from 1.
    std::int16_t table_page = 0;
    // Bytes of one table page in the work file: the lengths of every field
    // of form page 1.
    std::int16_t table_page_bytes = 0;
    // The position just after the last row worth keeping. A file position
    // like every other, so that no table the record file holds is cut.
    std::int32_t data_end = 1;
    // True (-1) while the table page on the screen starts at or after
    // data_end.
    std::int16_t past_end = 0;

    // taula.tmp while the screen runs.
    platform::File work_file;
    // False once the work file failed to open, to take the whole table, or
    // to take a write: the record file is then never rewritten from it.
    bool work_file_whole = false;

    // For tests: called after each row the write-back inserts.
    std::function<void(std::int32_t rows_inserted)> after_insert;
};

extern ExptypesState exptypes_state;

}  // namespace exptypes
