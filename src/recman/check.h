// A full check of an open record file, for the administrators' utility:
// the storage's own structure, then every key read from first to last and
// back: each record of the record length, keys in order, no repeats in a
// key without duplicates, as many records along each key as Stat counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/record_manager.h"

namespace recman {

// 0 when the check ran (`problems` then says what is wrong, if anything);
// otherwise the status that stopped it (3 when the block names no open file).
std::int16_t verify_file(const platform::PositionBlock& block, std::vector<std::string>& problems);

}  // namespace recman
