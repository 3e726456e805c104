// SPDX-License-Identifier: GPL-3.0-or-later
// Applies the layout arithmetic to the main window's controls.
#include <QEvent>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QTreeView>

#include "browser/file_list_view.h"
#include "platform/os/guarded_steps.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/twips.h"
#include "ui/frm_main.h"
#include "ui/splitter_grip.h"
#include "ui/tab_strip.h"

namespace corvelle {

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == surface_)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Resize() {
    PanelLayoutSet();
}

void frmMain::RefreshLayoutInputs() {
    layout_.minimized = isMinimized();
    layout_.innerWidth = PixelsToTwipsX(surface_->width(), this);
    layout_.innerHeight = PixelsToTwipsY(surface_->height(), this);
    layout_.toolbarHeight = PixelsToTwipsY(tlbCommon->height(), this);
    layout_.progressHeight = PixelsToTwipsY(pbGeneral->height(), this);
    if (QWidget* ph = tlbCommon->widgetForAction(phPbGeneral))
        layout_.placeholderLeft = PixelsToTwipsX(ph->x(), this);
}

void frmMain::PanelLayoutSet() {
    RefreshLayoutInputs();
    corvelle::PanelLayoutSet(layout_);
    ApplyLayout();
}

void frmMain::ApplyLayout() {
    if (layout_.minimized)
        return;
    PlaceTw(picPanelDirSelect, {0, 0, layout_.leftPanelWidth, layout_.innerHeight});
    PlaceTw(picPanelFileView, {layout_.innerWidth - layout_.rightPanelWidth, 0,
                               layout_.rightPanelWidth, layout_.innerHeight});
    PlaceTw(imgSplitterMain, layout_.grip);
    imgSplitterMain->lower();
    ApplyBar();
    pbGeneral->move(TwipsToPixelsX(layout_.progressLeft, this),
                    TwipsToPixelsY(layout_.progressTop, this));
    pbGeneral->raise();
    picPanelDirSelect_Resize();
    picPanelFileView_Resize();
}

void frmMain::ApplyBar() {
    PlaceTw(picSplitterMain, layout_.bar);
    picSplitterMain->setVisible(layout_.barVisible);
    if (layout_.barVisible)
        picSplitterMain->raise();
}

void frmMain::imgSplitterMain_MouseDown() {
    SplitterMouseDown(layout_);
    ApplyBar();
}

void frmMain::imgSplitterMain_MouseMove(int xPixels) {
    SplitterMouseMove(layout_, PixelsToTwipsX(xPixels, this));
    if (layout_.splitterMoving)
        ApplyBar();
}

void frmMain::imgSplitterMain_MouseUp() {
    RefreshLayoutInputs();
    SplitterMouseUp(layout_);
    ApplyLayout();
    ApplyBar();
}

void frmMain::picPanelDirSelect_Resize() {
    const double h = PixelsToTwipsY(picPanelDirSelect->height(), this);
    dirSelect_ = DirSelectResize(h, layout_.leftPanelWidth, h, dirSelect_);
    PlaceTw(dirTree, dirSelect_.tree);
    PlaceTw(picPanelRenameType, dirSelect_.mode);
}

void frmMain::picPanelFileView_Resize() {
    const double h = PixelsToTwipsY(picPanelFileView->height(), this);
    const QMargins m = tabDisplay->ClientMargins();
    const TwRect inset{PixelsToTwipsX(m.left(), this), PixelsToTwipsY(m.top(), this),
                       PixelsToTwipsX(m.left() + m.right(), this),
                       PixelsToTwipsY(m.top() + m.bottom(), this)};
    fileView_ = FileViewResize(h, layout_.rightPanelWidth, h, fileView_, inset);
    PlaceTw(tabDisplay, fileView_.tab);
    for (int i = 0; i < 2; ++i) {
        PlaceTw(picDisplay[i], fileView_.pages[i]);
        picDisplay[i]->raise();
        picDisplay_Resize(i);
    }
}

void frmMain::picDisplay_Resize(int index) {
    const TwRect& page = fileView_.pages[index];
    const DisplayLayout d =
        DisplayResize(page.width, page.height, RectToTwips(cmdReplace->geometry(), this));
    PlaceTw(lvwFileName, d.fileList);
    PlaceTw(lvwLog, d.logList);
}

void frmMain::tabDisplay_Click() {
    for (int i = 0; i < 2; ++i) {
        const bool aborted = !RunGuarded([&] {
            if (!picDisplay[i])
                return MakeError(kErrNoSuchElement);
            picDisplay[i]->setVisible(tabDisplay->SelectedPosition() == i + 1);
            return Error{};
        });
        if (aborted)
            return;
    }
}

}  // namespace corvelle
