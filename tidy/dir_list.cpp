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
    std::vector<std::string> subs;
    FolderSummary summary;
    bool described = false;  // summary.id and .meta read
    ItemInfo info;           // valid once described
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
void Read(int fd, const std::string& path, bool fresh, bool oneRead, std::vector<std::string>& subs,
          FolderSummary& s) {
    s = FolderSummary{};
    std::vector<DirEntryRaw> entries;
    int err = EnumerationFailureFor(path);
    if (err ||
        !(fresh ? ReadFreshEntries(fd, entries, err, oneRead) : ReadEntries(fd, entries, err))) {
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
}

}  // namespace

// The folder's own identity and attributes, read once; a folder that cannot be described
// never qualifies. A lone sub-folder gets its identity too, and whether it is really
// another mount.
bool DirListBox::Describe(Level& l) {
    if (l.described)
        return l.summary.id.Known();
    l.described = true;
    FolderSummary& s = l.summary;
    if (!InfoOf(l.fd.Get(), l.info)) {
        s.folders = 0;
        s.others = 1;
        return false;
    }
    s.id = l.info.id;
    s.meta = l.info.meta;
    if (s.folders == 1 && s.others == 0) {
        ItemInfo li;
        if (!InfoAt(l.fd.Get(), s.lone, li) || !li.IsDir() || OtherMount(l.info, li)) {
            s.folders = 0;
            s.others = 1;
        } else {
            s.loneId = li.id;
            s.loneMeta = li.meta;
        }
    }
    return true;
}

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
    if (!level->fd.Valid())
        return SystemError(errno, p);
    // Every folder of the walk is on this one's mount: its kind is asked once.
    oneRead_ = ListingsFillReads(level->fd.Get());
    Read(level->fd.Get(), p, true, oneRead_, level->subs, level->summary);
    if (!Describe(*level))
        return SystemError(errno, p);
    stack_.clear();
    stack_.push_back(std::move(level));
    return {};
}

DirListBox::Entered DirListBox::Enter(int i, Error& err) {
    Level& top = *stack_.back();
    const std::string& name = top.subs[static_cast<size_t>(i)];
    auto level = std::make_unique<Level>();
    level->path = AddBackslash(top.path) + name;
    level->fd = OpenSubFolder(top.fd.Get(), name);
    if (!level->fd.Valid() && errno == EXDEV) {
        // Another file system (or a bind mount): an entry of this folder, never walked.
        --top.summary.folders;
        ++top.summary.others;
        return Entered::Mount;
    }
    if (!level->fd.Valid()) {
        const int e = errno;
        err = SystemError(e, level->path);
        if (e == ENOENT || e == ELOOP || e == ENOTDIR) {
            // Gone, or a link or file now: no longer a sub-folder of this folder.
            --top.summary.folders;
            ++top.summary.others;
        }
        return Entered::Failed;
    }
    Read(level->fd.Get(), level->path, true, oneRead_, level->subs, level->summary);
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

const FolderSummary* DirListBox::Described() {
    if (stack_.empty())
        return nullptr;
    Describe(*stack_.back());
    return &stack_.back()->summary;
}

const FolderSummary* DirListBox::ParentDescribed() {
    if (stack_.size() < 2)
        return nullptr;
    Level& parent = *stack_[stack_.size() - 2];
    return Describe(parent) ? &parent.summary : nullptr;
}

Error DirListBox::Examine(const std::string& path, FolderSummary& summary) {
    const std::string p = Normal(path);
    Level l;
    l.fd = OpenFolderPath(p);
    if (!l.fd.Valid())
        return SystemError(errno, p);
    Read(l.fd.Get(), p, true, ListingsFillReads(l.fd.Get()), l.subs, l.summary);
    if (!Describe(l))
        return SystemError(errno, p);
    summary = l.summary;
    return {};
}

}  // namespace corvelle
