// SPDX-License-Identifier: GPL-3.0-or-later
// The folder commands on the current folder, the in-place file rename and files dropped
// onto the file list.
#pragma once

#include <QObject>
#include <string>
#include <vector>

class QMimeData;

namespace corvelle {

class frmMain;

class FolderCommands : public QObject {
    Q_OBJECT
  public:
    explicit FolderCommands(frmMain& w);

    void mnuFileFolderCreate_Click();
    void mnuFileFolderCopy_Click();
    void mnuFileFolderMove_Click();
    void mnuFileFolderDelete_Click();
    void mnuFileFolderRename_Click();
    void lvwFileName_AfterLabelEdit(bool* cancel, const std::string& newName);
    // Whether a drag may drop here (local files and folders only, copied).
    bool lvwFileName_OLEDragOver(const QMimeData* data) const;
    void lvwFileName_OLEDragDrop(const QMimeData* data);

    // The local paths a drag carries, as bytes; empty when it carries anything else.
    static std::vector<std::string> DroppedPaths(const QMimeData* data);

  private:
    void CopyOrMove(bool move);

    frmMain& w_;
};

}  // namespace corvelle
