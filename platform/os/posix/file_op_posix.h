// SPDX-License-Identifier: GPL-3.0-or-later
// What the POSIX copy and delete share beyond the file operation's context.
#pragma once

#include <sys/stat.h>

namespace corvelle::fileop {

// Identity of an item.
inline bool SameItem(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Copies owner and group (where the process may), extended attributes (ACLs among them),
// mode with set-id bits and times from `st` to the open item `out`, in that order.
void CopyAttributes(int in, int out, const struct stat& st);

}  // namespace corvelle::fileop
