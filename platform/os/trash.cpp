// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/trash.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/os/file_write.h"
#include "platform/os/folders.h"
#include "platform/os/handles.h"
#include "platform/os/local_time.h"
#include "util/paths.h"

namespace corvelle {
namespace {

bool MakeDirs(const std::string& path, mode_t mode) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = PathParent(RemoveBackslash(path));
    if (!parent.empty() && parent != path &&
        !MakeDirs(RemoveBackslash(parent).empty() ? "/" : RemoveBackslash(parent), mode))
        return false;
    return mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

std::string HomeTrash() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return AddBackslash(data) + "Trash";
    return AddBackslash(WindowsDirGet()) + ".local/share/Trash";
}

// The mount point holding path: the highest ancestor on the same device.
std::string TopDir(const std::string& path, dev_t dev) {
    std::string top = path;
    for (;;) {
        std::string parent = PathParent(RemoveBackslash(top));
        if (parent.size() > 1)
            parent = RemoveBackslash(parent);
        if (parent.empty() || parent == top)
            return top;
        struct stat st;
        if (stat(parent.c_str(), &st) != 0 || st.st_dev != dev)
            return top;
        top = parent;
        if (top == "/")
            return top;
    }
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == kSep)
        return path;
    return CurrentFolder() + path;
}

}  // namespace

std::string TrashPercentEncode(const std::string& bytes) {
    // ASCII letters and digits and the characters a URI path keeps; every other byte escaped,
    // whatever the locale thinks is a letter.
    return PercentEncode(bytes, [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               (c != 0 && std::strchr("/-_.~!$&'()*+,;=:@", c) != nullptr);
    });
}

Error MoveToTrash(const std::string& path) {
    std::string leaf;
    const UniqueFd dir = OpenParentOf(path, leaf);
    if (!dir.Valid())
        return SystemError(errno, path);
    return MoveToTrashAt(dir.Get(), leaf, path);
}

Error MoveToTrashAt(int dir, const std::string& leaf, const std::string& rawPath) {
    std::string path = Absolute(rawPath);
    if (path.size() > 1)
        path = RemoveBackslash(path);
    struct stat st;
    ItemInfo parent, item;
    if (fstatat(dir, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !InfoOf(dir, parent) ||
        !InfoAt(dir, leaf, item)) {
        return SystemError(errno, rawPath);
    }
    // A mounted file system is never carried off into a Trash.
    if (OtherMount(parent, item)) {
        return SystemError(EBUSY, rawPath);
    }
    // Home trash when the item shares its file system; else the top folder's own trash.
    std::string trash = HomeTrash();
    std::string infoPath = path;
    MakeDirs(trash, 0700);
    struct stat tst;
    if (stat(trash.c_str(), &tst) != 0 || tst.st_dev != st.st_dev) {
        const std::string top = TopDir(path, st.st_dev);
        trash = AddBackslash(top) + ".Trash-" + std::to_string(getuid());
        const std::string prefix = AddBackslash(top);
        infoPath = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
    }
    if (!MakeDirs(trash + "/files", 0700) || !MakeDirs(trash + "/info", 0700)) {
        Error e = SystemError(errno, rawPath);
        e.detail = "\n(ごみ箱 " + trash + " を使えません)";
        return e;
    }
    const std::string info = "[Trash Info]\nPath=" + TrashPercentEncode(infoPath) +
                             "\nDeletionDate=" + LocalTimeText("%Y-%m-%dT%H:%M:%S") + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string name = n == 1 ? leaf : leaf + "." + std::to_string(n);
        const std::string infoFile = trash + "/info/" + name + ".trashinfo";
        // The info file is claimed first (O_EXCL), written whole, then the item follows.
        const int fd = open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return SystemError(errno, rawPath);
        }
        const bool written = WriteAll(fd, info.data(), info.size()) && fsync(fd) == 0;
        const bool closed = close(fd) == 0;
        if (!written || !closed) {
            const int err = errno ? errno : EIO;
            unlink(infoFile.c_str());
            return SystemError(err, rawPath);
        }
        const std::string target = trash + "/files/" + name;
        if (renameat2(dir, leaf.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return {};
        const int err = errno;
        unlink(infoFile.c_str());
        if (err == EEXIST)
            continue;  // a stray file of that name: try the next one
        return SystemError(err, rawPath);
    }
    return SystemError(EEXIST, rawPath);
}

}  // namespace corvelle
