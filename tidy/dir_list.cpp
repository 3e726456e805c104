// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/dir_list.h"

#include <algorithm>
#include <cerrno>

#include "platform/os/enumeration.h"
#include "platform/os/handles.h"
#include "util/paths.h"

namespace corvelle {

struct DirListBox::Level {
    std::string path;
    UniqueFd fd;
    ItemInfo info;
    std::vector<std::string> subs;
    FolderSummary summary;
};

namespace {

std::string Normal(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == kSep) p.pop_back();
    return p;
}

const std::string& Empty() {
    static const std::string empty;
    return empty;
}

// One read of the open folder: its sub-folders for the walk and its counts for the check.
void Read(int fd, const std::string& path, const ItemInfo& info, std::vector<std::string>& subs,
          FolderSummary& s) {
    s = FolderSummary{};
    s.id = info.id;
    s.meta = info.meta;
    std::vector<DirEntryRaw> entries;
    int err = EnumerationFailureFor(path);
    if (err || !ReadEntries(fd, entries, err)) {
        ++s.others;  // cannot be read: never qualifies, offers no sub-folders
        return;
    }
    for (const DirEntryRaw& e : entries) {
        bool folder = e.ListedAsFolder();
        if (e.KindUnlisted()) {
            ItemInfo ei;
            folder = InfoAt(fd, e.name, ei) && ei.IsDir();
        }
        if (!folder) {
            ++s.others;
            continue;
        }
        if (s.folders++ == 0)
            s.lone = e.name;
        if (!IsHiddenName(e.name))
            subs.push_back(e.name);
    }
    std::sort(subs.begin(), subs.end());
    // The lone sub-folder's identity, and whether it is really another mount.
    if (s.folders == 1 && s.others == 0) {
        ItemInfo li;
        if (!InfoAt(fd, s.lone, li) || !li.IsDir() || OtherMount(info, li)) {
            s.folders = 0;
            s.others = 1;
        } else {
            s.loneId = li.id;
            s.loneMeta = li.meta;
        }
    }
}

}  // namespace

DirListBox::DirListBox() = default;
DirListBox::~DirListBox() = default;

void DirListBox::Refresh() {
    stack_.clear();
}

Error DirListBox::SetPath(const std::string& path) {
    const std::string p = Normal(path);
    for (size_t i = stack_.size(); i-- > 0;) {
        if (stack_[i]->path == p) {
            stack_.resize(i + 1);
            return {};
        }
    }
    if (!stack_.empty() && PathParent(p) == AddBackslash(stack_.back()->path)) {
        const std::vector<std::string>& subs = stack_.back()->subs;
        const auto it = std::lower_bound(subs.begin(), subs.end(), PathLeaf(p));
        if (it != subs.end() && *it == PathLeaf(p)) {
            Error err;
            const Entered e = Enter(static_cast<int>(it - subs.begin()), err);
            if (e == Entered::Failed)
                return err;
            if (e == Entered::Mount)
                return SystemError(EXDEV, p);
            return {};
        }
    }
    auto level = std::make_unique<Level>();
    level->path = p;
    level->fd = OpenFolderPath(p);
    if (!level->fd.Valid() || !InfoOf(level->fd.Get(), level->info))
        return SystemError(errno, p);
    Read(level->fd.Get(), p, level->info, level->subs, level->summary);
    stack_.clear();
    stack_.push_back(std::move(level));
    return {};
}

DirListBox::Entered DirListBox::Enter(int i, Error& err) {
    Level& top = *stack_.back();
    const std::string& name = top.subs[static_cast<size_t>(i)];
    auto level = std::make_unique<Level>();
    level->path = AddBackslash(top.path) + name;
    level->fd = OpenFolderAt(top.fd.Get(), name);
    if (!level->fd.Valid() || !InfoOf(level->fd.Get(), level->info)) {
        const int e = errno;
        err = SystemError(e, level->path);
        if (e == ENOENT || e == ELOOP || e == ENOTDIR) {
            // Gone, or a link or file now: no longer a sub-folder of this folder.
            --top.summary.folders;
            ++top.summary.others;
        }
        return Entered::Failed;
    }
    if (OtherMount(top.info, level->info)) {
        // Another file system (or a bind mount): an entry of this folder, never walked.
        --top.summary.folders;
        ++top.summary.others;
        return Entered::Mount;
    }
    Read(level->fd.Get(), level->path, level->info, level->subs, level->summary);
    stack_.push_back(std::move(level));
    return Entered::Yes;
}

const std::string& DirListBox::Path() const {
    return stack_.empty() ? Empty() : stack_.back()->path;
}

int DirListBox::ListCount() const {
    return stack_.empty() ? 0 : static_cast<int>(stack_.back()->subs.size());
}

std::string DirListBox::List(int i) const {
    if (stack_.empty() || i < 0 || i >= ListCount())
        return {};
    return AddBackslash(stack_.back()->path) + stack_.back()->subs[static_cast<size_t>(i)];
}

const FolderSummary* DirListBox::Summary() const {
    return stack_.empty() ? nullptr : &stack_.back()->summary;
}

const FolderSummary* DirListBox::ParentSummary() const {
    return stack_.size() < 2 ? nullptr : &stack_[stack_.size() - 2]->summary;
}

Error DirListBox::Examine(const std::string& path, FolderSummary& summary) {
    const std::string p = Normal(path);
    UniqueFd fd = OpenFolderPath(p);
    ItemInfo info;
    if (!fd.Valid() || !InfoOf(fd.Get(), info))
        return SystemError(errno, p);
    std::vector<std::string> subs;
    Read(fd.Get(), p, info, subs, summary);
    return {};
}

}  // namespace corvelle
