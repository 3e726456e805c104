// SPDX-License-Identifier: GPL-3.0-or-later
// Folder enumeration over byte names; never follows links.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "util/error.h"

namespace corvelle {

enum class EntryKind { File, Folder, Link, Other };

struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    bool hidden = false;  // as the system's file manager hides it by default
};

// Hidden here: a name starting with "." (on Windows the hidden attribute says it instead).
inline bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.';
}

// Calls back for every entry but "." and ".."; the callback returns false to stop early.
// An error opening or reading the folder is returned (entries seen so far were delivered).
Error EnumerateFolder(const std::string& folder, const std::function<bool(const DirEntry&)>& each);

// A file of a folder as the file list shows it: the entry's own record (a link with its own
// size and date).
struct FileEntry {
    std::string name;
    unsigned long long bytes = 0;
    long long mtime = 0;  // seconds since the epoch
};
// The files of a folder: every entry but folders and links to folders (a link to a folder is a
// folder here, as the folder tree shows it). false when the folder cannot be opened.
bool ListFiles(const std::string& folder, std::vector<FileEntry>& files);

// Test seam: a hook that may make the enumeration of a folder fail (tests run as root, so
// permissions cannot). Returns an errno value, or 0 to go on.
void SetEnumerationFailureHook(std::function<int(const std::string& folder)> hook);
// What the hook says for folder (0 without a hook).
int EnumerationFailureFor(const std::string& folder);

}  // namespace corvelle
