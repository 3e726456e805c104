// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "app/app_state.h"
#include "app/settings.h"
#include "browser/browser_panel.h"
#include "browser/folder_commands.h"
#include "browser/navigation_panel.h"
#include "platform/os/folders.h"
#include "platform/os/guarded_steps.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/resources.h"
#include "platform/ui/twips.h"
#include "ui/frm_search_options.h"
#include "ui/screen_fit.h"
#include "ui/tidy_panel.h"
#include "util/numbers.h"
#include "util/paths.h"

namespace corvelle {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromUtf8(kProgramTitle));
    Terminate = [] {
        std::fflush(nullptr);
        std::_Exit(0);  // at once, without exit handlers
    };
    EnsureResources();
    CreateControls();
    CreatePanels();
}

void frmMain::mnuFileFolderCreate_Click() {
    commands_->mnuFileFolderCreate_Click();
}
void frmMain::mnuFileFolderCopy_Click() {
    commands_->mnuFileFolderCopy_Click();
}
void frmMain::mnuFileFolderMove_Click() {
    commands_->mnuFileFolderMove_Click();
}
void frmMain::mnuFileFolderDelete_Click() {
    commands_->mnuFileFolderDelete_Click();
}
void frmMain::mnuFileFolderRename_Click() {
    commands_->mnuFileFolderRename_Click();
}

void frmMain::HistoryGoBack(int n) {
    navigation_->History().HistoryGoBack(n);
}
void frmMain::HistoryGoForward(int n) {
    navigation_->History().HistoryGoForward(n);
}

void frmMain::FileNameLoad(const std::string& dirName, bool initFlg, bool pathMode) {
    browser_->FileNameLoad(dirName, initFlg, pathMode);
}
void frmMain::mnuViewListviewMode_Click(int index) {
    browser_->mnuViewListviewMode_Click(index);
}
void frmMain::mnuViewSearchOptions_Click() {
    // The rules apply from the next search on; a search running keeps the ones it began with.
    frmSearchOptions dialog(Settings().Rules, this);
    ShowModal(dialog);
}

void frmMain::mnuViewRefresh_Click() {
    browser_->mnuViewRefresh_Click();
}

void frmMain::Form_Paint() {
    mnuViewListviewMode_Click(Settings().ListViewMode);
    if (!frameChecked_) {
        // Once shown, the frame and the size the controls claimed are known: the whole
        // frame is brought onto the screen if it reaches beyond it.
        frameChecked_ = true;
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens << screen->availableGeometry();
        const QRect frame = frameGeometry();
        const QRect fitted = FitOnScreen(frame, screens);
        if (!isMaximized() && fitted.topLeft() != frame.topLeft())
            move(fitted.topLeft());
    }
}

void frmMain::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    // Applied after the paint, once per burst of paints: applying it repaints the list.
    if (paintPending_)
        return;
    paintPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            paintPending_ = false;
            Form_Paint();
        },
        Qt::QueuedConnection);
}

void frmMain::cmdSearchStart_Click() {
    tidy_->cmdSearchStart_Click();
}
void frmMain::cmdSearchStop_Click() {
    tidy_->cmdSearchStop_Click();
}
void frmMain::FolderNameSearch(const std::string& folder) {
    tidy_->Search().FolderNameSearch(folder);
}

frmMain::~frmMain() = default;

