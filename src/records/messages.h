// The two messages the record layer shows, in the session's language
// ("SPA", "GLG", "OCI", otherwise Catalan).
#pragma once

#include <string>

namespace records {

// Followed by the file's name and its status, when a file cannot be opened.
std::string open_failure_text();
// While a record or file locked by another station is waited for.
std::string lock_wait_text();

}  // namespace records
