// SPDX-License-Identifier: GPL-3.0-or-later
// Copy and move on Windows: renames by handle within a volume; file data read and written
// through handles in chunks (counted for the progress window, cancellable), attributes and
// times kept; links copied as links by the system; folders entry by entry. A source is
// removed only after its copy is whole and only while it is still the item that was copied.
#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/file_write.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/own_files.h"
#include "platform/os/windows/win_base.h"
#include "util/paths.h"

namespace corvelle::fileop {
namespace {

using namespace win;

constexpr DWORD kChunk = 1 << 20;

std::string TempName() {
    static std::atomic<unsigned> counter{0};
    return ".corvelle-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) +
           ".part";
}

struct FileState {
    std::int64_t size = 0;
    FILE_BASIC_INFO basic{};
};

bool StateOf(int fd, FileState& state) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(H(fd), &size) ||
        !GetFileInformationByHandleEx(H(fd), FileBasicInfo, &state.basic, sizeof state.basic))
        return Fail();
    state.size = size.QuadPart;
    return true;
}

// The data of in, chunk by chunk, to out: each chunk counted, cancellable, and failing where
// the test seam says.
bool CopyData(Context& ctx, const std::string& srcPath, int in, int out, int& err) {
    static std::vector<char> buf(kChunk);
    for (DWORD done = 0;;) {
        if (!ctx.Tick(srcPath, done))
            return err = 0, false;
        if (const int injected = ReadFailureFor(srcPath))
            return err = injected, false;
        if (!ReadFile(H(in), buf.data(), kChunk, &done, nullptr))
            return Fail(), err = errno, false;
        if (done == 0)
            return true;
        if (!WriteAll(out, buf.data(), done))
            return err = errno, false;
    }
}

// The named streams of a file (":name:$DATA") beside its data, each copied in full; a
// move across volumes would lose them otherwise.
bool CopyStreams(Context& ctx, const std::string& srcPath, int in, int srcDir,
                 const std::string& name, int dstDir, const std::string& tmp, int& err) {
    std::vector<char> buf(64 * 1024);
    if (!GetFileInformationByHandleEx(H(in), FileStreamInfo, buf.data(),
                                      static_cast<DWORD>(buf.size())))
        return true;  // none, or a file system without streams
    for (size_t off = 0;;) {
        const auto* e = reinterpret_cast<const FILE_STREAM_INFO*>(buf.data() + off);
        const std::wstring stream(e->StreamName, e->StreamNameLength / sizeof(wchar_t));
        if (stream != L"::$DATA") {
            const UniqueFd from(OpenAt(srcDir, Wide(name) + stream, GENERIC_READ, FILE_OPEN,
                                       FILE_NON_DIRECTORY_FILE));
            const UniqueFd to(OpenAt(dstDir, Wide(tmp) + stream, GENERIC_WRITE, FILE_CREATE,
                                     FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL));
            if (!from.Valid() || !to.Valid())
                return err = errno, false;
            if (!CopyData(ctx, srcPath, from.Get(), to.Get(), err))
                return false;
        }
        if (e->NextEntryOffset == 0)
            return true;
        off += e->NextEntryOffset;
    }
}

// A link copies as a link: only the system knows how to make one.
bool CopyLink(Context& ctx, const std::string& srcPath, const std::string& dstPath) {
    if (CopyFileExW(LongPath(srcPath).c_str(), LongPath(dstPath).c_str(), nullptr, nullptr, nullptr,
                    COPY_FILE_COPY_SYMLINK | COPY_FILE_FAIL_IF_EXISTS))
        return true;
    ctx.Fail(srcPath, ErrnoOf(GetLastError()));
    return false;
}

// The file is read through a handle opened from its folder and written under a name of our
// own, which takes the target's name only when the copy is whole (and, for a move, the
// source did not change meanwhile). Attributes and the three times come along.
bool CopyOneFile(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                 const ItemInfo& seen, int dstDir, const std::string& dstPath,
                 const std::string& dstName, bool replace, bool verify) {
    const UniqueFd in(OpenAt(srcDir, Wide(name), GENERIC_READ, FILE_OPEN,
                             FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY));
    ItemInfo opened;
    FileState before;
    if (!in.Valid() || !InfoOf(in.Get(), opened) || !StateOf(in.Get(), before)) {
        ctx.Fail(srcPath, errno);
        return false;
    }
    if (!opened.id.SameNumber(seen.id)) {
        ctx.Fail(srcPath, EAGAIN);  // replaced by another item since it was looked at
        return false;
    }
    std::string tmp;
    UniqueFd out;
    for (int tries = 0; !out.Valid() && tries < 100; ++tries) {
        tmp = TempName();
        out.Reset(OpenAt(dstDir, Wide(tmp), GENERIC_WRITE | DELETE | FILE_WRITE_ATTRIBUTES,
                         FILE_CREATE, FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY,
                         FILE_ATTRIBUTE_NORMAL));
        if (!out.Valid() && errno != EEXIST)
            break;
    }
    if (!out.Valid()) {
        ctx.Fail(dstPath, errno);
        return false;
    }
    auto abandon = [&](const std::string& item, int err) {
        DeleteByHandle(out.Get());
        out.Reset();
        if (err)
            ctx.Fail(item, err);
        return false;
    };
    int err = 0;
    if (!CopyData(ctx, srcPath, in.Get(), out.Get(), err) ||
        !CopyStreams(ctx, srcPath, in.Get(), srcDir, name, dstDir, tmp, err))
        return abandon(err == ENOSPC ? dstPath : srcPath, err);
    // A source that changed while it was read is not faithfully copied: for a move it keeps
    // its place and the copy goes.
    FileState after;
    if (verify && (!StateOf(in.Get(), after) || after.size != before.size ||
                   after.basic.LastWriteTime.QuadPart != before.basic.LastWriteTime.QuadPart))
        return abandon(srcPath, EAGAIN);
    FILE_BASIC_INFO basic = before.basic;
    basic.ChangeTime.QuadPart = 0;  // the system's own
    basic.FileAttributes &= ~DWORD{FILE_ATTRIBUTE_DIRECTORY};
    SetFileInformationByHandle(H(out.Get()), FileBasicInfo, &basic, sizeof basic);
    if (verify && !FlushFileBuffers(H(out.Get()))) {
        Fail();
        return abandon(dstPath, errno);
    }
    out.Reset();
    if (RenameAt(dstDir, tmp, dstDir, dstName, replace))
        return true;
    const int why = errno;
    RemoveFileAt(dstDir, tmp);
    ctx.Fail(dstPath, why);
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
        whole &= TransferEntry(ctx, src.Get(), srcPath + kSep + n, n, dst.Get(), dstPath + kSep + n,
                               n, move);
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
            if (IsLinkLike(l.attributes, l.tag))
                return true;
            total +=
                (l.attributes & FILE_ATTRIBUTE_DIRECTORY) ? TreeBytes(sub.Get(), l.name) : l.bytes;
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
    // Reading a cloud file that is only a name downloads it: the user says so first.
    if (st.placeholder && !ctx.ConfirmDownload(srcPath))
        return false;
    const bool copied = st.IsLink() ? !exists && CopyLink(ctx, srcPath, dstPath)
                                    : CopyOneFile(ctx, srcDir, srcPath, name, st, dstDir, dstPath,
                                                  dstName, exists, move);
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
