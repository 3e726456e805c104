// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's control tree with its design geometry (twips).
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "browser/file_list_view.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/fonts.h"
#include "platform/ui/sort_header.h"
#include "platform/ui/twips.h"
#include "ui/frm_main.h"
#include "ui/keyed_status_bar.h"
#include "ui/splitter_grip.h"
#include "ui/tab_strip.h"

namespace corvelle {
namespace {

template <typename W>
W* Make(QWidget* parent, const char* name, const TwRect& design = {}) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if (design.width > 0)
        PlaceTw(w, design);
    return w;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const TwRect& design,
                    bool enabled) {
    auto* b = Make<QPushButton>(parent, name, design);
    b->setText(caption);
    b->setEnabled(enabled);
    return b;
}

}  // namespace

void frmMain::CreateMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName("mnuFile");
    struct Item {
        QAction** action;
        const char* name;
        const char* caption;
        void (frmMain::*handler)();
    };
    const Item items[] = {
        {&mnuFileFolderCreate, "mnuFileFolderCreate", "新規フォルダ作成(&N)",
         &frmMain::mnuFileFolderCreate_Click},
        {&mnuFileFolderCopy, "mnuFileFolderCopy", "フォルダコピー(&P)",
         &frmMain::mnuFileFolderCopy_Click},
        {&mnuFileFolderMove, "mnuFileFolderMove", "フォルダ移動(&V)",
         &frmMain::mnuFileFolderMove_Click},
        {&mnuFileFolderDelete, "mnuFileFolderDelete", "フォルダ削除(&L)",
         &frmMain::mnuFileFolderDelete_Click},
        {&mnuFileFolderRename, "mnuFileFolderRename", "フォルダリネーム(&E)",
         &frmMain::mnuFileFolderRename_Click},
    };
    for (const Item& item : items) {
        *item.action = mnuFile->addAction(QString::fromUtf8(item.caption));
        (*item.action)->setObjectName(QString::fromLatin1(item.name));
        const auto handler = item.handler;
        connect(*item.action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    mnuFile->addSeparator();
    mnuFileExit = mnuFile->addAction(QStringLiteral("終了(&X)"));
    mnuFileExit->setObjectName("mnuFileExit");
    mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(mnuFileExit, &QAction::triggered, this, [this] { mnuFileExit_Click(); });
    mnuView = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    mnuView->setObjectName("mnuView");
    const char* modes[] = {"大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L)", "詳細(&D)"};
    for (int i = 0; i < 4; ++i) {
        mnuViewListviewMode[i] = mnuView->addAction(QString::fromUtf8(modes[i]));
        mnuViewListviewMode[i]->setObjectName(QStringLiteral("mnuViewListviewMode(%1)").arg(i));
        mnuViewListviewMode[i]->setCheckable(true);
        connect(mnuViewListviewMode[i], &QAction::triggered, this,
                [this, i] { mnuViewListviewMode_Click(i); });
    }
    mnuView->addSeparator();
    mnuViewRefresh = mnuView->addAction(QStringLiteral("最新の情報に更新(&R)"));
    mnuViewRefresh->setObjectName("mnuViewRefresh");
    mnuViewRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(mnuViewRefresh, &QAction::triggered, this, [this] { mnuViewRefresh_Click(); });
    mnuView->addSeparator();
    mnuViewSearchOptions = mnuView->addAction(QStringLiteral("検索オプション(&O)..."));
    mnuViewSearchOptions->setObjectName("mnuViewSearchOptions");
    connect(mnuViewSearchOptions, &QAction::triggered, this,
            [this] { mnuViewSearchOptions_Click(); });
    mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName("mnuHelp");
    mnuHelpDoc = mnuHelp->addAction(QStringLiteral("ユーザーズガイドの表示(&G)"));
    mnuHelpDoc->setObjectName("mnuHelpDoc");
    mnuHelpHomepage = mnuHelp->addAction(QStringLiteral("作者ホームページの表示(&H)"));
    mnuHelpHomepage->setObjectName("mnuHelpHomepage");
    mnuHelpDonation = mnuHelp->addAction(QStringLiteral("寄付について(&D)"));
    mnuHelpDonation->setObjectName("mnuHelpDonation");
    mnuHelpAbout = mnuHelp->addAction(QStringLiteral("バージョン情報(&A)"));
    mnuHelpAbout->setObjectName("mnuHelpAbout");
}

void frmMain::CreateControls() {
    setFont(UiFont());
    CreateMenus();

    CreateToolbar();

    stbMain = new KeyedStatusBar(this);
    stbMain->setObjectName("stbMain");
    stbMain->AddPanel(QStringLiteral("files"), 2, TwipsToPixelsX(3000, this));
    stbMain->AddPanel(QStringLiteral("pbgeneral"), 3, TwipsToPixelsX(3000, this));
    stbMain->AddPanel(QStringLiteral("pbFileName"), 4, TwipsToPixelsX(3000, this));
    if (QLabel* files = stbMain->Panel(QStringLiteral("files")))
        files->setToolTip(QStringLiteral("選択されたファイル数"));
    setStatusBar(stbMain);

    surface_ = new QWidget(this);
    surface_->setObjectName("surface");
    setCentralWidget(surface_);
    surface_->installEventFilter(this);

    // The grip lies on the window's surface beneath the panels, reachable through the gap.
    imgSplitterMain = Make<SplitterGrip>(surface_, "imgSplitterMain", {5760, 480, 150, 4785});
    imgSplitterMain->MouseDown = [this] { imgSplitterMain_MouseDown(); };
    imgSplitterMain->MouseMove = [this](int x) { imgSplitterMain_MouseMove(x); };
    imgSplitterMain->MouseUp = [this] { imgSplitterMain_MouseUp(); };

    picPanelDirSelect = Make<QWidget>(surface_, "picPanelDirSelect", {0, 0, 5000, 8775});
    dirTree = Make<DirTree>(picPanelDirSelect, "DirTree");
    dirTree->View()->setAccessibleName(QStringLiteral("フォルダツリー"));
    picPanelRenameType =
        Make<QWidget>(picPanelDirSelect, "picPanelRenameType", {0, 2400, 4815, 1935});
    fraMode = Make<QGroupBox>(picPanelRenameType, "fraMode", {120, 0, 4695, 975});
    fraMode->setTitle(QStringLiteral("処理内容"));
    optMode[0] = Make<QRadioButton>(fraMode, "optMode(0)", {120, 240, 3495, 255});
    optMode[0]->setText(QStringLiteral("単独フォルダ配下の階層を上げる"));
    optMode[1] = Make<QRadioButton>(fraMode, "optMode(1)", {120, 600, 3495, 255});
    optMode[1]->setText(QStringLiteral("空のフォルダを削除"));
    // The options sit inside the frame, below its caption, at every size and scale: the style
    // knows where its caption ends, the design's fixed offsets did not.
    auto* modes = new QVBoxLayout(fraMode);
    modes->setContentsMargins(TwipsToPixelsX(120, fraMode), 0, 0, 0);
    modes->setSpacing(0);
    modes->addWidget(optMode[0], 0, Qt::AlignLeft);
    modes->addStretch(1);
    modes->addWidget(optMode[1], 0, Qt::AlignLeft);
    modes->addStretch(1);
    chkSubFolderMode =
        Make<QCheckBox>(picPanelRenameType, "chkSubFolderMode", {120, 1080, 4095, 255});
    chkSubFolderMode->setText(QStringLiteral("サブフォルダも検索対象とする"));
    cmdSearchStart = Button(picPanelRenameType, "cmdSearchStart", QStringLiteral("検索開始"),
                            {120, 1440, 1215, 375}, true);
    cmdSearchStop = Button(picPanelRenameType, "cmdSearchStop", QStringLiteral("検索中断"),
                           {1440, 1440, 1215, 375}, false);
    dirSelect_.tree = {0, 0, 5000, 2350};
    dirSelect_.mode = {0, 2400, 4815, 1935};

    picPanelFileView = Make<QWidget>(surface_, "picPanelFileView", {7020, 0, 4935, 8775});
    tabDisplay = Make<TabStrip>(picPanelFileView, "tabDisplay");
    tabDisplay->AddTab(QStringLiteral("ファイル名"), QStringLiteral("Filename"),
                       QStringLiteral("ファイル名のリスト表示"));
    tabDisplay->AddTab(QStringLiteral("処理ログ"), QStringLiteral("Log"),
                       QStringLiteral("ログを表示"));
    connect(tabDisplay, &TabStrip::Click, this, [this] { tabDisplay_Click(); });
    for (int i = 0; i < 2; ++i) {
        picDisplay[i] = Make<QWidget>(picPanelFileView, i == 0 ? "picDisplay(0)" : "picDisplay(1)");
        picDisplay[i]->installEventFilter(this);
    }
    picDisplay[1]->hide();
    lvwFileName = Make<FileListView>(picDisplay[0], "lvwFileName");
    lvwFileName->IconList()->setAccessibleName(QStringLiteral("ファイル一覧"));
    lvwFileName->Details()->setAccessibleName(QStringLiteral("ファイル一覧"));
    cmdReplace = Button(picDisplay[1], "cmdReplace", QStringLiteral("処理実行"),
                        {120, 120, 1215, 375}, false);
    cmdLogSave = Button(picDisplay[1], "cmdLogSave", QStringLiteral("ログ保存"),
                        {1440, 120, 1215, 375}, true);
    cmdUndo =
        Button(picDisplay[1], "cmdUndo", QStringLiteral("Undo"), {2760, 120, 1215, 375}, false);
    // Visible: a run can really be put back.
    lvwLog = Make<QTreeView>(picDisplay[1], "lvwLog");
    UseSortHeader(lvwLog);
    lvwLog->setAccessibleName(QStringLiteral("処理ログ"));
    lvwLog->setRootIsDecorated(false);
    lvwLog->setUniformRowHeights(true);
    fileView_.tab = {0, 0, 4935, 8775};

    picSplitterMain = Make<QWidget>(surface_, "picSplitterMain", {6000, 480, 72, 4800});
    picSplitterMain->setAutoFillBackground(true);
    QPalette pal = picSplitterMain->palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    picSplitterMain->setPalette(pal);
    picSplitterMain->hide();
    CreateShortcuts();
}

}  // namespace corvelle
