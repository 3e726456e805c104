// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/undo.h"

#include <cerrno>
#include <map>
#include <utility>

#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/test_seam.h"
#include "tidy/journal_store.h"
#include "tidy/junk_files.h"
#include "tidy/row_access.h"
#include "util/paths.h"

namespace corvelle {
namespace {

enum class Outcome { Untouched, Ready, Restored, Failed };

// A row on its way back: where its folder stands and what moves into it.
struct Step {
    const JournalRow* row = nullptr;
    UniqueFd parent;      // the after folder (raise) or the folder's parent (delete)
    UniqueFd folder;      // the row's folder
    std::string at;       // its name in parent now
    bool remade = false;  // made by this undo, now or by an earlier attempt
    bool fresh = false;   // made now: its record is not durable yet
    std::vector<const JournalEntry*> up;  // raise: the entries to move back in
};

// Appends the identity of a folder undo made to the journal; the caller makes it durable
// before the folder is used.
using RecordRemade = std::function<void(int index, const FileId& id)>;

class Undoer {
  public:
    Undoer(const RunJournal& j, const std::string& path, RecordRemade record)
        : j_(j), access_(j.startPath, j.startId), record_(std::move(record)), kept_(path) {
        for (const JournalRow& r : j.rows) {
            if (const auto it = j.remade.find(r.index); it != j.remade.end()) {
                remap_[{r.beforeId.volume, r.beforeId.number}] = it->second;
                if (IsStart(r))
                    access_.SetStartId(it->second);
            }
        }
        for (const char c : j.date)
            if (c >= '0' && c <= '9')
                stamp_ += c;
    }

    // A place the run made for its junk goes once Undo has taken everything back.
    ~Undoer() {
        for (auto& [path, h] : held_)
            if (!h.error)
                ReleaseHoldingPlace(h.place);
    }
    Undoer(const Undoer&) = delete;
    Undoer& operator=(const Undoer&) = delete;

    // Finds where the row's folder is, or makes it again (`step.fresh`: its record still
    // has to be made durable). Ready: Finish puts the row back.
    Outcome Begin(const JournalRow& r, RowMark mark, Step& step, Error& error) {
        step.row = &r;
        return r.raise ? Raise(r, mark, step, error) : Delete(r, step, error);
    }
    Outcome Finish(Step& step, Error& error) {
        // A folder this undo made gets its recorded owner and mode before anything moves in
        // (again, where an earlier attempt died before it could).
        if (step.remade)
            SetFolderOwnerAndMode(step.folder.Get(), step.row->meta);
        return step.row->raise ? FinishRaise(*step.row, step, error)
                               : FinishDelete(*step.row, step, error);
    }
    // A folder made by Begin whose record could not be made durable is not used.
    static void Abandon(Step& step) {
        step.folder.Reset();  // let go first: a folder held open is not removed at once everywhere
        RemoveEmptyFolderAt(step.parent.Get(), step.at);
    }

    // The row removed the start folder itself (a nested run can remove rows below it first).
    bool IsStart(const JournalRow& r) const {
        return !r.raise && RowPath(r.before) == RowPath(j_.startPath);
    }

  private:
    // The row's junk files back in dir where missing: moved back from where the run held
    // them, found there by identity (earlier versions' runs: made again from the kept copy).
    // The reasons of those that could not be, one line each.
    std::string JunkBack(int dir, const JournalRow& r, const std::string& folder) {
        std::string stays;
        for (const JunkFile& k : r.junk) {
            std::string contents, why;
            ItemInfo there;
            if (InfoAt(dir, k.name, there) && there.id == k.id)
                continue;  // never removed
            if (!k.holdPath.empty()) {
                if (FetchHeld(dir, k, folder, why))
                    continue;
            } else if (Error e = kept_.Read(k, contents)) {
                why = ErrorMessage(e);
            } else if (PutJunkBack(dir, k, contents, why)) {
                continue;
            }
            stays += "\n" + AddBackslash(folder) + k.name + ": " + why;
        }
        return stays;
    }

    // A holding place the journal names, checked and listed once: its items by number.
    struct Held {
        HoldingPlace place;
        Error error;
        std::multimap<std::uint64_t, std::string> byNumber;
    };
    Held& HeldFor(const JunkFile& k) {
        const auto [it, fresh] = held_.try_emplace(k.holdPath);
        Held& h = it->second;
        if (!fresh)
            return h;
        std::vector<DirEntryRaw> raw;
        int err = 0;
        if (!(h.error = ReopenHoldingPlace(k.holdPath, k.holdId, h.place)) &&
            !ReadEntries(h.place.folder.Get(), raw, err))
            h.error = SystemError(err, k.holdPath);
        for (DirEntryRaw& e : raw) h.byNumber.emplace(e.ino, std::move(e.name));
        return h;
    }

