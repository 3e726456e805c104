#include "platform/os/file_op.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/trash.h"
#include "util/paths.h"

namespace corvelle {
namespace fileop {
namespace {

int (*g_readFailure)(const std::string&) = nullptr;

}  // namespace

int ReadFailureFor(const std::string& sourcePath) {
    return g_readFailure ? g_readFailure(sourcePath) : 0;
}

bool Context::Confirm(const std::string& target, bool merge) {
    if ((rec_.fFlags & FOF_NOCONFIRMATION) || yesToAll_)
        return true;
    switch (ui_.AskReplace(target, merge)) {
        case FileOpUi::Answer::Yes:
            return true;
        case FileOpUi::Answer::YesToAll:
            yesToAll_ = true;
            return true;
        case FileOpUi::Answer::No:
            skipped_ = true;
            return false;
        case FileOpUi::Answer::Cancel:
            cancelled_ = true;
            return false;
    }
    return false;
}

void Context::FailWith(const std::string& item, const std::string& reason, int code) {
    if (!firstError_)
        firstError_ = code;
    if (!(rec_.fFlags & FOF_NOERRORUI))
        ui_.ShowError(item, reason);
}

void Context::Fail(const std::string& item, int err) {
    FailWith(item, std::strerror(err), kOpSystemBase + err);
}

bool Context::Tick(const std::string& item) {
    if (!cancelled_ && !ui_.Progress(item))
        cancelled_ = true;
    return !cancelled_;
}

int Context::Result() const {
    if (cancelled_)
        return kOpCancelled;
    if (firstError_)
        return firstError_;
    return skipped_ ? kOpNotAll : kOpOk;
}

}  // namespace fileop

namespace {

using fileop::Context;
using fileop::SameItem;

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            close(fd);
    }
};

// The folder of a path and its last name; "" name for the root.
void Split(const std::string& path, std::string& folder, std::string& name) {
    const std::string p = path.size() > 1 && path.back() == kSep ? RemoveBackslash(path) : path;
    name = PathLeaf(p);
    folder = PathParent(p);
    if (folder.empty())
        folder = ".";
}

