// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's navigation: the tree's events and the back and forward histories.
#pragma once

#include <QObject>
#include <QStringList>
#include <string>

#include "browser/history.h"

namespace corvelle {

class DirTree;

// Owns the folder tree and the histories; the toolbar, the tabs and the file list are the
// window's, told through signals.
class NavigationPanel : public QObject {
    Q_OBJECT
  public:
    // `owner` is the window its boxes and file operations belong to.
    NavigationPanel(DirTree* dirTree, QWidget* owner);
    NavigationHistory& History() { return history_; }

    void DirTree_PathChanged();
    void DirTree_LabelEditStarting(bool* cancel);
    void DirTree_LabelEditDone(bool* cancel, const std::string& newName);
    void DirTree_TreeActivated();

  Q_SIGNALS:
    // The back (or forward) drop-down lists these folders, nearest first.
    void HistoryMenuChanged(bool back, const QStringList& entries);
    void HistoryButtonEnabled(bool back, bool enabled);
    // The display tab at this position (1 or 2) is shown.
    void TabRequested(int position);
    // CurrentDirectory is a new folder: the file list follows.
    void FolderChanged();

  private:
    void RebuildMenu(bool back);

    DirTree* tree_;
    QWidget* owner_;
    NavigationHistory history_;
};

}  // namespace corvelle