    // Moves the junk file back from its holding place into dir; false with the reason.
    bool FetchHeld(int dir, const JunkFile& k, const std::string& folder, std::string& why) {
        Held& h = HeldFor(k);
        if (h.error) {
            why = ErrorMessage(h.error);
            return false;
        }
        auto [from, to] = h.byNumber.equal_range(k.id.number);
        for (auto it = from; it != to; ++it) {
            ItemInfo info;
            if (!InfoAt(h.place.folder.Get(), it->second, info) || !info.IsFile() ||
                info.id != k.id)
                continue;
            if (!MoveFromHolding(h.place, it->second, dir, k.name)) {
                why = ErrorMessage(errno == EEXIST
                                       ? KindError(kErrNameTaken, AddBackslash(folder) + k.name)
                                       : RowAccess::Because(AddBackslash(folder) + k.name, errno));
                return false;
            }
            h.byNumber.erase(it);
            return true;
        }
        why = ErrorMessage(KindError(kErrNothingToPutBack, k.holdPath));
        return false;
    }

    // What the row moved up: its planned entries, or those it moved instead when the row
    // below it had failed.
    const std::vector<JournalEntry>& Entries(const JournalRow& r) const {
        return j_.otherwise.count(r.index) ? r.otherwise : r.entries;
    }

    // A folder an earlier step of this undo (or an interrupted one) made again.
    FileId Current(const FileId& id) const {
        const auto it = remap_.find({id.volume, id.number});
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
        // Still private and the user's, or already given the recorded owner and mode.
        remade = made.Known() && info.id == made && MadeByUndoFor(info, r.meta);
        return remade || info.id == r.beforeId;
    }

    // The work folder left by an attempt killed before it could record it: empty, the
    // user's, still private. It is removed; anything else under that name stops the row.
    bool ClearStaleWork(int dir, const JournalRow& r, const std::string& path, Error& error) {
        const std::string name = WorkName(r);
        ItemInfo info;
        if (!InfoAt(dir, name, info))
            return true;
        if (PrivateToUser(info) && RemoveEmptyFolderAt(dir, name))
            return true;
        error = KindError(kErrNameTaken, AddBackslash(PathParent(path)) + name);
        return false;
    }

    // Makes the row's folder again under its work name, private, and appends its identity to
    // the journal. The caller makes the record durable before the folder gets its owner and
    // mode and before anything moves into it.
    UniqueFd Remake(int parent, const JournalRow& r, const std::string& path, Error& error) {
        const std::string name = WorkName(r);
        if (!MakePrivateFolderAt(parent, name)) {
            error = RowAccess::Because(path, errno);
            return UniqueFd();
        }
        Seam("undo:made", path);
        UniqueFd fd = OpenFolderAt(parent, name);
        ItemInfo info;
        if (!fd.Valid() || !InfoOf(fd.Get(), info)) {
            error = RowAccess::Because(path, errno);
            fd.Reset();
            RemoveEmptyFolderAt(parent, name);
            return UniqueFd();
        }
        record_(r.index, info.id);
        remap_[{r.beforeId.volume, r.beforeId.number}] = info.id;
        // The rows below a start folder made again are reached through the new one.
        if (IsStart(r))
            access_.SetStartId(info.id);
        return fd;
    }

    // Renames the folder from `at` to its own name in dir; false with the reason added.
    static bool Place(int dir, const std::string& at, const std::string& leaf,
                      const std::string& path, std::string& stays) {
        if (at == leaf || RenameNoReplace(dir, at, dir, leaf))
            return true;
        stays += "\n" + path + " は " + AddBackslash(PathParent(path)) + at + " にあります";
        return false;
    }

    Outcome Raise(const JournalRow& r, RowMark mark, Step& step, Error& error) {
        const std::string path = RowPath(r.before);
        const std::string leaf = PathLeaf(path);
        step.parent = access_.Folder(r.after, Current(r.afterId), error);
        if (!step.parent.Valid())
            return Outcome::Failed;
        const int after = step.parent.Get();
        // What of the row's entries stands in the after folder now.
        for (const JournalEntry& e : Entries(r)) {
            ItemInfo info;
            if (InfoAt(after, e.name, info) && info.id == e.id)
                step.up.push_back(&e);
        }
        // Where the folder is: in place, aside (the run), under the work name (an undo).
        for (const std::string& cand : {leaf, r.aside, WorkName(r)}) {
            bool made = false;
            if (step.at.empty() && Ours(after, cand, r, made))
                step.at = cand, step.remade = made;
        }
        if (step.at == leaf && step.up.empty() && !step.remade && !JunkMissing(after, r.junk))
            return Outcome::Untouched;  // never started, or put back by the run itself
        if (!step.at.empty()) {
            step.folder = OpenFolderAt(after, step.at);
            if (!step.folder.Valid()) {
                error = RowAccess::Because(path, errno);
                return Outcome::Failed;
            }
            return Outcome::Ready;
        }
        if (step.up.empty() && !Entries(r).empty()) {
            if (mark != RowMark::Done)
                return Outcome::Untouched;
            error = KindError(kErrNothingToPutBack, path);
            return Outcome::Failed;
        }
        // The place must be free, or hold one of the row's own entries (a folder that held an
        // entry of its own name): nothing else is moved or adopted.
        ItemInfo there;
        bool entryThere = false;
        for (const JournalEntry* e : step.up) entryThere |= e->name == leaf;
        if (!entryThere && InfoAt(after, leaf, there)) {
            error = KindError(kErrNameTaken, path);
            return Outcome::Failed;
        }
        return MakeAgain(r, path, step, error);
    }

