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

bool SameInode(const FileId& a, const FileId& b) {
    return a.dev == b.dev && a.ino == b.ino;
}

void ApplyTimes(int fd, const FolderMeta& m) {
    if (m.mtimeNs == 0)
        return;  // not known
    const struct timespec times[2] = {{m.atimeNs / 1000000000, m.atimeNs % 1000000000},
                                      {m.mtimeNs / 1000000000, m.mtimeNs % 1000000000}};
    futimens(fd, times);
}

void ApplyMeta(int fd, const FolderMeta& m) {
    if (fchown(fd, m.uid, m.gid) != 0 && errno == EPERM)
        fchown(fd, static_cast<uid_t>(-1), m.gid);
    fchmod(fd, m.mode & 07777);
    ApplyTimes(fd, m);
}

class Undoer {
  public:
    explicit Undoer(const RunJournal& j) : access_(j.startPath, j.startId) {
        for (const JournalRow& r : j.rows) {
            if (const auto it = j.remade.find(r.index); it != j.remade.end())
                remap_[{r.beforeId.dev, r.beforeId.ino}] = it->second;
        }
    }

    Outcome Row(const JournalRow& r, RowMark mark, FileId& remade, Error& error) {
        return r.raise ? Raise(r, mark, remade, error) : Delete(r, mark, remade, error);
    }

  private:
    // A folder an earlier step of this undo (or an interrupted one) made again.
    FileId Current(const FileId& id) const {
        const auto it = remap_.find({id.dev, id.ino});
        return it == remap_.end() ? id : it->second;
    }

    static bool HoldsOnlyEntriesOf(int dir, const std::string& name, const JournalRow& r) {
        ItemInfo info;
        if (!InfoAt(dir, name, info) || !info.IsDir())
            return false;
        const UniqueFd folder = OpenFolderAt(dir, name);
        std::vector<DirEntryRaw> inside;
        int err = 0;
        if (!folder.Valid() || !ReadEntries(folder.Get(), inside, err))
            return false;
        for (const DirEntryRaw& e : inside) {
            bool ours = false;
            for (const JournalEntry& j : r.entries) ours |= j.name == e.name && j.id.ino == e.ino;
            if (!ours)
                return false;
        }
        return true;
    }

    // Makes the removed folder again, with its mode, owner and times.
    UniqueFd Remake(int parent, const std::string& name, const JournalRow& r, FileId& remade,
                    const std::string& path, Error& error) {
        if (mkdirat(parent, name.c_str(), 0700) != 0) {
            error = RowAccess::Because(path, errno);
            return UniqueFd();
        }
        UniqueFd fd = OpenFolderAt(parent, name);
        ItemInfo info;
        if (!fd.Valid() || !InfoOf(fd.Get(), info)) {
            error = RowAccess::Because(path, errno);
            return UniqueFd();
        }
        remade = info.id;
        remap_[{r.beforeId.dev, r.beforeId.ino}] = info.id;
        return fd;
    }

