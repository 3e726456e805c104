// Copying and moving one entry, recursively for folders, through directory handles.
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/file_write.h"

namespace corvelle::fileop {
namespace {

constexpr size_t kChunk = 1 << 20;

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// A fresh name in dstDir for the item while it is being written.
std::string TempName() {
    static std::atomic<unsigned> counter{0};
    return ".corvelle-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".part";
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

bool CopyFile(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
              const struct stat& st, int dstDir, const std::string& dstPath,
              const std::string& dstName, bool replace, bool verify) {
    Fd in(openat(srcDir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (in.fd < 0) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    std::string tmp;
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
    Fd outFd(out);
    auto abandon = [&](int err) {
        unlinkat(dstDir, tmp.c_str(), 0);
        if (err)
            ctx.Fail(srcPath, err);
        return false;
    };
    std::vector<char> buf(kChunk);
    off_t total = 0;
    for (;;) {
        if (!ctx.Tick(srcPath))
            return abandon(0);
        if (const int injected = ReadFailureFor(srcPath))
            return abandon(injected);
        const ssize_t n = read(in.fd, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return abandon(errno);
        if (n == 0)
            break;
        if (!WriteAll(out, buf.data(), static_cast<size_t>(n))) {
            const int err = errno;
            unlinkat(dstDir, tmp.c_str(), 0);
            ctx.Fail(dstPath, err);
            return false;
        }
        total += n;
    }
    // A file that changed size while it was read is not a faithful copy.
    if (verify && total != st.st_size)
        return abandon(EIO);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (fchmod(out, st.st_mode & 07777) != 0 || futimens(out, times) != 0 ||
        (verify && fsync(out) != 0))
        return abandon(errno);
    outFd.fd = -1;
    if (close(out) != 0)
        return abandon(errno);
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
        rc = mkfifoat(dstDir, tmp.c_str(), st.st_mode & 07777);
    } else {
        rc = mknodat(dstDir, tmp.c_str(), st.st_mode, st.st_rdev);
    }
    if (rc != 0) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    utimensat(dstDir, tmp.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return Publish(ctx, dstDir, tmp, dstName, dstPath, replace);
}

}  // namespace

bool ListEntries(int dir, std::vector<std::string>& names, int& err) {
    const int dup = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = dup >= 0 ? fdopendir(dup) : nullptr;
    if (!d) {
        err = errno;
        if (dup >= 0)
            close(dup);
        return false;
    }
    errno = 0;
    while (const dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    err = errno;
    closedir(d);
    return err == 0;
}

namespace {

bool TransferFolder(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                    const struct stat& st, int dstDir, const std::string& dstPath,
                    const std::string& dstName, bool move, bool existing) {
    if (!existing && mkdirat(dstDir, dstName.c_str(), 0700) != 0) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    Fd from(openat(srcDir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    Fd to(openat(dstDir, dstName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (from.fd < 0 || to.fd < 0) {
        ctx.Fail(from.fd < 0 ? srcPath : dstPath, errno);
        return false;
    }
    std::vector<std::string> names;
    int err = 0;
    bool whole = ListEntries(from.fd, names, err);
    if (!whole)
        ctx.Fail(srcPath, err);
    for (const std::string& n : names) {
        if (ctx.Cancelled()) {
            whole = false;
            break;
        }
        whole &=
            TransferEntry(ctx, from.fd, srcPath + "/" + n, n, to.fd, dstPath + "/" + n, n, move);
    }
    // The folder's own mode and times last, after its content has stopped changing them.
    if (!existing) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        fchmod(to.fd, st.st_mode & 07777);
        futimens(to.fd, times);
    }
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
            ctx.FailWith(srcPath, "移動先と移動元が同じです。", kOpSameItem);
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
    if (copied && move && unlinkat(srcDir, name.c_str(), 0) != 0) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    return copied;
}

}  // namespace corvelle::fileop
