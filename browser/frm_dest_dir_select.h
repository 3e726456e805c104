// SPDX-License-Identifier: GPL-3.0-or-later
// The destination dialog: a typed or recent path, or a folder picked in its own tree.
#pragma once

#include "browser/folder_dialog.h"

class QComboBox;

namespace corvelle {

class DirTree;

class frmDestDirSelect : public FolderDialog {
    Q_OBJECT
  public:
    // mainTree: the main window's tree, whose icon set this one copies.
    explicit frmDestDirSelect(const DirTree* mainTree, QWidget* owner = nullptr);
    QLabel* Label1;
    QComboBox* cboDestDir;
    DirTree* DestDirTree;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QPushButton* cmdMkDir;

    void DestDirTree_PathChanged();
    void cmdMkDir_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
};

}  // namespace corvelle
