#include "tidy/search.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "platform/os/enumeration.h"
#include "platform/os/guarded_steps.h"
#include "platform/os/message_service.h"
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
    FolderTreeSearch(startPath, {});
    Busy(false);
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
            if (!SetDirListPath(dirList.List(n - 1)))
                return false;
            const std::string sub = dirList.Path();
            stopped = FolderTreeSearch(sub, path);
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
    int subFolders = 0;
    int files = 0;
    std::string subName;
    const Error err = EnumerateFolder(folder, [&](const DirEntry& e) {
        // A link is an entry like a file: never counted as a sub-folder.
        if (e.kind == EntryKind::Folder) {
            subName = e.name;
            if (++subFolders > 1)
                return false;
        } else {
            ++files;
            return false;
        }
        Status(kPanelFileName, e.name + "チェック中");
        return true;
    });
    // A folder that cannot be listed counts as holding something: it never qualifies.
    if (err)
        ++files;
    switch (settings_.ShoriMode) {
        case 0:
            if (subFolders == 1 && files == 0)
                list_.Append(folder + subName, folder);
            break;
        case 1:
            if (subFolders == 0 && files == 0)
                list_.Append(folder, kDeleteMarker);
            break;
        default:
            break;
    }
    if (ui.autoSize)
        ui.autoSize();
    Busy(false);
}

}  // namespace corvelle
