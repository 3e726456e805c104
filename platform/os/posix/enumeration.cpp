// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/enumeration.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/handles.h"

namespace corvelle {
namespace {

EntryKind KindOf(int dirfd, const dirent* d) {
    switch (d->d_type) {
        case DT_DIR:
            return EntryKind::Folder;
        case DT_REG:
            return EntryKind::File;
        case DT_LNK:
            return EntryKind::Link;
        case DT_UNKNOWN:
            break;
        default:
            return EntryKind::Other;
    }
    struct stat st;
    if (fstatat(dirfd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Other;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    if (S_ISLNK(st.st_mode))
        return EntryKind::Link;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

}  // namespace

Error EnumerateFolder(const std::string& folder, const std::function<bool(const DirEntry&)>& each) {
    if (const int err = EnumerationFailureFor(folder))
        return SystemError(err, folder);
    const int fd = OpenFolderPath(folder).Release();
    if (fd < 0)
        return SystemError(errno, folder);
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int err = errno;
        close(fd);
        return SystemError(err, folder);
    }
    DirEntry entry;
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (!d) {
            const int err = errno;
            closedir(dir);
            return err ? SystemError(err, folder) : Error{};
        }
        if (d->d_name[0] == '.' &&
            (d->d_name[1] == '\0' || (d->d_name[1] == '.' && d->d_name[2] == '\0')))
            continue;
        entry.name = d->d_name;
        entry.kind = KindOf(dirfd(dir), d);
        entry.hidden = IsHiddenName(entry.name);
        if (!each(entry))
            break;
    }
    closedir(dir);
    return {};
}

}  // namespace corvelle

namespace corvelle {

bool ListFiles(const std::string& folder, std::vector<FileEntry>& files) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    while (const dirent* e = readdir(dir)) {
        if (e->d_type == DT_DIR)
            continue;  // also drops "." and ".."
        struct stat st;
        if (fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
            continue;
        struct stat target;
        if (S_ISLNK(st.st_mode) && fstatat(fd, e->d_name, &target, 0) == 0 &&
            S_ISDIR(target.st_mode))
            continue;
        files.push_back({e->d_name, static_cast<unsigned long long>(st.st_size),
                         static_cast<long long>(st.st_mtime)});
    }
    closedir(dir);
    return true;
}

}  // namespace corvelle
