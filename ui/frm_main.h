// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the control tree, start-up and shutdown. The layout, the tabs and each
// subsystem's handlers live in their own files.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "ui/panel_layout.h"
#include "util/error.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class QTreeView;

namespace corvelle {

class DirTree;
class KeyedStatusBar;
class SplitterGrip;
class BrowserPanel;
class FileListView;
class FolderCommands;
class HelpCommands;
class NavigationPanel;
class TabStrip;
class TidyPanel;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the load steps; false when the user chose Abort in a start-up error box.
    bool Form_Load();
    void mnuFileExit_Click();
    void iniDataWrite();

    // Layout (twips arithmetic in panel_layout, applied here).
    void Form_Resize();
    void PanelLayoutSet();
    void imgSplitterMain_MouseDown();
    void imgSplitterMain_MouseMove(int xPixels);
    void imgSplitterMain_MouseUp();
    void picPanelDirSelect_Resize();
    void picPanelFileView_Resize();
    void picDisplay_Resize(int index);
    void tabDisplay_Click();
    const MainLayout& Layout() const { return layout_; }

    // Folder tidy (forwarded to the tidy panel).
    TidyPanel& Tidy() const { return *tidy_; }
    void cmdSearchStart_Click();
    void cmdSearchStop_Click();
    void FolderNameSearch(const std::string& folder);

    // File browser (forwarded to the browser panel).
    BrowserPanel& Browser() const { return *browser_; }
    void FileNameLoad(const std::string& dirName, bool initFlg, bool pathMode);
    void mnuViewListviewMode_Click(int index);
    void mnuViewRefresh_Click();
    void mnuViewSearchOptions_Click();
    void Form_Paint();

    // Toolbar: positions 1 to 21, separators counted.
    QAction* ToolbarButton(int position) const;
    QAction* ToolbarButton(const QString& key) const;
    void tlbCommon_ButtonClick(const QString& key);
    void tlbCommon_ButtonMenuClick(const QString& key, int index);

    // Folder commands and history jumps.
    FolderCommands& Commands() const { return *commands_; }
    void mnuFileFolderCreate_Click();
    void mnuFileFolderCopy_Click();
    void mnuFileFolderMove_Click();
    void mnuFileFolderDelete_Click();
    void mnuFileFolderRename_Click();

    // Help (forwarded to the help commands).
    HelpCommands& Help() const { return *help_; }
    NavigationPanel& Navigation() const { return *navigation_; }
    void HistoryGoBack(int n);
    void HistoryGoForward(int n);

    // How the process ends; tests replace it.
    std::function<void()> Terminate;

    // Controls.
    QToolBar* tlbCommon = nullptr;
    QAction* phPbGeneral = nullptr;
    QProgressBar* pbGeneral = nullptr;
    KeyedStatusBar* stbMain = nullptr;
    QWidget* picPanelDirSelect = nullptr;
    DirTree* dirTree = nullptr;
    QWidget* picPanelRenameType = nullptr;
    QGroupBox* fraMode = nullptr;
    std::array<QRadioButton*, 2> optMode{};
    QCheckBox* chkSubFolderMode = nullptr;
    QPushButton* cmdSearchStart = nullptr;
    QPushButton* cmdSearchStop = nullptr;
    QWidget* picPanelFileView = nullptr;
    TabStrip* tabDisplay = nullptr;
    std::array<QWidget*, 2> picDisplay{};
    FileListView* lvwFileName = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdLogSave = nullptr;
    QPushButton* cmdUndo = nullptr;
    QTreeView* lvwLog = nullptr;
    QWidget* picSplitterMain = nullptr;
    SplitterGrip* imgSplitterMain = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuFileFolderCreate = nullptr;
    QAction* mnuFileFolderCopy = nullptr;
    QAction* mnuFileFolderMove = nullptr;
    QAction* mnuFileFolderDelete = nullptr;
    QAction* mnuFileFolderRename = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuHelpDoc = nullptr;
    QAction* mnuHelpHomepage = nullptr;
    QAction* mnuHelpDonation = nullptr;
    QAction* mnuHelpAbout = nullptr;
    std::array<QAction*, 4> mnuViewListviewMode{};
    QAction* mnuViewRefresh = nullptr;
    QAction* mnuViewSearchOptions = nullptr;
    QMenu* btnBackMenu = nullptr;
    QMenu* btnNextMenu = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool frameChecked_ = false;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void CreateMenus();
    void CreateToolbar();
    void CreateShortcuts();
    // Alt+Up: the current folder's parent, selected in the tree.
    void GoToParentFolder();
    void CreatePanels();
    void DirImageToggle();
    void Form_QueryUnload();
    Error FormLayoutRestore();
    Error ControlStateRestore();
    void RefreshLayoutInputs();
    void ApplyLayout();
    void ApplyBar();

    TidyPanel* tidy_ = nullptr;
    BrowserPanel* browser_ = nullptr;
    NavigationPanel* navigation_ = nullptr;
    FolderCommands* commands_ = nullptr;
    HelpCommands* help_ = nullptr;
    std::vector<QAction*> tlbButtons_;
    bool paintPending_ = false;
    QWidget* surface_ = nullptr;  // the window's own surface between toolbar and status bar
    MainLayout layout_;
    DirSelectLayout dirSelect_;
    FileViewLayout fileView_;
};

}  // namespace corvelle
