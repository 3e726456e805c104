// SPDX-License-Identifier: GPL-3.0-or-later
// The folder commands on the current folder, the in-place file rename and files dropped
// onto the file list.
#pragma once

#include <QObject>
#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace corvelle {

class DirTree;

// Works on CurrentDirectory through the shell wrappers; the tree and the file list are told
// through signals.
class FolderCommands : public QObject {
    Q_OBJECT
  public:
    // `owner` is the window its dialogs and file operations belong to; the destination
    // dialog takes its icon set from `mainTree`.
    FolderCommands(const DirTree* mainTree, QWidget* owner);

    void mnuFileFolderCreate_Click();
    void mnuFileFolderCopy_Click();
    void mnuFileFolderMove_Click();
    void mnuFileFolderDelete_Click();
    void mnuFileFolderRename_Click();
    // The list hands over the edited file's name as well: the selection is the list's.
    void lvwFileName_AfterLabelEdit(bool* cancel, const std::string& oldName,
                                    const std::string& newName);
    // Whether a drag may drop here (local files and folders only, copied).
    bool lvwFileName_OLEDragOver(const QMimeData* data) const;
    void lvwFileName_OLEDragDrop(const QMimeData* data);

    // The local paths a drag carries, as bytes; empty when it carries anything else.
    static std::vector<std::string> DroppedPaths(const QMimeData* data);

  Q_SIGNALS:
    // The disk changed under the tree.
    void TreeRedisplayRequested();
    // The tree selects this folder (after a rename).
    void FolderSelected(const std::string& folder);
    // Files came into the current folder: the file list reloads.
    void FileListChanged();
    void BusyChanged(bool busy);

  private:
    void CopyOrMove(bool move);

    const DirTree* mainTree_;
    QWidget* owner_;
};

}  // namespace corvelle
