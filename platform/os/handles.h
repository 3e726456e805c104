// SPDX-License-Identifier: GPL-3.0-or-later
// Folder handles and item identities: the one way the file layer turns a path into an open
// folder. A path string is resolved once; every later step works from the handle, so links
// swapped in, mounts and paths longer than PATH_MAX cannot redirect it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/file_id.h"

namespace corvelle {

// An owned handle of an open file or folder: a file descriptor here; on Windows a HANDLE,
// of which only the low 32 bits are significant (HandleToLong), so an int holds either.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.Release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Reset(int fd = -1);

  private:
    int fd_ = -1;
};

// A second handle of the same open item (invalid with errno set on failure).
UniqueFd Duplicate(int fd);

struct ItemInfo {
    FileId id;
    std::uint32_t mode = 0;       // the kind and permission bits
    bool mountRoot = false;       // the root of a mount (bind mounts included)
    bool mountRootKnown = false;  // the kernel says whether it is (else compare devices)
    FolderMeta meta;              // mode bits, owner, times
    std::uint64_t size = 0;       // a file's length in bytes
    // The last change to the item itself (contents, owner, mode, links, attributes), in
    // nanoseconds: no tool can set it back, so an unchanged one means an unchanged item.
    std::int64_t changeNs = 0;
    // Only a name until read, and reading it downloads it (a cloud file not on this machine).
    bool placeholder = false;
    bool IsDir() const;
    // A plain file: never a folder, a link, a pipe, a socket or a device.
    bool IsFile() const;
    bool IsLink() const;  // a symbolic link; on Windows any reparse point
};

// Facts about an open item, or about dir's entry `name` (never following a link).
// false with errno set when they cannot be had.
bool InfoOf(int fd, ItemInfo& info);
bool InfoAt(int dir, const std::string& name, ItemInfo& info);

// True when `inner` (a folder seen from `outer`) sits on another mount than `outer`.
bool OtherMount(const ItemInfo& outer, const ItemInfo& inner);

// Opens a folder path as the user gave it (links in it followed, any length). Returns an
// invalid handle with errno set on failure.
UniqueFd OpenFolderPath(const std::string& path);

// Opens the parent folder of path as given and yields the last component, which is never
// followed ("/" has no parent: fails with EINVAL). A trailing separator is ignored.
UniqueFd OpenParentOf(const std::string& path, std::string& leaf);

// Opens the folder rel ("a/b/c", "" for root itself) below root, one component at a time:
// never through a link, never out of root, never onto another mount.
UniqueFd OpenBeneath(int root, const std::string& rel);

// Opens dir's entry `name` as a folder, never following a link.
UniqueFd OpenFolderAt(int dir, const std::string& name);
// Opens dir's entry `name` to read it, never following a link (a link fails with ELOOP) and
// never waiting on a pipe or a device.
UniqueFd OpenFileAt(int dir, const std::string& name);

// Every entry of an open folder but "." and ".."; false with err set when it cannot be read.
struct DirEntryRaw {
    std::string name;
    unsigned char type;   // DT_* as the folder reports it (DT_UNKNOWN possible)
    std::uint64_t ino;    // as the folder lists it (a mount point's own, not the mounted root's)
    bool hidden = false;  // as the system's file manager hides it by default
    // What the listing says it is: a folder, or nothing at all (then ask the item itself).
    bool ListedAsFolder() const;
    bool KindUnlisted() const;
};
bool ReadEntries(int dir, std::vector<DirEntryRaw>& entries, int& err);
// The same for a handle opened just now (nothing to rewind). Where `oneRead` (the folder's
// file system fills every read as far as it can), a first read that leaves room for the
// longest entry is the whole folder: the walk's leaves cost one read, not two.
bool ReadFreshEntries(int dir, std::vector<DirEntryRaw>& entries, int& err, bool oneRead);
// What a walk may take for granted on dir's file system (asked once per walk).
struct FileSystemTraits {
    bool fillsReads = false;  // every read of a folder fills the buffer as far as it can
    // Only a mount changes the device: no sub-volumes with devices of their own (btrfs).
    bool devicePerMount = false;
};
FileSystemTraits TraitsOf(int dir);
// Tests: what TraitsOf reports whatever the file system (nullptr: the truth again), so that
// the careful ways are walked on any disk.
void AssumeTraits(const FileSystemTraits* traits);

// Opens dir's entry `name` as a folder on dir's own mount, never following a link: the
// root of another mount (a bind mount too) fails with EXDEV. One call where the kernel can
// refuse the crossing itself.
UniqueFd OpenSubFolder(int dir, const std::string& name);
// The same by comparing both folders' identities after the open (two more calls).
UniqueFd OpenSubFolderComparing(int dir, const std::string& name);
// What the system says of dir's file system (TraitsOf without the tests' assumption).
FileSystemTraits TraitsOfSystem(int dir);
bool ReadNames(int dir, std::vector<std::string>& names, int& err);

// True when the folder `inner` is `outer` itself or lies anywhere below it (by identity).
bool FolderWithin(int inner, const FileId& outer);

// Lets the walk keep one handle per level of a deep tree.
void RaiseOpenFileLimit();

}  // namespace corvelle
