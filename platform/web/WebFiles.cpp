// Files in the browser. The program reads and writes through the C library as everywhere;
// the link wraps three of its calls (-Wl,--wrap) so that:
// - a content file is fetched from the site the first time it is opened or looked at (its
//   type or size asked, as the sound loader does before reading), rather than the whole pack
//   before the first screen (WebFiles.js knows which files the site has);
// - a file renamed into place in the progress folder (the last step of a save) is written
//   through to the browser's storage first, and the rename is not made, so the save fails,
//   when the storage refuses it;
// - a file removed from the progress folder leaves the storage too, and one renamed leaves
//   it under its old name, or it would come back when the page is opened again;
// - fsync asks nothing of the storage. Emscripten's own would copy the whole folder to
//   IndexedDB in several asynchronous steps, which a page being closed never finishes, and
//   the save would be lost. The write after the rename is one IndexedDB transaction, which
//   keeps the old content or the new, so the temporary file need never be stored.
// Implements the C library's fopen, open, stat, rename, remove and fsync as the browser needs them (with WebFiles.js).
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
FILE* __real_fopen(const char* path, const char* mode);
int __real_open(const char* path, int flags, ...);
int __real_stat(const char* path, struct stat* st);
int __real_rename(const char* from, const char* to);
int __real_remove(const char* path);

// WebFiles.js: both sleep (ASYNCIFY) until the browser answers. Each returns 0 or an errno
// value; a path the site does not have is no error for web_fetch_content. web_persist stores
// `path` (if not null) with the bytes of `from` when given (a rename about to be made), and
// forgets `from` (if not null), together.
int web_fetch_content(const char* path);
int web_persist(const char* path, const char* from);

FILE* __wrap_fopen(const char* path, const char* mode) {
    if (path && mode && mode[0] == 'r') web_fetch_content(path);
    return __real_fopen(path, mode);
}

int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if (path && (flags & O_ACCMODE) == O_RDONLY) web_fetch_content(path);
    return __real_open(path, flags, mode);
}

int __wrap_stat(const char* path, struct stat* st) {
    if (path) web_fetch_content(path);
    return __real_stat(path, st);
}

int __wrap_fsync(int fd) {
    if (::fcntl(fd, F_GETFD) == -1) return -1;  // errno says why, as fsync's would
    return 0;
}

// Stored first, renamed after: a save the storage refuses leaves the file as it was here too,
// as a failed rename does on a disk. Renamed first, the page would play on with what the
// storage never got (a family word's note without its picture, after a reload).
int __wrap_rename(const char* from, const char* to) {
    struct stat st;
    if (!from || !to || __real_stat(from, &st) != 0) return __real_rename(from, to);
    if (const int err = web_persist(to, from); err != 0) {
        errno = err;
        return -1;
    }
    return __real_rename(from, to);
}

// A file the storage keeps no longer: it is gone here already, whatever the storage says.
int __wrap_remove(const char* path) {
    if (__real_remove(path) != 0) return -1;
    if (path) web_persist(nullptr, path);
    return 0;
}
}
