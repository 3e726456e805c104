// SPDX-License-Identifier: GPL-3.0-or-later
// The freedesktop.org Trash: the home trash, or $topdir/.Trash-$uid on another file system.
#pragma once

#include <string>

#include "util/error.h"

namespace corvelle {

// Moves the item (never following a link) to the Trash of its file system. On failure the
// item stays where it was and the error says why.
Error MoveToTrash(const std::string& path);
// The same for the entry `name` of the open folder `dir`; path names it for the info file.
Error MoveToTrashAt(int dir, const std::string& name, const std::string& path);

// "%2F"-style encoding of the bytes a trash info file's Path holds ("/" kept).
std::string TrashPercentEncode(const std::string& bytes);

}  // namespace corvelle
