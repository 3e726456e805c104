// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/own_files.h"

#include <cerrno>

#include "platform/os/folders.h"
#include "platform/os/windows/win_base.h"

namespace corvelle {

using namespace win;

namespace {

// Byte-range locks on Windows keep others from reading what they cover: the lock sits on one
// byte far beyond any data instead, which no reader ever touches.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

}  // namespace

Error OpenOwnFolder(const std::string& path, bool create, UniqueFd& dir) {
    if (create && !MakeFolders(path))
        return SystemError(errno, path);
    std::string leaf;
    const UniqueFd parent = OpenParentOf(path, leaf);
    dir = parent.Valid() ? OpenFolderAt(parent.Get(), leaf) : UniqueFd();
    if (!dir.Valid())
        return SystemError(errno == ENOTDIR ? ELOOP : errno, path);
    if (!UserAlone(dir.Get())) {
        dir.Reset();
        return KindError(kErrJournalNotOwn, path);
    }
    return {};
}

Error OpenOwnFile(const std::string& path, bool append, long long maxBytes, UniqueFd& fd) {
    const ACCESS_MASK access = GENERIC_READ | READ_CONTROL | (append ? FILE_APPEND_DATA : 0);
    fd.Reset(OpenPath(path, access, FILE_FLAG_OPEN_REPARSE_POINT));
    BY_HANDLE_FILE_INFORMATION bh;
    if (!fd.Valid() || !GetFileInformationByHandle(H(fd.Get()), &bh)) {
        if (fd.Valid())
            Fail();
        Error e = SystemError(errno, path);
        fd.Reset();
        return e;
    }
    const long long size = (static_cast<long long>(bh.nFileSizeHigh) << 32) | bh.nFileSizeLow;
    Error refused;
    if ((bh.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        GetFileType(H(fd.Get())) != FILE_TYPE_DISK) {
        refused = KindError(kErrNotAJournal, path);
        refused.detail = " (通常のファイルではありません)";
    } else if (!UserAlone(fd.Get())) {
        refused = KindError(kErrJournalNotOwn, path);
    } else if (size > maxBytes) {
        refused = KindError(kErrJournalTooLarge, path);
    }
    if (refused)
        fd.Reset();
    return refused;
}

bool CreateOwnFileAt(int dir, const std::string& name, UniqueFd& fd) {
    // Inherits the journal folder's permissions, which are the user's alone.
    fd.Reset(OpenAt(dir, Wide(name), GENERIC_READ | FILE_APPEND_DATA | READ_CONTROL, FILE_CREATE,
                    FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL));
    return fd.Valid();
}

bool TryLock(int fd, bool exclusive) {
    OVERLAPPED at = {};
    at.OffsetHigh = kLockOffsetHigh;
    if (LockFileEx(H(fd), (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY, 0,
                   1, 0, &at))
        return true;
    const DWORD err = GetLastError();
    return Fail(err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING ? ERROR_LOCK_FAILED : err);
}

long ReadSome(int fd, char* buf, size_t size) {
    DWORD n = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(H(fd), buf, want, &n, nullptr)) {
        if (GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        Fail();
        return -1;
    }
    return static_cast<long>(n);
}

bool ReadAt(int fd, long long offset, char* buf, size_t size) {
    while (size > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD n = 0;
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!ReadFile(H(fd), buf, want, &n, &at))
            return Fail();
        if (n == 0) {
            errno = EIO;
            return false;
        }
        buf += n, size -= n, offset += n;
    }
    return true;
}

long long SizeOf(int fd) {
    LARGE_INTEGER size;
    return GetFileSizeEx(H(fd), &size) ? size.QuadPart : -1;
}

bool SyncData(int fd) {
    return FlushFileBuffers(H(fd)) || Fail();
}

bool SyncFolder(int dir) {
    // NTFS writes its own changes to names through its log; flushing a folder needs write
    // access this handle does not hold, so a refusal there is no failure.
    if (!FlushFileBuffers(H(dir))) {
        const DWORD err = GetLastError();
        if (err != ERROR_ACCESS_DENIED && err != ERROR_INVALID_HANDLE &&
            err != ERROR_INVALID_FUNCTION)
            return Fail(err);
    }
    return true;
}

bool RemoveFileAt(int dir, const std::string& name) {
    // A junction is a folder to Windows but a link here: it goes, a real folder does not.
    const UniqueFd fd(OpenAt(dir, Wide(name), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                             FILE_OPEN, 0));
    ItemInfo info;
    if (!fd.Valid() || !InfoOf(fd.Get(), info))
        return false;
    if (info.IsDir()) {
        errno = EISDIR;
        return false;
    }
    return DeleteByHandle(fd.Get());
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(LongPath(path).c_str()) || Fail();
}

long long ModifiedSeconds(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data))
        return -1;
    const std::int64_t ft = (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                            data.ftLastWriteTime.dwLowDateTime;
    return UnixNs(ft) / 1000000000;
}

}  // namespace corvelle
