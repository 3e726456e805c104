// SPDX-License-Identifier: GPL-3.0-or-later
// What the Windows side of the file layer shares: text at the system boundary, errors turned
// into the errno values the interface speaks, and opening relative to a folder handle.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace corvelle::win {

// UTF-8 inside the program, UTF-16 at the system. A name holding a lone surrogate (Windows
// allows them) travels as its three-byte WTF-8 form, so every name comes back unchanged.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// errno values for the system's failures; each Fail… sets errno and returns false.
int ErrnoOf(DWORD error);
bool Fail(DWORD error = GetLastError());
bool FailStatus(NTSTATUS status);

// Handles travel as ints: only their low 32 bits are significant.
inline HANDLE H(int fd) {
    return LongToHandle(fd);
}
inline int Fd(HANDLE h) {
    return HandleToLong(h);
}

// Access of the folder handles the core holds: list, reach below, read and set attributes.
inline constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE |
                                             FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES |
                                             READ_CONTROL | SYNCHRONIZE;
inline constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
inline constexpr ULONG kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT

// The attributes a folder gets back when it is made again: read-only, hidden, system,
// archive and not-indexed.
inline constexpr DWORD kRestorable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Opens `name` (one component) relative to the open folder dir with NtCreateFile, never
// following a reparse point. -1 with errno set on failure.
int OpenAt(int dir, std::wstring_view name, ACCESS_MASK access, ULONG disposition, ULONG options,
           ULONG attributes = 0, ULONG share = kShareAll);
// The same for a path: as the user gave it (links followed), "\\?\" added for any length.
int OpenPath(const std::string& path, ACCESS_MASK access, DWORD flags);

// The folder and name of a path; false for a root ("C:\", "\\server\share\").
bool SplitPath(const std::string& path, std::string& parent, std::string& leaf);
std::wstring LongPath(const std::string& path);

// Nanoseconds since 1970 of a FILETIME-like count (100 ns since 1601), and back.
std::int64_t UnixNs(std::int64_t fileTime);
std::int64_t FileTimeOf(std::int64_t unixNs);

// Every entry of an open folder but "." and ".." with its listing's facts; false with errno.
struct Listed {
    std::string name;
    DWORD attributes = 0;
    DWORD tag = 0;  // the reparse tag of a reparse point (the listing gives it)
    std::uint64_t id = 0;
    std::int64_t bytes = 0;
    std::int64_t mtimeNs = 0;
};
bool ListFolder(int dir, const std::function<bool(const Listed&)>& each);

// Renames fromDir's entry to toDir's entry `to` by handle; replaces an existing item only
// when asked to. false with errno set.
bool RenameAt(int fromDir, const std::string& from, int toDir, const std::string& to, bool replace);

// Marks an open item (opened with DELETE and FILE_WRITE_ATTRIBUTES) for deletion, read-only
// or not; it goes when the last handle closes.
bool DeleteByHandle(int fd);
// Deletes it with POSIX semantics: its name is gone at once, other handles or not. false
// with ENOSYS where the file system (or Wine) has no such semantics.
bool DeletedAtOnce(int fd);

inline bool IsReparse(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
// A link, junction or mount point: a reparse point whose tag says it redirects a name (a name
// surrogate). Never entered, never followed. Every other reparse point (OneDrive and other
// cloud files, deduplicated or compressed files) is the file or folder it looks like.
inline bool IsLinkLike(DWORD attributes, DWORD tag) {
    return IsReparse(attributes) && (tag & 0x20000000) != 0;  // IsReparseTagNameSurrogate
}
// A cloud placeholder: only a name until read, and reading it downloads it.
inline bool IsPlaceholder(DWORD attributes) {
    return (attributes & (0x00400000 | 0x00040000 | FILE_ATTRIBUTE_OFFLINE)) != 0;
}
// Hidden as Explorer's default view hides it.
inline bool IsHiddenAttribute(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

// Test seam: the items the hook names (by file number) are seen with more attributes and as
// reparse points with the tag it gives (0: as the system says), as Wine makes no reparse point
// or cloud file a Windows program could see. SeenAttributes applies it to what the system said.
struct SeenAs {
    DWORD tag = 0;
    DWORD attributes = 0;
};
void SetReparseHook(std::function<SeenAs(std::uint64_t number)> hook);
bool ReparseHookSet();
DWORD SeenAttributes(DWORD attributes, std::uint64_t number, DWORD& tag);

}  // namespace corvelle::win

namespace corvelle::win {

// The open item is the user's and nobody else may write to it (its owner SID and its ACL:
// besides the user only SYSTEM and the Administrators may change it). Needs READ_CONTROL.
bool UserAlone(int fd);

}  // namespace corvelle::win
