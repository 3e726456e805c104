// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/trash.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/os/file_write.h"
#include "platform/os/folder_changes.h"
#include "platform/os/folders.h"
#include "platform/os/handles.h"
#include "platform/os/holding_place.h"
#include "platform/os/local_time.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::string HomeTrash() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return AddBackslash(data) + "Trash";
    return AddBackslash(WindowsDirGet()) + ".local/share/Trash";
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == kSep)
        return path;
    return CurrentFolder() + path;
}

// err: the system's reason where a call failed, 0 where a check refused.
Error NoTrash(const std::string& path, const std::string& why, int err = 0) {
    Error e = KindError(kErrNoTrash, path);
    e.sysErrno = err;
    e.detail = "\n(" + why + ")";
    return e;
}

// File systems the desktop keeps no Trash for (memory and kernel file systems), as GIO's
// list of system-internal types has them.
bool SystemInternalType(int dir) {
    struct statfs fs;
    if (fstatfs(dir, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case TMPFS_MAGIC:
        case RAMFS_MAGIC:
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEVPTS_SUPER_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case SECURITYFS_MAGIC:
        case SELINUX_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case HUGETLBFS_MAGIC:
        case OVERLAYFS_SUPER_MAGIC:
        case EFIVARFS_MAGIC:
            return true;
        default:
            return false;
    }
}

// Mount points of the system itself, where GIO keeps no Trash either.
bool SystemInternalPath(const std::string& top) {
    static const char* const kPaths[] = {"/",        "/bin",     "/boot",    "/dev",    "/etc",
                                         "/lib",     "/lib32",   "/lib64",   "/proc",   "/run",
                                         "/sbin",    "/sys",     "/tmp",     "/usr",    "/var",
                                         "/var/tmp", "/var/log", "/var/run", "/var/lib"};
    for (const char* p : kPaths)
        if (top == p)
            return true;
    return false;
}

// dir's entry `name`, a real folder (never a link) that is the user's and that nobody else
// may write to; made with mode 0700 when missing and `create` says so.
UniqueFd OwnFolderAt(int dir, const std::string& name, bool create, std::string& why) {
    if (create && mkdirat(dir, name.c_str(), 0700) != 0 && errno != EEXIST) {
        why = name + " を作れません: " + std::strerror(errno);
        return UniqueFd();
    }
    UniqueFd fd = OpenFolderAt(dir, name);
    ItemInfo info;
    if (!fd.Valid() || !InfoOf(fd.Get(), info)) {
        if (errno == ENOTDIR)
            errno = ELOOP;  // a link or a file in the folder's place
        why = name + ": " + std::strerror(errno);
        return UniqueFd();
    }
    if (info.meta.uid != geteuid() || (info.meta.mode & 022)) {
        why = name + " はこのユーザーだけのフォルダではありません";
        errno = 0;
        return UniqueFd();
    }
    return fd;
}

// The top folder of the mount that holds dir, reached through "..", never by a path.
UniqueFd MountTop(int dir, const ItemInfo& dirInfo, int& levels) {
    UniqueFd cur(openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ItemInfo info = dirInfo;
    levels = 0;
    while (cur.Valid() && !info.mountRoot) {
        UniqueFd up(openat(cur.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ItemInfo upInfo;
        if (!up.Valid() || !InfoOf(up.Get(), upInfo) || OtherMount(upInfo, info) ||
            upInfo.id == info.id)
            break;
        cur = std::move(up);
        info = upInfo;
        ++levels;
    }
    return cur;
}

// The Trash of a mount's top folder, as the freedesktop.org Trash rules check it:
// $top/.Trash (a real, sticky folder) and its $uid folder, else $top/.Trash-$uid (the
// user's own, mode 0700).
UniqueFd TopTrash(int top, std::string& name, std::string& why) {
    const std::string uid = std::to_string(geteuid());
    ItemInfo shared;
    if (InfoAt(top, ".Trash", shared) && shared.IsDir() && (shared.meta.mode & S_ISVTX)) {
        const UniqueFd dir = OpenFolderAt(top, ".Trash");
        std::string ignored;
        if (dir.Valid()) {
            if (UniqueFd mine = OwnFolderAt(dir.Get(), uid, true, ignored); mine.Valid()) {
                name = ".Trash/" + uid;
                return mine;
            }
        }
    }
    name = ".Trash-" + uid;
    UniqueFd own = OwnFolderAt(top, name, true, why);
    ItemInfo info;
    if (own.Valid() && (!InfoOf(own.Get(), info) || info.meta.mode != 0700)) {
        why = name + " のアクセス権が 0700 ではありません";
        errno = 0;
        own.Reset();
    }
    return own;
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

namespace {

// The Trash of the file system that holds the folder dir (at `folderPath`): its files and
// info folders, checked as the freedesktop.org Trash rules say; `pathOf` the text an info
// file's Path gets for an item's absolute path there. `item` names the item in messages.
struct TrashOf {
    UniqueFd files;
    UniqueFd info;
    std::string filesPath;
    std::string topPrefix;  // a top folder's trash holds paths relative to it
};

std::string InfoPath(const std::string& topPrefix, const std::string& path) {
    return !topPrefix.empty() && path.compare(0, topPrefix.size(), topPrefix) == 0
               ? path.substr(topPrefix.size())
               : path;
}

Error FindTrash(int dir, const ItemInfo& folder, const std::string& folderPath,
                const std::string& item, TrashOf& out) {
    // Home trash when the item shares its file system; else the top folder's own trash.
    const std::string home = HomeTrash();
    UniqueFd trash = MakeFolders(home) ? OpenFolderPath(home) : UniqueFd();
    ItemInfo homeInfo;
    if (!trash.Valid() || !InfoOf(trash.Get(), homeInfo)) {
        Error e = SystemError(errno, item);
        e.detail = "\n(ごみ箱 " + home + " を使えません)";
        return e;
    }
    std::string why = home;
    if (homeInfo.id.volume == folder.id.volume) {
        if (homeInfo.meta.uid != geteuid())
            return NoTrash(item, "ごみ箱 " + home + " はこのユーザーのものではありません");
    } else {
        int levels = 0;
        const UniqueFd top = MountTop(dir, folder, levels);
        // The top's path: the folder's path less as many folders as were climbed.
        std::string topPath = AddBackslash(folderPath);
        for (int i = 0; i < levels; ++i) topPath = PathParent(RemoveBackslash(topPath));
        topPath = RemoveBackslash(topPath).empty() ? "/" : RemoveBackslash(topPath);
        if (!top.Valid())
            return SystemError(errno, item);
        if (SystemInternalType(dir) || SystemInternalPath(topPath))
            return NoTrash(item,
                           topPath + " はシステムのファイルシステムのため、ごみ箱がありません");
        std::string name;
        trash = TopTrash(top.Get(), name, why);
        if (!trash.Valid())
            return NoTrash(item, AddBackslash(topPath) + why, errno);
        out.topPrefix = AddBackslash(topPath);
        why = AddBackslash(topPath) + name;
    }
    std::string reason;
    out.files = OwnFolderAt(trash.Get(), "files", true, reason);
    out.info = out.files.Valid() ? OwnFolderAt(trash.Get(), "info", true, reason) : UniqueFd();
    if (!out.info.Valid())
        return NoTrash(item, why + "/" + reason, errno);
    out.filesPath = AddBackslash(why) + "files";
    return {};
}

// Claims a name in the Trash for an item called `leaf` (leaf, leaf.2, … from n on): its info
// file first (O_EXCL) with `path` as where it came from, written whole, then `put(name)` puts
// the item there (false with errno; EEXIST tries the next name). `claimed` is the name.
template <class Put>
Error ClaimInTrash(int infoDir, const std::string& topPrefix, const std::string& leaf,
                   const std::string& path, const std::string& item, std::string& claimed,
                   Put put) {
    const std::string text = "[Trash Info]\nPath=" + TrashPercentEncode(InfoPath(topPrefix, path)) +
                             "\nDeletionDate=" + LocalTimeText("%Y-%m-%dT%H:%M:%S") + "\n";
    for (int n = 1; n <= 100000; ++n) {
        const std::string name = n == 1 ? leaf : leaf + "." + std::to_string(n);
        const std::string infoName = name + ".trashinfo";
        const int fd = openat(infoDir, infoName.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return SystemError(errno, item);
        }
        const bool written = WriteAll(fd, text.data(), text.size()) && fsync(fd) == 0;
        const bool closed = close(fd) == 0;
        if (!written || !closed) {
            const int err = errno ? errno : EIO;
            unlinkat(infoDir, infoName.c_str(), 0);
            return SystemError(err, item);
        }
        if (put(name)) {
            claimed = name;
            return {};
        }
        const int err = errno;
        unlinkat(infoDir, infoName.c_str(), 0);
        if (err == EEXIST)
            continue;  // a stray file of that name: try the next one
        return SystemError(err, item);
    }
    return SystemError(EEXIST, item);
}

}  // namespace

Error MoveToTrashAt(int dir, const std::string& leaf, const std::string& rawPath) {
    std::string path = Absolute(rawPath);
    if (path.size() > 1)
        path = RemoveBackslash(path);
    ItemInfo parent, item;
    if (!InfoOf(dir, parent) || !InfoAt(dir, leaf, item))
        return SystemError(errno, rawPath);
    // A mounted file system is never carried off into a Trash.
    if (OtherMount(parent, item))
        return SystemError(EBUSY, rawPath);
    TrashOf trash;
    if (Error e = FindTrash(dir, parent, PathParent(path), rawPath, trash))
        return e;
    std::string held;
    return ClaimInTrash(trash.info.Get(), trash.topPrefix, leaf, path, rawPath, held,
                        [&](const std::string& name) {
                            return renameat2(dir, leaf.c_str(), trash.files.Get(), name.c_str(),
                                             RENAME_NOREPLACE) == 0;
                        });
}

// Junk is held in a folder of the run in the Trash: one info file for the run, not one for
// each of its (perhaps ten thousand) files, and each still the very file (a rename on its own
// file system). The desktop lists the folder; emptying the Trash lets the junk go.
Error OpenHoldingPlace(int dir, const std::string& folderPath, const std::string& runFolder,
                       HoldingPlace& place) {
    ItemInfo folder;
    if (!InfoOf(dir, folder))
        return SystemError(errno, folderPath);
    TrashOf trash;
    if (Error e = FindTrash(dir, folder, Absolute(folderPath), folderPath, trash))
        return e;
    const std::string base = "Corvelle の不要ファイル " + LocalTimeText("%Y-%m-%d %H.%M.%S");
    std::string leaf;
    if (Error e = ClaimInTrash(trash.info.Get(), trash.topPrefix, base,
                               AddBackslash(Absolute(runFolder)) + base, folderPath, leaf,
                               [&](const std::string& name) {
                                   return mkdirat(trash.files.Get(), name.c_str(), 0700) == 0;
                               }))
        return e;
    std::string why;
    ItemInfo info;
    place.folder = OwnFolderAt(trash.files.Get(), leaf, false, why);
    if (!place.folder.Valid() || !InfoOf(place.folder.Get(), info)) {
        const int err = errno ? errno : EACCES;
        RemoveEmptyFolderAt(trash.files.Get(), leaf);
        unlinkat(trash.info.Get(), (leaf + ".trashinfo").c_str(), 0);
        return NoTrash(folderPath, trash.filesPath + "/" + why, err);
    }
    place.path = AddBackslash(trash.filesPath) + leaf;
    place.id = info.id;
    place.parent = std::move(trash.files);
    place.leaf = leaf;
    place.parentInfo = std::move(trash.info);
    return {};
}

// A place a journal names: the run's folder in a Trash (or, from earlier versions, the
// Trash's files folder itself, whose items have info files of their own).
Error ReopenHoldingPlace(const std::string& path, const FileId& id, HoldingPlace& place) {
    place = HoldingPlace{};
    std::string leaf;
    UniqueFd parent = OpenParentOf(path, leaf);
    std::string why;
    UniqueFd folder = parent.Valid() ? OwnFolderAt(parent.Get(), leaf, false, why) : UniqueFd();
    ItemInfo info;
    if (!folder.Valid() || !InfoOf(folder.Get(), info)) {
        Error e = KindError(kErrJournalNotOwn, path);
        e.sysErrno = errno;
        return e;
    }
    if (info.id != id)
        return KindError(kErrFolderReplaced, path);
    place.folder = std::move(folder);
    place.path = path;
    place.id = id;
    if (leaf == "files") {
        place.info = OwnFolderAt(parent.Get(), "info", false, why);  // none: nothing to forget
    } else {
        const UniqueFd trash(openat(parent.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        place.parentInfo =
            trash.Valid() ? OwnFolderAt(trash.Get(), "info", false, why) : UniqueFd();
        place.parent = std::move(parent);
        place.leaf = leaf;
    }
    return {};
}

bool MoveFromHolding(HoldingPlace& place, const std::string& held, int dir,
                     const std::string& name) {
    if (renameat2(place.folder.Get(), held.c_str(), dir, name.c_str(), RENAME_NOREPLACE) != 0)
        return false;
    if (place.info.Valid())
        unlinkat(place.info.Get(), (held + ".trashinfo").c_str(), 0);
    return true;
}

void ReleaseHoldingPlace(HoldingPlace& place) {
    if (!place.parent.Valid() || !RemoveEmptyFolderAt(place.parent.Get(), place.leaf))
        return;
    if (place.parentInfo.Valid())
        unlinkat(place.parentInfo.Get(), (place.leaf + ".trashinfo").c_str(), 0);
    place.parent.Reset();
}

}  // namespace corvelle
