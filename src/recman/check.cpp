#include "recman/check.h"

#include "recman/engine.h"

namespace recman {

namespace {

using namespace platform;

// Reads key `k` from one end to the other; gives the number of records met
// and adds what is wrong to `problems`.
std::int16_t walk_key(OpenFile& f, std::size_t k, bool forward, std::int64_t limit, std::int64_t& met,
                      std::vector<std::string>& problems) {
    const Key& key = f.layout.keys[k];
    const std::string name = "key " + std::to_string(k);
    std::string value = forward ? std::string() : std::string(key.length + 1u, '\xFF');
    std::string previous, raw;
    RowId id = 0;
    met = 0;
    Row row;
    std::int16_t status = f.storage->seek(k, forward ? Seek::AtOrAfter : Seek::AtOrBefore, value, 0, true, row);
    while (status == STATUS_OK) {
        if (++met > limit) {
            problems.push_back(name + " does not come to an end");
            return STATUS_OK;
        }
        if (row.record.size() != f.layout.record_length)
            problems.push_back("the record at position " + std::to_string(row.id) + " has " +
                               std::to_string(row.record.size()) + " bytes, not " +
                               std::to_string(f.layout.record_length));
        key_value(f.layout, k, row.record, raw);
        collating_key(f.layout, k, raw, value);
        if (met > 1 && forward) {
            if (value < previous)
                problems.push_back(name + " is out of order at position " + std::to_string(row.id));
            else if (value == previous && !key.duplicates)
                problems.push_back(name + " repeats a value at position " + std::to_string(row.id));
        }
        previous = value;
        id = row.id;
        status = f.storage->seek(k, forward ? Seek::After : Seek::Before, value, id, false, row);
    }
    return status == STATUS_END_OF_FILE ? STATUS_OK : status;
}

}  // namespace

std::int16_t verify_file(const PositionBlock& block, std::vector<std::string>& problems) {
    OpenFile* f = open_file_of(block);
    if (!f) return STATUS_FILE_NOT_OPEN;
    if (const auto status = f->storage->verify(problems); status != STATUS_OK) return status;
    std::int64_t count = 0;
    if (const auto status = f->storage->count_records(count); status != STATUS_OK) return status;
    const std::int64_t limit = 2 * count + 10;
    for (std::size_t k = 0; k < f->layout.keys.size(); ++k) {
        std::int64_t forward = 0, backward = 0;
        if (const auto status = walk_key(*f, k, true, limit, forward, problems); status != STATUS_OK) return status;
        if (const auto status = walk_key(*f, k, false, limit, backward, problems); status != STATUS_OK) return status;
        if (forward != count || backward != count)
            problems.push_back("key " + std::to_string(k) + " reaches " + std::to_string(forward) +
                               " records forwards and " + std::to_string(backward) + " backwards; the file holds " +
                               std::to_string(count));
    }
    return STATUS_OK;
}

}  // namespace recman