    Outcome Delete(const JournalRow& r, Step& step, Error& error) {
        const std::string path = RowPath(r.before);
        std::string leaf;
        step.parent = access_.Parent(r.before, leaf, error);
        if (!step.parent.Valid())
            return Outcome::Failed;
        const int parent = step.parent.Get();
        for (const std::string& cand : {leaf, WorkName(r)}) {
            bool made = false;
            if (step.at.empty() && Ours(parent, cand, r, made))
                step.at = cand, step.remade = made;
        }
        if (step.at == leaf && !step.remade) {
            // Never removed; its junk files may have gone before a crash.
            if (r.junk.empty())
                return Outcome::Untouched;
            const UniqueFd folder = OpenFolderAt(parent, leaf);
            if (folder.Valid() && !JunkMissing(folder.Get(), r.junk))
                return Outcome::Untouched;
        }
        if (!step.at.empty()) {
            step.folder = OpenFolderAt(parent, step.at);
            if (!step.folder.Valid()) {
                error = RowAccess::Because(path, errno);
                return Outcome::Failed;
            }
            return Outcome::Ready;
        }
        ItemInfo there;
        if (InfoAt(parent, leaf, there)) {
            error = KindError(kErrNameTaken, path);
            return Outcome::Failed;
        }
        if (errno != ENOENT) {
            error = RowAccess::Because(path, errno);
            return Outcome::Failed;
        }
        return MakeAgain(r, path, step, error);
    }

    Outcome MakeAgain(const JournalRow& r, const std::string& path, Step& step, Error& error) {
        if (!ClearStaleWork(step.parent.Get(), r, path, error) ||
            !(step.folder = Remake(step.parent.Get(), r, path, error)).Valid())
            return Outcome::Failed;
        step.at = WorkName(r);
        step.remade = step.fresh = true;
        return Outcome::Ready;
    }

    Outcome FinishRaise(const JournalRow& r, Step& step, Error& error) {
        const std::string path = RowPath(r.before);
        const std::string leaf = PathLeaf(path);
        const std::string afterBase = AddBackslash(RowPath(r.after));
        const int after = step.parent.Get();
        const int folder = step.folder.Get();
        std::string stays;
        std::vector<const JournalEntry*> moved;
        bool ok = true;
        for (const JournalEntry* e : step.up) {
            Seam("undo:entry", afterBase + e->name);
            if (!RenameNoReplace(after, e->name, folder, e->name)) {
                ok = false;
                stays += "\n" + afterBase + e->name + ": " +
                         ErrorMessage(RowAccess::Because(AddBackslash(path) + e->name, errno));
                break;
            }
            moved.push_back(e);
        }
        ok = ok && Place(after, step.at, leaf, path, stays);
        if (!ok) {
            // This attempt takes back what it did: the tree is as before it, and the next
            // Undo starts from there.
            for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
                const std::string& n = (*it)->name;
                if (!RenameNoReplace(folder, n, after, n))
                    stays += "\n" + AddBackslash(path) + n + " は " + afterBase + step.at +
                             " の中にあります";
            }
            if (step.remade && step.at != leaf) {
                step.folder.Reset();
                RemoveEmptyFolderAt(after, step.at);
            }
            error = KindError(kErrPartlyPutBack, path);
            error.detail = stays;
            return Outcome::Failed;
        }
        Seam("undo:placed", path);
        // Every entry must now be inside; one that is not was taken by another program.
        for (const JournalEntry& e : Entries(r)) {
            ItemInfo info;
            if (!(InfoAt(folder, e.name, info) && info.id == e.id))
                stays += "\n" + AddBackslash(path) + e.name + ": 見つかりません";
        }
        stays += JunkBack(after, r, RowPath(r.after));
        // Moving entries in and out changed the folders' times: they get the recorded ones.
        SetFolderTimes(folder, r.meta);
        if (!stays.empty()) {
            error = KindError(kErrPartlyPutBack, path);
            error.detail = stays;
            return Outcome::Failed;
        }
        SetFolderTimes(after, r.parentMeta);
        return Outcome::Restored;
    }

