// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's file browser: the file list, its view modes and refresh.
#pragma once

#include <QObject>
#include <string>

#include "browser/file_list.h"

namespace corvelle {

class frmMain;
class FileListModel;

class BrowserPanel : public QObject {
    Q_OBJECT
  public:
    explicit BrowserPanel(frmMain& w);

    FileList& List() { return list_; }
    FileListModel* Model() const { return model_; }

    void FileNameLoad(const std::string& dirName, bool initFlg, bool pathMode);
    void FileColumnAutoSize();
    void lvwFileName_ColumnClick(int column);
    void mnuViewListviewMode_Click(int index);
    void mnuViewRefresh_Click();
    void DirImageToggle();

  private:
    int WidestText(int column) const;

    frmMain& w_;
    FileList list_;
    FileListModel* model_;
};

}  // namespace corvelle
