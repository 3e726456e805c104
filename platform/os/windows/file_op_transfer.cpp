// SPDX-License-Identifier: GPL-3.0-or-later
// Copy and move on Windows: renames by handle within a volume, CopyFileExW for file data
// (links copied as links, attributes and times kept), folders entry by entry. A source is
// removed only after its copy is whole and only while it is still the item that was copied.
#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/own_files.h"
#include "platform/os/windows/win_base.h"
#include "util/paths.h"

namespace corvelle::fileop {
namespace {

using namespace win;

struct CopyProgress {
    Context* ctx;
    const std::string* item;
    long long reported = 0;
};

DWORD CALLBACK OnProgress(LARGE_INTEGER, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                          DWORD, HANDLE, HANDLE, LPVOID data) {
    auto* p = static_cast<CopyProgress*>(data);
    const long long step = done.QuadPart - p->reported;
    p->reported = done.QuadPart;
    return p->ctx->Tick(*p->item, step) ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
}

bool CopyOneFile(Context& ctx, const std::string& srcPath, const std::string& dstPath,
                 bool replace) {
    if (const int err = ReadFailureFor(srcPath)) {
        ctx.Fail(srcPath, err);
        return false;
    }
    CopyProgress progress{&ctx, &srcPath};
    const DWORD flags = COPY_FILE_COPY_SYMLINK | (replace ? 0 : COPY_FILE_FAIL_IF_EXISTS);
    if (CopyFileExW(LongPath(srcPath).c_str(), LongPath(dstPath).c_str(), OnProgress, &progress,
                    nullptr, flags))
        return true;
    const DWORD err = GetLastError();
    if (err == ERROR_REQUEST_ABORTED || ctx.Cancelled()) {
        ctx.Cancel();
        return false;
    }
    ctx.Fail(srcPath, ErrnoOf(err));
    return false;
}

bool TransferFolder(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                    const ItemInfo& st, int dstDir, const std::string& dstPath,
                    const std::string& dstName, bool move, bool exists) {
    UniqueFd src = OpenFolderAt(srcDir, name);
    ItemInfo opened;
    if (!src.Valid() || !InfoOf(src.Get(), opened) || !opened.id.SameNumber(st.id)) {
        ctx.Fail(srcPath, src.Valid() ? EAGAIN : errno);
        return false;
    }
    if (!exists && !MakeFolderAt(dstDir, dstName)) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    const UniqueFd dst = OpenFolderAt(dstDir, dstName);
    if (!dst.Valid()) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    std::vector<std::string> names;
    int err = 0;
    bool whole = ReadNames(src.Get(), names, err);
    if (!whole)
        ctx.Fail(srcPath, err);
    for (const std::string& n : names) {
        if (ctx.Cancelled()) {
            whole = false;
            break;
        }
        whole &= TransferEntry(ctx, src.Get(), srcPath + kSep + n, n, dst.Get(),
                               dstPath + kSep + n, n, move);
    }
    if (!exists) {
        SetFolderOwnerAndMode(dst.Get(), st.meta);
        SetFolderTimes(dst.Get(), st.meta);
    }
    src.Reset();
    if (whole && move && !RemoveEmptyFolderAt(srcDir, name)) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    return whole;
}

}  // namespace

long long TreeBytes(int dir, const std::string& name) {
    ItemInfo info;
    if (!InfoAt(dir, name, info))
        return 0;
    if (!info.IsDir()) {
        const UniqueFd fd(OpenAt(dir, Wide(name), FILE_READ_ATTRIBUTES, FILE_OPEN, 0));
        LARGE_INTEGER size;
        return fd.Valid() && GetFileSizeEx(H(fd.Get()), &size) ? size.QuadPart : 0;
    }
    const UniqueFd sub = OpenFolderAt(dir, name);
    long long total = 0;
    if (sub.Valid())
        ListFolder(sub.Get(), [&](const Listed& l) {
            if (IsReparse(l.attributes))
                return true;
            total += (l.attributes & FILE_ATTRIBUTE_DIRECTORY) ? TreeBytes(sub.Get(), l.name)
                                                               : l.bytes;
            return true;
        });
    return total;
}

bool TransferEntry(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                   int dstDir, const std::string& dstPath, const std::string& dstName, bool move) {
    if (!ctx.Tick(srcPath))
        return false;
    ItemInfo st;
    if (!InfoAt(srcDir, name, st)) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    ItemInfo target;
    const bool exists = InfoAt(dstDir, dstName, target);
    if (exists) {
        if (target.id.SameNumber(st.id)) {
            ctx.FailWith(srcPath,
                         ctx.OpName() + std::string("先と") + ctx.OpName() + "元が同じです。",
                         kOpSameItem);
            return false;
        }
        if (st.IsDir() != target.IsDir()) {
            ctx.Fail(dstPath, target.IsDir() ? EISDIR : ENOTDIR);
            return false;
        }
        if (!ctx.Confirm(dstPath, st.IsDir()))
            return false;
        if (st.IsDir())
            return TransferFolder(ctx, srcDir, srcPath, name, st, dstDir, dstPath, dstName, move,
                                  true);
        // A file replacing another: copied over it, then the source goes.
    } else if (move) {
        if (RenameNoReplace(srcDir, name, dstDir, dstName))
            return true;
        if (errno != EXDEV) {
            ctx.Fail(srcPath, errno);
            return false;
        }
    }
    // Across volumes the move becomes a copy: the progress can then count its bytes.
    if (move && !ctx.TotalKnown())
        ctx.SetTotal(TreeBytes(srcDir, name));
    if (st.IsDir())
        return TransferFolder(ctx, srcDir, srcPath, name, st, dstDir, dstPath, dstName, move,
                              false);
    const bool copied = CopyOneFile(ctx, srcPath, dstPath, exists);
    if (!copied || !move)
        return copied;
    // The source goes only if it is still the item that was copied.
    ItemInfo now;
    if (!InfoAt(srcDir, name, now) || !now.id.SameNumber(st.id)) {
        ctx.Fail(srcPath, EAGAIN);
        return false;
    }
    if (!RemoveFileAt(srcDir, name)) {
        const int err = errno;
        // The source stays, so the item was not moved: its fresh copy goes again (unless it
        // replaced an item the user agreed to replace, which then must not vanish too).
        if (!exists)
            RemoveFileAt(dstDir, dstName);
        ctx.Fail(srcPath, err);
        return false;
    }
    return true;
}

}  // namespace corvelle::fileop
