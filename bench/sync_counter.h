// Counts the syncs SQLite asks of the file system, through a VFS that
// wraps the system's and becomes the default one.
#pragma once

namespace bench {

void install_sync_counter();
long sync_count();

}  // namespace bench
