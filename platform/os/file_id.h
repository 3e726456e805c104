// SPDX-License-Identifier: GPL-3.0-or-later
// What an item is, independent of its name: device, inode and the mount it was seen on.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace corvelle {

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    std::uint64_t mount = 0;  // statx mount id; 0 where the kernel has none
    bool Known() const { return ino != 0; }
    // Same item seen through the same mount (a bind mount of it is another place).
    bool operator==(const FileId& o) const {
        return dev == o.dev && ino == o.ino && (mount == 0 || o.mount == 0 || mount == o.mount);
    }
    bool operator!=(const FileId& o) const { return !(*this == o); }
};

// What a folder had that it gets back when it is made again.
struct FolderMeta {
    mode_t mode = 0755;
    uid_t uid = 0;
    gid_t gid = 0;
    std::int64_t atimeNs = 0;
    std::int64_t mtimeNs = 0;
};

}  // namespace corvelle
