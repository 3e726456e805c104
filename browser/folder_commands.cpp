// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/folder_commands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMimeData>
#include <QUrl>

#include "app/settings.h"
#include "browser/dialog_state.h"
#include "browser/frm_dest_dir_select.h"
#include "browser/frm_mk_dir.h"
#include "browser/frm_rename.h"
#include "platform/os/guarded_steps.h"
#include "platform/os/message_service.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/path_text.h"
#include "platform/ui/qt_file_op_ui.h"
#include "shellops/sh_file_lib.h"
#include "util/paths.h"

namespace corvelle {
namespace {

// A step that ends its command quietly unless the user said OK.
Error AskOk(const std::string& text) {
    return MessageService::Show(text, MsgIcon::None, MsgButtons::OkCancel) == MsgAnswer::Ok
               ? Error{}
               : Error{kErrEndQuietly, {}};
}

GuardedStep Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return Error{};
    };
}

}  // namespace

FolderCommands::FolderCommands(const DirTree* mainTree, QWidget* owner)
    : QObject(owner), mainTree_(mainTree), owner_(owner) {}

void FolderCommands::CopyOrMove(bool move) {
    // The folder the user confirms is the folder operated on, whatever the yield lets happen.
    const std::string current = Settings().CurrentDirectory;
    RunGuardedSteps({
                        [this] {
                            frmDestDirSelect dialog(mainTree_);
                            ShowModal(dialog);
                            return DestDirOk ? Error{} : Error{kErrEndQuietly, {}};
                        },
                        [&] {
                            return AskOk(current + "を\n" + DestDirPath +
                                         (move ? "に移動します。" : "にコピーします。") +
                                         "\nよろしいですか？");
                        },
                        Do([move] {
                            // Let the area under the closed box repaint before the long operation.
                            if (move)
                                QCoreApplication::processEvents();
                        }),
                        Do([this] { Q_EMIT BusyChanged(true); }),
                        Do([&] {
                            if (move)
                                ShFileMove(OwnerOf(owner_), current, DestDirPath);
                            else
                                ShFileCopy(OwnerOf(owner_), current, DestDirPath);
                        }),
                        Do([this] { Q_EMIT TreeRedisplayRequested(); }),
                        Do([this] { Q_EMIT BusyChanged(false); }),
                    },
                    {}, [this] { Q_EMIT BusyChanged(false); });
}

void FolderCommands::mnuFileFolderCopy_Click() {
    CopyOrMove(false);
}
void FolderCommands::mnuFileFolderMove_Click() {
    CopyOrMove(true);
}

void FolderCommands::mnuFileFolderDelete_Click() {
    const std::string current = Settings().CurrentDirectory;
    RunGuardedSteps(
        {
            [&] { return AskOk(current + "を" + "削除します。\nよろしいですか？"); },
            Do([] { QCoreApplication::processEvents(); }),
            Do([this] { Q_EMIT BusyChanged(true); }),
            // To the Trash, with no second question: the program asked already.
            Do([&] { ShFileDelete(OwnerOf(owner_), current, true); }),
            Do([this] { Q_EMIT TreeRedisplayRequested(); }),
            Do([this] { Q_EMIT BusyChanged(false); }),
        },
        {}, [this] { Q_EMIT BusyChanged(false); });
}

void FolderCommands::mnuFileFolderCreate_Click() {
    MkDirParent = Settings().CurrentDirectory;
    frmMkDir dialog(owner_);
    ShowModal(dialog);
    Q_EMIT TreeRedisplayRequested();
}

void FolderCommands::mnuFileFolderRename_Click() {
    RunGuardedSteps(
        {
            Do([] { QCoreApplication::processEvents(); }),
            Do([] { RenameSource = Settings().CurrentDirectory; }),
            Do([] {
                frmRename dialog;
                ShowModal(dialog);
            }),
            Do([this] { Q_EMIT FolderSelected(Settings().CurrentDirectory); }),
            Do([this] { Q_EMIT TreeRedisplayRequested(); }),
        },
        {}, [this] { Q_EMIT BusyChanged(false); });
}

void FolderCommands::lvwFileName_AfterLabelEdit(bool* cancel, const std::string& oldName,
                                                const std::string& newName) {
    const std::string& current = Settings().CurrentDirectory;
    RenameSource = oldName;
    // A name only: a separator would move the file elsewhere.
    if (RenameSource.empty() || newName.empty() || newName == "." || newName == ".." ||
        newName.find(kSep) != std::string::npos) {
        *cancel = true;
        return;
    }
    if (ShFileRename(OwnerOf(owner_), current + RenameSource, current + newName) != 0)
        *cancel = true;
}

std::vector<std::string> FolderCommands::DroppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    // From Explorer (CF_HDROP) as from a Linux file manager: file:// addresses.
    for (const QUrl& url : data->urls()) {
        std::string path = LocalPathOfUrl(url);
        if (path.empty())
            return {};
        paths.push_back(std::move(path));
    }
    return paths;
}

bool FolderCommands::lvwFileName_OLEDragOver(const QMimeData* data) const {
    return !DroppedPaths(data).empty();
}

void FolderCommands::lvwFileName_OLEDragDrop(const QMimeData* data) {
    const std::vector<std::string> paths = DroppedPaths(data);
    if (paths.empty())
        return;
    const std::string current = Settings().CurrentDirectory;
    if (MessageService::Show("ドロップしたファイルを " + current + " にコピーしますか？",
                             MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok)
        return;
    for (const std::string& path : paths) ShFileCopy(OwnerOf(owner_), path, current);
    Q_EMIT FileListChanged();
}

}  // namespace corvelle
