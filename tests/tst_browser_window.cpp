// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QToolBar>
#include <QTreeView>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>

#include "app/settings.h"
#include "browser/browser_panel.h"
#include "browser/file_list_view.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/sort_header.h"
#include "tests/support/running_window.h"
#include "tests/support/test_dir.h"
#include "ui/frm_main.h"
#include "ui/keyed_status_bar.h"

using namespace corvelle;

namespace {

using Running = test::RunningWindow;

int CheckedModeItem(const frmMain& w) {
    int found = -1;
    for (int i = 0; i < 4; ++i)
        if (w.mnuViewListviewMode[i]->isChecked())
            found = found == -1 ? i : 99;
    return found;
}

int PressedModeButton(const frmMain& w) {
    int found = -1;
    for (int i = 0; i < 4; ++i)
        if (w.ToolbarButton(10 + i)->isChecked())
            found = found == -1 ? i : 99;
    return found;
}

}  // namespace

class TestBrowserWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    void toolbarPositions() {
        Running r("");
        const QStringList keys{"",
                               "btnExit",
                               "",
                               "btnFolderCreate",
                               "btnFolderCopy",
                               "btnFolderMove",
                               "btnFolderDelete",
                               "btnFolderRename",
                               "",
                               "btnLargeIcon",
                               "btnSmallIcon",
                               "btnList",
                               "btnDetail",
                               "",
                               "btnDirimage",
                               "",
                               "btnRefresh",
                               "btnBack",
                               "btnNext",
                               "",
                               "phPbGeneral"};
        for (int p = 1; p <= 21; ++p) {
            QAction* a = r.w->ToolbarButton(p);
            QVERIFY(a);
            QCOMPARE(a->data().toString(), keys[p - 1]);
            QCOMPARE(a->isSeparator(), keys[p - 1].isEmpty());
        }
        QCOMPARE(r.w->ToolbarButton("btnExit")->toolTip(), QStringLiteral("終了"));
        QCOMPARE(r.w->ToolbarButton("btnDirimage")->toolTip(),
                 QStringLiteral("フォルダツリーのイメージを切り換え"));
        QVERIFY(!r.w->ToolbarButton("btnBack")->isEnabled());
        QVERIFY(!r.w->ToolbarButton("btnNext")->isEnabled());
        QVERIFY(r.w->ToolbarButton("btnBack")->menu());
        QVERIFY(!r.w->ToolbarButton("btnExit")->icon().isNull());
    }

    void listShowsTheCurrentFolder() {
        test::TestDir data;
        data.File("b.txt", "12");
        data.File("a.txt", "1234");
        data.Dir("sub");
        Running r("CurrentDirectory=" + data.Root() + "\r\n");
        frmMain& w = *r.w;
        QCOMPARE(w.lvwFileName->IconList()->model()->rowCount(), 2);
        QCOMPARE(w.stbMain->Text("files"), QStringLiteral(" 2Files  Total 6bytes"));
        QCOMPARE(w.lvwFileName->IconList()->currentIndex().row(), 0);  // first row selected
        // A call while the window is still loading does nothing.
        StartupInProgress = true;
        w.FileNameLoad(test::RootFolder(), true, false);
        StartupInProgress = false;
        QCOMPARE(w.lvwFileName->IconList()->model()->rowCount(), 2);
        data.File("c.txt", "1");
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(w.lvwFileName->IconList()->model()->rowCount(), 3);
    }

    void viewModes() {
        test::TestDir data;
        data.File("some-rather-long-file-name.txt", std::string(1234, 'x'));
        data.File("x", "1");
        Running r("CurrentDirectory=" + data.Root() + "\r\n");
        frmMain& w = *r.w;
        QTRY_COMPARE(CheckedModeItem(w), 2);  // applied on the first repaint
        QCOMPARE(PressedModeButton(w), 2);
        QCOMPARE(w.lvwFileName->View(), 2);

        w.ToolbarButton("btnDetail")->trigger();
        QCOMPARE(CheckedModeItem(w), 3);
        QCOMPARE(PressedModeButton(w), 3);
        QCOMPARE(w.lvwFileName->View(), 3);
        QVERIFY(w.lvwFileName->Details()->isVisible());
        QHeaderView* h = w.lvwFileName->Header();
        const QFontMetrics fm(w.lvwFileName->font());
        QVERIFY(h->sectionSize(0) >= fm.horizontalAdvance("some-rather-long-file-name.txt"));
        QVERIFY(h->sectionSize(1) >= fm.horizontalAdvance("1,234"));
        // The size key "SizeDmy" sorts but is never shown: four columns, "Ext" last.
        QCOMPARE(h->count(), 4);
        QCOMPARE(w.lvwFileName->Details()->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Ext"));

        w.mnuViewListviewMode[1]->trigger();  // from the menu: the toolbar follows
        QCOMPARE(CheckedModeItem(w), 1);
        QCOMPARE(PressedModeButton(w), 1);
        QCOMPARE(w.lvwFileName->IconList()->iconSize(), QSize(13, 13));
        w.mnuViewListviewMode[0]->trigger();
        QCOMPARE(w.lvwFileName->IconList()->viewMode(), QListView::IconMode);
        QCOMPARE(w.lvwFileName->IconList()->iconSize(), QSize(32, 32));
        w.mnuViewListviewMode[1]->trigger();

        r.Restart();  // small icons survive a restart
        QTRY_COMPARE(CheckedModeItem(*r.w), 1);
        QCOMPARE(PressedModeButton(*r.w), 1);
        QCOMPARE(r.w->lvwFileName->View(), 1);
        QVERIFY(r.prog.Read("RUZO.INI").find("ListViewMode= 1 \r\n") != std::string::npos);
    }

    void storedModeOutOfRangeFallsBackToList() {
        Running r("ListViewMode= 7 \r\n");
        QTRY_COMPARE(CheckedModeItem(*r.w), 2);
        QCOMPARE(Settings().ListViewMode, int16_t(2));
    }

    void headerClicksSortAndSurviveRefresh() {
        test::TestDir data;
        data.File("b", std::string(900, 'x'));
        data.File("a", std::string(1200, 'x'));
        Running r("CurrentDirectory=" + data.Root() + "\r\nListViewMode= 3 \r\n");
        frmMain& w = *r.w;
        QTRY_COMPARE(w.lvwFileName->View(), 3);
        QHeaderView* h = w.lvwFileName->Header();
        auto first = [&] {
            return w.lvwFileName->Details()->model()->index(0, 0).data().toString();
        };
        QTest::mouseClick(
            h->viewport(), Qt::LeftButton, {},
            QPoint(h->sectionViewportPosition(1) + h->sectionSize(1) / 2, h->height() / 2));
        QCOMPARE(first(), QStringLiteral("a"));  // descending by size: 1,200 first
        QTest::mouseClick(
            h->viewport(), Qt::LeftButton, {},
            QPoint(h->sectionViewportPosition(1) + h->sectionSize(1) / 2, h->height() / 2));
        QCOMPARE(first(), QStringLiteral("b"));
        w.mnuViewRefresh_Click();
        QCOMPARE(first(), QStringLiteral("b"));
        // The key column shows its direction.
        QVERIFY(h->isSortIndicatorShown());
        QCOMPARE(h->sortIndicatorSection(), 1);
        QCOMPARE(h->sortIndicatorOrder(), Qt::AscendingOrder);
        QVERIFY(dynamic_cast<SortHeader*>(h));
        QVERIFY(dynamic_cast<SortHeader*>(w.lvwLog->header()));
    }

    // The arrow as drawn: ▲ (narrow at the top) for ascending, ▼ for descending.
    void sortArrowPointsUpForAscending_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("pointsUp");
        QTest::newRow("ascending") << int(Qt::AscendingOrder) << true;
        QTest::newRow("descending") << int(Qt::DescendingOrder) << false;
    }
    void sortArrowPointsUpForAscending() {
        QFETCH(int, order);
        QFETCH(bool, pointsUp);
        QStandardItemModel model(0, 1);
        model.setHorizontalHeaderLabels({QString()});  // nothing drawn but the arrow
        QTreeView view;
        UseSortHeader(&view);
        view.setModel(&model);
        view.header()->setSortIndicatorShown(true);
        view.header()->setSortIndicator(0, static_cast<Qt::SortOrder>(order));
        view.resize(200, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage img = view.header()->grab().toImage();
        const QRgb base = img.pixel(2, img.height() / 2);
        // The arrow's rows: how many pixels of each differ clearly from the background.
        std::vector<int> rows;
        for (int y = 1; y < img.height() - 1; ++y) {
            int n = 0;
            for (int x = 1; x < img.width() - 1; ++x)
                n += qGray(img.pixel(x, y)) + 60 < qGray(base);
            if (n > 0)
                rows.push_back(n);
        }
        QVERIFY2(rows.size() >= 2, "no arrow drawn");
        QCOMPARE(rows.front() < rows.back(), pointsUp);
    }

    // Large icons fill the pane's width (left to right, wrapping) even after the list view.
    void largeIconsFillTheWidth() {
        test::TestDir data;
        for (int i = 0; i < 12; ++i) data.File("file" + std::to_string(i) + ".txt", "x");
        Running r("CurrentDirectory=" + data.Root() + "\r\nListViewMode= 2 \r\n");
        QTRY_COMPARE(r.w->lvwFileName->View(), 2);
        r.w->mnuViewListviewMode_Click(0);
        QListView* list = r.w->lvwFileName->IconList();
        QCOMPARE(list->flow(), QListView::LeftToRight);
        QVERIFY(list->isWrapping());
        QVERIFY(list->gridSize().width() >= 96);
    }

    // In both icon views a long name, listed after a short one, gets the whole cell and up to
    // two lines: the first name's size is not everyone's.
    void iconViewsGiveNamesTheirCell_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("large icons") << 0;
        QTest::newRow("small icons") << 1;
    }
    void iconViewsGiveNamesTheirCell() {
        QFETCH(int, mode);
        test::TestDir data;
        data.File("a", "x");
        data.File("arrowhead_long_name_without_spaces.txt", "x");
        Running r("CurrentDirectory=" + data.Root() + "\r\nListViewMode= 2 \r\n");
        QTRY_COMPARE(r.w->lvwFileName->View(), 2);
        r.w->mnuViewListviewMode_Click(mode);
        QListView* list = r.w->lvwFileName->IconList();
        QVERIFY(list->wordWrap());
        const QModelIndex longName = list->model()->index(1, 0);
        QCOMPARE(longName.data().toString(), QStringLiteral("arrowhead_long_name_without_spaces.txt"));
        const QRect cell = list->visualRect(longName);
        QVERIFY2(cell.width() >= list->gridSize().width() - 8,
                 qPrintable(QString("%1 of %2").arg(cell.width()).arg(list->gridSize().width())));
        QVERIFY(cell.height() >= 2 * list->fontMetrics().height());
        QCOMPARE(list->visualRect(list->model()->index(0, 0)).size(), cell.size());
    }

    // Details columns are never narrower than their captions, an empty folder's neither.
    void detailsColumnsShowTheirCaptions() {
        test::TestDir data;
        data.File("a", "1");
        Running r("CurrentDirectory=" + data.Root() + "\r\nListViewMode= 3 \r\n");
        QTRY_COMPARE(r.w->lvwFileName->View(), 3);
        QHeaderView* h = r.w->lvwFileName->Header();
        QCOMPARE(h->count(), 4);
        for (int c = 0; c < h->count(); ++c) {
            const int caption = h->fontMetrics().horizontalAdvance(
                h->model()->headerData(c, Qt::Horizontal).toString());
            QVERIFY2(h->sectionSize(c) >= caption, qPrintable(QString::number(c)));
        }
    }

    // F2 opens the editor on the current name, the part before the extension selected.
    void f2EditsTheName_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("selected");
        QTest::newRow("list, with extension") << 2 << "report.final.txt"
                                              << "report.final";
        QTest::newRow("details, no extension") << 3 << "README"
                                               << "README";
        QTest::newRow("large icons, dot-file") << 0 << ".profile"
                                               << ".profile";
    }
    void f2EditsTheName() {
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(QString, selected);
        test::TestDir data;
        data.File(name.toStdString(), "x");
        Running r("CurrentDirectory=" + data.Root() + "\r\nListViewMode= " + std::to_string(mode) +
                  " \r\n");
        QTRY_COMPARE(r.w->lvwFileName->View(), mode);
        QAbstractItemView* view = r.w->lvwFileName->CurrentView();
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_F2);
        auto* edit = view->viewport()->findChild<QLineEdit*>();
        QVERIFY(edit);
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->text(), name);
        QCOMPARE(edit->selectedText(), selected);
    }

    void dirImageToggle() {
        Running r("DirImageType= 1 \r\n");
        r.w->ToolbarButton("btnDirimage")->trigger();
        QCOMPARE(r.w->dirTree->ImageType(), 0);
        r.w->ToolbarButton("btnDirimage")->trigger();
        QCOMPARE(r.w->dirTree->ImageType(), 1);
        r.w->ToolbarButton("btnDirimage")->trigger();
        r.w->mnuFileExit_Click();
        QVERIFY(r.prog.Read("RUZO.INI").find("DirImageType= 0 \r\n") != std::string::npos);
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_browser_window.moc"
