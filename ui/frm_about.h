// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: name, version, copyright and the small logo as a banner.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvelle {

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* mainWindow = nullptr);
    QLabel* picBanner;
    QLabel* lblApName;
    QLabel* lblVersion;
    QLabel* lblCopyright;
    QPushButton* cmdOk;

    void cmdOk_Click() { accept(); }
};

}  // namespace corvelle
