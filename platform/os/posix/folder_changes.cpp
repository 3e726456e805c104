// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/folder_changes.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace corvelle {
namespace {

mode_t ModeFor(const FolderMeta& m) {
    mode_t mode = m.mode & 07777;
    if (geteuid() != 0 && m.uid != geteuid())
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    return mode;
}

}  // namespace

bool MakeFolderAt(int dir, const std::string& name) {
    return mkdirat(dir, name.c_str(), 0777) == 0;
}

bool MakePrivateFolderAt(int dir, const std::string& name) {
    return mkdirat(dir, name.c_str(), 0700) == 0;
}

bool RemoveEmptyFolderAt(int dir, const std::string& name) {
    return unlinkat(dir, name.c_str(), AT_REMOVEDIR) == 0;
}

bool RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to) {
    return renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0;
}

void SetFolderTimes(int folder, const FolderMeta& m) {
    if (m.mtimeNs == 0)
        return;  // not known
    const struct timespec times[2] = {{m.atimeNs / 1000000000, m.atimeNs % 1000000000},
                                      {m.mtimeNs / 1000000000, m.mtimeNs % 1000000000}};
    futimens(folder, times);
}

void SetFolderOwnerAndMode(int folder, const FolderMeta& m) {
    const uid_t me = geteuid();
    // Without the right to the group, the folder keeps ours.
    (void)!fchown(folder, me == 0 ? m.uid : static_cast<uid_t>(-1), m.gid);
    fchmod(folder, ModeFor(m));
}

UniqueFd MakeFileAt(int dir, const std::string& name) {
    return UniqueFd(
        openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
}

void SetFileAttributesAndTimes(int file, const FolderMeta& m) {
    SetFolderOwnerAndMode(file, m);
    SetFolderTimes(file, m);
}

bool MadeByUndoFor(const ItemInfo& folder, const FolderMeta& m) {
    const uid_t me = geteuid();
    const bool owner = folder.meta.uid == me || (me == 0 && folder.meta.uid == m.uid);
    return owner && (folder.meta.mode == 0700 || folder.meta.mode == ModeFor(m));
}

bool PrivateToUser(const ItemInfo& folder) {
    return folder.IsDir() && folder.meta.uid == geteuid() && folder.meta.mode == 0700;
}

int ProcessId() {
    return static_cast<int>(getpid());
}

}  // namespace corvelle
