// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/row_access.h"

#include <cerrno>
#include <cstring>

#include "util/paths.h"

namespace corvelle {

std::string RowPath(const std::string& text) {
    return text.size() > 1 ? RemoveBackslash(text) : text;
}

std::string RowAccess::Because(const std::string& path, int err) {
    switch (err) {
        case ELOOP:
        case ENOTDIR:
            return path + ": フォルダがリンクかファイルに置き換えられています";
        case EXDEV:
            return path + ": 別のファイルシステム(マウント)を越えられません";
        default:
            return path + ": " + std::strerror(err);
    }
}

bool RowAccess::OpenStart(std::string& reason) {
    if (!tried_) {
        tried_ = true;
        start_ = OpenFolderPath(startPath_);
        ItemInfo info;
        if (!start_.Valid() || !InfoOf(start_.Get(), info))
            startProblem_ = Because(startPath_, errno);
        else if (startId_.Known() && info.id != startId_)
            startProblem_ = startPath_ + ": 検索の後で別のフォルダに置き換えられました";
        if (!startProblem_.empty())
            start_.Reset();
    }
    if (!startProblem_.empty())
        reason = startProblem_;
    return startProblem_.empty();
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

UniqueFd RowAccess::Folder(const std::string& text, const FileId& id, std::string& reason,
                           ItemInfo* info) {
    std::string rel;
    if (!Relative(text, rel)) {
        reason = text + ": 検索したフォルダの外です";
        return UniqueFd();
    }
    if (!OpenStart(reason))
        return UniqueFd();
    UniqueFd fd = OpenBeneath(start_.Get(), rel);
    ItemInfo seen;
    const bool look = id.Known() || info;
    if (!fd.Valid() || (look && !InfoOf(fd.Get(), seen))) {
        reason = Because(RowPath(text), errno);
        return UniqueFd();
    }
    if (id.Known() && seen.id != id) {
        reason = RowPath(text) + ": 検索の後で別のフォルダに置き換えられました";
        return UniqueFd();
    }
    if (info)
        *info = seen;
    return fd;
}

UniqueFd RowAccess::Parent(const std::string& text, std::string& leaf, std::string& reason,
                           ItemInfo* info) {
    const std::string p = RowPath(text);
    std::string rel;
    if (!Relative(p, rel)) {
        reason = text + ": 検索したフォルダの外です";
        return UniqueFd();
    }
    if (rel.empty()) {
        UniqueFd fd = OpenParentOf(p, leaf);
        ItemInfo seen;
        if (!fd.Valid() || !InfoOf(fd.Get(), seen)) {
            reason = Because(p, errno);
            return UniqueFd();
        }
        if (info)
            *info = seen;
        return fd;
    }
    leaf = PathLeaf(p);
    return Folder(PathParent(p), {}, reason, info);
}

bool RowAccess::IsFolderAt(int dir, const ItemInfo* dirInfo, const std::string& name,
                           const FileId& id, const std::string& path, std::string& reason) {
    ItemInfo info, parent;
    if (!InfoAt(dir, name, info)) {
        reason = Because(path, errno);
        return false;
    }
    if (!info.IsDir() || info.id != id) {
        reason = path + ": 検索の後で別の項目に置き換えられました";
        return false;
    }
    if (!dirInfo && !info.mountRootKnown) {
        if (!InfoOf(dir, parent)) {
            reason = Because(path, errno);
            return false;
        }
        dirInfo = &parent;
    }
    if (info.mountRoot || (dirInfo && OtherMount(*dirInfo, info))) {
        reason = Because(path, EXDEV);
        return false;
    }
    return true;
}

}  // namespace corvelle
