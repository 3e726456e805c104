// SPDX-License-Identifier: GPL-3.0-or-later
// The main window without a mouse: what a screen reader is told, where Tab goes and whether
// it shows, and the keys users of desktop file tools expect.
#include <QAccessible>
#include <QApplication>
#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include "app/settings.h"
#include "browser/file_list_view.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "tests/support/running_window.h"
#include "tests/support/test_dir.h"
#include "ui/frm_main.h"

using namespace corvelle;

namespace {

using Running = test::RunningWindow;

QString NameOf(QObject* o) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(o);
    return i ? i->text(QAccessible::Name) : QString();
}

// The widgets Tab visits, in order, starting from `first`.
QList<QWidget*> TabStops(QWidget* window) {
    QList<QWidget*> stops;
    QWidget* w = window;
    for (int guard = 0; guard < 200; ++guard) {
        w = w->nextInFocusChain();
        if (w == window)
            break;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() &&
            !stops.contains(w))
            stops << w;
    }
    return stops;
}

}  // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    void controlsHaveJapaneseNames() {
        Running r;
        frmMain& w = *r.w;
        int buttons = 0;
        for (QAction* a : w.findChild<QToolBar*>()->actions()) {
            if (a->isSeparator() || a->icon().isNull())
                continue;
            QWidget* b = w.findChild<QToolBar*>()->widgetForAction(a);
            QVERIFY(b);
            QCOMPARE(NameOf(b), a->toolTip());
            ++buttons;
        }
        QCOMPARE(buttons, 14);
        QCOMPARE(NameOf(w.dirTree->View()), QStringLiteral("フォルダツリー"));
        QCOMPARE(NameOf(w.lvwFileName->IconList()), QStringLiteral("ファイル一覧"));
        QCOMPARE(NameOf(w.lvwFileName->Details()), QStringLiteral("ファイル一覧"));
        QCOMPARE(NameOf(w.lvwLog), QStringLiteral("処理ログ"));
        // Every Tab stop is named.
        for (QWidget* stop : TabStops(&w))
            QVERIFY2(!NameOf(stop).isEmpty(), qPrintable(stop->objectName()));
    }

    // Toolbar and tree icons have 2x artwork for screens scaled by two.
    void iconsHaveArtworkForScaleTwo() {
        Running r;
        int tools = 0;
        for (QAction* a : r.w->findChild<QToolBar*>()->actions()) {
            if (a->icon().isNull())
                continue;
            ++tools;
            // An icon never scales its pixmaps up: 32 pixels means artwork of that size.
            QVERIFY2(a->icon().pixmap(QSize(16, 16), 2.0).width() == 32, qPrintable(a->toolTip()));
        }
        QCOMPARE(tools, 14);
        QTreeView* tree = r.w->dirTree->View();
        const QIcon folder = tree->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(folder.pixmap(QSize(16, 16), 2.0).deviceIndependentSize(), QSizeF(16, 16));
        QCOMPARE(folder.pixmap(QSize(16, 16), 2.0).width(), 32);
    }

    // The size column kept for sorting is not a cell anyone should hear.
    void hiddenSortColumnNotExposed() {
        test::TestDir d;
        d.File("a.txt", "12345");
        Running r(test::StartIn(d.Root()) + "ListViewMode= 3 \r\n");
        QTreeView* details = r.w->lvwFileName->Details();
        QTRY_COMPARE(details->model()->rowCount(), 1);
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(details);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->tableInterface()->columnCount(), 4);
        for (int c = 0; c < table->tableInterface()->columnCount(); ++c) {
            QAccessibleInterface* cell = table->tableInterface()->cellAt(0, c);
            QVERIFY(cell);
            QVERIFY2(cell->text(QAccessible::Name) != QStringLiteral("00000000005"),
                     qPrintable(QString::number(c)));
        }
    }

    // Each Tab stop looks different with the focus than without it, Tab pressed as a user
    // would (the styles draw focus frames only for keyboard focus).
    void everyTabStopShowsItsFocus() {
        test::TestDir d;
        d.File("a.txt", "x");
        d.Dir("sub");
        Running r(test::StartIn(d.Root()));
        frmMain& w = *r.w;
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QList<QWidget*> stops = TabStops(&w);
        QVERIFY(stops.size() >= 5);
        stops.first()->setFocus(Qt::TabFocusReason);
        QList<QWidget*> visited;
        QList<QImage> withFocus;
        for (int i = 0; i <= stops.size(); ++i) {
            QWidget* now = QApplication::focusWidget();
            QVERIFY(now);
            if (!visited.isEmpty()) {
                // The one Tab left: how it looks now.
                QVERIFY2(visited.last()->grab().toImage() != withFocus.last(),
                         qPrintable(visited.last()->objectName() + " (" +
                                    visited.last()->metaObject()->className() + ")"));
            }
            if (visited.contains(now))
                break;
            visited << now;
            withFocus << now->grab().toImage();
            QTest::keyClick(now, Qt::Key_Tab);
        }
        QVERIFY(visited.size() >= 5);
    }

    void desktopShortcuts_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Alt+Left: back") << QKeySequence(Qt::ALT | Qt::Key_Left) << "back";
        QTest::newRow("Alt+Right: forward") << QKeySequence(Qt::ALT | Qt::Key_Right) << "forward";
        QTest::newRow("Alt+Up: parent") << QKeySequence(Qt::ALT | Qt::Key_Up) << "parent";
        QTest::newRow("Delete: to the Trash, asked") << QKeySequence(Qt::Key_Delete) << "delete";
        QTest::newRow("F2: rename the folder") << QKeySequence(Qt::Key_F2) << "rename";
        QTest::newRow("F5: refresh") << QKeySequence(Qt::Key_F5) << "refresh";
        QTest::newRow("Ctrl+Q: exit") << QKeySequence(Qt::CTRL | Qt::Key_Q) << "exit";
    }
    void desktopShortcuts() {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        test::TestDir d;
        d.Dir("one/a");  // above "two" in the tree: its sibling, not its parent
        d.Dir("one/two");
        d.Dir("other");
        Running r(test::StartIn(d.Path("other/")));
        frmMain& w = *r.w;
        w.dirTree->SetPath(d.Path("one/two"));  // history: other, then one/two
        if (effect == "forward")
            w.HistoryGoBack(1);
        QTreeView* tree = w.dirTree->View();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        tree->setFocus();
        const std::string before = Settings().CurrentDirectory;
        if (effect == "delete")
            MessageService::QueueAnswer(MsgAnswer::Cancel);
        if (effect == "refresh")
            d.File(before == d.Path("one/two/") ? "one/two/new.txt" : "other/new.txt");
        const int filesBefore = r.Files();
        QTest::keySequence(tree, keys);
        if (effect == "back")
            QCOMPARE(Settings().CurrentDirectory, d.Path("other/"));
        else if (effect == "forward")
            QCOMPARE(Settings().CurrentDirectory, d.Path("one/two/"));
        else if (effect == "parent")
            QCOMPARE(Settings().CurrentDirectory, d.Path("one/"));
        else if (effect == "delete") {
            QCOMPARE(MessageService::Shown().size(), size_t{1});
            QCOMPARE(MessageService::Shown()[0].text,
                     d.Path("one/two/") + "を削除します。\nよろしいですか？");
            QVERIFY(d.Exists("one/two"));  // Cancel: nothing happened
        } else if (effect == "rename")
            QVERIFY(tree->findChild<QLineEdit*>() && tree->findChild<QLineEdit*>()->isVisible());
        else if (effect == "refresh")
            QCOMPARE(r.Files(), filesBefore + 1);
        else if (effect == "exit")
            QVERIFY(r.ended);
        if (effect != "back" && effect != "forward" && effect != "parent")
            QCOMPARE(Settings().CurrentDirectory, before);
    }

    // Delete in the file list or in a text box is not the folder's delete.
    void deleteElsewhereLeavesTheFolder() {
        test::TestDir d;
        d.File("here/a.txt", "x");
        Running r(test::StartIn(d.Path("here/")));
        frmMain& w = *r.w;
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAbstractItemView* list = w.lvwFileName->CurrentView();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(MessageService::Shown().empty());
        QVERIFY(d.Exists("here/a.txt"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
