// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/navigation_panel.h"

#include <QWidget>

#include "app/settings.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/path_text.h"
#include "platform/ui/qt_file_op_ui.h"
#include "shellops/sh_file_lib.h"
#include "util/paths.h"

namespace corvelle {

NavigationPanel::NavigationPanel(DirTree* dirTree, QWidget* owner)
    : QObject(owner), tree_(dirTree), owner_(owner), history_(Settings().CurrentDirectory) {
    NavigationHistory::Hooks& h = history_.hooks;
    h.rebuildMenu = [this](bool back) { RebuildMenu(back); };
    h.enableButton = [this](bool back, bool enabled) {
        Q_EMIT HistoryButtonEnabled(back, enabled);
    };
    h.setTreePath = [this](const std::string& path) { tree_->SetPath(path); };
    h.treePath = [this] { return tree_->Path(); };
    h.selectFileTab = [this] { Q_EMIT TabRequested(1); };
    h.redisplay = [this] { tree_->Redisplay(); };

    connect(tree_, &DirTree::PathChanged, this, [this] { DirTree_PathChanged(); });
    connect(tree_, &DirTree::LabelEditStarting, this,
            [this](bool* cancel) { DirTree_LabelEditStarting(cancel); });
    connect(tree_, &DirTree::LabelEditDone, this,
            [this](bool* cancel, const std::string& name) { DirTree_LabelEditDone(cancel, name); });
    connect(tree_, &DirTree::TreeActivated, this, [this] { DirTree_TreeActivated(); });
}

void NavigationPanel::RebuildMenu(bool back) {
    const auto& table = back ? history_.BackTable : history_.NextTable;
    const int count = back ? history_.BackCount : history_.NextCount;
    QStringList entries;
    for (int k = 1; k <= count; ++k) entries << PathToQString(table[static_cast<size_t>(k)]);
    Q_EMIT HistoryMenuChanged(back, entries);
}

void NavigationPanel::DirTree_PathChanged() {
    SettingsRecord& s = Settings();
    const std::string saved = CurrentFolder();
    if (!DirCanChange(tree_->Path(), saved)) {
        MessageService::Show("存在しないパス名です", MsgIcon::None, MsgButtons::Ok);
        tree_->SetPath(DirCanChange(s.CurrentDirectory, saved) ? s.CurrentDirectory
                                                               : WindowsDirGet());
        tree_->Redisplay();
    }
    const std::string path = tree_->Path();
    // A jump through the history is not a visit of its own.
    if (path != s.CurrentDirectory && path != history_.JumpTarget())
        history_.HistoryVisit(s.CurrentDirectory);
    s.CurrentDirectory = path;
    Q_EMIT FolderChanged();
}

void NavigationPanel::DirTree_LabelEditStarting(bool* cancel) {
    // A root ("/", "C:\\") has no name to change: nothing is above it.
    if (PathParent(RemoveBackslash(Settings().CurrentDirectory)).empty())
        *cancel = true;
}

void NavigationPanel::DirTree_LabelEditDone(bool* cancel, const std::string& newName) {
    const std::string current = Settings().CurrentDirectory;
    // A name, not a path: a separator would move the folder elsewhere.
    if (newName.empty() || newName == "." || newName == ".." ||
        newName.find(kSep) != std::string::npos) {
        MessageService::Show("フォルダ名に使えない名前です: " + newName, MsgIcon::Exclamation,
                             MsgButtons::Ok);
        *cancel = true;
        return;
    }
    const std::string newPath = AddBackslash(PathParent(RemoveBackslash(current))) + newName;
    if (ShFileRename(OwnerOf(owner_), current, newPath) != 0)
        *cancel = true;
    tree_->SetPath(newPath);
    tree_->Redisplay();
}

void NavigationPanel::DirTree_TreeActivated() {
    Q_EMIT TabRequested(1);
}

}  // namespace corvelle
