// The text forms of records that recutil dumps and loads.
//
// CSV: a header line naming the columns by their byte ranges ("1-2","3-27"),
// then one line per record, every column quoted. The columns cut the record
// at every start and end of a key segment, so each key segment is a column
// of its own. Fixed-width: one line per record, the whole record.
//
// Records are code page 850 bytes; the text is UTF-8. Bytes below 32, 127
// and the backslash are written \xHH and \\, so any record comes back
// exactly, binary keys included.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "recman/layout.h"

namespace recutil {

struct Column {
    std::size_t from = 0;  // from 0
    std::size_t length = 0;
};

std::vector<Column> columns_of(const recman::FileLayout& layout);

std::string escape(std::string_view bytes);
// False when the text holds a bad escape.
bool unescape(std::string_view text, std::string& bytes);

std::string csv_header(const std::vector<Column>& columns);
std::string csv_line(std::string_view record, const std::vector<Column>& columns);
// The record of one line; false with the reason when the line is not one.
bool parse_csv_line(std::string_view line, const std::vector<Column>& columns, std::string& record, std::string& error);

std::string fixed_line(std::string_view record);
bool parse_fixed_line(std::string_view line, std::size_t record_length, std::string& record, std::string& error);

}  // namespace recutil
