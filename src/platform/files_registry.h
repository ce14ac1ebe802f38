// The files of the run that are open, kept by the common part of File so
// that the end of the run can close them all. Only the file backends use it.
#pragma once

#include <set>

namespace platform {

class File;

std::set<File*>& open_files();

}  // namespace platform
