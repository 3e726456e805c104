// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTabBar>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include "app/settings.h"
#include "browser/file_list_view.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/fonts.h"
#include "platform/ui/modal_service.h"
#include "tests/support/running_window.h"
#include "tests/support/test_dir.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"
#include "ui/frm_search_options.h"
#include "ui/frm_splash.h"
#include "ui/keyed_status_bar.h"
#include "ui/screen_fit.h"
#include "ui/splitter_grip.h"
#include "ui/tab_strip.h"

using namespace corvelle;

namespace {

using Running = test::RunningWindow;

int Px(double twips) {
    return qRound(twips / 15.0);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // The program carries Windows' own look (the windows platform picks it by default).
    void windowsStyleIsBuiltIn() {
#ifndef _WIN32
        QSKIP("Windows' own style is part of the Windows build only");
#endif
        QVERIFY2(
            QStyleFactory::keys().contains(QStringLiteral("windowsvista"), Qt::CaseInsensitive),
            qPrintable(QStyleFactory::keys().join(',')));
    }

    void initTestCase() {
        InstallFontSubstitutes();
    }

    // A stored rectangle is kept on a screen: moved in, and shrunk when it is larger.
    void restoredWindowStaysOnAScreen_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("fitted");
        const QRect screen(0, 0, 1920, 1040);
        QTest::newRow("inside stays") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::newRow("off the right edge")
            << QRect(1500, 100, 800, 600) << QRect(1120, 100, 800, 600);
        QTest::newRow("on a removed monitor")
            << QRect(3000, -900, 800, 600) << QRect(1120, 0, 800, 600);
        QTest::newRow("larger than the screen") << QRect(-50, -50, 4000, 3000) << screen;
        QTest::newRow("on the second screen")
            << QRect(2000, 200, 800, 600) << QRect(2000, 200, 800, 600);
    }
    void restoredWindowStaysOnAScreen() {
        QFETCH(QRect, wanted);
        QFETCH(QRect, fitted);
        const QList<QRect> screens{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};
        QCOMPARE(FitOnScreen(wanted, screens), fitted);
        // With room for the frame: the title bar stays on the screen as well.
        const QRect framed = FitOnScreen(wanted, screens, QMargins(4, 30, 4, 4));
        QVERIFY(framed.top() >= 30 && framed.left() >= 4);
        QVERIFY(framed.width() <= fitted.width());
    }

    void controlTreeAsDesigned() {
        Running r;
        frmMain& w = *r.w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Corvelle"));
        QCOMPARE(w.fraMode->title(), QStringLiteral("処理内容"));
        QCOMPARE(w.optMode[0]->text(), QStringLiteral("単独フォルダ配下の階層を上げる"));
        QCOMPARE(w.optMode[1]->text(), QStringLiteral("空のフォルダを削除"));
        QVERIFY(w.cmdSearchStart->isEnabled());
        QVERIFY(!w.cmdSearchStop->isEnabled());
        QCOMPARE(w.cmdSearchStop->geometry(), QRect(Px(1440), Px(1440), Px(1215), Px(375)));
        QVERIFY(!w.cmdReplace->isEnabled());
        QVERIFY(w.cmdLogSave->isEnabled());
        QVERIFY(!w.cmdUndo->isEnabled());
        QVERIFY(!w.cmdUndo->isHidden());
        QVERIFY(w.picSplitterMain->isHidden());
        QVERIFY(w.stbMain->Panel("files") && w.stbMain->Panel("pbgeneral") &&
                w.stbMain->Panel("pbFileName"));
        QCOMPARE(w.tabDisplay->Bar()->count(), 2);
        QCOMPARE(w.tabDisplay->Key(1), QStringLiteral("Filename"));
        QCOMPARE(w.tabDisplay->Key(2), QStringLiteral("Log"));
        QCOMPARE(w.tabDisplay->Bar()->tabToolTip(0), QStringLiteral("ファイル名のリスト表示"));
        QCOMPARE(w.tabDisplay->Bar()->tabToolTip(1), QStringLiteral("ログを表示"));
        QVERIFY(w.picDisplay[0]->isVisible());
        QVERIFY(!w.picDisplay[1]->isVisible());
        QCOMPARE(w.imgSplitterMain->cursor().hotSpot(), QPoint(11, 11));
        QCOMPARE(w.imgSplitterMain->cursor().bitmap().size(), QSize(32, 32));
        // The progress bar sits on the placeholder at the end of the toolbar.
        QWidget* ph = w.tlbCommon->findChild<QWidget*>("phPbGeneral");
        QVERIFY(ph);
        QCOMPARE(w.pbGeneral->x(), ph->x());
    }

    // 表示 > 検索オプション opens the rules dialog; OK there is what the next search goes by.
    void searchOptionsFromTheViewMenu() {
        Running r;
        frmMain& w = *r.w;
        QCOMPARE(w.mnuViewSearchOptions->text(), QStringLiteral("検索オプション(&O)..."));
        QVERIFY(w.mnuView->actions().contains(w.mnuViewSearchOptions));
        const TidyRules saved = Settings().Rules;
        bool shown = false;
        QueueModalScript([&](QDialog& d) {
            auto* options = qobject_cast<frmSearchOptions*>(&d);
            QVERIFY(options && d.isModal());
            shown = true;
            options->chkJunk->setChecked(true);
            options->cmdOk->click();
        });
        w.mnuViewSearchOptions->trigger();
        QVERIFY(shown);
        QVERIFY(Settings().Rules.junk);
        Settings().Rules = saved;
    }

