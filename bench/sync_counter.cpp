#include "sync_counter.h"

#include <sqlite3.h>

#include <atomic>

namespace bench {

namespace {

sqlite3_vfs* real_vfs = nullptr;
sqlite3_vfs counting_vfs{};
std::atomic<long> syncs{0};

// Our file: our methods first, the real file's storage right after.
struct CountingFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* real_of(sqlite3_file* f) { return reinterpret_cast<CountingFile*>(f)->real; }

int file_close(sqlite3_file* f) { return real_of(f)->pMethods->xClose(real_of(f)); }
int file_read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    return real_of(f)->pMethods->xRead(real_of(f), b, n, o);
}
int file_write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    return real_of(f)->pMethods->xWrite(real_of(f), b, n, o);
}
int file_truncate(sqlite3_file* f, sqlite3_int64 size) { return real_of(f)->pMethods->xTruncate(real_of(f), size); }
int file_sync(sqlite3_file* f, int flags) {
    ++syncs;
    return real_of(f)->pMethods->xSync(real_of(f), flags);
}
int file_size(sqlite3_file* f, sqlite3_int64* size) { return real_of(f)->pMethods->xFileSize(real_of(f), size); }
int file_lock(sqlite3_file* f, int level) { return real_of(f)->pMethods->xLock(real_of(f), level); }
int file_unlock(sqlite3_file* f, int level) { return real_of(f)->pMethods->xUnlock(real_of(f), level); }
int file_reserved(sqlite3_file* f, int* out) { return real_of(f)->pMethods->xCheckReservedLock(real_of(f), out); }
int file_control(sqlite3_file* f, int op, void* arg) { return real_of(f)->pMethods->xFileControl(real_of(f), op, arg); }
int file_sector(sqlite3_file* f) { return real_of(f)->pMethods->xSectorSize(real_of(f)); }
int file_device(sqlite3_file* f) { return real_of(f)->pMethods->xDeviceCharacteristics(real_of(f)); }
int file_shm_map(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return real_of(f)->pMethods->xShmMap(real_of(f), region, size, extend, out);
}
int file_shm_lock(sqlite3_file* f, int offset, int n, int flags) {
    return real_of(f)->pMethods->xShmLock(real_of(f), offset, n, flags);
}
void file_shm_barrier(sqlite3_file* f) { real_of(f)->pMethods->xShmBarrier(real_of(f)); }
int file_shm_unmap(sqlite3_file* f, int remove) { return real_of(f)->pMethods->xShmUnmap(real_of(f), remove); }
int file_fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
    return real_of(f)->pMethods->xFetch(real_of(f), o, n, out);
}
int file_unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) { return real_of(f)->pMethods->xUnfetch(real_of(f), o, p); }

const sqlite3_io_methods counting_methods = {
    3,           file_close,   file_read,     file_write,       file_truncate,  file_sync,
    file_size,   file_lock,    file_unlock,   file_reserved,    file_control,   file_sector,
    file_device, file_shm_map, file_shm_lock, file_shm_barrier, file_shm_unmap, file_fetch,
    file_unfetch};

int vfs_open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
    auto* f = reinterpret_cast<CountingFile*>(file);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    f->base.pMethods = nullptr;
    const int rc = real_vfs->xOpen(real_vfs, name, f->real, flags, out_flags);
    if (f->real->pMethods) f->base.pMethods = &counting_methods;
    return rc;
}
int vfs_delete(sqlite3_vfs*, const char* name, int sync) { return real_vfs->xDelete(real_vfs, name, sync); }
int vfs_access(sqlite3_vfs*, const char* name, int flags, int* out) {
    return real_vfs->xAccess(real_vfs, name, flags, out);
}
int vfs_full_pathname(sqlite3_vfs*, const char* name, int n, char* out) {
    return real_vfs->xFullPathname(real_vfs, name, n, out);
}
int vfs_randomness(sqlite3_vfs*, int n, char* out) { return real_vfs->xRandomness(real_vfs, n, out); }
int vfs_sleep(sqlite3_vfs*, int us) { return real_vfs->xSleep(real_vfs, us); }
int vfs_current_time(sqlite3_vfs*, double* out) { return real_vfs->xCurrentTime(real_vfs, out); }
int vfs_last_error(sqlite3_vfs*, int n, char* out) { return real_vfs->xGetLastError(real_vfs, n, out); }
int vfs_current_time64(sqlite3_vfs*, sqlite3_int64* out) { return real_vfs->xCurrentTimeInt64(real_vfs, out); }

}  // namespace

void install_sync_counter() {
    if (real_vfs) return;
    real_vfs = sqlite3_vfs_find(nullptr);
    counting_vfs.iVersion = 2;
    counting_vfs.szOsFile = static_cast<int>(sizeof(CountingFile)) + real_vfs->szOsFile;
    counting_vfs.mxPathname = real_vfs->mxPathname;
    counting_vfs.zName = "counting";
    counting_vfs.xOpen = vfs_open;
    counting_vfs.xDelete = vfs_delete;
    counting_vfs.xAccess = vfs_access;
    counting_vfs.xFullPathname = vfs_full_pathname;
    counting_vfs.xRandomness = vfs_randomness;
    counting_vfs.xSleep = vfs_sleep;
    counting_vfs.xCurrentTime = vfs_current_time;
    counting_vfs.xGetLastError = vfs_last_error;
    counting_vfs.xCurrentTimeInt64 = vfs_current_time64;
    sqlite3_vfs_register(&counting_vfs, 1);
}

long sync_count() { return syncs.load(); }

}  // namespace bench
