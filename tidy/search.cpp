// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/search.h"

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

void TidySearch::SearchRun() {
    RaiseOpenFileLimit();  // one handle per level of the walk
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
        if (dirList.ListCount() > 0 && settings_.SubFolderMode) {
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
        if (DirListBox::Examine(folder, fresh))
            fresh.others = 1;  // a folder that cannot be listed never qualifies
        s = &fresh;
    }
    if (s->folders > 0)
        Status(kPanelFileName, s->lone + "チェック中");
    // Only a folder that may qualify is asked for its identity and attributes.
    const int mode = settings_.ShoriMode;
    const auto qualifies = [&] {
        return mode == 0 ? s->folders == 1 && s->others == 0
                         : mode == 1 && s->folders == 0 && s->others == 0;
    };
    if (walked && qualifies())
        s = dirList.Described();
    if (qualifies()) {
        if (mode == 0) {
            list_.Append(folder + s->lone, folder, s->loneId, s->id, s->loneMeta, s->meta);
        } else {
            // The times of the folder holding it, so that Undo gives them back too.
            const FolderSummary* parent = walked ? dirList.ParentDescribed() : nullptr;
            list_.Append(folder, kDeleteMarker, s->id, {}, s->meta,
                         parent ? parent->meta : FolderMeta{0, 0, 0, 0, 0});
        }
    }
    if (ui.autoSize)
        ui.autoSize();
    if (ui.examined)
        ui.examined();
    Busy(false);
}

}  // namespace corvelle
