// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where the subsystems meet: each panel gets the controls it owns, and what
// one of them asks of the rest of the window is connected here.
#include <QAction>
#include <QMenu>

#include "app/settings.h"
#include "browser/browser_panel.h"
#include "browser/file_list_view.h"
#include "browser/folder_commands.h"
#include "browser/navigation_panel.h"
#include "platform/ui/busy_pointer.h"
#include "platform/ui/dir_tree.h"
#include "ui/frm_main.h"
#include "ui/help_commands.h"
#include "ui/keyed_status_bar.h"
#include "ui/tab_strip.h"
#include "ui/tidy_panel.h"

namespace corvelle {

void frmMain::CreatePanels() {
    TidyControls tidy;
    tidy.optMode = optMode;
    tidy.chkSubFolderMode = chkSubFolderMode;
    tidy.cmdSearchStart = cmdSearchStart;
    tidy.cmdSearchStop = cmdSearchStop;
    tidy.cmdReplace = cmdReplace;
    tidy.cmdLogSave = cmdLogSave;
    tidy.cmdUndo = cmdUndo;
    tidy.lvwLog = lvwLog;
    tidy_ = new TidyPanel(tidy, this);
    browser_ = new BrowserPanel(lvwFileName, this);
    navigation_ = new NavigationPanel(dirTree, this);
    commands_ = new FolderCommands(dirTree, this);
    help_ = new HelpCommands(this);

    // Status texts, tabs, the tree and the hourglass, asked for by the panels.
    auto status = [this](const QString& panel, const QString& text) {
        stbMain->SetText(panel, text);
    };
    auto tab = [this](int position) { tabDisplay->SelectPosition(position); };
    auto selectFolder = [this](const std::string& folder) { dirTree->SetPath(folder); };
    auto redisplay = [this] { dirTree->Redisplay(); };
    connect(tidy_, &TidyPanel::StatusTextChanged, this, status);
    connect(tidy_, &TidyPanel::TabRequested, this, tab);
    connect(tidy_, &TidyPanel::FolderSelected, this, selectFolder);
    connect(tidy_, &TidyPanel::TreeRedisplayRequested, this, redisplay);
    connect(tidy_, &TidyPanel::BusyChanged, this, &SetBusyPointer);
    connect(browser_, &BrowserPanel::StatusTextChanged, this, status);
    connect(browser_, &BrowserPanel::BusyChanged, this, &SetBusyPointer);
    connect(navigation_, &NavigationPanel::TabRequested, this, tab);
    connect(commands_, &FolderCommands::FolderSelected, this, selectFolder);
    connect(commands_, &FolderCommands::TreeRedisplayRequested, this, redisplay);
    connect(commands_, &FolderCommands::BusyChanged, this, &SetBusyPointer);

    // The file list follows the current folder and the folder commands.
    connect(navigation_, &NavigationPanel::FolderChanged, this, [this] { mnuViewRefresh_Click(); });
    connect(commands_, &FolderCommands::FileListChanged, this, [this] { mnuViewRefresh_Click(); });
    connect(browser_, &BrowserPanel::FileLabelEdited, commands_,
            &FolderCommands::lvwFileName_AfterLabelEdit);
    lvwFileName->CanDrop = [this](const QMimeData* d) {
        return commands_->lvwFileName_OLEDragOver(d);
    };
    lvwFileName->Drop = [this](const QMimeData* d) { commands_->lvwFileName_OLEDragDrop(d); };

    // The View menu and the toolbar show the list's mode.
    connect(browser_, &BrowserPanel::ViewModeApplied, this, [this](int index) {
        for (size_t i = 0; i < mnuViewListviewMode.size(); ++i)
            mnuViewListviewMode[i]->setChecked(static_cast<int>(i) == index);
        ToolbarButton(index + 10)->setChecked(true);
    });

    // The back and forward buttons and their drop-downs mirror the histories.
    connect(navigation_, &NavigationPanel::HistoryButtonEnabled, this, [this](bool back, bool on) {
        ToolbarButton(back ? QStringLiteral("btnBack") : QStringLiteral("btnNext"))->setEnabled(on);
    });
    connect(navigation_, &NavigationPanel::HistoryMenuChanged, this,
            [this](bool back, const QStringList& entries) {
                QMenu* menu = back ? btnBackMenu : btnNextMenu;
                menu->clear();
                for (const QString& entry : entries) menu->addAction(entry);
            });

    connect(mnuHelpDoc, &QAction::triggered, help_, &HelpCommands::mnuHelpDoc_Click);
    connect(mnuHelpHomepage, &QAction::triggered, help_, &HelpCommands::mnuHelpHomepage_Click);
    connect(mnuHelpDonation, &QAction::triggered, help_, &HelpCommands::mnuHelpDonation_Click);
    connect(mnuHelpAbout, &QAction::triggered, help_, &HelpCommands::mnuHelpAbout_Click);
}

void frmMain::DirImageToggle() {
    SettingsRecord& s = Settings();
    s.DirImageType = (s.DirImageType + 1) % 2;
    dirTree->SetImageType(s.DirImageType);
    dirTree->Redisplay();
}

}  // namespace corvelle
