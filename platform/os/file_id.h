// SPDX-License-Identifier: GPL-3.0-or-later
// What an item is, independent of its name: its file system and number there, the mount it
// was seen on, and when it was born. A freed number is handed to the next new file at once,
// so the birth stamp is what tells a reused number from the item itself.
#pragma once

#include <cstdint>

namespace corvelle {

struct FileId {
    std::uint64_t volume = 0;  // the file system: a device here, a volume serial on Windows
    std::uint64_t number = 0;  // the item's number on it (its low 64 bits)
    std::uint64_t mount = 0;   // statx mount id; 0 where the kernel has none
    // Birth time in nanoseconds (statx); 0 where the file system keeps none or only a
    // listing saw the item.
    std::uint64_t birth = 0;
    std::uint64_t numberHigh = 0;  // the high 64 bits of a 128-bit number (Windows' ReFS)
    bool Known() const { return number != 0 || numberHigh != 0; }
    bool SameNumber(const FileId& o) const {
        return volume == o.volume && number == o.number && numberHigh == o.numberHigh;
    }
    // Same item seen through the same mount (a bind mount of it is another place), born at
    // the same moment where both stamps are known.
    bool operator==(const FileId& o) const {
        return SameNumber(o) && (mount == 0 || o.mount == 0 || mount == o.mount) &&
               (birth == 0 || o.birth == 0 || birth == o.birth);
    }
    bool operator!=(const FileId& o) const { return !(*this == o); }
};

// What a folder had that it gets back when it is made again.
struct FolderMeta {
    std::uint32_t mode = 0755;  // permission bits, set-id and sticky bits
    std::uint32_t uid = 0;
    std::uint32_t gid = 0;
    std::int64_t atimeNs = 0;
    std::int64_t mtimeNs = 0;
};

}  // namespace corvelle
