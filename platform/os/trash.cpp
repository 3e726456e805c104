// SPDX-License-Identifier: GPL-3.0-or-later
// The Trash by path: the item's folder opened as given, the item itself never followed.
#include "platform/os/trash.h"

#include <cerrno>

#include "platform/os/handles.h"

namespace corvelle {

Error MoveToTrash(const std::string& path) {
    std::string leaf;
    const UniqueFd dir = OpenParentOf(path, leaf);
    if (!dir.Valid())
        return SystemError(errno, path);
    return MoveToTrashAt(dir.Get(), leaf, path);
}

}  // namespace corvelle
