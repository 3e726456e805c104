// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/file_op.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/test_seam.h"
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
    return Take(ui_.AskReplace(target, merge), yesToAll_);
}

bool Context::ConfirmDownload(const std::string& item) {
    if ((rec_.fFlags & FOF_NOCONFIRMATION) || downloadAll_)
        return true;
    return Take(ui_.AskDownload(item), downloadAll_);
}

bool Context::Take(FileOpUi::Answer answer, bool& toAll) {
    switch (answer) {
        case FileOpUi::Answer::Yes:
            return true;
        case FileOpUi::Answer::YesToAll:
            toAll = true;
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

const char* Context::OpName() const {
    switch (rec_.wFunc) {
        case FO_COPY:
            return "コピー";
        case FO_MOVE:
            return "移動";
        case FO_DELETE:
            return (rec_.fFlags & FOF_ALLOWUNDO) ? "ごみ箱へ移動" : "削除";
        default:
            return "名前を変更";
    }
}

void Context::Fail(Error error) {
    error.operation = OpName();
    if (!(rec_.fFlags & FOF_NOERRORUI))
        ui_.ShowError(error);
    if (!first_)
        first_ = std::move(error);
}

void Context::FailWith(const std::string& item, const std::string& reason, int code) {
    Error e{code, reason};
    e.path = item;
    Fail(std::move(e));
}

void Context::Fail(const std::string& item, int err) {
    // A system failure's number is the result code the shell reports for it.
    Error e = SystemError(err, item);
    e.number = kOpSystemBase + err;
    Fail(std::move(e));
}

bool Context::Tick(const std::string& item, long long copied) {
    done_ += copied;
    if (!cancelled_ && !ui_.Progress(item, done_, total_))
        cancelled_ = true;
    return !cancelled_;
}

Context::~Context() = default;

int Context::CopyOf(std::uint64_t volume, std::uint64_t number) const {
    const auto it = copies_.find({volume, number});
    return it == copies_.end() ? -1 : it->second.Get();
}

void Context::RememberCopy(std::uint64_t volume, std::uint64_t number, UniqueFd fd) {
    copies_.emplace(std::make_pair(volume, number), std::move(fd));
}

Error Context::Outcome() const {
    if (cancelled_)
        return Error{kOpCancelled, "操作は取り消されました。"};
    if (first_)
        return first_;
    return skipped_ ? Error{kOpNotAll, "一部の項目は処理しませんでした。"} : Error{};
}

}  // namespace fileop

namespace {

using fileop::Context;

// Where the items of a record lie: an open folder, the names in it, how messages name it.
struct Source {
    UniqueFd dir;
    std::string base;  // display path of the folder, ending in "/"
    std::vector<std::string> names;
};

Error BadRequest(const FileOpRecord& rec) {
    Error e{kOpBadRequest, "操作か項目の指定が正しくありません。"};
    e.path = rec.pFrom;
    return e;
}

// A source that could not be opened, said so already or else refused as a bad request.
Error BadRequestUnlessFailed(const Context& ctx, const FileOpRecord& rec) {
    Error e = ctx.Outcome();
    return e ? e : BadRequest(rec);
}

// Opens what the record names: one item (its parent opened as given, the item itself never
// followed), or, for the raise, the listed entries of one folder.
bool OpenSource(Context& ctx, const FileOpRecord& rec, Source& src) {
    if (rec.listedEntries) {
        src.dir = rec.fromDir >= 0 ? Duplicate(rec.fromDir) : OpenFolderPath(rec.pFrom);
        src.base = AddBackslash(rec.pFrom);
        if (!src.dir.Valid()) {
            ctx.Fail(rec.pFrom, errno);
            return false;
        }
        src.names = rec.entries;
        // Name order, so questions come in an order people can follow.
        std::sort(src.names.begin(), src.names.end());
        return true;
    }
    std::string leaf;
    src.dir = OpenParentOf(rec.pFrom, leaf);
    if (!src.dir.Valid()) {
        ctx.Fail(rec.pFrom, errno);
        return false;
    }
    std::string from = rec.pFrom;
    while (from.size() > 1 && from.back() == kSep) from.pop_back();
    src.base = PathParent(from);
    src.names.push_back(leaf);
    return true;
}

// The destination folder, made when missing as the shell does.
UniqueFd OpenDestination(Context& ctx, const FileOpRecord& rec, std::string& dst) {
    dst = RemoveBackslash(rec.pTo).empty() ? std::string(1, kSep) : RemoveBackslash(rec.pTo);
    if (rec.toDir >= 0)
        return Duplicate(rec.toDir);
    UniqueFd fd = OpenFolderPath(dst);
    if (!fd.Valid() && errno == ENOENT) {
        // Made only when the user agrees (or asked for no questions).
        if (!(rec.fFlags & FOF_NOCONFIRMATION) && !CurrentFileOpUi().AskCreateFolder(dst)) {
            ctx.Cancel();
            return fd;
        }
        std::string leaf;
        UniqueFd parent = OpenParentOf(dst, leaf);
        if (parent.Valid() && MakeFolderAt(parent.Get(), leaf))
            fd = OpenFolderAt(parent.Get(), leaf);
        else
            errno = parent.Valid() ? errno : ENOENT;
    }
    if (!fd.Valid())
        ctx.Fail(dst, errno);
    return fd;
}

// The raise: every entry renamed into the destination, none replacing anything. On a
// failure the entries already moved go back, so the tree is as it was.
void MoveAllEntries(Context& ctx, const Source& src, int dstDir, const std::string& dstBase) {
    std::vector<std::string> moved;
    bool failed = false;
    for (const std::string& name : src.names) {
        Seam("move:entry", src.base + name);
        if (!ctx.Tick(src.base + name)) {
            failed = true;
            break;
        }
        if (!RenameNoReplace(src.dir.Get(), name, dstDir, name)) {
            ctx.Fail(src.base + name, errno);
            failed = true;
            break;
        }
        moved.push_back(name);
    }
    if (!failed)
        return;
    std::string stranded;
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        if (!RenameNoReplace(dstDir, *it, src.dir.Get(), *it))
            stranded += "\n" + dstBase + *it;
    }
    if (!stranded.empty())
        ctx.FailWith(src.base, "移動した項目を元に戻せませんでした。次の場所にあります:" + stranded,
                     kOpNotPutBack);
}

Error Transfer(const FileOpRecord& rec, bool move) {
    Context ctx(rec, CurrentFileOpUi());
    Source src;
    if (!OpenSource(ctx, rec, src))
        return BadRequestUnlessFailed(ctx, rec);
    std::string dst;
    const UniqueFd dstDir = OpenDestination(ctx, rec, dst);
    if (!dstDir.Valid())
        return ctx.Outcome();
    const std::string dstBase = AddBackslash(dst);
    if (rec.listedEntries && move) {
        // Renames only: the kernel itself refuses a folder into its own sub-folder.
        MoveAllEntries(ctx, src, dstDir.Get(), dstBase);
        return ctx.Outcome();
    }
    // Refuse anything that would put a folder into itself before touching the disk.
    for (const std::string& name : src.names) {
        ItemInfo item;
        if (!InfoAt(src.dir.Get(), name, item)) {
            ctx.Fail(src.base + name, errno);
            return ctx.Outcome();
        }
        ItemInfo target;
        if (InfoAt(dstDir.Get(), name, target) && target.id.SameNumber(item.id)) {
            ctx.FailWith(src.base + name,
                         ctx.OpName() + std::string("先と") + ctx.OpName() + "元が同じです。",
                         kOpSameItem);
            return ctx.Outcome();
        }
        if (item.IsDir() && FolderWithin(dstDir.Get(), item.id)) {
            ctx.FailWith(src.base + name,
                         ctx.OpName() + std::string("先のフォルダは") + ctx.OpName() +
                             "元のサブフォルダです。",
                         kOpIntoItself);
            return ctx.Outcome();
        }
    }
    if (!move) {
        long long total = 0;
        for (const std::string& name : src.names) total += fileop::TreeBytes(src.dir.Get(), name);
        ctx.SetTotal(total);
    }
    for (const std::string& name : src.names) {
        if (ctx.Cancelled())
            break;
        // An existing folder of that name that holds the item cannot receive it.
        ItemInfo target;
        if (InfoAt(dstDir.Get(), name, target) && target.IsDir() &&
            FolderWithin(src.dir.Get(), target.id)) {
            ctx.FailWith(src.base + name,
                         std::string("同じ名前のフォルダが") + ctx.OpName() + "元を含んでいます。",
                         kOpIntoItself);
            continue;
        }
        fileop::TransferEntry(ctx, src.dir.Get(), src.base + name, name, dstDir.Get(),
                              dstBase + name, name, move);
    }
    return ctx.Outcome();
}

Error Delete(const FileOpRecord& rec) {
    Context ctx(rec, CurrentFileOpUi());
    Source src;
    if (!OpenSource(ctx, rec, src))
        return BadRequestUnlessFailed(ctx, rec);
    for (const std::string& name : src.names) {
        if (!ctx.Tick(src.base + name))
            break;
        if (rec.fFlags & FOF_ALLOWUNDO) {
            if (Error e = MoveToTrashAt(src.dir.Get(), name, src.base + name)) {
                // No Trash there: deleting for good only when the user says so.
                if (e.number == kErrNoTrash) {
                    if (!CurrentFileOpUi().AskDeletePermanently(e)) {
                        ctx.Cancel();
                        break;
                    }
                    fileop::DeleteEntry(ctx, src.dir.Get(), src.base + name, name);
                    continue;
                }
                // The shell asked (delete for good?) and the user said no: no failure at all.
                if (e.sysErrno == ECANCELED) {
                    ctx.Cancel();
                    break;
                }
                e.number = kOpTrashFailed;  // the item stays where it was
                ctx.Fail(std::move(e));
            }
        } else {
            fileop::DeleteEntry(ctx, src.dir.Get(), src.base + name, name);
        }
    }
    return ctx.Outcome();
}

Error Rename(const FileOpRecord& rec) {
    Context ctx(rec, CurrentFileOpUi());
    std::string from, to;
    const UniqueFd fromDir = OpenParentOf(rec.pFrom, from);
    if (!fromDir.Valid()) {
        ctx.Fail(rec.pFrom, errno);
        return ctx.Outcome();
    }
    const UniqueFd toDir = OpenParentOf(rec.pTo, to);
    // Never replaces: a file system without the no-replace flag fails rather than clobbers.
    if (!toDir.Valid() || !RenameNoReplace(fromDir.Get(), from, toDir.Get(), to))
        ctx.Fail(rec.pFrom, errno);
    return ctx.Outcome();
}

NoWindowFileOpUi g_noWindow;
FileOpUi* g_ui = nullptr;

}  // namespace

void NoWindowFileOpUi::ShowError(const Error& error) {
    std::fprintf(stderr, "%s\n", ErrorMessage(error).c_str());
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

Error FileOperation(const FileOpRecord& rec) {
    if (rec.pFrom.empty())
        return BadRequest(rec);
    Error result = BadRequest(rec);
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
