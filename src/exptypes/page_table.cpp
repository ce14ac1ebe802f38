#include "exptypes/page_table.h"

#include <string>
#include <string_view>

#include "exptypes/state.h"
#include "forms/form_tables.h"
#include "forms/state.h"
#include "platform/record_manager.h"
#include "records/insert.h"
#include "records/operations.h"
#include "records/transaction.h"
#include "screen/colour.h"
#include "startup/main_sequence.h"
#include "startup/session.h"

namespace exptypes {

using platform::key_codes::KEY_ESC;
using startup::EXPENSE_FILE_ID;

namespace {

constexpr std::int16_t TABLE_FORM_PAGE = 1;

std::string work_file_path() { return startup::session.session_dir + "taula.tmp"; }

std::int32_t page_start() {
    const ExptypesState& s = exptypes_state;
    return static_cast<std::int32_t>(s.table_page_bytes) * (s.table_page - 1) + 1;
}

std::string_view record_bytes() { return {exptypes_state.expense_record.data(), exptypes_state.expense_record.size()}; }

bool write_at(std::int32_t position, std::string_view bytes) {
    if (exptypes_state.work_file.write(position, bytes)) return true;
    exptypes_state.work_file_whole = false;
    return false;
}

// The statuses that mean the records simply ran out.
bool is_end_of_records(std::int16_t status) {
    return status == platform::STATUS_END_OF_FILE || status == platform::STATUS_KEY_NOT_FOUND;
}

// Deletes every record; gives 0, or the status of the step that failed.
std::int16_t delete_every_record() {
    std::int16_t status = records::find_record(EXPENSE_FILE_ID, 0, "", 1);
    while (status == platform::STATUS_OK) {
        status = records::delete_record(EXPENSE_FILE_ID);
        if (status != platform::STATUS_OK) return status;
        status = records::skip_records(EXPENSE_FILE_ID, 1);
    }
    return is_end_of_records(status) ? platform::STATUS_OK : status;
}

// Inserts every row of the work file that has a code. A row refused as a
// duplicate (a code typed on two table pages) is left out, as its line in
// db.log shows; any other failure stops the rewrite.
std::int16_t insert_every_row() {
    ExptypesState& s = exptypes_state;
    // Every row that data_end reaches into, the last one whole.
    const auto rows_before_end = static_cast<std::size_t>(s.data_end - 1 + ROW_LENGTH - 1) / ROW_LENGTH;
    const std::string rows = s.work_file.read(1, rows_before_end * ROW_LENGTH);
    if (rows.size() != rows_before_end * ROW_LENGTH) return platform::STATUS_IO_ERROR;
    std::int32_t inserted = 0;
    for (std::size_t at = 0; at + ROW_LENGTH <= rows.size(); at += ROW_LENGTH) {
        if (screen::is_all_char(std::string_view(rows).substr(at, CODE_LENGTH), ' ')) continue;
        rows.copy(s.expense_record.data(), ROW_LENGTH, at);
        const std::int16_t status = records::insert_record(EXPENSE_FILE_ID);
        if (status != platform::STATUS_OK && status != platform::STATUS_DUPLICATE_KEY) return status;
        if (s.after_insert) s.after_insert(++inserted);
    }
    return platform::STATUS_OK;
}

}  // namespace

void open_work_table() {
    ExptypesState& s = exptypes_state;
    forms::forms_state.table_changed = 0;
    s.data_end = 1;
    // Not shared: a second program of this session cannot work on it too.
    s.work_file = platform::File::open(work_file_path(), platform::Access::ReadWrite, platform::Share::Exclusive);
    // Rows a run that ended early left in it must not come back as rows of
    // this table when it grows over them.
    s.work_file_whole = s.work_file.is_open() && s.work_file.truncate(0);
    if (!s.work_file_whole) return;

    // The rows go to the file in one write.
    std::string rows;
    std::int16_t status = records::find_record(EXPENSE_FILE_ID, 0, "", 1);
    while (status == platform::STATUS_OK) {
        rows += record_bytes();
        status = records::skip_records(EXPENSE_FILE_ID, 1);
    }
    // A copy that stopped short of the end holds only part of the table.
    if (status != platform::STATUS_OK && !is_end_of_records(status)) s.work_file_whole = false;
    if (!rows.empty() && !write_at(1, rows)) rows.clear();
    s.data_end = 1 + static_cast<std::int32_t>(rows.size());
}

void load_page() {
    ExptypesState& s = exptypes_state;
    const std::int16_t count = forms::form_page(TABLE_FORM_PAGE).field_count;
    std::int32_t bytes = 0;
    for (std::int16_t f = 1; f <= count; ++f) {
        forms::FormField& field = forms::form_field(TABLE_FORM_PAGE, f);
        forms::store_field_value(field, "");
        bytes += field.length;
    }
    s.table_page_bytes = static_cast<std::int16_t>(bytes);

    std::int32_t position = page_start();
    s.past_end = position >= s.data_end ? -1 : 0;
    for (std::int16_t f = 1; f <= count && position < s.data_end; ++f) {
        forms::FormField& field = forms::form_field(TABLE_FORM_PAGE, f);
        forms::store_field_value(field, s.work_file.read(position, static_cast<std::size_t>(field.length)));
        position += field.length;
    }
}

void save_page() {
    ExptypesState& s = exptypes_state;
    if (!s.work_file.is_open()) return;
    std::int32_t position = page_start();
    // Rows between the end of the file and a page saved past it are blank
    // rows, not whatever an unwritten stretch of file reads as.
    const std::int64_t length = s.work_file.length();
    if (position > length + 1 && !write_at(static_cast<std::int32_t>(length + 1),
                                           std::string(static_cast<std::size_t>(position - 1 - length), ' ')))
        return;
    const std::int16_t count = forms::form_page(TABLE_FORM_PAGE).field_count;
    for (std::int16_t f = 1; f <= count; ++f) {
        const forms::FormField& field = forms::form_field(TABLE_FORM_PAGE, f);
        if (!write_at(position, field.value)) return;
        position += field.length;
        // Blank fields are written too, but never make the table longer.
        if (!screen::is_all_char(field.value, ' ') && position >= s.data_end) s.data_end = position;
    }
}

bool work_table_whole() { return exptypes_state.work_file_whole; }

std::int16_t write_back_work_table(platform::key_codes::KeyCode key) {
    ExptypesState& s = exptypes_state;
    std::int16_t status = platform::STATUS_OK;
    if (key != KEY_ESC && forms::forms_state.table_changed != 0 && s.work_file_whole) {
        // Other stations see the old table or the new one, never a part; a
        // crash at any moment leaves the old one.
        status = records::begin_transaction();
        if (status == platform::STATUS_OK) {
            status = delete_every_record();
            if (status == platform::STATUS_OK) status = insert_every_row();
            if (status == platform::STATUS_OK)
                status = records::end_transaction();
            else
                records::abort_transaction();
        }
    }
    s.work_file.close();
    platform::delete_file(work_file_path());
    return status;
}

}  // namespace exptypes
