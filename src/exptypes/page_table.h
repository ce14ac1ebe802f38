// The page table: the expense-type file copied into the work file taula.tmp
// in the session directory, shown one table page at a time over the fields
// of form page 1, and written back to the record file when the operator
// leaves.
#pragma once

#include <cstdint>

#include "platform/key_codes.h"

namespace exptypes {

// Copies every record, in code order, into a fresh work file.
void open_work_table();
// Puts table page table_page into the values of form page 1.
void load_page();
// Puts the values of form page 1 back into table page table_page.
void save_page();
// Unless the key is Esc or nothing changed, replaces the record file's
// records by the work file's rows that have a code, in one transaction;
// then closes and deletes the work file. Gives 0, or the status that made
// the rewrite stop (the record file is then as it was). A work file that
// never held the whole table is not written back: see work_table_whole.
std::int16_t write_back_work_table(platform::key_codes::KeyCode key);

// Whether the work file holds the whole table and every change made to it.
bool work_table_whole();

}  // namespace exptypes
