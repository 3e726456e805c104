// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/handles.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace corvelle {
namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

// Pieces of a long path, each shorter than PATH_MAX, cut at separators.
std::vector<std::string> Chunks(const std::string& path) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t len = path.size() - pos;
        if (len >= PATH_MAX) {
            const size_t cut = path.rfind('/', pos + PATH_MAX - 2);
            len = cut == std::string::npos || cut <= pos ? PATH_MAX - 1 : cut - pos + 1;
        }
        out.push_back(path.substr(pos, len));
        pos += len;
    }
    return out;
}

bool FromStatx(const struct statx& s, ItemInfo& info) {
    info.id.volume = makedev(s.stx_dev_major, s.stx_dev_minor);
    info.id.number = s.stx_ino;
    info.id.mount = (s.stx_mask & STATX_MNT_ID) ? s.stx_mnt_id : 0;
    info.id.birth =
        (s.stx_mask & STATX_BTIME)
            ? static_cast<std::uint64_t>(s.stx_btime.tv_sec) * 1000000000u + s.stx_btime.tv_nsec
            : 0;
    info.mode = s.stx_mode;
    info.meta.mode = s.stx_mode & 07777;
    info.meta.uid = s.stx_uid;
    info.meta.gid = s.stx_gid;
    info.meta.atimeNs = s.stx_atime.tv_sec * 1000000000LL + s.stx_atime.tv_nsec;
    info.meta.mtimeNs = s.stx_mtime.tv_sec * 1000000000LL + s.stx_mtime.tv_nsec;
    info.size = s.stx_size;
    info.changeNs = s.stx_ctime.tv_sec * 1000000000LL + s.stx_ctime.tv_nsec;
    info.mountRootKnown = (s.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    info.mountRoot = info.mountRootKnown && (s.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    return true;
}

bool Statx(int dir, const char* name, int flags, ItemInfo& info) {
    struct statx s;
    if (statx(dir, name, flags | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_MNT_ID | STATX_BTIME,
              &s) == 0)
        return FromStatx(s, info);
    if (errno != ENOSYS)
        return false;
    struct stat st;
    if (fstatat(dir, name, &st, flags) != 0)
        return false;
    info = ItemInfo{{st.st_dev, st.st_ino, 0, 0},
                    st.st_mode,
                    false,
                    false,
                    {st.st_mode & 07777u, st.st_uid, st.st_gid,
                     st.st_atim.tv_sec * 1000000000LL + st.st_atim.tv_nsec,
                     st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec},
                    static_cast<std::uint64_t>(st.st_size),
                    st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
    return true;
}

// openat2 with the strict resolution flags; -1 with ENOSYS where the kernel lacks it.
int OpenAt2Beneath(int dir, const std::string& rel) {
    static bool missing = false;
    if (missing) {
        errno = ENOSYS;
        return -1;
    }
    struct open_how how;
    std::memset(&how, 0, sizeof how);
    how.flags = kDirFlags | O_NOFOLLOW;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_XDEV;
    for (;;) {
        const long fd = syscall(SYS_openat2, dir, rel.c_str(), &how, sizeof how);
        if (fd >= 0)
            return static_cast<int>(fd);
        if (errno == EAGAIN || errno == EINTR)
            continue;
        if (errno == ENOSYS || errno == E2BIG)
            missing = true, errno = ENOSYS;
        return -1;
    }
}

// The same, component by component, for kernels without openat2.
int OpenStepwise(int dir, const std::string& rel) {
    ItemInfo top;
    if (!InfoOf(dir, top))
        return -1;
    UniqueFd cur(openat(dir, ".", kDirFlags));
    size_t pos = 0;
    while (cur.Valid() && pos <= rel.size()) {
        size_t end = rel.find('/', pos);
        if (end == std::string::npos)
            end = rel.size();
        const std::string piece = rel.substr(pos, end - pos);
        pos = end + 1;
        if (piece.empty() || piece == ".")
            continue;
        if (piece == "..") {
            errno = EXDEV;
            return -1;
        }
        UniqueFd next(openat(cur.Get(), piece.c_str(), kDirFlags | O_NOFOLLOW));
        ItemInfo info;
        if (!next.Valid() || !InfoOf(next.Get(), info))
            return -1;
        if (OtherMount(top, info)) {
            errno = EXDEV;
            return -1;
        }
        cur = std::move(next);
    }
    return cur.Release();
}

}  // namespace

UniqueFd Duplicate(int fd) {
    return UniqueFd(fcntl(fd, F_DUPFD_CLOEXEC, 0));
}

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) {
        const int saved = errno;
        close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

bool DirEntryRaw::ListedAsFolder() const {
    return type == DT_DIR;
}

bool DirEntryRaw::KindUnlisted() const {
    return type == DT_UNKNOWN;
}

bool ItemInfo::IsDir() const {
    return S_ISDIR(mode);
}

bool ItemInfo::IsLink() const {
    return S_ISLNK(mode);
}

bool ItemInfo::IsFile() const {
    return S_ISREG(mode) && !mountRoot;
}

bool InfoOf(int fd, ItemInfo& info) {
    return Statx(fd, "", AT_EMPTY_PATH, info);
}

bool InfoAt(int dir, const std::string& name, ItemInfo& info) {
    return Statx(dir, name.c_str(), AT_SYMLINK_NOFOLLOW, info);
}

bool OtherMount(const ItemInfo& outer, const ItemInfo& inner) {
    return inner.mountRoot || inner.id.volume != outer.id.volume ||
           (inner.id.mount && outer.id.mount && inner.id.mount != outer.id.mount);
}

UniqueFd OpenFolderPath(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return UniqueFd();
    }
    if (path.size() < PATH_MAX)
        return UniqueFd(open(path.c_str(), kDirFlags));
    UniqueFd cur;
    for (const std::string& piece : Chunks(path)) {
        cur.Reset(openat(cur.Valid() ? cur.Get() : AT_FDCWD, piece.c_str(), kDirFlags));
        if (!cur.Valid())
            return cur;
    }
    return cur;
}

UniqueFd OpenParentOf(const std::string& rawPath, std::string& leaf) {
    std::string path = rawPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    if (leaf.empty() || leaf == "." || leaf == "..") {
        errno = EINVAL;
        return UniqueFd();
    }
    if (slash == std::string::npos)
        return UniqueFd(open(".", kDirFlags));
    return OpenFolderPath(slash == 0 ? std::string("/") : path.substr(0, slash));
}

UniqueFd OpenBeneath(int root, const std::string& rel) {
    if (rel.empty() || rel == "/")
        return UniqueFd(openat(root, ".", kDirFlags));
    if (rel[0] == '/') {
        errno = EXDEV;
        return UniqueFd();
    }
    // The usual case: the kernel resolves the whole path beneath root in one call.
    if (rel.size() < PATH_MAX) {
        const int fd = OpenAt2Beneath(root, rel);
        if (fd >= 0 || errno != ENOSYS)
            return UniqueFd(fd);
    }
    UniqueFd cur(openat(root, ".", kDirFlags));
    for (const std::string& piece : Chunks(rel)) {
        if (!cur.Valid())
            break;
        int fd = OpenAt2Beneath(cur.Get(), piece);
        if (fd < 0 && errno == ENOSYS)
            fd = OpenStepwise(cur.Get(), piece);
        cur.Reset(fd);
    }
    return cur;
}

UniqueFd OpenFolderAt(int dir, const std::string& name) {
    return UniqueFd(openat(dir, name.c_str(), kDirFlags | O_NOFOLLOW));
}

UniqueFd OpenFileAt(int dir, const std::string& name) {
    return UniqueFd(
        openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

namespace {

constexpr size_t kListBuffer = size_t{64} * 1024;
// A record of the longest name (255 bytes) with its header, rounded up.
constexpr long kLongestRecord = 24 + 256 + 8;

bool ReadFrom(int dir, std::vector<DirEntryRaw>& entries, int& err, bool oneRead) {
    struct Dirent64 {
        ino64_t d_ino;
        off64_t d_off;
        unsigned short d_reclen;
        unsigned char d_type;
        char d_name[1];
    };
    alignas(8) static thread_local char buf[kListBuffer];
    for (;;) {
        const long n = syscall(SYS_getdents64, dir, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0)
            break;
        for (long off = 0; off < n;) {
            const auto* d = reinterpret_cast<const Dirent64*>(buf + off);
            off += d->d_reclen;
            const char* nm = d->d_name;
            if (nm[0] == '.' && (nm[1] == '\0' || (nm[1] == '.' && nm[2] == '\0')))
                continue;
            entries.push_back(
                DirEntryRaw{nm, d->d_type, static_cast<ino_t>(d->d_ino), nm[0] == '.'});
        }
        if (oneRead && n + kLongestRecord <= static_cast<long>(kListBuffer))
            break;
    }
    err = 0;
    return true;
}

}  // namespace

bool ReadEntries(int dir, std::vector<DirEntryRaw>& entries, int& err) {
    if (lseek(dir, 0, SEEK_SET) < 0) {
        err = errno;
        return false;
    }
    return ReadFrom(dir, entries, err, false);
}

bool ReadFreshEntries(int dir, std::vector<DirEntryRaw>& entries, int& err, bool oneRead) {
    return ReadFrom(dir, entries, err, oneRead);
}

FileSystemTraits TraitsOfSystem(int dir) {
    // Their readdir hands out entries until the caller's buffer is full; others (network
    // and user-space file systems among them) may return less while more remain. btrfs
    // gives each sub-volume a device of its own.
    struct statfs fs;
    if (fstatfs(dir, &fs) != 0)
        return {};
    switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case XFS_SUPER_MAGIC:
            return {true, true};
        case BTRFS_SUPER_MAGIC:
            return {true, false};
        default:
            return {};
    }
}

UniqueFd OpenSubFolder(int dir, const std::string& name) {
    if (name.find('/') != std::string::npos || name == "." || name == "..") {
        errno = EINVAL;
        return UniqueFd();
    }
    const int fd = OpenAt2Beneath(dir, name);
    if (fd >= 0 || errno != ENOSYS)
        return UniqueFd(fd);
    return OpenSubFolderComparing(dir, name);
}

bool FolderWithin(int inner, const FileId& outer) {
    UniqueFd cur(openat(inner, ".", kDirFlags));
    ItemInfo info;
    if (!cur.Valid() || !InfoOf(cur.Get(), info))
        return false;
    for (;;) {
        // By inode alone: a bind mount of the folder is the folder too.
        if (info.id.volume == outer.volume && info.id.number == outer.number)
            return true;
        UniqueFd up(openat(cur.Get(), "..", kDirFlags));
        ItemInfo upInfo;
        if (!up.Valid() || !InfoOf(up.Get(), upInfo))
            return false;
        if (upInfo.id.volume == info.id.volume && upInfo.id.number == info.id.number)
            return false;  // the root
        cur = std::move(up);
        info = upInfo;
    }
}

void RaiseOpenFileLimit() {
    struct rlimit rl;
    if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
        rl.rlim_cur = rl.rlim_max;
        setrlimit(RLIMIT_NOFILE, &rl);
    }
}

}  // namespace corvelle
