// SPDX-License-Identifier: GPL-3.0-or-later
// Folder changes by handle on Windows. The classic rename information class with a root
// folder handle and no replacing, the disposition class for deleting: both exist on every
// Windows (the …Ex classes do not, nor under Wine).
#include "platform/os/folder_changes.h"

#include <cerrno>

#include "platform/os/windows/win_base.h"

namespace corvelle {

using namespace win;

namespace {

bool MakeAt(int dir, const std::string& name) {
    const UniqueFd fd(OpenAt(dir, Wide(name), FILE_READ_ATTRIBUTES, FILE_CREATE,
                             FILE_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL));
    return fd.Valid();
}

}  // namespace

bool MakeFolderAt(int dir, const std::string& name) {
    return MakeAt(dir, name);
}

bool MakePrivateFolderAt(int dir, const std::string& name) {
    // The folder inherits the permissions of the folder it is made in, which the user could
    // already write to; what marks it as fresh is that it has no attributes yet.
    return MakeAt(dir, name);
}

bool RemoveEmptyFolderAt(int dir, const std::string& name) {
    const std::wstring wide = Wide(name);
    constexpr ACCESS_MASK kAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
    UniqueFd fd(OpenAt(dir, wide, kAccess, FILE_OPEN, FILE_DIRECTORY_FILE));
    ItemInfo info;
    if (!fd.Valid() || !InfoOf(fd.Get(), info))
        return false;
    if (!info.IsDir()) {
        errno = ENOTDIR;  // a junction or link where a folder was: never removed here
        return false;
    }
    if (DeletedAtOnce(fd.Get()))
        return true;
    if (errno != ENOSYS)
        return false;
    // Without POSIX semantics (FAT, exFAT, Wine) the folder would go only when the last
    // handle to it closes: held exclusively, it goes when this one does, or it is in use.
    fd.Reset();
    fd.Reset(OpenAt(dir, wide, kAccess, FILE_OPEN, FILE_DIRECTORY_FILE, 0, 0));
    ItemInfo again;
    if (!fd.Valid() || !InfoOf(fd.Get(), again))
        return false;
    if (!again.id.SameNumber(info.id)) {
        errno = EAGAIN;
        return false;
    }
    return DeleteByHandle(fd.Get());
}

bool RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to) {
    return RenameAt(fromDir, from, toDir, to, false);
}

void SetFolderTimes(int folder, const FolderMeta& m) {
    if (m.mtimeNs == 0)
        return;  // not known
    FILE_BASIC_INFO basic = {};
    basic.LastAccessTime.QuadPart = FileTimeOf(m.atimeNs);
    basic.LastWriteTime.QuadPart = FileTimeOf(m.mtimeNs);
    SetFileInformationByHandle(H(folder), FileBasicInfo, &basic, sizeof basic);
}

void SetFolderOwnerAndMode(int folder, const FolderMeta& m) {
    // The owner stays the user's: Windows gives files to whoever makes them, and a user may
    // not hand them to another. The attributes come back.
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = (m.mode & kRestorable) | FILE_ATTRIBUTE_DIRECTORY;
    SetFileInformationByHandle(H(folder), FileBasicInfo, &basic, sizeof basic);
}

UniqueFd MakeFileAt(int dir, const std::string& name) {
    return UniqueFd(OpenAt(dir, Wide(name), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, FILE_CREATE,
                           FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL));
}

void SetFileAttributesAndTimes(int file, const FolderMeta& m) {
    FILE_BASIC_INFO basic = {};
    const DWORD attributes = m.mode & kRestorable;
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (m.mtimeNs != 0) {
        basic.LastAccessTime.QuadPart = FileTimeOf(m.atimeNs);
        basic.LastWriteTime.QuadPart = FileTimeOf(m.mtimeNs);
    }
    SetFileInformationByHandle(H(file), FileBasicInfo, &basic, sizeof basic);
}

bool MadeByUndoFor(const ItemInfo& folder, const FolderMeta& m) {
    return folder.IsDir() && (folder.meta.mode == 0 || folder.meta.mode == (m.mode & kRestorable));
}

bool PrivateToUser(const ItemInfo& folder) {
    return folder.IsDir() && folder.meta.mode == 0;
}

int ProcessId() {
    return static_cast<int>(GetCurrentProcessId());
}

}  // namespace corvelle
