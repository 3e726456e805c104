// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/undo.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <utility>

#include "platform/os/handles.h"
#include "platform/os/test_seam.h"
#include "tidy/journal_store.h"
#include "tidy/row_access.h"
#include "util/paths.h"

namespace corvelle {
namespace {

enum class Outcome { Untouched, Restored, Failed };

void ApplyTimes(int fd, const FolderMeta& m) {
    if (m.mtimeNs == 0)
        return;  // not known
    const struct timespec times[2] = {{m.atimeNs / 1000000000, m.atimeNs % 1000000000},
                                      {m.mtimeNs / 1000000000, m.mtimeNs % 1000000000}};
    futimens(fd, times);
}

// The recorded owner and mode. Another owner, and set-id bits, only where the user could
// have set them by hand: root putting back its own run, or the owner itself.
void ApplyOwnerAndMode(int fd, const FolderMeta& m) {
    const uid_t me = geteuid();
    if (fchown(fd, me == 0 ? m.uid : static_cast<uid_t>(-1), m.gid) != 0 && errno == EPERM)
        fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(-1));
    mode_t mode = m.mode & 07777;
    if (me != 0 && m.uid != me)
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    fchmod(fd, mode);
}

// How undo reaches the journal: a folder it made is recorded, durably, before it is used.
using RecordRemade = std::function<Error(int index, const FileId& id)>;

class Undoer {
  public:
    Undoer(const RunJournal& j, RecordRemade record)
        : j_(j), access_(j.startPath, j.startId), record_(std::move(record)) {
        for (const JournalRow& r : j.rows) {
            if (const auto it = j.remade.find(r.index); it != j.remade.end())
                remap_[{r.beforeId.dev, r.beforeId.ino}] = it->second;
        }
        for (const char c : j.date)
            if (c >= '0' && c <= '9')
                stamp_ += c;
    }

    Outcome Row(const JournalRow& r, RowMark mark, Error& error) {
        return r.raise ? Raise(r, mark, error) : Delete(r, error);
    }

  private:
    // A folder an earlier step of this undo (or an interrupted one) made again.
    FileId Current(const FileId& id) const {
        const auto it = remap_.find({id.dev, id.ino});
        return it == remap_.end() ? id : it->second;
    }
    FileId Remade(const JournalRow& r) const {
        const auto it = j_.remade.find(r.index);
        return it == j_.remade.end() ? FileId{} : it->second;
    }
    // Where undo makes a row's folder before it takes its place: a visible name that says
    // what it is, the same for every attempt at this journal's row.
    std::string WorkName(const JournalRow& r) const {
        return "corvelle-undoing-" + stamp_ + "-" + std::to_string(r.index);
    }

    // Looks for the row's folder under `name` in dir: the original, or one that an earlier
    // attempt of this undo made and recorded. Nothing else is ever taken for it.
    bool Ours(int dir, const std::string& name, const JournalRow& r, bool& remade) const {
        ItemInfo info;
        if (name.empty() || !InfoAt(dir, name, info) || !info.IsDir())
            return false;
        const FileId made = Remade(r);
        // Owned by the user, or already given the recorded owner.
        remade = made.Known() && info.id == made &&
                 (info.meta.uid == geteuid() || (geteuid() == 0 && info.meta.uid == r.meta.uid));
        return remade || info.id == r.beforeId;
    }

    // The work folder left by an attempt killed before it could record it: empty, the
    // user's, still private. It is removed; anything else under that name stops the row.
    bool ClearStaleWork(int dir, const JournalRow& r, const std::string& path, Error& error) {
        const std::string name = WorkName(r);
        ItemInfo info;
        if (!InfoAt(dir, name, info))
            return true;
        if (info.IsDir() && info.meta.uid == geteuid() && info.meta.mode == 0700 &&
            unlinkat(dir, name.c_str(), AT_REMOVEDIR) == 0)
            return true;
        error = KindError(kErrNameTaken, AddBackslash(PathParent(path)) + name);
        return false;
    }

    // Makes the row's folder again under its work name: private first, recorded, then given
    // its owner and mode, all before anything moves into it.
    UniqueFd Remake(int parent, const JournalRow& r, const std::string& path, Error& error) {
        const std::string name = WorkName(r);
        if (mkdirat(parent, name.c_str(), 0700) != 0) {
            error = RowAccess::Because(path, errno);
            return UniqueFd();
        }
        Seam("undo:made", path);
        UniqueFd fd = OpenFolderAt(parent, name);
        ItemInfo info;
        if (!fd.Valid() || !InfoOf(fd.Get(), info)) {
            error = RowAccess::Because(path, errno);
            unlinkat(parent, name.c_str(), AT_REMOVEDIR);
            return UniqueFd();
        }
        if ((error = record_(r.index, info.id))) {
            unlinkat(parent, name.c_str(), AT_REMOVEDIR);
            return UniqueFd();
        }
        remap_[{r.beforeId.dev, r.beforeId.ino}] = info.id;
        Seam("undo:recorded", path);
        ApplyOwnerAndMode(fd.Get(), r.meta);
        return fd;
    }