    Outcome Raise(const JournalRow& r, RowMark mark, FileId& remade, Error& error) {
        const std::string path = RowPath(r.before);
        const std::string leaf = PathLeaf(path);
        const UniqueFd after = access_.Folder(r.after, Current(r.afterId), error);
        if (!after.Valid())
            return Outcome::Failed;
        // Where the folder is now: in place, moved aside, or gone (the run removed it).
        std::string at;
        for (const std::string& cand : {leaf, r.aside}) {
            ItemInfo info;
            if (!cand.empty() && InfoAt(after.Get(), cand, info) && info.IsDir() &&
                SameInode(info.id, Current(r.beforeId)))
                at = cand;
        }
        std::vector<const JournalEntry*> up;
        for (const JournalEntry& e : r.entries) {
            ItemInfo info;
            if (InfoAt(after.Get(), e.name, info) && SameInode(info.id, e.id))
                up.push_back(&e);
        }
        // An earlier undo that died before its marks were written may have made the folder
        // again already: a folder of that name holding nothing but this row's entries is it.
        for (const std::string& cand : {r.aside, leaf}) {
            if (at.empty() && !cand.empty() && !up.empty() &&
                HoldsOnlyEntriesOf(after.Get(), cand, r))
                at = cand;
        }
        if (at.empty() && up.empty()) {
            if (mark == RowMark::Done) {
                error = KindError(kErrNothingToPutBack, path);
                return Outcome::Failed;
            }
            return Outcome::Untouched;
        }
        if (at == leaf && up.empty())
            return Outcome::Untouched;  // never started, or already put back
        UniqueFd folder;
        bool made = false;
        if (at.empty()) {
            at = r.aside.empty() ? leaf : r.aside;
            folder = Remake(after.Get(), at, r, remade, path, error);
            if (!folder.Valid())
                return Outcome::Failed;
            made = true;
        } else {
            folder = OpenFolderAt(after.Get(), at);
            if (!folder.Valid()) {
                error = RowAccess::Because(path, errno);
                return Outcome::Failed;
            }
        }
        bool whole = true;
        std::string stays;
        for (const JournalEntry* e : up) {
            Seam("undo:entry", AddBackslash(RowPath(r.after)) + e->name);
            if (renameat2(after.Get(), e->name.c_str(), folder.Get(), e->name.c_str(),
                          RENAME_NOREPLACE) != 0) {
                whole = false;
                stays += "\n" + AddBackslash(RowPath(r.after)) + e->name + ": " +
                         ErrorMessage(RowAccess::Because(AddBackslash(path) + e->name, errno));
            }
        }
        // Every other entry must already be inside; one that is neither there nor up is lost
        // to this undo (another program took it).
        for (const JournalEntry& e : r.entries) {
            ItemInfo info;
            bool isUp = false;
            for (const JournalEntry* u : up) isUp |= u == &e;
            if (!isUp && !(InfoAt(folder.Get(), e.name, info) && SameInode(info.id, e.id))) {
                whole = false;
                stays += "\n" + AddBackslash(path) + e.name + ": 見つかりません";
            }
        }
        if (at != leaf &&
            renameat2(after.Get(), at.c_str(), after.Get(), leaf.c_str(), RENAME_NOREPLACE) != 0) {
            whole = false;
            stays += "\n" + path + " は " + AddBackslash(RowPath(r.after)) + at + " にあります";
        }
        // Moving entries in and out changed the folders' times: they get the planned ones.
        if (made)
            ApplyMeta(folder.Get(), r.meta);
        else if (whole)
            ApplyTimes(folder.Get(), r.meta);
        if (whole)
            ApplyTimes(after.Get(), r.parentMeta);
        if (!whole) {
            error = KindError(kErrPartlyPutBack, path);
            error.detail = stays;
        }
        return whole ? Outcome::Restored : Outcome::Failed;
    }

    Outcome Delete(const JournalRow& r, RowMark mark, FileId& remade, Error& error) {
        const std::string path = RowPath(r.before);
        std::string leaf;
        const UniqueFd parent = access_.Parent(r.before, leaf, error);
        if (!parent.Valid())
            return Outcome::Failed;
        ItemInfo info;
        if (InfoAt(parent.Get(), leaf, info)) {
            if (info.IsDir() && SameInode(info.id, Current(r.beforeId)))
                return Outcome::Untouched;
            error = KindError(kErrNameTaken, path);
            return Outcome::Failed;
        }
        if (errno != ENOENT) {
            error = RowAccess::Because(path, errno);
            return Outcome::Failed;
        }
        (void)mark;
        const UniqueFd folder = Remake(parent.Get(), leaf, r, remade, path, error);
        if (!folder.Valid())
            return Outcome::Failed;
        ApplyMeta(folder.Get(), r.meta);
        ApplyTimes(parent.Get(), r.parentMeta);
        return Outcome::Restored;
    }

    RowAccess access_;
    std::map<std::pair<dev_t, ino_t>, FileId> remap_;
};

// The journal belongs to the folder that is there now (or to a start folder that the run
// itself removed, whose parent is still there).
bool SameStart(const RunJournal& j, Error& error) {
    const UniqueFd fd = OpenFolderPath(j.startPath);
    ItemInfo info;
    if (fd.Valid() && InfoOf(fd.Get(), info)) {
        if (SameInode(info.id, j.startId))
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
    if ((error = LoadJournal(path, j)))
        return -1;
    if (j.undone)
        return 0;
    if (!SameStart(j, error))
        return -1;
    JournalFile file;
    if ((error = file.Open(path)))
        return -1;
    Undoer undo(j);
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
        FileId remade;
        Error rowError;
        const Outcome o = undo.Row(r, mark, remade, rowError);
        if (ui.status)
            ui.status(r.before + "処理中");
        if (o == Outcome::Untouched)
            continue;
        const bool ok = o == Outcome::Restored;
        file.Append(FormatUndoMark(r.index, ok, remade));
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
