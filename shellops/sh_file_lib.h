// SPDX-License-Identifier: GPL-3.0-or-later
// The five wrappers every change to the disk goes through. Each returns the operation's
// result unchanged: 0 exactly when everything asked for took place (codes in file_op.h).
#pragma once

#include <functional>
#include <string>

#include "platform/os/file_op.h"

namespace corvelle {

// Copies source (a file or folder, or "folder/*") into the destination folder.
int ShFileCopy(OwnerHandle owner, const std::string& source, const std::string& destination);
// Moves source (a file or folder, or "folder/*") into the destination folder.
int ShFileMove(OwnerHandle owner, const std::string& source, const std::string& destination);
// Deletes path: to the Trash when recycle is true, else for good. Never asks.
int ShFileDelete(OwnerHandle owner, const std::string& path, bool recycle);
// Renames; never replaces an existing item.
int ShFileRename(OwnerHandle owner, const std::string& oldPath, const std::string& newPath);
int ShFileRenameNoErrorUI(OwnerHandle owner, const std::string& oldPath,
                          const std::string& newPath);

// The operation the wrappers call; tests replace it to see the records.
void SetShellOperation(std::function<int(const FileOpRecord&)> op);

}  // namespace corvelle