    // Renames the folder from `at` to its own name in dir; false with the reason added.
    static bool Place(int dir, const std::string& at, const std::string& leaf,
                      const std::string& path, std::string& stays) {
        if (at == leaf || renameat2(dir, at.c_str(), dir, leaf.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        stays += "\n" + path + " は " + AddBackslash(PathParent(path)) + at + " にあります";
        return false;
    }

    Outcome Raise(const JournalRow& r, RowMark mark, Error& error) {
        const std::string path = RowPath(r.before);
        const std::string leaf = PathLeaf(path);
        const std::string afterBase = AddBackslash(RowPath(r.after));
        const UniqueFd after = access_.Folder(r.after, Current(r.afterId), error);
        if (!after.Valid())
            return Outcome::Failed;
        // What of the row's entries stands in the after folder now.
        std::vector<const JournalEntry*> up;
        for (const JournalEntry& e : r.entries) {
            ItemInfo info;
            if (InfoAt(after.Get(), e.name, info) && info.id == e.id)
                up.push_back(&e);
        }
        // Where the folder is: in place, aside (the run), under the work name (an undo).
        std::string at;
        bool remade = false;
        for (const std::string& cand : {leaf, r.aside, WorkName(r)}) {
            bool made = false;
            if (at.empty() && Ours(after.Get(), cand, r, made))
                at = cand, remade = made;
        }
        if (at == leaf && up.empty() && !remade)
            return Outcome::Untouched;  // never started, or put back by the run itself
        UniqueFd folder;
        if (at.empty()) {
            if (up.empty() && !r.entries.empty()) {
                if (mark != RowMark::Done)
                    return Outcome::Untouched;
                error = KindError(kErrNothingToPutBack, path);
                return Outcome::Failed;
            }
            // The place must be free, or hold one of the row's own entries (a folder that
            // held an entry of its own name): nothing else is moved or adopted.
            ItemInfo there;
            bool entryThere = false;
            for (const JournalEntry* e : up) entryThere |= e->name == leaf;
            if (!entryThere && InfoAt(after.Get(), leaf, there)) {
                error = KindError(kErrNameTaken, path);
                return Outcome::Failed;
            }
            if (!ClearStaleWork(after.Get(), r, path, error))
                return Outcome::Failed;
            if (!(folder = Remake(after.Get(), r, path, error)).Valid())
                return Outcome::Failed;
            at = WorkName(r);
            remade = true;
        } else if (!(folder = OpenFolderAt(after.Get(), at)).Valid()) {
            error = RowAccess::Because(path, errno);
            return Outcome::Failed;
        } else if (remade) {
            ApplyOwnerAndMode(folder.Get(), r.meta);  // an attempt may have died before it
        }
        std::string stays;
        std::vector<const JournalEntry*> moved;
        bool ok = true;
        for (const JournalEntry* e : up) {
            Seam("undo:entry", afterBase + e->name);
            if (renameat2(after.Get(), e->name.c_str(), folder.Get(), e->name.c_str(),
                          RENAME_NOREPLACE) != 0) {
                ok = false;
                stays += "\n" + afterBase + e->name + ": " +
                         ErrorMessage(RowAccess::Because(AddBackslash(path) + e->name, errno));
                break;
            }
            moved.push_back(e);
        }
        ok = ok && Place(after.Get(), at, leaf, path, stays);
        if (!ok) {
            // This attempt takes back what it did: the tree is as before it, and the next
            // Undo starts from there.
            for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
                const std::string& n = (*it)->name;
                if (renameat2(folder.Get(), n.c_str(), after.Get(), n.c_str(), RENAME_NOREPLACE))
                    stays += "\n" + AddBackslash(path) + n + " は " + afterBase + at +
                             " の中にあります";
            }
            if (remade && at != leaf)
                unlinkat(after.Get(), at.c_str(), AT_REMOVEDIR);  // only if empty
            error = KindError(kErrPartlyPutBack, path);
            error.detail = stays;
            return Outcome::Failed;
        }
        Seam("undo:placed", path);
        // Every entry must now be inside; one that is not was taken by another program.
        for (const JournalEntry& e : r.entries) {
            ItemInfo info;
            if (!(InfoAt(folder.Get(), e.name, info) && info.id == e.id))
                stays += "\n" + AddBackslash(path) + e.name + ": 見つかりません";
        }
        // Moving entries in and out changed the folders' times: they get the recorded ones.
        ApplyTimes(folder.Get(), r.meta);
        if (!stays.empty()) {
            error = KindError(kErrPartlyPutBack, path);
            error.detail = stays;
            return Outcome::Failed;
        }
        ApplyTimes(after.Get(), r.parentMeta);
        return Outcome::Restored;
    }

    Outcome Delete(const JournalRow& r, Error& error) {
        const std::string path = RowPath(r.before);
        std::string leaf;
        const UniqueFd parent = access_.Parent(r.before, leaf, error);
        if (!parent.Valid())
            return Outcome::Failed;
        bool remade = false;
        std::string at;
        for (const std::string& cand : {leaf, WorkName(r)}) {
            bool made = false;
            if (at.empty() && Ours(parent.Get(), cand, r, made))
                at = cand, remade = made;
        }
        if (at == leaf && !remade)
            return Outcome::Untouched;  // never removed
        ItemInfo there;
        if (at.empty() && InfoAt(parent.Get(), leaf, there)) {
            error = KindError(kErrNameTaken, path);
            return Outcome::Failed;
        }
        if (at.empty() && errno != ENOENT) {
            error = RowAccess::Because(path, errno);
            return Outcome::Failed;
        }
        UniqueFd folder;
        if (at.empty()) {
            if (!ClearStaleWork(parent.Get(), r, path, error) ||
                !(folder = Remake(parent.Get(), r, path, error)).Valid())
                return Outcome::Failed;
            at = WorkName(r);
        } else if ((folder = OpenFolderAt(parent.Get(), at)).Valid()) {
            ApplyOwnerAndMode(folder.Get(), r.meta);
        } else {
            error = RowAccess::Because(path, errno);
            return Outcome::Failed;
        }
        std::string stays;
        if (!Place(parent.Get(), at, leaf, path, stays)) {
            unlinkat(parent.Get(), at.c_str(), AT_REMOVEDIR);  // ours, and still empty
            error = KindError(kErrNameTaken, path);
            return Outcome::Failed;
        }
        Seam("undo:placed", path);
        ApplyTimes(folder.Get(), r.meta);
        ApplyTimes(parent.Get(), r.parentMeta);
        return Outcome::Restored;
    }

    const RunJournal& j_;
    RowAccess access_;
    RecordRemade record_;
    std::string stamp_;
    std::map<std::pair<dev_t, ino_t>, FileId> remap_;
};

// The journal belongs to the folder that is there now (or to a start folder that the run
// itself removed, whose parent is still there).
bool SameStart(const RunJournal& j, Error& error) {
    const UniqueFd fd = OpenFolderPath(j.startPath);
    ItemInfo info;
    if (fd.Valid() && InfoOf(fd.Get(), info)) {
        if (info.id == j.startId)
            return true;
        error = KindError(kErrOtherFolderJournal, j.startPath);
        return false;
    }
    const bool removedByRun = errno == ENOENT && !j.rows.empty() && !j.rows.back().raise &&
                              RowPath(j.rows.back().before) == RowPath(j.startPath);
    if (!removedByRun)
        error = RowAccess::Because(j.startPath, errno);
    return removedByRun;
}

}  // namespace

int UndoJournal(const std::string& path, const UndoUi& ui, Error& error) {
    RunJournal j;
    JournalFile file;
    if ((error = file.Open(path, j)))
        return -1;
    if (j.undone)
        return 0;
    if (!SameStart(j, error))
        return -1;
    Undoer undo(j, [&](int index, const FileId& id) {
        file.Append(FormatRemade(index, id));
        return file.Sync() ? Error{} : SystemError(errno, path);
    });
    int failed = 0;
    for (auto it = j.rows.rbegin(); it != j.rows.rend(); ++it) {
        const JournalRow& r = *it;
        if (const auto u = j.undo.find(r.index); u != j.undo.end() && u->second == RowMark::Done)
            continue;  // put back by an earlier undo; one that failed is tried again
        const auto done = j.done.find(r.index);
        const RowMark mark = done == j.done.end() ? RowMark::None : done->second;
        if (mark == RowMark::Failed)
            continue;  // a failed row left the tree as it was
        Seam("undo:row", r.before);
        Error rowError;
        const Outcome o = undo.Row(r, mark, rowError);
        if (ui.status)
            ui.status(r.before + "処理中");
        if (o == Outcome::Untouched)
            continue;
        const bool ok = o == Outcome::Restored;
        file.Append(FormatUndoMark(r.index, ok));
        if (!ok)
            ++failed;
        if (ui.row)
            ui.row(r, ok, rowError);
    }
    // Only a run put back whole counts as undone; otherwise the next Undo tries the rest.
    if (failed == 0)
        file.Append(FormatUndone());
    file.Sync();
    return failed;
}

}  // namespace corvelle
