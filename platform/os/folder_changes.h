// SPDX-License-Identifier: GPL-3.0-or-later
// Changes to folders made through open folder handles, never following a link and never
// replacing anything, and the attributes a folder gets back when it is made again. Each
// returns false with errno set when the system refused.
#pragma once

#include <string>

#include "platform/os/handles.h"

namespace corvelle {

// dir's entry `name`, made as a new folder with the usual permissions.
bool MakeFolderAt(int dir, const std::string& name);
// dir's entry `name`, made as a folder only the user can enter.
bool MakePrivateFolderAt(int dir, const std::string& name);
// Removes dir's entry `name` when it is an empty folder (never anything else).
bool RemoveEmptyFolderAt(int dir, const std::string& name);
// Renames fromDir's entry to toDir's entry `to`; fails when `to` exists.
bool RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to);

// The recorded times (nothing when they were not known).
void SetFolderTimes(int folder, const FolderMeta& meta);
// The recorded owner and mode, as far as the user could set them by hand: another owner and
// set-id bits only for root, or for the owner itself.
void SetFolderOwnerAndMode(int folder, const FolderMeta& meta);
// The folder is the user's and still private (as made), or has just the owner and mode that
// SetFolderOwnerAndMode gives it for `meta`.
bool MadeByUndoFor(const ItemInfo& folder, const FolderMeta& meta);
// A folder made private by this user and not yet given anything else.
bool PrivateToUser(const ItemInfo& folder);

// dir's entry `name`, made as a new file that only the user can read, open for writing;
// fails when the name is taken.
UniqueFd MakeFileAt(int dir, const std::string& name);
// A file made again gets its recorded attributes and times: owner and mode as
// SetFolderOwnerAndMode gives them.
void SetFileAttributesAndTimes(int file, const FolderMeta& meta);

// This process, for names that must differ from another run's.
int ProcessId();

}  // namespace corvelle