namespace {

// The folder named on the command line replaces the stored one; one that cannot be opened
// is said so, and the start goes on as without it.
void ApplyStartFolderArgument() {
    if (StartFolderArgument.empty())
        return;
    std::string folder = StartFolderArgument;
    if (!IsAbsolutePath(folder))
        folder = CurrentFolder() + folder;
    if (FolderExists(folder) && DirCanChange(folder, CurrentFolder())) {
        Settings().CurrentDirectory = AddBackslash(folder);
        return;
    }
    MessageService::Show("指定されたフォルダを開けません。\n" + StartFolderArgument,
                         MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace

bool frmMain::Form_Load() {
    auto step = [](auto&& action) -> GuardedStep {
        return [action] {
            action();
            return Error{};
        };
    };
    const GuardOutcome outcome = RunGuardedSteps(
        {
            step([] { StartupInProgress = true; }),
            step([] {
                const QScreen* screen = QGuiApplication::primaryScreen();
                const QSize px = screen ? screen->size() : QSize(1024, 768);
                iniDataInit(Settings(), PixelsToTwipsX(px.width()), PixelsToTwipsY(px.height()),
                            CurrentFolder());
            }),
            step([] { iniFileLoad(Settings(), SettingsReadPath()); }),
            step([] { ApplyStartFolderArgument(); }),
            [this] { return FormLayoutRestore(); },
            [this] { return ControlStateRestore(); },
            step([] { StartupInProgress = false; }),
            step([this] { FileNameLoad(Settings().CurrentDirectory, true, false); }),
            step([this] {
                ToolbarButton(QStringLiteral("btnBack"))->setEnabled(false);
                ToolbarButton(QStringLiteral("btnNext"))->setEnabled(false);
            }),
            step([this] { navigation_->History().HistoryTableInit(); }),
        },
        {kErrMissingElement});
    return outcome == GuardOutcome::Completed;
}

namespace {

// Room for a window manager's frame around the client area: its size is not known before
// the window is shown, so a usual title bar is allowed for; the check after the first
// paint, with the real frame, does the rest.
const QMargins kFrameAllowance(0, 32, 0, 0);

}  // namespace

Error frmMain::FormLayoutRestore() {
    const SettingsRecord& s = Settings();
    // One rectangle, the client area, both ways; kept on a screen.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    // The window is never smaller than its controls need (the toolbar above all), so that
    // is the size kept on the screen.
    QRect wanted(TwipsToPixelsX(s.MainLeft, this), TwipsToPixelsY(s.MainTop, this),
                 TwipsToPixelsX(s.MainWidth, this), TwipsToPixelsY(s.MainHeight, this));
    wanted.setSize(wanted.size().expandedTo(minimumSizeHint()));
    setGeometry(FitOnScreen(wanted, screens, kFrameAllowance));
    layout_.bar.left = s.SplitterMain;
    if (s.ShoriMode < 0 || s.ShoriMode >= static_cast<int>(optMode.size()))
        return MakeError(kErrNoSuchElement);
    optMode[static_cast<size_t>(s.ShoriMode)]->setChecked(true);
    return {};
}

Error frmMain::ControlStateRestore() {
    const SettingsRecord& s = Settings();
    dirTree->SetPath(s.CurrentDirectory);
    dirTree->SetImageType(s.DirImageType);
    dirTree->SetQuickMode(s.DirQuickMode);
    dirTree->Redisplay();
    tabDisplay_Click();
    chkSubFolderMode->setChecked(s.SubFolderMode);
    return {};
}

void frmMain::iniDataWrite() {
    if (isMinimized())
        return;
    SettingsRecord& s = Settings();
    auto tw = [](double v) { return static_cast<int32_t>(RoundHalfEven(v)); };
    // The client area's rectangle, as the restore sets it, so repeated runs do not drift; a
    // maximised window stores its maximised bounds and comes back as a normal window there.
    const QRect client = geometry();
    s.MainTop = tw(PixelsToTwipsY(client.y(), this));
    s.MainLeft = tw(PixelsToTwipsX(client.x(), this));
    s.MainHeight = tw(PixelsToTwipsY(client.height(), this));
    s.MainWidth = tw(PixelsToTwipsX(client.width(), this));
    s.SplitterMain = tw(layout_.bar.left);
}

void frmMain::mnuFileExit_Click() {
    iniDataWrite();
    iniFileSave(Settings(), SettingsFilePath());
    Terminate();
}

void frmMain::Form_QueryUnload() {
    mnuFileExit_Click();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Closing is never refused; the exit command saves and ends the process.
    event->accept();
    Form_QueryUnload();
}

}  // namespace corvelle
