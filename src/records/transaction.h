// Transactions of the record manager: every change between a begin and its
// end reaches the files at once, or, after an abort or a crash, not at all.
#pragma once

#include <cstdint>

namespace records {

std::int16_t begin_transaction();
std::int16_t end_transaction();
std::int16_t abort_transaction();

}  // namespace records
