// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file browser: the file list, its view modes and refresh.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "browser/file_list.h"

namespace corvelle {

class FileListModel;
class FileListView;

// Owns the file list control; what the rest of the window must show is emitted.
class BrowserPanel : public QObject {
    Q_OBJECT
  public:
    BrowserPanel(FileListView* lvwFileName, QObject* parent);

    FileList& List() { return list_; }
    FileListModel* Model() const { return model_; }

    void FileNameLoad(const std::string& dirName, bool initFlg, bool pathMode);
    void FileColumnAutoSize();
    void lvwFileName_ColumnClick(int column);
    void mnuViewListviewMode_Click(int index);
    void mnuViewRefresh_Click();

  Q_SIGNALS:
    // The "files" status panel shows this text.
    void StatusTextChanged(const QString& panel, const QString& text);
    // The list shows this view mode now (0 to 3): the menu and the toolbar follow.
    void ViewModeApplied(int index);
    // A name was edited in place; `cancel` is set when the file keeps its old name.
    void FileLabelEdited(bool* cancel, const std::string& oldName, const std::string& newName);
    void BusyChanged(bool busy);

  private:
    int WidestText(int column) const;

    FileListView* view_;
    FileList list_;
    FileListModel* model_;
};

}  // namespace corvelle
