// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/navigation_panel.h"

#include <QAction>
#include <QMenu>

#include "app/settings.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "shellops/sh_file_lib.h"
#include "ui/frm_main.h"
#include "ui/tab_strip.h"
#include "util/paths.h"

namespace corvelle {

NavigationPanel::NavigationPanel(frmMain& w)
    : QObject(&w), w_(w), history_(Settings().CurrentDirectory) {
    NavigationHistory::Hooks& h = history_.hooks;
    h.rebuildMenu = [this](bool back) { RebuildMenu(back); };
    h.enableButton = [this](bool back, bool enabled) {
        w_.ToolbarButton(back ? QStringLiteral("btnBack") : QStringLiteral("btnNext"))
            ->setEnabled(enabled);
    };
    h.setTreePath = [this](const std::string& path) { w_.dirTree->SetPath(path); };
    h.treePath = [this] { return w_.dirTree->Path(); };
    h.selectFileTab = [this] { w_.tabDisplay->SelectPosition(1); };
    h.redisplay = [this] { w_.dirTree->Redisplay(); };

    connect(w.dirTree, &DirTree::PathChanged, this, [this] { DirTree_PathChanged(); });
    connect(w.dirTree, &DirTree::LabelEditStarting, this,
            [this](bool* cancel) { DirTree_LabelEditStarting(cancel); });
    connect(w.dirTree, &DirTree::LabelEditDone, this,
            [this](bool* cancel, const std::string& name) { DirTree_LabelEditDone(cancel, name); });
    connect(w.dirTree, &DirTree::TreeActivated, this, [this] { DirTree_TreeActivated(); });
}

void NavigationPanel::RebuildMenu(bool back) {
    QMenu* menu = back ? w_.btnBackMenu : w_.btnNextMenu;
    const auto& table = back ? history_.BackTable : history_.NextTable;
    const int count = back ? history_.BackCount : history_.NextCount;
    menu->clear();
    for (int k = 1; k <= count; ++k)
        menu->addAction(QString::fromUtf8(table[static_cast<size_t>(k)]));
}

void NavigationPanel::DirTree_PathChanged() {
    SettingsRecord& s = Settings();
    const std::string saved = CurrentFolder();
    if (!DirCanChange(w_.dirTree->Path(), saved)) {
        MessageService::Show("存在しないパス名です", MsgIcon::None, MsgButtons::Ok);
        w_.dirTree->SetPath(DirCanChange(s.CurrentDirectory, saved) ? s.CurrentDirectory
                                                                    : WindowsDirGet());
        w_.dirTree->Redisplay();
    }
    const std::string path = w_.dirTree->Path();
    // A jump through the history is not a visit of its own.
    if (path != s.CurrentDirectory && path != history_.JumpTarget())
        history_.HistoryVisit(s.CurrentDirectory);
    s.CurrentDirectory = path;
    w_.mnuViewRefresh_Click();
}

void NavigationPanel::DirTree_LabelEditStarting(bool* cancel) {
    // The root has no name to change.
    if (RemoveBackslash(Settings().CurrentDirectory).empty())
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
    if (ShFileRename(reinterpret_cast<OwnerHandle>(&w_), current, newPath) != 0)
        *cancel = true;
    w_.dirTree->SetPath(newPath);
    w_.dirTree->Redisplay();
}

void NavigationPanel::DirTree_TreeActivated() {
    w_.tabDisplay->SelectPosition(1);
}

}  // namespace corvelle
