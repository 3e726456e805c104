// SPDX-License-Identifier: GPL-3.0-or-later
// The rename dialog: the current folder's whole path, edited.
#pragma once

#include "browser/folder_dialog.h"

namespace corvelle {

class frmRename : public FolderDialog {
    Q_OBJECT
  public:
    explicit frmRename(QWidget* owner = nullptr);
    QLineEdit* txtFileName;
    QLabel* Label1;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

    void cmdOk_Click();
    void cmdCancel_Click();
};

}  // namespace corvelle
