// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar: 21 positions in order, and the dispatch of its buttons and drop-down entries.
#include <QActionGroup>
#include <QMenu>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>

#include "platform/ui/twips.h"
#include "ui/frm_main.h"

namespace corvelle {
namespace {

enum class Kind { Separator, Plain, Group, DropDown, Placeholder };

struct ButtonSpec {
    Kind kind;
    const char* key;
    int image;
    const char* tip;
};

const ButtonSpec kButtons[] = {
    {Kind::Separator, "", 0, ""},
    {Kind::Plain, "btnExit", 1, "終了"},
    {Kind::Separator, "", 0, ""},
    {Kind::Plain, "btnFolderCreate", 2, "新規フォルダの作成"},
    {Kind::Plain, "btnFolderCopy", 3, "フォルダのコピー"},
    {Kind::Plain, "btnFolderMove", 4, "フォルダの移動"},
    {Kind::Plain, "btnFolderDelete", 5, "フォルダの削除"},
    {Kind::Plain, "btnFolderRename", 6, "フォルダのリネーム"},
    {Kind::Separator, "", 0, ""},
    {Kind::Group, "btnLargeIcon", 7, "大きいアイコン表示"},
    {Kind::Group, "btnSmallIcon", 8, "小さいアイコン表示"},
    {Kind::Group, "btnList", 9, "一覧表示"},
    {Kind::Group, "btnDetail", 10, "詳細表示"},
    {Kind::Separator, "", 0, ""},
    {Kind::Plain, "btnDirimage", 11, "フォルダツリーのイメージを切り換え"},
    {Kind::Separator, "", 0, ""},
    {Kind::Plain, "btnRefresh", 12, "表示内容を最新の状態に更新"},
    {Kind::DropDown, "btnBack", 13, "戻る"},
    {Kind::DropDown, "btnNext", 14, "進む"},
    {Kind::Separator, "", 0, ""},
    {Kind::Placeholder, "phPbGeneral", 0, ""},
};

}  // namespace

void frmMain::CreateToolbar() {
    tlbCommon = new QToolBar(this);
    tlbCommon->setObjectName("tlbCommon");
    tlbCommon->setMovable(false);
    tlbCommon->setFloatable(false);
    tlbCommon->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, tlbCommon);
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (const ButtonSpec& b : kButtons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* a = nullptr;
        switch (b.kind) {
            case Kind::Separator:
                a = tlbCommon->addSeparator();
                break;
            case Kind::Placeholder: {
                // Room for the progress bar at the end of the buttons.
                auto* ph = new QWidget(tlbCommon);
                ph->setObjectName(key);
                ph->setFixedSize(TwipsToPixelsX(2000, this), TwipsToPixelsY(255, this));
                a = tlbCommon->addWidget(ph);
                phPbGeneral = a;
                break;
            }
            default: {
                // Both sizes named: Qt looks for "@2x" only when the screen is scaled at start.
                QIcon icon(QStringLiteral(":/icons/tool%1.png").arg(b.image));
                icon.addFile(QStringLiteral(":/icons/tool%1@2x.png").arg(b.image));
                a = tlbCommon->addAction(icon, QString());
                a->setToolTip(QString::fromUtf8(b.tip));
                // A screen reader reads the tooltip's words: the button shows no text.
                tlbCommon->widgetForAction(a)->setAccessibleName(a->toolTip());
                if (b.kind == Kind::Group) {
                    a->setCheckable(true);
                    group->addAction(a);
                }
                if (b.kind == Kind::DropDown) {
                    auto* menu = new QMenu(this);
                    menu->setObjectName(key + "Menu");
                    a->setMenu(menu);
                    if (auto* tb = qobject_cast<QToolButton*>(tlbCommon->widgetForAction(a)))
                        tb->setPopupMode(QToolButton::MenuButtonPopup);
                    (key == "btnBack" ? btnBackMenu : btnNextMenu) = menu;
                    connect(menu, &QMenu::triggered, this, [this, key, menu](QAction* entry) {
                        tlbCommon_ButtonMenuClick(key, menu->actions().indexOf(entry) + 1);
                    });
                }
                connect(a, &QAction::triggered, this, [this, key] { tlbCommon_ButtonClick(key); });
                break;
            }
        }
        a->setObjectName(key.isEmpty() ? QStringLiteral("separator") : key);
        a->setData(key);
        tlbButtons_.push_back(a);
    }
    pbGeneral = new QProgressBar(tlbCommon);
    pbGeneral->setObjectName("pbGeneral");
    pbGeneral->setGeometry(TwipsToRect({7080, 0, 2295, 255}, this));
    pbGeneral->setTextVisible(false);
    pbGeneral->reset();
}

QAction* frmMain::ToolbarButton(int position) const {
    if (position < 1 || position > static_cast<int>(tlbButtons_.size()))
        return nullptr;
    return tlbButtons_[static_cast<size_t>(position - 1)];
}

QAction* frmMain::ToolbarButton(const QString& key) const {
    for (QAction* a : tlbButtons_)
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

void frmMain::tlbCommon_ButtonClick(const QString& key) {
    if (key == "btnExit")
        mnuFileExit_Click();
    else if (key == "btnFolderCreate")
        mnuFileFolderCreate_Click();
    else if (key == "btnFolderCopy")
        mnuFileFolderCopy_Click();
    else if (key == "btnFolderMove")
        mnuFileFolderMove_Click();
    else if (key == "btnFolderDelete")
        mnuFileFolderDelete_Click();
    else if (key == "btnFolderRename")
        mnuFileFolderRename_Click();
    else if (key == "btnLargeIcon")
        mnuViewListviewMode_Click(0);
    else if (key == "btnSmallIcon")
        mnuViewListviewMode_Click(1);
    else if (key == "btnList")
        mnuViewListviewMode_Click(2);
    else if (key == "btnDetail")
        mnuViewListviewMode_Click(3);
    else if (key == "btnDirimage")
        DirImageToggle();
    else if (key == "btnRefresh")
        mnuViewRefresh_Click();
    else if (key == "btnBack")
        HistoryGoBack(1);
    else if (key == "btnNext")
        HistoryGoForward(1);
}

void frmMain::tlbCommon_ButtonMenuClick(const QString& key, int index) {
    if (key == "btnBack")
        HistoryGoBack(index);
    else if (key == "btnNext")
        HistoryGoForward(index);
}

}  // namespace corvelle
