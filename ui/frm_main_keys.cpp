// SPDX-License-Identifier: GPL-3.0-or-later
// The keys users of desktop file tools expect, beside the menus' own (F5, Ctrl+Q) and the
// views' F2.
#include <QAction>
#include <QShortcut>
#include <QTreeView>

#include "app/settings.h"
#include "platform/ui/dir_tree.h"
#include "ui/frm_main.h"
#include "util/paths.h"

namespace corvelle {

void frmMain::CreateShortcuts() {
    const auto onWindow = [this](QKeyCombination keys, auto action) {
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this, action);
    };
    const auto press = [this](const char* key) {
        QAction* button = ToolbarButton(QString::fromLatin1(key));
        if (button && button->isEnabled())
            button->trigger();
    };
    onWindow(Qt::ALT | Qt::Key_Left, [press] { press("btnBack"); });
    onWindow(Qt::ALT | Qt::Key_Right, [press] { press("btnNext"); });
    onWindow(Qt::ALT | Qt::Key_Up, [this] { GoToParentFolder(); });
    // Delete acts on the folder only where the folder is what is selected: in the tree (not
    // in the file list, and not in the tree's name editor).
    auto* del = new QShortcut(QKeySequence(Qt::Key_Delete), dirTree->View());
    del->setContext(Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, [this] { mnuFileFolderDelete_Click(); });
}

void frmMain::GoToParentFolder() {
    const std::string& current = Settings().CurrentDirectory;
    const std::string parent = PathParent(RemoveBackslash(current));
    // As if the user selected it in the tree (the history records the visit).
    if (!parent.empty() && AddBackslash(parent) != current)
        dirTree->SetPath(parent);
}

}  // namespace corvelle