// The items a source names: one path, or every entry of a folder for "folder/*".
bool Expand(Context& ctx, const std::string& from, std::string& folder,
            std::vector<std::string>& names) {
    std::string name;
    Split(from, folder, name);
    if (name != "*") {
        names.push_back(name);
        return !name.empty();
    }
    DIR* d = opendir(folder.c_str());
    if (!d) {
        ctx.Fail(folder, errno);
        return false;
    }
    while (const dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    closedir(d);
    // Name order, so questions come in an order people can follow.
    std::sort(names.begin(), names.end());
    return true;
}

// True when `inner` (a folder path) is `outer` or lies below it, by identity, links resolved.
bool InsideOf(const std::string& inner, const struct stat& outer) {
    char* real = realpath(inner.c_str(), nullptr);
    if (!real)
        return false;
    std::string p = real;
    std::free(real);
    for (;;) {
        struct stat st;
        if (stat(p.c_str(), &st) == 0 && SameItem(st, outer))
            return true;
        if (p == "/")
            return false;
        p = PathParent(RemoveBackslash(p));
        if (p.size() > 1)
            p = RemoveBackslash(p);
        if (p.empty())
            return false;
    }
}

int Transfer(const FileOpRecord& rec, bool move) {
    Context ctx(rec, CurrentFileOpUi());
    std::string srcFolder;
    std::vector<std::string> names;
    if (!Expand(ctx, rec.pFrom, srcFolder, names))
        return ctx.Result() ? ctx.Result() : kOpBadRequest;
    const std::string dst = RemoveBackslash(rec.pTo).empty() ? "/" : RemoveBackslash(rec.pTo);
    struct stat dstSt;
    if (stat(dst.c_str(), &dstSt) != 0) {
        // The destination folder is made when missing, as the shell does.
        if (errno != ENOENT || mkdir(dst.c_str(), 0777) != 0 || stat(dst.c_str(), &dstSt) != 0) {
            ctx.Fail(dst, errno);
            return ctx.Result();
        }
    }
    if (!S_ISDIR(dstSt.st_mode)) {
        ctx.Fail(dst, ENOTDIR);
        return ctx.Result();
    }
    const int srcDir = open(srcFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FdCloser srcClose{srcDir};
    const int dstDir = open(dst.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FdCloser dstClose{dstDir};
    if (srcDir < 0 || dstDir < 0) {
        ctx.Fail(srcDir < 0 ? srcFolder : dst, errno);
        return ctx.Result();
    }
    const std::string srcBase = AddBackslash(srcFolder);
    const std::string dstBase = AddBackslash(dst);
    // Refuse anything that would put a folder into itself before touching the disk.
    for (const std::string& name : names) {
        struct stat st;
        if (fstatat(srcDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ctx.Fail(srcBase + name, errno);
            return ctx.Result();
        }
        struct stat target;
        if (fstatat(dstDir, name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameItem(st, target)) {
            ctx.FailWith(srcBase + name, "移動先と移動元が同じです。", kOpSameItem);
            return ctx.Result();
        }
        if (S_ISDIR(st.st_mode) && InsideOf(dst, st)) {
            ctx.FailWith(srcBase + name, "移動先のフォルダは移動元のサブフォルダです。",
                         kOpIntoItself);
            return ctx.Result();
        }
    }
    for (const std::string& name : names) {
        if (ctx.Cancelled())
            break;
        // An existing folder of that name that holds the item (the "*" folder itself, say)
        // cannot receive it.
        struct stat target;
        if (fstatat(dstDir, name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(target.st_mode) && InsideOf(srcFolder, target)) {
            ctx.FailWith(srcBase + name, "同じ名前のフォルダが移動元を含んでいます。",
                         kOpIntoItself);
            continue;
        }
        fileop::TransferEntry(ctx, srcDir, srcBase + name, name, dstDir, dstBase + name, name,
                              move);
    }
    return ctx.Result();
}

// Removes one empty folder: never its content, never through a link.
int DeleteEmptyFolder(const FileOpRecord& rec) {
    Context ctx(rec, CurrentFileOpUi());
    struct stat st;
    if (lstat(rec.pFrom.c_str(), &st) != 0) {
        ctx.Fail(rec.pFrom, errno);
    } else if (!S_ISDIR(st.st_mode)) {
        ctx.Fail(rec.pFrom, ENOTDIR);
    } else if (rmdir(rec.pFrom.c_str()) != 0) {
        ctx.Fail(rec.pFrom, errno);
    }
    return ctx.Result();
}

int Delete(const FileOpRecord& rec) {
    if (rec.fFlags & FOF_EMPTYFOLDERONLY)
        return DeleteEmptyFolder(rec);
    Context ctx(rec, CurrentFileOpUi());
    std::string folder;
    std::vector<std::string> names;
    if (!Expand(ctx, rec.pFrom, folder, names))
        return ctx.Result() ? ctx.Result() : kOpBadRequest;
    const std::string base = AddBackslash(folder);
    if (rec.fFlags & FOF_ALLOWUNDO) {
        for (const std::string& name : names) {
            if (!ctx.Tick(base + name))
                break;
            std::string reason;
            if (!MoveToTrash(base + name, reason))
                ctx.FailWith(base + name, "ごみ箱に移動できません: " + reason, kOpTrashFailed);
        }
        return ctx.Result();
    }
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FdCloser closer{dir};
    if (dir < 0) {
        ctx.Fail(folder, errno);
        return ctx.Result();
    }
    for (const std::string& name : names) {
        if (ctx.Cancelled())
            break;
        fileop::DeleteEntry(ctx, dir, base + name, name);
    }
    return ctx.Result();
}

int Rename(const FileOpRecord& rec) {
    Context ctx(rec, CurrentFileOpUi());
    // Never replaces: a file system without the no-replace flag fails rather than clobbers.
    if (renameat2(AT_FDCWD, rec.pFrom.c_str(), AT_FDCWD, rec.pTo.c_str(), RENAME_NOREPLACE) != 0)
        ctx.Fail(rec.pFrom, errno);
    return ctx.Result();
}

NoWindowFileOpUi g_noWindow;
FileOpUi* g_ui = nullptr;

}  // namespace

void NoWindowFileOpUi::ShowError(const std::string& item, const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", item.c_str(), reason.c_str());
}

FileOpUi& CurrentFileOpUi() {
    return g_ui ? *g_ui : g_noWindow;
}
void SetFileOpUi(FileOpUi* ui) {
    g_ui = ui;
}
void SetReadFailureHook(int (*hook)(const std::string&)) {
    fileop::g_readFailure = hook;
}

int RunFileOperation(const FileOpRecord& rec) {
    if (rec.pFrom.empty())
        return kOpBadRequest;
    int result = kOpBadRequest;
    switch (rec.wFunc) {
        case FO_COPY:
            result = Transfer(rec, false);
            break;
        case FO_MOVE:
            result = Transfer(rec, true);
            break;
        case FO_DELETE:
            result = Delete(rec);
            break;
        case FO_RENAME:
            result = Rename(rec);
            break;
        default:
            break;
    }
    CurrentFileOpUi().Finished();
    return result;
}

}  // namespace corvelle