    void resizeLaysOutPanels() {
        // Wide enough that the stored position needs no correction at the first layout.
        Running r("MainWidth= 13500 \r\nMainHeight= 9000 \r\nSplitterMain= 6000 \r\n");
        frmMain& w = *r.w;
        w.resize(900, 600);
        QTRY_COMPARE(w.picPanelDirSelect->width(), Px(6000));
        QWidget* surface = w.centralWidget();
        const int bar = Px(72);
        QCOMPARE(w.picPanelFileView->width(), surface->width() - Px(6000) - bar);
        QCOMPARE(w.picPanelFileView->x() + w.picPanelFileView->width(), surface->width());
        QCOMPARE(w.picPanelDirSelect->height(), surface->height());
        QCOMPARE(w.imgSplitterMain->x(), Px(6000));
        QCOMPARE(w.imgSplitterMain->height(), surface->height());
        // Tall left panel: mode panel 1935 high under the tree, 50 apart.
        QCOMPARE(w.picPanelRenameType->height(), Px(1935));
        QCOMPARE(w.dirTree->width(), w.picPanelDirSelect->width());
        QVERIFY(qAbs(w.picPanelRenameType->y() - (w.dirTree->height() + Px(50))) <= 1);
        QVERIFY(qAbs(w.picPanelRenameType->y() + w.picPanelRenameType->height() -
                     w.picPanelDirSelect->height()) <= 1);
        // Lists fill their pages; the log list sits 545 below the page top.
        QCOMPARE(w.lvwFileName->size(), w.picDisplay[0]->size());
        QVERIFY(qAbs(w.lvwLog->y() - Px(545)) <= 1);
        QCOMPARE(w.lvwLog->width(), w.picDisplay[1]->width());

        // Narrow: the right panel keeps 5000 and the left gives way.
        w.resize(600, 600);
        QTRY_COMPARE(w.picPanelFileView->width(), Px(5000));
        QVERIFY(qAbs(w.picPanelDirSelect->width() - (surface->width() - Px(5000) - bar)) <= 1);
    }

    void dragTheGripAndSave() {
        Running r;
        frmMain& w = *r.w;
        w.resize(1000, 600);
        QTRY_COMPARE(w.picPanelDirSelect->width(), Px(5000));
        SplitterGrip* grip = w.imgSplitterMain;
        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 50));
        QVERIFY(w.picSplitterMain->isVisible());
        QCOMPARE(w.picSplitterMain->width(), Px(75));
        QMouseEvent move(QEvent::MouseMove, QPointF(80, 50), grip->mapToGlobal(QPointF(80, 50)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grip, &move);
        QCOMPARE(w.picSplitterMain->x(), Px(5000) + 80);
        QCOMPARE(w.picPanelDirSelect->width(), Px(5000));  // not yet
        QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(80, 50));
        QVERIFY(w.picSplitterMain->isHidden());
        QCOMPARE(w.picPanelDirSelect->width(), Px(5000) + 80);
        QCOMPARE(w.picPanelFileView->x() - w.picPanelDirSelect->width(), Px(75));
        w.close();
        QVERIFY(r.ended);
        QVERIFY(r.prog.Read("RUZO.INI").find("SplitterMain= 6200 \r\n") != std::string::npos);
    }

    void tabSwitching() {
        Running r;
        frmMain& w = *r.w;
        auto* model = new QStandardItemModel(&w);
        model->appendRow(new QStandardItem("row"));
        w.lvwLog->setModel(model);
        QTabBar* bar = w.tabDisplay->Bar();
        const QPoint first = bar->tabRect(0).center();
        const QPoint second = bar->tabRect(1).center();
        QTest::mouseClick(bar, Qt::LeftButton, {}, first);  // already selected
        QVERIFY(w.picDisplay[0]->isVisible() && !w.picDisplay[1]->isVisible());
        QTest::mouseClick(bar, Qt::LeftButton, {}, second);
        QVERIFY(!w.picDisplay[0]->isVisible() && w.picDisplay[1]->isVisible());
        QTest::mouseClick(bar, Qt::LeftButton, {}, second);
        QVERIFY(w.picDisplay[1]->isVisible());
        QTest::mouseClick(bar, Qt::LeftButton, {}, first);
        QVERIFY(w.picDisplay[0]->isVisible() && !w.picDisplay[1]->isVisible());
        QCOMPARE(w.lvwLog->model()->rowCount(), 1);  // the hidden page kept its list
    }

    void screenshotAtDefaultSize() {
        Running r;
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/../screenshots");
        QDir().mkpath(dir);
        QVERIFY(r.w->grab().save(dir + "/main-window.png"));
        r.w->tabDisplay->SelectPosition(2);
        QVERIFY(r.w->grab().save(dir + "/main-window-log.png"));
        QVERIFY(LoadedSplash(true)->grab().save(dir + "/splash.png"));
        frmAbout about(r.w.get());
        QVERIFY(about.grab().save(dir + "/about.png"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
