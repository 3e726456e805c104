// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/own_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/folders.h"

namespace corvelle {

Error OpenOwnFolder(const std::string& path, bool create, UniqueFd& dir) {
    if (create && !MakeFolders(path))
        return SystemError(errno, path);
    std::string leaf;
    const UniqueFd parent = OpenParentOf(path, leaf);
    dir = parent.Valid() ? OpenFolderAt(parent.Get(), leaf) : UniqueFd();
    struct stat st;
    if (!dir.Valid() || fstat(dir.Get(), &st) != 0)
        return SystemError(errno == ENOTDIR ? ELOOP : errno, path);
    if (st.st_uid != geteuid() || (st.st_mode & S_IWOTH)) {
        dir.Reset();
        return KindError(kErrJournalNotOwn, path);
    }
    return {};
}

Error OpenOwnFile(const std::string& path, bool append, long long maxBytes, UniqueFd& fd) {
    // Non-blocking: a FIFO or a device under the name must not stall the open.
    fd.Reset(open(path.c_str(),
                  (append ? O_RDWR | O_APPEND : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.Valid() || fstat(fd.Get(), &st) != 0) {
        Error e = SystemError(errno, path);
        fd.Reset();
        return e;
    }
    Error refused;
    if (!S_ISREG(st.st_mode)) {
        refused = KindError(kErrNotAJournal, path);
        refused.detail = " (通常のファイルではありません)";
    } else if (st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH))) {
        refused = KindError(kErrJournalNotOwn, path);
    } else if (st.st_size > maxBytes) {
        refused = KindError(kErrJournalTooLarge, path);
    }
    if (refused)
        fd.Reset();
    return refused;
}

bool CreateOwnFileAt(int dir, const std::string& name, UniqueFd& fd) {
    fd.Reset(openat(dir, name.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
    return fd.Valid();
}

bool TryLock(int fd, bool exclusive) {
    return flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
}

long ReadSome(int fd, char* buf, size_t size) {
    for (;;) {
        const ssize_t n = read(fd, buf, size);
        if (n >= 0 || errno != EINTR)
            return static_cast<long>(n);
    }
}

bool ReadAt(int fd, long long offset, char* buf, size_t size) {
    const ssize_t n = pread(fd, buf, size, static_cast<off_t>(offset));
    if (n >= 0 && static_cast<size_t>(n) != size)
        errno = EIO;
    return n >= 0 && static_cast<size_t>(n) == size;
}

long long SizeOf(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool SyncData(int fd) {
    return fdatasync(fd) == 0;
}

bool SyncFolder(int dir) {
    return fsync(dir) == 0;
}

bool RemoveFileAt(int dir, const std::string& name) {
    return unlinkat(dir, name.c_str(), 0) == 0;
}

bool RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

long long ModifiedSeconds(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_mtime) : -1;
}

}  // namespace corvelle
