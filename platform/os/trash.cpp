// SPDX-License-Identifier: GPL-3.0-or-later
// The Trash by path: the item's folder opened as given, the item itself never followed.
#include "platform/os/trash.h"

#include <cerrno>

#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/holding_place.h"

namespace corvelle {

Error MoveToTrash(const std::string& path) {
    std::string leaf;
    const UniqueFd dir = OpenParentOf(path, leaf);
    if (!dir.Valid())
        return SystemError(errno, path);
    return MoveToTrashAt(dir.Get(), leaf, path);
}

// The place is the run's own: a name taken there is one this run gave, so each name's next
// number is remembered (ten thousand "Thumbs.db" try each number once).
Error MoveToHolding(HoldingPlace& place, int dir, const std::string& name, const std::string& path,
                    std::string& held) {
    int& n = place.nextSuffix.try_emplace(name, 1).first->second;
    for (const int last = n + 100000; n < last; ++n) {
        held = n == 1 ? name : name + "." + std::to_string(n);
        if (RenameNoReplace(dir, name, place.folder.Get(), held)) {
            ++n;
            return {};
        }
        if (errno != EEXIST)
            return SystemError(errno, path);
    }
    return SystemError(EEXIST, path);
}

}  // namespace corvelle