    Outcome FinishDelete(const JournalRow& r, Step& step, Error& error) {
        const std::string path = RowPath(r.before);
        std::string stays = JunkBack(step.folder.Get(), r, path);
        if (!Place(step.parent.Get(), step.at, PathLeaf(path), path, stays)) {
            step.folder.Reset();
            RemoveEmptyFolderAt(step.parent.Get(), step.at);  // ours, if nothing came back
            error = KindError(kErrNameTaken, path);
            return Outcome::Failed;
        }
        Seam("undo:placed", path);
        SetFolderTimes(step.folder.Get(), r.meta);
        SetFolderTimes(step.parent.Get(), r.parentMeta);
        if (!stays.empty()) {
            // In place; the next Undo makes the rest again.
            error = KindError(kErrPartlyPutBack, path);
            error.detail = stays;
            return Outcome::Failed;
        }
        return Outcome::Restored;
    }

    const RunJournal& j_;
    RowAccess access_;
    RecordRemade record_;
    std::string stamp_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, FileId> remap_;
    KeptContents kept_;
    std::map<std::string, Held> held_;  // by path
};

// The journal belongs to the folder that is there now (or to a start folder that the run
// itself removed, whose parent is still there).
bool SameStart(const RunJournal& j, Error& error) {
    const UniqueFd fd = OpenFolderPath(j.startPath);
    ItemInfo info;
    if (fd.Valid() && InfoOf(fd.Get(), info)) {
        // Or the start folder an earlier Undo made again.
        const bool remadeStart = !j.rows.empty() && !j.rows.back().raise &&
                                 RowPath(j.rows.back().before) == RowPath(j.startPath) &&
                                 j.remade.count(j.rows.back().index) &&
                                 j.remade.at(j.rows.back().index) == info.id;
        if (info.id == j.startId || remadeStart)
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
    Undoer undo(j, path,
                [&](int index, const FileId& id) { file.Append(FormatRemade(index, id)); });
    // Rows wait in order until the records of the folders made for them are durable: one
    // sync for many rows. A row beneath a waiting one waits for it to be put back first.
    struct Waiting {
        Outcome outcome;
        Step step;
        Error error;
    };
    std::vector<Waiting> waiting;
    int fresh = 0;
    int failed = 0;
    auto flush = [&] {
        const bool durable = fresh == 0 || file.Sync();
        const int syncError = errno;
        if (fresh > 0)
            Seam("undo:recorded", path);
        for (Waiting& w : waiting) {
            if (w.outcome == Outcome::Ready && !durable && w.step.fresh) {
                Undoer::Abandon(w.step);
                w.outcome = Outcome::Failed;
                w.error = SystemError(syncError, path);
            } else if (w.outcome == Outcome::Ready) {
                w.outcome = undo.Finish(w.step, w.error);
            }
            const bool ok = w.outcome == Outcome::Restored;
            file.Append(FormatUndoMark(w.step.row->index, ok));
            if (!ok)
                ++failed;
            if (ui.row)
                ui.row(*w.step.row, ok, w.error);
        }
        waiting.clear();
        fresh = 0;
    };
    auto beneathWaiting = [&](const JournalRow& r) {
        for (const Waiting& w : waiting) {
            const std::string top = AddBackslash(RowPath(w.step.row->before));
            for (const std::string& p : {r.before, r.after})
                if (!p.empty() && AddBackslash(RowPath(p)).compare(0, top.size(), top) == 0)
                    return true;
        }
        return false;
    };
    for (auto it = j.rows.rbegin(); it != j.rows.rend(); ++it) {
        const JournalRow& r = *it;
        if (const auto u = j.undo.find(r.index); u != j.undo.end() && u->second == RowMark::Done)
            continue;  // put back by an earlier undo; one that failed is tried again
        const auto done = j.done.find(r.index);
        const RowMark mark = done == j.done.end() ? RowMark::None : done->second;
        // A failed row is looked at too: one that could not take back all it moved has left
        // entries where Undo finds them (its verdict is never "done" while one stays out).
        if (beneathWaiting(r))
            flush();
        Seam("undo:row", r.before);
        Waiting w;
        w.outcome = undo.Begin(r, mark, w.step, w.error);
        if (ui.status)
            ui.status(r.before + "処理中");
        if (w.outcome == Outcome::Untouched)
            continue;
        fresh += w.step.fresh ? 1 : 0;
        waiting.push_back(std::move(w));
        if (waiting.size() >= 128)
            flush();  // every waiting row holds two folders open
    }
    flush();
    // Only a run put back whole counts as undone; otherwise the next Undo tries the rest.
    if (failed == 0)
        file.Append(FormatUndone());
    file.Sync();
    return failed;
}

}  // namespace corvelle
