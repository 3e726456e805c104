// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/execution.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/local_time.h"
#include "platform/os/test_seam.h"
#include "tidy/journal_store.h"
#include "tidy/junk_files.h"
#include "tidy/process_list.h"
#include "tidy/row_access.h"
#include "util/paths.h"

namespace corvelle {
namespace {

using Key = std::pair<std::uint64_t, std::uint64_t>;
Key KeyOf(const FileId& id) {
    return {id.volume, id.number};
}

class Runner {
  public:
    Runner(const ProcessList& list, OwnerHandle owner)
        : access_(list.StartPath(), list.StartId()), owner_(owner), startPath_(list.StartPath()) {}

    // What a row will change, read from the disk as the rows before it will have left it
    // (`contents` carries what earlier raise rows put into their after folders). false with
    // the error when the row cannot be carried out at all.
    bool Plan(int index, const ProcessRow& row, std::map<Key, std::vector<JournalEntry>>& contents,
              JournalRow& plan, Error& error) {
        plan = JournalRow{};
        plan.index = index;
        plan.raise = !row.IsDeleteRow();
        plan.before = row.before;
        plan.after = row.after;
        plan.beforeId = row.beforeId;
        plan.afterId = row.afterId;
        plan.meta = row.beforeMeta;
        plan.parentMeta = row.parentMeta;
        if (!row.beforeId.Known()) {
            error = KindError(kErrNotFromSearch, row.before);
            return false;
        }
        if (!row.junk.empty() && !PlanJunk(row, plan, error))
            return false;
        if (!plan.raise)
            return true;
        const std::string leaf = PathLeaf(RowPath(row.before));
        // As the folder is now: what moves up unless an earlier row fills it first.
        std::vector<JournalEntry> now;
        if (!ListEntries(row, now, error))
            return false;
        if (const auto it = contents.find(KeyOf(row.beforeId)); it != contents.end()) {
            plan.entries = std::move(it->second);
            plan.otherwise = std::move(now);  // that row may fail and leave it so
            contents.erase(it);
        } else {
            plan.entries = std::move(now);
        }
        for (const auto* list : {&plan.entries, &plan.otherwise}) {
            for (const JournalEntry& e : *list)
                if (e.name == leaf)
                    plan.aside = AsideName(index);
        }
        // The after folder then holds exactly these entries.
        contents[KeyOf(row.afterId)] = plan.entries;
        return true;
    }

    // plan: what the journal holds for the row; null when the run is not journaled.
    bool Run(const ProcessRow& row, const JournalRow* plan, Error& error) {
        if (!row.beforeId.Known()) {
            error = KindError(kErrNotFromSearch, row.before);
            return false;
        }
        return row.IsDeleteRow() ? Delete(row, error) : Raise(row, plan, error);
    }

    // Rows of this run that failed, by the folder that holds them: a nested delete row above
    // one fails and names it.
    void Failed(const ProcessRow& row) {
        belowFailed_.emplace(AddBackslash(PathParent(RowPath(row.before))), RowPath(row.before));
    }
    void UseJournal(JournalFile* journal) { journal_ = journal; }
    // A place that holds nothing now (its rows failed and took their junk back) goes.
    void ReleasePlaces() {
        for (auto& [volume, place] : places_) ReleaseHoldingPlace(place);
    }

  private:
    // The entries of the row's folder as the disk has them now, by name.
    bool ListEntries(const ProcessRow& row, std::vector<JournalEntry>& entries, Error& error) {
        ItemInfo info;
        const UniqueFd folder = access_.Folder(row.before, row.beforeId, error, &info);
        std::vector<DirEntryRaw> raw;
        int err = 0;
        if (!folder.Valid())
            return false;
        if (!ReadEntries(folder.Get(), raw, err)) {
            error = RowAccess::Because(RowPath(row.before), err);
            return false;
        }
        // The entry's inode as the folder lists it; the device is the folder's.
        for (DirEntryRaw& e : raw)
            entries.push_back({std::move(e.name), FileId{info.id.volume, e.ino, 0}});
        std::sort(entries.begin(), entries.end(),
                  [](const JournalEntry& a, const JournalEntry& b) { return a.name < b.name; });
        return true;
    }

