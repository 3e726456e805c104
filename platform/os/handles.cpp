// SPDX-License-Identifier: GPL-3.0-or-later
// What the handle layer does the same on every system.
#include "platform/os/handles.h"

#include <cerrno>

namespace corvelle {

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
    if (this != &o)
        Reset(o.Release());
    return *this;
}

int UniqueFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool ReadNames(int dir, std::vector<std::string>& names, int& err) {
    std::vector<DirEntryRaw> entries;
    if (!ReadEntries(dir, entries, err))
        return false;
    for (DirEntryRaw& e : entries) names.push_back(std::move(e.name));
    return true;
}

namespace {
const FileSystemTraits* g_assumed = nullptr;
}

void AssumeTraits(const FileSystemTraits* traits) {
    g_assumed = traits;
}

FileSystemTraits TraitsOf(int dir) {
    return g_assumed ? *g_assumed : TraitsOfSystem(dir);
}

UniqueFd OpenSubFolderComparing(int dir, const std::string& name) {
    UniqueFd sub = OpenFolderAt(dir, name);
    ItemInfo outer, inner;
    if (!sub.Valid() || !InfoOf(dir, outer) || !InfoOf(sub.Get(), inner))
        return UniqueFd();
    if (OtherMount(outer, inner)) {
        errno = EXDEV;
        return UniqueFd();
    }
    return sub;
}

}  // namespace corvelle
