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
    bool identified = false;  // info read (known: it could be)
    bool known = false;
    bool described = false;  // and the lone sub-folder checked
    ItemInfo info;
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
// The handle was opened just now: nothing to rewind.
void Read(int fd, const std::string& path, bool oneRead, const TidyRules* rules,
          std::vector<std::string>& subs, FolderSummary& s) {
    s.folders = s.others = 0;
    s.lone.clear();
    s.junk.clear();
    std::vector<DirEntryRaw> entries;
    int err = EnumerationFailureFor(path);
    if (err || !ReadFreshEntries(fd, entries, err, oneRead)) {
        ++s.others;  // cannot be read: never qualifies, offers no sub-folders
        return;
    }
    std::vector<bool> appleDouble;  // of each junk file
    for (const DirEntryRaw& e : entries) {
        bool folder = e.ListedAsFolder();
        if (e.KindUnlisted()) {
            ItemInfo ei;
            folder = InfoAt(fd, e.name, ei) && ei.IsDir();
        }
        if (!folder) {
            bool partnered = false;
            if (rules && rules->junk && MatchesJunkPattern(*rules, e.name, partnered)) {
                s.junk.emplace_back().name = e.name;
                appleDouble.push_back(partnered);
            } else {
                ++s.others;
            }
            continue;
        }
        if (s.folders++ == 0)
            s.lone = e.name;
        if (!e.hidden)
            subs.push_back(e.name);
    }
    std::sort(subs.begin(), subs.end());
    if (std::find(appleDouble.begin(), appleDouble.end(), true) == appleDouble.end())
        return;
    // An AppleDouble file belongs to the item it is named after while that item is there.
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const DirEntryRaw& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    std::vector<JunkFile> junk;
    for (size_t i = 0; i < s.junk.size(); ++i) {
        if (appleDouble[i] &&
            std::binary_search(names.begin(), names.end(), s.junk[i].name.substr(2)))
            ++s.others;
        else
            junk.push_back(std::move(s.junk[i]));
    }
    s.junk = std::move(junk);
}

}  // namespace

// The folder's own identity and attributes, read once.
bool DirListBox::Identify(Level& l) {
    if (!l.identified) {
        l.identified = true;
        l.known = InfoOf(l.fd.Get(), l.info);
        if (l.known) {
            l.summary.id = l.info.id;
            l.summary.meta = l.info.meta;
        }
    }
    return l.known;
}

// Identified, and a lone sub-folder with its identity, when it is really one on this mount.
// A folder that cannot be described never qualifies.
void DirListBox::Describe(Level& l) {
    if (l.described)
        return;
    l.described = true;
    FolderSummary& s = l.summary;
    if (!Identify(l)) {
        s.folders = 0;
        s.others = 1;
        return;
    }
    // Junk is only junk as a plain file of this mount (never a pipe, a socket or a device,
    // nor a cloud file that is only a name here), and never a large one.
    for (JunkFile& j : s.junk) {
        ItemInfo ji;
        if (!InfoAt(l.fd.Get(), j.name, ji) || !ji.IsFile() || ji.placeholder ||
            OtherMount(l.info, ji) || ji.size > kMaxJunkBytes) {
            s.folders = 0;
            s.others = 1;
            return;
        }
        j.id = ji.id;
        j.meta = ji.meta;
        j.size = ji.size;
        j.changeNs = ji.changeNs;
    }
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
    traits_ = TraitsOf(level->fd.Get());
    Read(level->fd.Get(), p, traits_.fillsReads, rules_, level->subs, level->summary);
    if (!Identify(*level))
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
    // Where a sub-volume has a device of its own, it is a boundary too, as it always was:
    // the devices are compared (the folder is then described already).
    if (level->fd.Valid() && !traits_.devicePerMount &&
        (!Identify(top) || !Identify(*level) || OtherMount(top.info, level->info))) {
        level->fd.Reset();
        errno = EXDEV;
    }
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
    Read(level->fd.Get(), level->path, traits_.fillsReads, rules_, level->subs, level->summary);
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
    return Identify(parent) ? &parent.summary : nullptr;
}

void DirListBox::CountQualified() {
    if (stack_.size() >= 2)
        ++stack_[stack_.size() - 2]->summary.qualified;
}

Error DirListBox::Examine(const std::string& path, FolderSummary& summary, const TidyRules* rules) {
    const std::string p = Normal(path);
    Level l;
    l.fd = OpenFolderPath(p);
    if (!l.fd.Valid())
        return SystemError(errno, p);
    Read(l.fd.Get(), p, TraitsOf(l.fd.Get()).fillsReads, rules, l.subs, l.summary);
    if (!Identify(l))
        return SystemError(errno, p);
    Describe(l);
    summary = l.summary;
    return {};
}

}  // namespace corvelle
