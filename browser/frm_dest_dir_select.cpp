// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/frm_dest_dir_select.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "app/settings.h"
#include "browser/dialog_state.h"
#include "browser/frm_mk_dir.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/fonts.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/path_text.h"
#include "platform/ui/twips.h"
#include "util/paths.h"

namespace corvelle {

frmDestDirSelect::frmDestDirSelect(const DirTree* mainTree, QWidget* owner)
    : FolderDialog(owner, 4575, 5355) {
    setObjectName("frmDestDirSelect");
    setWindowTitle(QStringLiteral("Destination Folder Select"));
    Label1 = new QLabel(QStringLiteral("パス名を入力して下さい"), this);
    Label1->setObjectName("Label1");
    PlaceTw(Label1, {120, 120, 2295, 255});
    cboDestDir = new QComboBox(this);
    cboDestDir->setObjectName("cboDestDir");
    cboDestDir->setEditable(true);
    cboDestDir->setInsertPolicy(QComboBox::NoInsert);
    PlaceTw(cboDestDir, {0, 360, 4575, 300});
    DestDirTree = new DirTree(this);
    DestDirTree->setObjectName("DestDirTree");
    DestDirTree->setFont(UiFont(9));
    PlaceTw(DestDirTree, {0, 1440, 4575, 3375});
    cmdOk = Button("cmdOk", QStringLiteral("OK"), {1920, 840, 1215, 375});
    cmdCancel = Button("cmdCancel", QStringLiteral("Cancel"), {3240, 840, 1215, 375});
    cmdMkDir = Button("cmdMkDir", QStringLiteral("新規フォルダ作成"), {2760, 4920, 1695, 375});
    setTabOrder(cboDestDir, DestDirTree->View());
    setTabOrder(DestDirTree->View(), cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    setTabOrder(cmdCancel, cmdMkDir);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdMkDir, &QPushButton::clicked, this, [this] { cmdMkDir_Click(); });

    // Form_Load: closing without OK or Cancel reads as Cancel.
    DestDirOk = false;
    DestDirPath.clear();
    const SettingsRecord& s = Settings();
    const int count = DestDirCountOf(s);
    for (int i = 0; i < count; ++i)
        cboDestDir->addItem(PathToQString(s.DestDir[static_cast<size_t>(i)]));
    // An empty first slot (a hand-edited settings file) proposes the current folder: an empty
    // path would select the root, where OK would copy.
    if (count > 0 && !s.DestDir[0].empty()) {
        cboDestDir->setCurrentIndex(0);
        DestDirTree->SetPath(s.DestDir[0]);
    } else {
        cboDestDir->setCurrentIndex(-1);
        DestDirTree->SetPath(s.CurrentDirectory);
    }
    if (mainTree)
        DestDirTree->SetImageType(mainTree->ImageType());
    DestDirTree->Redisplay();
    connect(DestDirTree, &DirTree::PathChanged, this, [this] { DestDirTree_PathChanged(); });
    // Without a recent destination to show, the box shows the tree's first selection, so OK
    // works at once.
    if (cboDestDir->currentText().isEmpty())
        DestDirTree_PathChanged();
}

void frmDestDirSelect::DestDirTree_PathChanged() {
    cboDestDir->setEditText(PathToQString(DestDirTree->Path()));
}

void frmDestDirSelect::cmdMkDir_Click() {
    MkDirParent = DestDirTree->Path();
    frmMkDir dialog;
    ShowModal(dialog);
    DestDirTree->Redisplay();
}

void frmDestDirSelect::cmdOk_Click() {
    const std::string text = QStringToPath(cboDestDir->currentText());
    if (text.empty())
        return;
    DestDirPath = AddBackslash(text);
    DestDirOk = true;
    DestDirRemember(Settings(), DestDirPath);
    accept();
}

void frmDestDirSelect::cmdCancel_Click() {
    DestDirPath.clear();
    DestDirOk = false;
    reject();
}

}  // namespace corvelle
