// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/search.h"

#include <algorithm>
#include <chrono>

#include "app/app_state.h"
#include "app/settings.h"
#include "platform/os/guarded_steps.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "platform/os/test_seam.h"
#include "tidy/process_list.h"
#include "util/paths.h"

namespace corvelle {

void TidySearch::Status(const char* panel, const std::string& text) {
    if (ui.status)
        ui.status(panel, text);
}

void TidySearch::Busy(bool busy) {
    if (ui.busy)
        ui.busy(busy);
}

bool TidySearch::SetDirListPath(const std::string& path) {
    return RunGuarded([&] { return dirList.SetPath(path); }, {},
                      [this] {
                          Busy(false);
                          Status(kPanelGeneral, {});
                      });
}

std::string TidySearch::Relative(const std::string& path) const {
    const std::string base = AddBackslash(start_);
    std::string rel = path.compare(0, base.size(), base) == 0 ? path.substr(base.size()) : path;
    if (kSep != '/')
        std::replace(rel.begin(), rel.end(), kSep, '/');
    return RemoveBackslash(rel);
}

// The folder, and what its row removes with it, last changed before the cut-off.
bool TidySearch::OldEnough(const FolderSummary& s, int mode) const {
    if (cutOffNs_ == 0)
        return true;
    if (!corvelle::OldEnough(s.meta.mtimeNs, cutOffNs_) ||
        (mode == 0 && !corvelle::OldEnough(s.loneMeta.mtimeNs, cutOffNs_)))
        return false;
    for (const JunkFile& j : s.junk)
        if (!corvelle::OldEnough(j.meta.mtimeNs, cutOffNs_))
            return false;
    return true;
}

void TidySearch::SearchRun() {
    RaiseOpenFileLimit();  // one handle per level of the walk
    rules_ = settings_.Rules;
    cutOffNs_ = AgeCutOffNs(rules_, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::system_clock::now().time_since_epoch())
                                        .count());
    dirList.SetRules(&rules_);
    dirList.Refresh();
    const bool listed = RunGuarded([&] { return dirList.SetPath(settings_.CurrentDirectory); }, {},
                                   [this] {
                                       Busy(false);
                                       SearchRunning = false;
                                       Status(kPanelGeneral, {});
                                   });
    if (!listed)
        return;
    const std::string start = settings_.CurrentDirectory;
    const std::string startPath = dirList.Path();
    start_ = startPath;
    if (ui.buttons)
        ui.buttons(true);
    // A start folder that could not be opened (the user chose Ignore) leaves nothing to walk.
    if (const FolderSummary* s = dirList.Summary()) {
        list_.SetStart(startPath, s->id);
        FolderTreeSearch(startPath, {});
    }
    Busy(false);
    list_.Compact();
    // The walk's folders are let go: a folder held open cannot be removed at once everywhere.
    dirList.Refresh();
    // The list is brought up to date before the box covers it.
    if (ui.walkEnded)
        ui.walkEnded();
    MessageService::Show("検索完了!", MsgIcon::Information, MsgButtons::Ok);
    if (list_.Count() > 0 && ui.ensureVisible)
        ui.ensureVisible(0);
    SearchRunning = false;
    Status(kPanelGeneral, {});
    Status(kPanelFileName, {});
    if (ui.selectFolder)
        ui.selectFolder(start);
    settings_.CurrentDirectory = start;
    if (ui.buttons)
        ui.buttons(false);
}

bool TidySearch::FolderTreeSearch(const std::string& path, const std::string& parentPath) {
    SearchRunning = true;
    if (ui.yield)
        ui.yield();
    if (!SearchRunning)
        return true;
    int n = dirList.ListCount();
    while (n > 0 && SearchRunning) {
        if (!SetDirListPath(path))
            return false;
        bool stopped = false;
        // Read afresh: the user may switch the option while the search runs.
        // An excluded folder is neither entered nor listed.
        if (dirList.ListCount() > 0 && settings_.SubFolderMode &&
            !(rules_.exclude &&
              IsExcluded(rules_, PathLeaf(dirList.List(n - 1)), Relative(dirList.List(n - 1))))) {
            DirListBox::Entered entered = DirListBox::Entered::Failed;
            Seam("search:enter", dirList.List(n - 1));
            // A sub-folder that vanished or cannot be opened is reported once; Ignore goes on
            // with the next one, so no folder is examined twice.
            const bool go = RunGuarded(
                [&] {
                    Error err;
                    entered = dirList.Enter(n - 1, err);
                    return err;
                },
                {},
                [this] {
                    Busy(false);
                    Status(kPanelGeneral, {});
                });
            if (!go)
                return false;
            if (entered == DirListBox::Entered::Yes)
                stopped = FolderTreeSearch(dirList.Path(), path);
        }
        --n;
        // A stop noticed at a visit's start unwinds the walk without examining the folders
        // still open above it; the rows found so far stay.
        if (stopped)
            return true;
    }
    const std::string folder = AddBackslash(dirList.Path());
    Status(kPanelGeneral, folder + "を検索中");
    FolderNameSearch(folder);
    if (list_.Count() > 0) {
        if (ui.ensureVisible)
            ui.ensureVisible(list_.Count() - 1);
        if (ui.yield)
            ui.yield();
    }
    if (!parentPath.empty() && !SetDirListPath(parentPath))
        return false;
    return false;
}

void TidySearch::FolderNameSearch(const std::string& folder) {
    if (StartupInProgress)
        return;
    Busy(true);
    // The walk has just read this folder; any other folder is read now.
    FolderSummary fresh;
    const FolderSummary* s = dirList.Summary();
    const bool walked = s && AddBackslash(dirList.Path()) == AddBackslash(folder);
    if (!walked) {
        if (DirListBox::Examine(folder, fresh, &rules_))
            fresh.others = 1;  // a folder that cannot be listed never qualifies
        s = &fresh;
    }
    if (s->folders > 0)
        Status(kPanelFileName, s->lone + "チェック中");
    // Only a folder that may qualify is asked for its identity and attributes.
    const int mode = settings_.ShoriMode;
    // Nested: every sub-folder was listed itself (hidden ones are never walked, so never).
    const bool nested = rules_.nested && mode == 1;
    // The start folder is the user's choice, but never listed where an exclusion names it.
    const bool excludedStart = rules_.exclude && folder == AddBackslash(start_) &&
                               IsExcluded(rules_, PathLeaf(RemoveBackslash(start_)), "");
    const auto qualifies = [&] {
        if (s->others != 0 || excludedStart)
            return false;
        if (mode == 0)
            return s->folders == 1 &&
                   (!rules_.exclude ||
                    !IsExcluded(rules_, s->lone, Relative(AddBackslash(folder) + s->lone)));
        return mode == 1 && (s->folders == 0 || (nested && s->folders == s->qualified));
    };
    if (walked && qualifies())
        s = dirList.Described();
    if (qualifies() && OldEnough(*s, mode)) {
        if (mode == 0) {
            list_.Append(folder + s->lone, folder, s->loneId, s->id, s->loneMeta, s->meta, s->junk);
        } else {
            // The times of the folder holding it, so that Undo gives them back too.
            const FolderSummary* parent = walked ? dirList.ParentDescribed() : nullptr;
            list_.Append(folder, kDeleteMarker, s->id, {}, s->meta,
                         parent ? parent->meta : FolderMeta{0, 0, 0, 0, 0}, s->junk);
            if (nested && walked)
                dirList.CountQualified();
        }
    }
    if (ui.autoSize)
        ui.autoSize();
    if (ui.examined)
        ui.examined();
    Busy(false);
}

}  // namespace corvelle
