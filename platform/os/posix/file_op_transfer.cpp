// SPDX-License-Identifier: GPL-3.0-or-later
// Copying and moving one entry, recursively for folders, through directory handles. A copy
// keeps what `cp -a` keeps: owner, mode, times, extended attributes, holes, hard links
// within the tree, links as links and special files as such.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/file_write.h"
#include "platform/os/handles.h"
#include "platform/os/posix/file_op_posix.h"
#include "platform/os/test_seam.h"

namespace corvelle::fileop {
namespace {

constexpr size_t kChunk = 1 << 20;

// A fresh name in dstDir for the item while it is being written.
std::string TempName() {
    static std::atomic<unsigned> counter{0};
    return ".corvelle-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".part";
}

bool SameContentState(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Puts the finished temporary item in place; without `replace` an existing item is kept.
bool Publish(Context& ctx, int dstDir, const std::string& tmp, const std::string& dstName,
             const std::string& dstPath, bool replace) {
    if (renameat2(dstDir, tmp.c_str(), dstDir, dstName.c_str(), replace ? 0 : RENAME_NOREPLACE) ==
        0)
        return true;
    const int err = errno;
    unlinkat(dstDir, tmp.c_str(), 0);
    ctx.Fail(dstPath, err);
    return false;
}

// Copies bytes [from, to) of in to the same place in out.
bool CopyRange(Context& ctx, const std::string& srcPath, int in, int out, off_t from, off_t to,
               int& err) {
    static std::vector<char> buf(kChunk);
    bool useRange = true;
    off_t reported = from;
    while (from < to) {
        if (!ctx.Tick(srcPath, from - reported))
            return err = 0, false;
        reported = from;
        if (const int injected = ReadFailureFor(srcPath))
            return err = injected, false;
        const size_t want = static_cast<size_t>(std::min<off_t>(to - from, kChunk));
        if (useRange) {
            loff_t inOff = from, outOff = from;
            const ssize_t n = copy_file_range(in, &inOff, out, &outOff, want, 0);
            if (n > 0) {
                from += n;
                continue;
            }
            if (n == 0)
                break;  // the file shrank meanwhile
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return err = errno, false;
            useRange = false;
        }
        const ssize_t n = pread(in, buf.data(), want, from);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return err = errno, false;
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                pwrite(out, buf.data() + done, static_cast<size_t>(n - done), from + done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return err = w < 0 ? errno : EIO, false;
            done += w;
        }
        from += n;
    }
    ctx.Tick(srcPath, from - reported);
    return true;
}

// The data of in, holes kept as holes.
bool CopyData(Context& ctx, const std::string& srcPath, int in, int out, off_t size, int& err) {
    off_t pos = 0;
    while (pos < size) {
        off_t data = lseek(in, pos, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break;  // only a hole remains
        if (data < 0)
            data = pos;  // no hole support: everything is data
        off_t hole = lseek(in, data, SEEK_HOLE);
        if (hole < 0 || hole > size)
            hole = size;
        if (!CopyRange(ctx, srcPath, in, out, data, hole, err))
            return false;
        pos = hole;
    }
    if (ftruncate(out, size) != 0)
        return err = errno, false;
    return true;
}

void CopyXattrs(int in, int out) {
    ssize_t size = flistxattr(in, nullptr, 0);
    if (size <= 0)
        return;
    std::string names(static_cast<size_t>(size), '\0');
    size = flistxattr(in, names.data(), names.size());
    if (size <= 0)
        return;
    std::string value;
    for (size_t pos = 0; pos < static_cast<size_t>(size);) {
        const char* name = names.c_str() + pos;
        pos += std::char_traits<char>::length(name) + 1;
        const ssize_t n = fgetxattr(in, name, nullptr, 0);
        if (n < 0)
            continue;
        value.resize(static_cast<size_t>(n));
        const ssize_t got = fgetxattr(in, name, value.data(), value.size());
        // A namespace the process may not write (trusted.*, security.* for users) is left out.
        if (got >= 0)
            fsetxattr(out, name, value.data(), static_cast<size_t>(got), 0);
    }
}

bool CopyFile(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
              const struct stat& seen, int dstDir, const std::string& dstPath,
              const std::string& dstName, bool replace, bool verify) {
    UniqueFd in(openat(srcDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct stat st;
    if (!in.Valid() || fstat(in.Get(), &st) != 0) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    if (!SameItem(st, seen)) {
        ctx.Fail(srcPath, EAGAIN);  // replaced by another item since it was looked at
        return false;
    }
    std::string tmp;
    // Another name of an inode already copied in this tree becomes a link to that copy (a
    // move may have removed the other name already, so the count is not asked).
    {
        if (const int copy = ctx.CopyOf(st.st_dev, st.st_ino); copy >= 0) {
            tmp = TempName();
            const std::string proc = "/proc/self/fd/" + std::to_string(copy);
            if (linkat(AT_FDCWD, proc.c_str(), dstDir, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return Publish(ctx, dstDir, tmp, dstName, dstPath, replace);
        }
    }
    int out = -1;
    for (int tries = 0; out < 0 && tries < 100; ++tries) {
        tmp = TempName();
        out =
            openat(dstDir, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out < 0 && errno != EEXIST)
            break;
    }
    if (out < 0) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    UniqueFd outFd(out);
    auto abandon = [&](const std::string& item, int err) {
        unlinkat(dstDir, tmp.c_str(), 0);
        if (err)
            ctx.Fail(item, err);
        return false;
    };
    int err = 0;
    if (!CopyData(ctx, srcPath, in.Get(), out, st.st_size, err))
        return abandon(err == ENOSPC || err == EDQUOT ? dstPath : srcPath, err);
    Seam("copy:data", srcPath);
    // A source that changed while it was read is not faithfully copied: for a move it keeps
    // its place and the copy goes.
    struct stat after;
    if (verify && (fstat(in.Get(), &after) != 0 || !SameContentState(st, after)))
        return abandon(srcPath, EAGAIN);
    CopyAttributes(in.Get(), out, st);
    if (verify && fsync(out) != 0)
        return abandon(dstPath, errno);
    if (st.st_nlink > 1)
        ctx.RememberCopy(st.st_dev, st.st_ino, Duplicate(out));
    if (close(outFd.Release()) != 0)
        return abandon(dstPath, errno);
    return Publish(ctx, dstDir, tmp, dstName, dstPath, replace);
}

bool CopySpecial(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                 const struct stat& st, int dstDir, const std::string& dstPath,
                 const std::string& dstName, bool replace) {
    const std::string tmp = TempName();
    int rc = -1;
    if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = readlinkat(srcDir, name.c_str(), target.data(), target.size());
        if (n < 0) {
            ctx.Fail(srcPath, errno);
            return false;
        }
        target.resize(static_cast<size_t>(n));
        rc = symlinkat(target.c_str(), dstDir, tmp.c_str());
    } else if (S_ISFIFO(st.st_mode)) {
        rc = mkfifoat(dstDir, tmp.c_str(), 0600);
    } else {
        rc = mknodat(dstDir, tmp.c_str(), (st.st_mode & S_IFMT) | 0600, st.st_rdev);
    }
    if (rc != 0) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    // Owner and mode as far as we may give them: failing that, the copy stays ours.
    (void)!fchownat(dstDir, tmp.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
    if (!S_ISLNK(st.st_mode))
        (void)!fchmodat(dstDir, tmp.c_str(), st.st_mode & 07777, 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    utimensat(dstDir, tmp.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return Publish(ctx, dstDir, tmp, dstName, dstPath, replace);
}

bool TransferFolder(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                    const struct stat& st, int dstDir, const std::string& dstPath,
                    const std::string& dstName, bool move, bool existing) {
    UniqueFd from = OpenFolderAt(srcDir, name);
    ItemInfo parentInfo, fromInfo;
    if (!from.Valid() || !InfoOf(srcDir, parentInfo) || !InfoOf(from.Get(), fromInfo)) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    // Moving by copying never empties a file system mounted inside the folder.
    if (move && OtherMount(parentInfo, fromInfo)) {
        ctx.Fail(srcPath, EXDEV);
        return false;
    }
    if (!existing && mkdirat(dstDir, dstName.c_str(), 0700) != 0) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    UniqueFd to = OpenFolderAt(dstDir, dstName);
    if (!to.Valid()) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    std::vector<std::string> names;
    int err = 0;
    bool whole = ReadNames(from.Get(), names, err);
    if (!whole)
        ctx.Fail(srcPath, err);
    for (const std::string& n : names) {
        if (ctx.Cancelled()) {
            whole = false;
            break;
        }
        whole &= TransferEntry(ctx, from.Get(), srcPath + "/" + n, n, to.Get(), dstPath + "/" + n,
                               n, move);
    }
    // The folder's own attributes last, after its content has stopped changing its times.
    if (!existing)
        CopyAttributes(from.Get(), to.Get(), st);
    if (move && whole) {
        // Only an empty folder is removed; anything that appeared meanwhile stays.
        if (unlinkat(srcDir, name.c_str(), AT_REMOVEDIR) != 0) {
            ctx.Fail(srcPath, errno);
            return false;
        }
    }
    return whole;
}

}  // namespace

long long TreeBytes(int dir, const std::string& name) {
    struct stat st;
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    if (S_ISREG(st.st_mode))
        return st.st_size;
    if (!S_ISDIR(st.st_mode))
        return 0;
    const UniqueFd sub = OpenFolderAt(dir, name);
    std::vector<std::string> names;
    int err = 0;
    long long total = 0;
    if (sub.Valid() && ReadNames(sub.Get(), names, err))
        for (const std::string& n : names) total += TreeBytes(sub.Get(), n);
    return total;
}

void CopyAttributes(int in, int out, const struct stat& st) {
    // Owner first: changing it clears the set-id bits, which the mode then restores.
    if (fchown(out, st.st_uid, st.st_gid) != 0 && errno == EPERM)
        (void)!fchown(out, static_cast<uid_t>(-1), st.st_gid);
    CopyXattrs(in, out);
    fchmod(out, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
}

bool TransferEntry(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                   int dstDir, const std::string& dstPath, const std::string& dstName, bool move) {
    if (!ctx.Tick(srcPath))
        return false;
    struct stat st;
    if (fstatat(srcDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    struct stat target;
    const bool exists = fstatat(dstDir, dstName.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists) {
        if (SameItem(st, target)) {
            ctx.FailWith(srcPath,
                         ctx.OpName() + std::string("先と") + ctx.OpName() + "元が同じです。",
                         kOpSameItem);
            return false;
        }
        const bool bothFolders = S_ISDIR(st.st_mode) && S_ISDIR(target.st_mode);
        if (S_ISDIR(st.st_mode) != S_ISDIR(target.st_mode)) {
            ctx.Fail(dstPath, S_ISDIR(target.st_mode) ? EISDIR : ENOTDIR);
            return false;
        }
        if (!ctx.Confirm(dstPath, bothFolders))
            return false;
        if (bothFolders)
            return TransferFolder(ctx, srcDir, srcPath, name, st, dstDir, dstPath, dstName, move,
                                  true);
        if (move && renameat(srcDir, name.c_str(), dstDir, dstName.c_str()) == 0)
            return true;
        if (move && errno != EXDEV) {
            ctx.Fail(srcPath, errno);
            return false;
        }
    } else if (move) {
        if (renameat2(srcDir, name.c_str(), dstDir, dstName.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EXDEV) {
            ctx.Fail(srcPath, errno);
            return false;
        }
    }
    // Across file systems the move becomes a copy: the progress can then count its bytes.
    if (move && !ctx.TotalKnown())
        ctx.SetTotal(TreeBytes(srcDir, name));
    // Copy (and, for a move across file systems, remove the source once the copy is whole).
    bool copied = false;
    if (S_ISDIR(st.st_mode)) {
        return TransferFolder(ctx, srcDir, srcPath, name, st, dstDir, dstPath, dstName, move,
                              false);
    } else if (S_ISREG(st.st_mode)) {
        copied = CopyFile(ctx, srcDir, srcPath, name, st, dstDir, dstPath, dstName, exists, move);
    } else {
        copied = CopySpecial(ctx, srcDir, srcPath, name, st, dstDir, dstPath, dstName, exists);
    }
    if (!copied || !move)
        return copied;
    // The source goes only if it is still the item that was copied.
    struct stat now;
    if (fstatat(srcDir, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !SameItem(now, st)) {
        ctx.Fail(srcPath, EAGAIN);
        return false;
    }
    if (unlinkat(srcDir, name.c_str(), 0) != 0) {
        const int err = errno;
        // The source stays, so the item was not moved: its fresh copy goes again (unless it
        // replaced an item the user agreed to replace, which then must not vanish too).
        struct stat copy;
        if (!exists && fstatat(dstDir, dstName.c_str(), &copy, AT_SYMLINK_NOFOLLOW) == 0 &&
            !SameItem(copy, st))
            unlinkat(dstDir, dstName.c_str(), 0);
        ctx.Fail(srcPath, err);
        return false;
    }
    return true;
}

}  // namespace corvelle::fileop