    // Where the junk files of the open folder dir wait until Undo: one place per file system,
    // found once per run. Not to be had: the row is not carried out (nothing is touched).
    HoldingPlace* Place(int dir, const std::string& folder, Error& error) {
        ItemInfo info;
        if (!InfoOf(dir, info)) {
            error = RowAccess::Because(folder, errno);
            return nullptr;
        }
        auto it = places_.find(info.id.volume);
        if (it == places_.end()) {
            HoldingPlace place;
            Error why = OpenHoldingPlace(dir, folder, startPath_, place);
            if (why) {
                error = KindError(kErrJunkNotKept, folder);
                error.sysErrno = why.sysErrno;
                error.detail = "\n" + ErrorMessage(why);
                return nullptr;
            }
            it = places_.emplace(info.id.volume, std::move(place)).first;
        }
        return &it->second;
    }

    // The row's junk files, checked now against what the search saw, and where they will be
    // held: a junk file that changed, or no place to hold it, fails the row untouched.
    bool PlanJunk(const ProcessRow& row, JournalRow& plan, Error& error) {
        const std::string& text = plan.raise ? row.after : row.before;
        const UniqueFd dir = access_.Folder(text, plan.raise ? row.afterId : row.beforeId, error);
        if (!dir.Valid())
            return false;
        const HoldingPlace* place = Place(dir.Get(), RowPath(text), error);
        if (!place)
            return false;
        plan.junk = row.junk;
        for (JunkFile& j : plan.junk) {
            ItemInfo info;
            if (!InfoAt(dir.Get(), j.name, info) || !StillJunk(info, j)) {
                error = KindError(kErrJunkChanged, AddBackslash(RowPath(text)) + j.name);
                return false;
            }
            j.holdPath = place->path;
            j.holdId = place->id;
        }
        return true;
    }

    bool Delete(const ProcessRow& row, Error& error) {
        std::string leaf;
        const UniqueFd parent = access_.Parent(row.before, leaf, error);
        const std::string path = RowPath(row.before);
        if (!parent.Valid() ||
            !RowAccess::IsFolderAt(parent.Get(), nullptr, leaf, row.beforeId, path, error))
            return false;
        if (const auto it = belowFailed_.find(AddBackslash(path)); it != belowFailed_.end()) {
            error = KindError(kErrRowBelowFailed, it->second);
            return false;
        }
        const std::vector<JunkFile>& junk = row.junk;
        std::vector<std::string> held;
        HoldingPlace* place = nullptr;
        if (!junk.empty()) {
            const UniqueFd folder = OpenFolderAt(parent.Get(), leaf);
            ItemInfo info;
            if (!folder.Valid() || !InfoOf(folder.Get(), info) || info.id != row.beforeId) {
                error = folder.Valid() ? KindError(kErrFolderReplaced, path)
                                       : RowAccess::Because(path, errno);
                return false;
            }
            if (!(place = Place(folder.Get(), path, error)) ||
                (error = HoldJunk(folder.Get(), junk, *place, path, held)))
                return false;
        }
        Seam("delete:checked", path);
        if (path == RowPath(startPath_))
            access_.ReleaseStart();  // the start folder itself goes (a nested run's last row)
        // Removes only an empty folder: a file that arrived at any moment keeps it.
        if (!RemoveEmptyFolderAt(parent.Get(), leaf)) {
            error = RowAccess::Because(path, errno);
            error.operation = "削除";
            if (place) {
                // The folder keeps its junk files: they come back, the very same files.
                const UniqueFd folder = OpenFolderAt(parent.Get(), leaf);
                ItemInfo info;
                const bool same =
                    folder.Valid() && InfoOf(folder.Get(), info) && info.id == row.beforeId;
                error.detail += ReturnJunk(same ? folder.Get() : -1, junk, held, *place, path);
            }
            return false;
        }
        return true;
    }

