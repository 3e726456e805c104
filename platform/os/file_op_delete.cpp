// SPDX-License-Identifier: GPL-3.0-or-later
// Permanent deletion through directory handles: never through a link, never into a mount.
#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/file_op_context.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/own_files.h"
#include "util/paths.h"

namespace corvelle::fileop {
namespace {

// `top` is the folder the deletion started in: everything removed lies on its mount.
bool DeleteBelow(Context& ctx, int parentDir, const std::string& path, const std::string& name,
                 const ItemInfo& top) {
    if (!ctx.Tick(path))
        return false;
    ItemInfo info;
    if (!InfoAt(parentDir, name, info)) {
        ctx.Fail(path, errno);
        return false;
    }
    if (!info.IsDir()) {
        // A link goes as the link itself.
        if (RemoveFileAt(parentDir, name))
            return true;
        ctx.Fail(path, errno);
        return false;
    }
    UniqueFd dir = OpenFolderAt(parentDir, name);
    ItemInfo opened;
    if (!dir.Valid() || !InfoOf(dir.Get(), opened)) {
        ctx.Fail(path, errno);
        return false;
    }
    if (OtherMount(top, opened) || opened.id != info.id) {
        ctx.Fail(path, EXDEV);  // another file system mounted here: left alone
        return false;
    }
    std::vector<std::string> names;
    int err = 0;
    bool whole = ReadNames(dir.Get(), names, err);
    if (!whole)
        ctx.Fail(path, err);
    for (const std::string& n : names) {
        if (ctx.Cancelled()) {
            whole = false;
            break;
        }
        whole &= DeleteBelow(ctx, dir.Get(), path + kSep + n, n, top);
    }
    dir.Reset();
    if (!whole)
        return false;
    if (RemoveEmptyFolderAt(parentDir, name))
        return true;
    ctx.Fail(path, errno);
    return false;
}

}  // namespace

bool DeleteEntry(Context& ctx, int parentDir, const std::string& path, const std::string& name) {
    ItemInfo parent;
    if (!InfoOf(parentDir, parent)) {
        ctx.Fail(path, errno);
        return false;
    }
    return DeleteBelow(ctx, parentDir, path, name, parent);
}

}  // namespace corvelle::fileop
