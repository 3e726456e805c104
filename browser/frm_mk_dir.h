// SPDX-License-Identifier: GPL-3.0-or-later
// The new-folder dialog: a name, created in MkDirParent.
#pragma once

#include "browser/folder_dialog.h"

namespace corvelle {

class frmMkDir : public FolderDialog {
    Q_OBJECT
  public:
    explicit frmMkDir(QWidget* owner = nullptr);
    QLineEdit* txtNewDirName;
    QLabel* Label1;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

    void cmdOk_Click();
    void cmdCancel_Click();
};

}  // namespace corvelle