    static std::string AsideName(int index) {
        return "corvelle-raising-" + std::to_string(ProcessId()) + "-" + std::to_string(index);
    }

    bool Raise(const ProcessRow& row, const JournalRow* plan, Error& error) {
        const std::string path = RowPath(row.before);
        const std::string afterPath = RowPath(row.after);
        const std::string name = PathLeaf(path);
        if (name.empty() || path != AddBackslash(afterPath) + name) {
            error = KindError(kErrAfterNotParent, path);
            return false;
        }
        ItemInfo afterInfo;
        const UniqueFd after = access_.Folder(row.after, row.afterId, error, &afterInfo);
        if (!after.Valid())
            return false;
        // The after folder must still hold exactly the before folder (and its junk files).
        const std::vector<JunkFile>& junk = row.junk;
        std::vector<std::string> names;
        int err = 0;
        if (!ReadNames(after.Get(), names, err)) {
            error = RowAccess::Because(afterPath, err);
            return false;
        }
        std::erase_if(names, [&](const std::string& n) {
            return std::any_of(junk.begin(), junk.end(),
                               [&](const JunkFile& j) { return j.name == n; });
        });
        if (names.size() != 1 || names[0] != name) {
            error = KindError(kErrSiblingAppeared, afterPath);
            return false;
        }
        if (!RowAccess::IsFolderAt(after.Get(), &afterInfo, name, row.beforeId, path, error))
            return false;
        UniqueFd before = OpenFolderAt(after.Get(), name);
        ItemInfo info;
        if (!before.Valid() || !InfoOf(before.Get(), info) || info.id != row.beforeId) {
            error = before.Valid() ? KindError(kErrItemReplaced, path)
                                   : RowAccess::Because(path, errno);
            return false;
        }
        // Only what the plan (and so the journal) holds moves.
        std::vector<DirEntryRaw> listed;
        if (!ReadEntries(before.Get(), listed, err)) {
            error = RowAccess::Because(path, err);
            return false;
        }
        std::sort(listed.begin(), listed.end(),
                  [](const DirEntryRaw& a, const DirEntryRaw& b) { return a.name < b.name; });
        std::vector<std::string> inside;
        inside.reserve(listed.size());
        for (const DirEntryRaw& e : listed) inside.push_back(e.name);
        std::string aside;
        if (plan) {
            const auto same = [&](const std::vector<JournalEntry>& entries) {
                bool equal = inside.size() == entries.size();
                for (size_t i = 0; equal && i < inside.size(); ++i)
                    equal = inside[i] == entries[i].name;
                return equal;
            };
            if (!same(plan->entries)) {
                // The row below failed and left the folder as the search saw it: what it
                // holds moves up, once the journal says so for good.
                if (plan->otherwise.empty() || !same(plan->otherwise)) {
                    error = KindError(kErrChangedSincePlan, path);
                    return false;
                }
                if (journal_) {
                    journal_->Append(FormatOtherwise(plan->index));
                    if (!journal_->Sync()) {
                        error = SystemError(errno, journal_->Path());
                        return false;
                    }
                }
            }
            aside = plan->aside;
        } else if (std::binary_search(inside.begin(), inside.end(), name)) {
            aside = AsideName(0);
        }
        std::vector<std::string> held;
        HoldingPlace* place = nullptr;
        if (!junk.empty() && (!(place = Place(after.Get(), afterPath, error)) ||
                              (error = HoldJunk(after.Get(), junk, *place, afterPath, held))))
            return false;
        // Whatever fails from here on, the junk files come back once the rest is back.
        struct JunkBack {
            int dir;
            const std::vector<JunkFile>& junk;
            const std::vector<std::string>& held;
            HoldingPlace* place;
            const std::string& folder;
            Error& error;
            bool done = false;
            ~JunkBack() {
                if (!done && place)
                    error.detail += ReturnJunk(dir, junk, held, *place, folder);
            }
        } junkBack{after.Get(), junk, held, place, afterPath, error};
        Seam("raise:checked", path);
        // An entry named like the folder itself would have to land where the folder still
        // stands: the folder steps aside first, under a visible name that says what it is.
        const std::string source = aside.empty() ? name : aside;
        if (!aside.empty() && !RenameNoReplace(after.Get(), name, after.Get(), aside)) {
            error = RowAccess::Because(path, errno);
            return false;
        }
        // Reached again under its new name: the handle still holds the folder, but under Wine
        // it no longer knows the folder's path, which moving out of it needs.
        if (!aside.empty()) {
            UniqueFd moved = OpenFolderAt(after.Get(), aside);
            ItemInfo movedInfo;
            if (!moved.Valid() || !InfoOf(moved.Get(), movedInfo) || movedInfo.id != row.beforeId) {
                error = moved.Valid() ? KindError(kErrItemReplaced, path)
                                      : RowAccess::Because(path, errno);
                PutBackAside(after.Get(), aside, name, path, error);
                return false;
            }
            before = std::move(moved);
        }
        FileOpRecord rec;
        rec.hwnd = owner_;
        rec.wFunc = FO_MOVE;
        rec.pFrom = AddBackslash(afterPath) + source;
        rec.pTo = row.after;
        rec.listedEntries = true;
        rec.entries = inside;
        rec.fromDir = before.Get();
        rec.toDir = after.Get();
        // The first failure of the move is the row's, with the item it happened to.
        if (Error moved = FileOperation(rec)) {
            error = std::move(moved);
            // Said to be back only when every entry is: one can stay out (a case-only twin).
            std::string stranded;
            for (const DirEntryRaw& e : listed) {
                ItemInfo out;
                if (InfoAt(after.Get(), e.name, out) && out.id.number == e.ino)
                    stranded += "\n" + AddBackslash(afterPath) + e.name;
            }
            error.detail += stranded.empty() ? "(移動した分は元に戻しました)"
                                             : "\n元に戻せなかった項目:" + stranded;
            PutBackAside(after.Get(), source, name, path, error);
            return false;
        }
        Seam("raise:moved", path);
        // "成功" only once the emptied folder is gone too; otherwise the content goes back.
        // Our own handle goes first: a folder held open is not removed at once everywhere.
        before.Reset();
        ItemInfo emptied;
        if (InfoAt(after.Get(), source, emptied) && emptied.id == row.beforeId &&
            RemoveEmptyFolderAt(after.Get(), source)) {
            junkBack.done = true;
            return true;
        }
        const int why = errno;
        error = RowAccess::Because(path, why);
        error.operation = "空になったフォルダを削除";
        // The folder again, only if it is still the one the content came from.
        before = OpenFolderAt(after.Get(), source);
        if (before.Valid() && (!InfoOf(before.Get(), emptied) || emptied.id != row.beforeId))
            before.Reset();
        // An entry that arrived after the plan stays in the folder: the row names it.
        std::vector<std::string> late;
        if (why == ENOTEMPTY && before.Valid() && ReadNames(before.Get(), late, err) &&
            !late.empty()) {
            std::sort(late.begin(), late.end());
            error = KindError(kErrUnplannedEntry, AddBackslash(path) + late.front());
        }
        std::string stranded;
        for (const std::string& n : inside) {
            if (!before.Valid() || !RenameNoReplace(after.Get(), n, before.Get(), n))
                stranded += "\n" + AddBackslash(afterPath) + n;
        }
        if (!stranded.empty())
            error.detail += "\n元に戻せなかった項目:" + stranded;
        PutBackAside(after.Get(), source, name, path, error);
        return false;
    }

