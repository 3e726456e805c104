// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "ui/panel_layout.h"

using namespace corvelle;

Q_DECLARE_METATYPE(corvelle::TwRect)

namespace {

MainLayout Window(double innerWidth, double barLeft) {
    MainLayout s;
    s.innerWidth = innerWidth;
    s.innerHeight = 8775;
    s.bar.left = barLeft;
    return s;
}

}  // namespace

class TestPanelLayout : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void panelLayoutSet_data() {
        QTest::addColumn<double>("innerWidth");
        QTest::addColumn<double>("barLeft");
        QTest::addColumn<double>("leftWidth");
        QTest::addColumn<double>("rightWidth");
        QTest::addColumn<double>("barAfter");
        // Design window: 11955 - 5000 - 72 = 6883 on the right.
        QTest::newRow("design") << 11955.0 << 5000.0 << 5000.0 << 6883.0 << 5000.0;
        // The right panel would fall to 5000 or less: it is held at 5000 and the left shrinks.
        QTest::newRow("narrow, left shrinks") << 11000.0 << 6000.0 << 5928.0 << 5000.0 << 5928.0;
        // Narrower than 10000 + bar with the left at its minimum: both keep, they overlap.
        QTest::newRow("narrow, overlap") << 9000.0 << 5000.0 << 5000.0 << 5000.0 << 5000.0;
        // A stored position below the drag bounds is used as it is.
        QTest::newRow("restored 300") << 11955.0 << 300.0 << 300.0 << 11583.0 << 300.0;
        QTest::newRow("restored 300, narrow") << 4000.0 << 300.0 << 300.0 << 5000.0 << 300.0;
        QTest::newRow("half twips round to even")
            << 11955.5 << 5000.5 << 5000.0 << 6883.0 << 5000.5;
    }
    void panelLayoutSet() {
        QFETCH(double, innerWidth);
        QFETCH(double, barLeft);
        QFETCH(double, leftWidth);
        QFETCH(double, rightWidth);
        QFETCH(double, barAfter);
        MainLayout s = Window(innerWidth, barLeft);
        PanelLayoutSet(s);
        QCOMPARE(s.leftPanelWidth, leftWidth);
        QCOMPARE(s.rightPanelWidth, rightWidth);
        QCOMPARE(s.bar.left, barAfter);
        QCOMPARE(s.grip.left, s.bar.left);
        QCOMPARE(s.grip.top, 0.0);
        QCOMPARE(s.grip.height, 8775.0);
        QCOMPARE(s.bar.height, 8775.0);
    }

    void minimisedWindowIsLeftAlone() {
        MainLayout s = Window(11955, 6000);
        s.minimized = true;
        const MainLayout before = s;
        PanelLayoutSet(s);
        QCOMPARE(s.leftPanelWidth, before.leftPanelWidth);
        QCOMPARE(s.grip, before.grip);
    }

    void progressBarCentredOnPlaceholder() {
        MainLayout s = Window(11955, 5000);
        s.toolbarHeight = 420;
        s.progressHeight = 255;
        s.placeholderLeft = 3015;
        PanelLayoutSet(s);
        QCOMPARE(s.progressTop, 82.0);  // whole part of 82.5
        QCOMPARE(s.progressLeft, 3015.0);
    }

    void drag_data() {
        QTest::addColumn<double>("gripLeft");
        QTest::addColumn<double>("mouseX");
        QTest::addColumn<double>("barLeft");
        QTest::newRow("inside bounds") << 5000.0 << 1200.0 << 6200.0;
        QTest::newRow("far left stops at 5000") << 5000.0 << -4000.0 << 5000.0;
        QTest::newRow("exactly 5000") << 4000.0 << 1000.0 << 5000.0;
        // 20000 - (150 + 5000)
        QTest::newRow("far right stops") << 5000.0 << 90000.0 << 14850.0;
        QTest::newRow("right bound exactly") << 5000.0 << 9850.0 << 14850.0;
    }
    void drag() {
        QFETCH(double, gripLeft);
        QFETCH(double, mouseX);
        QFETCH(double, barLeft);
        MainLayout s = Window(20000, 5000);
        PanelLayoutSet(s);
        s.grip.left = gripLeft;
        SplitterMouseDown(s);
        QVERIFY(s.barVisible && s.splitterMoving);
        QCOMPARE(s.bar.width, 75.0);  // half the grip's 150
        QCOMPARE(s.bar.height, s.grip.height - 20);
        SplitterMouseMove(s, mouseX);
        QCOMPARE(s.bar.left, barLeft);
        QCOMPARE(s.leftPanelWidth, 5000.0);  // panels wait for the mouse-up
        SplitterMouseUp(s);
        QVERIFY(!s.barVisible && !s.splitterMoving);
        QCOMPARE(s.leftPanelWidth, barLeft);
        QCOMPARE(s.rightPanelWidth, 20000 - barLeft - 75);
        QCOMPARE(s.grip.left, barLeft);
    }

    void moveWithoutDownDoesNothing() {
        MainLayout s = Window(20000, 6000);
        SplitterMouseMove(s, 3000);
        QCOMPARE(s.bar.left, 6000.0);
    }

    void dirSelect_data() {
        QTest::addColumn<double>("panelHeight");
        QTest::addColumn<double>("treeHeight");
        QTest::addColumn<double>("modeTop");
        QTest::newRow("tall") << 8775.0 << 6790.0 << 6840.0;
        QTest::newRow("just over 5000") << 5001.0 << 3016.0 << 3066.0;
        // 5000 or less: heights kept, only widths follow.
        QTest::newRow("exactly 5000") << 5000.0 << 2350.0 << 2400.0;
        QTest::newRow("short") << 1000.0 << 2350.0 << 2400.0;
    }
    void dirSelect() {
        QFETCH(double, panelHeight);
        QFETCH(double, treeHeight);
        QFETCH(double, modeTop);
        const DirSelectLayout current{{0, 0, 5000, 2350}, {0, 2400, 4815, 1935}};
        const double h = panelHeight;
        const DirSelectLayout out = DirSelectResize(h, 3210, h, current);
        QCOMPARE(out.tree.height, treeHeight);
        QCOMPARE(out.mode.top, modeTop);
        QCOMPARE(out.mode.height, 1935.0);
        QCOMPARE(out.tree.width, 3210.0);
        QCOMPARE(out.mode.width, 3210.0);
    }

    void fileViewPages_data() {
        QTest::addColumn<double>("panelHeight");
        QTest::addColumn<double>("pageHeight");
        QTest::newRow("tall") << 8775.0 << 8775.0 - 360 - 30 - 100;
        QTest::newRow("short keeps heights") << 4000.0 << 1234.0;
    }
    void fileViewPages() {
        QFETCH(double, panelHeight);
        QFETCH(double, pageHeight);
        FileViewLayout current;
        current.tab = {0, 0, 4935, 3000};
        for (TwRect& p : current.pages) p = {0, 0, 10, 1234};
        const TwRect inset{30, 360, 60, 390};
        const double h = panelHeight;
        const FileViewLayout out = FileViewResize(h, 6000, h, current, inset);
        QCOMPARE(out.tab.width, 6000.0);
        for (const TwRect& p : out.pages) {
            QCOMPARE(p.top, 410.0);  // client top + margin
            QCOMPARE(p.left, 30.0);
            QCOMPARE(p.width, 5940.0);
            QCOMPARE(p.height, pageHeight);
        }
    }

    void displayLists() {
        const DisplayLayout d = DisplayResize(4000, 6000, {120, 120, 1215, 375});
        QCOMPARE(d.fileList, (TwRect{0, 0, 4000, 6000}));
        QCOMPARE(d.logList, (TwRect{0, 545, 4000, 5455}));
    }
};

QTEST_APPLESS_MAIN(TestPanelLayout)
#include "tst_panel_layout.moc"
