// SPDX-License-Identifier: GPL-3.0-or-later
// The splash window shown while the main window loads; its hidden small logo is also the
// About window's banner.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;

namespace corvelle {

class frmSplash : public QWidget {
    Q_OBJECT
  public:
    explicit frmSplash(QWidget* parent = nullptr);
    QFrame* Frame1;
    QLabel* imgLogo;
    QLabel* picLogo;  // never shown
    QLabel* lblCopyright;
    QLabel* lblCompany;
    QLabel* lblVersion;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The one splash of the process: created (hidden) on first use, nullptr once unloaded.
frmSplash* LoadedSplash(bool load);
void UnloadSplash();

}  // namespace corvelle
