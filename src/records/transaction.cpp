#include "records/transaction.h"

#include <array>

#include "platform/record_manager.h"
#include "records/state.h"

namespace records {

namespace {

// A transaction belongs to the program's session, not to one file: slot 0,
// which never holds a file, lends its position block.
std::int16_t call(std::int16_t operation) {
    std::array<char, 4> data{}, key{};
    std::uint32_t length = 0;
    return platform::record_manager_call(operation, records_state.file_table[0].position_block, data, length, key, 0,
                                         0);
}

}  // namespace

std::int16_t begin_transaction() { return call(platform::OP_BEGIN_TRANSACTION); }
std::int16_t end_transaction() { return call(platform::OP_END_TRANSACTION); }
std::int16_t abort_transaction() { return call(platform::OP_ABORT_TRANSACTION); }

}  // namespace records
