// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/os/handles.h"

namespace corvelle {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

namespace {

// Writes the target itself: for a folder that allows no new file but a writable target.
bool WriteInPlace(const std::string& path, const std::string& data) {
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.Valid())
        return false;
    // Truncated only after the new bytes are in: a failed write leaves the old tail, never less
    // than what was asked to be written where it did land.
    if (!WriteAll(fd.Get(), data.data(), data.size()) ||
        ftruncate(fd.Get(), static_cast<off_t>(data.size())) != 0 || fsync(fd.Get()) != 0)
        return false;
    return close(fd.Release()) == 0;
}

}  // namespace

Error ReadWholeFile(const std::string& path, std::string& data) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? MakeError(kErrFileNotFound) : SystemError(errno, path);
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        return SystemError(EISDIR, path);
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            const int err = errno;
            close(fd);
            return SystemError(err, path);
        }
        if (n == 0)
            break;
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return {};
}

bool WriteFileReplacing(const std::string& path, const std::string& data) {
    std::string leaf;
    const UniqueFd dir = OpenParentOf(path, leaf);
    if (!dir.Valid())
        return false;
    // A name of our own, made with O_EXCL: a file of the user's is never truncated.
    static unsigned counter = 0;
    std::string tmp;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        tmp =
            "." + leaf + "." + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".tmp";
        fd = openat(dir.Get(), tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int err = errno;
        if ((err == EACCES || err == EPERM) &&
            faccessat(dir.Get(), leaf.c_str(), W_OK, AT_EACCESS) == 0)
            return WriteInPlace(path, data);
        errno = err;
        return false;
    }
    bool ok = WriteAll(fd, data.data(), data.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && renameat(dir.Get(), tmp.c_str(), dir.Get(), leaf.c_str()) == 0;
    if (!ok) {
        const int err = errno;
        unlinkat(dir.Get(), tmp.c_str(), 0);
        errno = err;
    }
    return ok;
}

}  // namespace corvelle
