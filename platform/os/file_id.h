// SPDX-License-Identifier: GPL-3.0-or-later
// What an item is, independent of its name: device, inode, the mount it was seen on, and
// when it was born. A freed inode number is handed to the next new file at once, so the
// birth stamp is what tells a reused number from the item itself.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace corvelle {

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    std::uint64_t mount = 0;  // statx mount id; 0 where the kernel has none
    // Birth time in nanoseconds (statx); 0 where the file system keeps none or only a
    // listing saw the item.
    std::uint64_t birth = 0;
    bool Known() const { return ino != 0; }
    // Same item seen through the same mount (a bind mount of it is another place), born at
    // the same moment where both stamps are known.
    bool operator==(const FileId& o) const {
        return dev == o.dev && ino == o.ino && (mount == 0 || o.mount == 0 || mount == o.mount) &&
               (birth == 0 || o.birth == 0 || birth == o.birth);
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