    static void PutBackAside(int dir, const std::string& aside, const std::string& name,
                             const std::string& path, Error& error) {
        if (aside == name)
            return;
        if (!RenameNoReplace(dir, aside, dir, name))
            error.detail += "\n" + path + " は " + PathParent(path) + aside + " にあります";
    }

    RowAccess access_;
    OwnerHandle owner_;
    JournalFile* journal_ = nullptr;
    std::map<std::string, std::string> belowFailed_;  // folder holding it -> the row's folder
    std::string startPath_;
    std::map<std::uint64_t, HoldingPlace> places_;  // by file system
};

// Rows left out: the ticked ones, and every delete row above a ticked row (a folder that
// keeps something the user kept is kept too).
std::vector<bool> LeftOut(const ProcessList& list) {
    const int count = list.Count();
    std::vector<bool> out(static_cast<size_t>(count));
    std::unordered_set<std::string> holding;
    const std::string start = AddBackslash(RowPath(list.StartPath()));
    for (int i = 0; i < count; ++i) {
        if (!list.Checked(i))
            continue;
        out[static_cast<size_t>(i)] = true;
        for (std::string p = PathParent(RowPath(list.Cell(i, 0)));
             p.size() >= start.size() && holding.insert(p).second; p = PathParent(RowPath(p))) {
        }
    }
    if (holding.empty())
        return out;
    for (int i = 0; i < count; ++i) {
        const std::string before = list.Cell(i, 0);
        if (list.Cell(i, 1) == kDeleteMarker && holding.count(AddBackslash(RowPath(before))))
            out[static_cast<size_t>(i)] = true;
    }
    return out;
}

}  // namespace

int ExecuteList(ProcessList& list, const ExecutionUi& ui) {
    int failed = 0;
    const int count = list.Count();
    const std::vector<bool> leftOut = LeftOut(list);
    Runner runner(list, ui.owner);
    // The plan is journaled, and durable, before anything changes.
    RunJournal plan;
    std::map<size_t, Error> planProblems;  // by plan row; most rows have none
    JournalFile journal;
    Error refusal;
    bool journaled = false;
    if (ui.journal) {
        plan.startPath = list.StartPath();
        plan.startId = list.StartId();
        plan.date = LocalTimeText("%Y-%m-%dT%H:%M:%S");
        std::map<Key, std::vector<JournalEntry>> contents;
        plan.rows.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            if (leftOut[static_cast<size_t>(i)])
                continue;
            plan.rows.emplace_back();
            Error problem;
            runner.Plan(i, list.Row(i), contents, plan.rows.back(), problem);
            if (problem)
                planProblems.emplace(plan.rows.size() - 1, std::move(problem));
        }
        if (!plan.rows.empty()) {
            PruneJournals();
            if (Error error = journal.Create(plan)) {
                // No journal, no run: nothing could be undone or recovered.
                refusal = error;
                refusal.operation = "処理の記録を書けないため実行";
            } else {
                journaled = true;
                runner.UseJournal(&journal);
                if (ui.journalWritten)
                    ui.journalWritten(journal.Path());
            }
        }
    }
    size_t k = 0;
    for (int i = 0; i < count; ++i) {
        const ProcessRow& row = list.Row(i);
        if (!leftOut[static_cast<size_t>(i)]) {
            Seam("execute:row", row.before);
            Error error = refusal;
            const JournalRow* p = nullptr;
            if (ui.journal) {
                const auto it = planProblems.find(k);
                if (!error && it != planProblems.end())
                    error = std::move(it->second);
                p = &plan.rows[k++];
            }
            const bool ok = !error && runner.Run(row, p, error);
            list.SetResult(i, ok ? kResultSuccess : kResultFailure);
            list.SetFailure(i, ok ? Error{} : error);
            if (journaled)
                journal.Append(FormatRowMark(i, ok));
            Seam("row:done", row.before);
            if (!ok) {
                ++failed;
                runner.Failed(row);
                if (ui.failed)
                    ui.failed(i, error);
            }
        }
        if (ui.status)
            ui.status(list.Cell(i, 0) + "処理中");
        if (ui.rowDone)
            ui.rowDone(i);
    }
    runner.ReleasePlaces();
    if (journaled) {
        journal.Append(FormatRunEnd());
        journal.Sync();
    }
    return failed;
}

}  // namespace corvelle
