// recutil: record files for administrators.
//
//   recutil create FILE DICTIONARY [--replace] [--owner NAME]
//   recutil stat   FILE [--owner NAME]
//   recutil dump   FILE [--key N] [--fixed] [--output OUT] [--owner NAME]
//   recutil load   FILE DUMP [--fixed] [--owner NAME]
//   recutil check  FILE [--owner NAME]
//
// The dictionary is the suite's ".xdf" file (a 2-byte length, then the
// creation buffer). A dump lists the records in key order (dump_format.h);
// a load inserts every record of a dump in one transaction, or none.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace recutil {

// Exit codes.
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAILED = 1;    // the file or the input refused the work
inline constexpr int EXIT_USAGE = 2;     // the command line is wrong
inline constexpr int EXIT_PROBLEMS = 3;  // check found the file damaged

int run_recutil(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace recutil
