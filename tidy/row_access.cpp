// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/row_access.h"

#include <cerrno>

#include "util/paths.h"

namespace corvelle {

std::string RowPath(const std::string& text) {
    return text.size() > 1 ? RemoveBackslash(text) : text;
}

Error RowAccess::Because(const std::string& path, int err) {
    Error e = SystemError(err, path);
    if (err == ELOOP || err == ENOTDIR)
        e.number = kErrReplacedByLink;
    else if (err == EXDEV)
        e.number = kErrOtherMount;
    return e;
}

bool RowAccess::OpenStart(Error& error) {
    if (!tried_) {
        tried_ = true;
        start_ = OpenFolderPath(startPath_);
        ItemInfo info;
        if (!start_.Valid() || !InfoOf(start_.Get(), info))
            startProblem_ = Because(startPath_, errno);
        else if (startId_.Known() && info.id != startId_)
            startProblem_ = KindError(kErrFolderReplaced, startPath_);
        if (startProblem_)
            start_.Reset();
    }
    if (startProblem_)
        error = startProblem_;
    return !startProblem_;
}

bool RowAccess::Relative(const std::string& text, std::string& rel) const {
    const std::string p = RowPath(text);
    const std::string base = RowPath(startPath_);
    if (p == base) {
        rel.clear();
        return true;
    }
    const std::string prefix = AddBackslash(base);
    if (p.compare(0, prefix.size(), prefix) != 0)
        return false;
    rel = p.substr(prefix.size());
    return true;
}

UniqueFd RowAccess::Folder(const std::string& text, const FileId& id, Error& error,
                           ItemInfo* info) {
    std::string rel;
    if (!Relative(text, rel)) {
        error = KindError(kErrOutsideStart, text);
        return UniqueFd();
    }
    if (!OpenStart(error))
        return UniqueFd();
    UniqueFd fd = OpenBeneath(start_.Get(), rel);
    ItemInfo seen;
    const bool look = id.Known() || info;
    if (!fd.Valid() || (look && !InfoOf(fd.Get(), seen))) {
        error = Because(RowPath(text), errno);
        return UniqueFd();
    }
    if (id.Known() && seen.id != id) {
        error = KindError(kErrFolderReplaced, RowPath(text));
        return UniqueFd();
    }
    if (info)
        *info = seen;
    return fd;
}

UniqueFd RowAccess::Parent(const std::string& text, std::string& leaf, Error& error,
                           ItemInfo* info) {
    const std::string p = RowPath(text);
    std::string rel;
    if (!Relative(p, rel)) {
        error = KindError(kErrOutsideStart, text);
        return UniqueFd();
    }
    if (rel.empty()) {
        UniqueFd fd = OpenParentOf(p, leaf);
        ItemInfo seen;
        if (!fd.Valid() || !InfoOf(fd.Get(), seen)) {
            error = Because(p, errno);
            return UniqueFd();
        }
        if (info)
            *info = seen;
        return fd;
    }
    leaf = PathLeaf(p);
    return Folder(PathParent(p), {}, error, info);
}

bool RowAccess::IsFolderAt(int dir, const ItemInfo* dirInfo, const std::string& name,
                           const FileId& id, const std::string& path, Error& error) {
    ItemInfo info, parent;
    if (!InfoAt(dir, name, info)) {
        error = Because(path, errno);
        return false;
    }
    if (!info.IsDir() || info.id != id) {
        error = KindError(kErrItemReplaced, path);
        return false;
    }
    if (!dirInfo && !info.mountRootKnown) {
        if (!InfoOf(dir, parent)) {
            error = Because(path, errno);
            return false;
        }
        dirInfo = &parent;
    }
    if (info.mountRoot || (dirInfo && OtherMount(*dirInfo, info))) {
        error = Because(path, EXDEV);
        return false;
    }
    return true;
}

}  // namespace corvelle
