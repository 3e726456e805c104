// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's navigation: the tree's events and the back and forward histories.
#pragma once

#include <QObject>
#include <string>

#include "browser/history.h"

namespace corvelle {

class frmMain;

class NavigationPanel : public QObject {
    Q_OBJECT
  public:
    explicit NavigationPanel(frmMain& w);
    NavigationHistory& History() { return history_; }

    void DirTree_PathChanged();
    void DirTree_LabelEditStarting(bool* cancel);
    void DirTree_LabelEditDone(bool* cancel, const std::string& newName);
    void DirTree_TreeActivated();

  private:
    void RebuildMenu(bool back);

    frmMain& w_;
    NavigationHistory history_;
};

}  // namespace corvelle
