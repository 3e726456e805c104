// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTreeView>
#include <QtTest>

#include "app/settings.h"
#include "browser/file_list_view.h"
#include "browser/navigation_panel.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "tests/support/running_window.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "ui/frm_main.h"
#include "ui/tab_strip.h"

using namespace corvelle;

namespace {

using Running = test::RunningWindow;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

class TestNavigationWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    void selectionsAndJumps() {
        test::TestDir d;
        d.File("Docs/d1");
        d.File("Music/m1");
        d.File("Music/m2");
        d.File("Photos/p1");
        Running r(test::StartIn(d.Path("Docs/")));
        frmMain& w = *r.w;
        QCOMPARE(r.Files(), 1);
        w.dirTree->SetPath(d.Path("Music"));
        QCOMPARE(Settings().CurrentDirectory, d.Path("Music/"));
        QCOMPARE(r.Files(), 2);
        w.dirTree->SetPath(d.Path("Photos"));
        QCOMPARE(r.Menu("btnBack"), (QStringList{Q(d.Path("Music/")), Q(d.Path("Docs/"))}));
        QVERIFY(w.ToolbarButton("btnBack")->isEnabled());
        QVERIFY(!w.ToolbarButton("btnNext")->isEnabled());

        w.tabDisplay->SelectPosition(2);
        w.ToolbarButton("btnBack")->trigger();  // one step
        QCOMPARE(Settings().CurrentDirectory, d.Path("Music/"));
        QCOMPARE(w.dirTree->Path(), d.Path("Music/"));
        QCOMPARE(r.Files(), 2);
        QCOMPARE(w.tabDisplay->SelectedPosition(), 1);
        QCOMPARE(r.Menu("btnBack"), QStringList{Q(d.Path("Docs/"))});
        QCOMPARE(r.Menu("btnNext"), QStringList{Q(d.Path("Photos/"))});
        QVERIFY(w.ToolbarButton("btnNext")->isEnabled());

        w.ToolbarButton("btnNext")->menu()->actions().at(0)->trigger();  // entry 1
        QCOMPARE(Settings().CurrentDirectory, d.Path("Photos/"));
        QCOMPARE(r.Files(), 1);
        QCOMPARE(r.Menu("btnBack"), (QStringList{Q(d.Path("Music/")), Q(d.Path("Docs/"))}));
        QVERIFY(!w.ToolbarButton("btnNext")->isEnabled());
        QVERIFY(MessageService::Shown().empty());
    }

    void deletedHistoryEntry() {
        test::TestDir d;
        d.Dir("A");
        d.Dir("B");
        d.Dir("C");
        test::TestDir home;
        // The user's home: $HOME, %USERPROFILE% on Windows.
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedProfile = qgetenv("USERPROFILE");
        qputenv("HOME", QByteArray::fromStdString(home.Path("")));
        qputenv("USERPROFILE", QByteArray::fromStdString(home.Path("")));
        Running r(test::StartIn(d.Path("A/")));
        frmMain& w = *r.w;
        w.dirTree->SetPath(d.Path("B"));
        w.dirTree->SetPath(d.Path("C"));
        test::RemoveTree(d.Path("B"));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.HistoryGoBack(1);  // to B, which is gone
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].text, std::string("存在しないパス名です"));
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::None);
        QCOMPARE(Settings().CurrentDirectory, d.Path("C/"));
        QCOMPARE(w.dirTree->Path(), d.Path("C/"));

        // The folder that was current is gone too: the home folder.
        w.dirTree->SetPath(d.Path("A"));
        test::RemoveTree(d.Path("A"));
        test::RemoveTree(d.Path("C"));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.HistoryGoBack(1);  // to C
        QCOMPARE(Settings().CurrentDirectory, home.Root());
        qputenv("HOME", savedHome);
        qputenv("USERPROFILE", savedProfile);
    }

    void renameLabels() {
        test::TestDir d;
        d.Dir("old");
        d.Dir("taken");
        test::ScriptedFileOpUi ui;
        Running r(test::StartIn(d.Path("old/")));
        frmMain& w = *r.w;
        NavigationPanel& nav = w.Navigation();

        bool cancel = false;
        nav.DirTree_LabelEditStarting(&cancel);
        QVERIFY(!cancel);
        w.dirTree->SetPath(test::RootFolder());
        nav.DirTree_LabelEditStarting(&cancel);
        QVERIFY(cancel);  // the root is never renamed
        w.dirTree->SetPath(d.Path("old"));

        cancel = false;
        nav.DirTree_LabelEditDone(&cancel, "taken");  // an existing name: refused
        QVERIFY(cancel);
        QVERIFY(d.Exists("old") && d.Exists("taken"));
        QCOMPARE(ui.errors.size(), size_t(1));
        QTRY_COMPARE(Settings().CurrentDirectory, d.Path("taken/"));  // the other folder

        w.dirTree->SetPath(d.Path("old"));
        cancel = false;
        nav.DirTree_LabelEditDone(&cancel, "a/b");  // a path, not a name
        QVERIFY(cancel);
        QVERIFY(d.Exists("old"));

        cancel = false;
        nav.DirTree_LabelEditDone(&cancel, "新しい");
        QVERIFY(!cancel);
        QVERIFY(d.Exists("新しい") && !d.Exists("old"));
        QCOMPARE(Settings().CurrentDirectory, d.Path("新しい/"));
        QCOMPARE(w.dirTree->Path(), d.Path("新しい/"));
    }

    void renameThroughTheEditor() {
        test::TestDir d;
        d.Dir("edit-me");
        test::ScriptedFileOpUi ui;
        Running r(test::StartIn(d.Path("edit-me/")));
        QTreeView* view = r.w->dirTree->View();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit* editor = view->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("edited");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(d.Exists("edited"));
        QTRY_COMPARE(Settings().CurrentDirectory, d.Path("edited/"));
    }

    void activatingTheTreeShowsFiles() {
        test::TestDir d;
        Running r(test::StartIn(d.Root()));
        r.w->tabDisplay->SelectPosition(2);
        emit r.w->dirTree->TreeActivated();
        QCOMPARE(r.w->tabDisplay->SelectedPosition(), 1);
    }
};

QTEST_MAIN(TestNavigationWindow)
#include "tst_navigation_window.moc"
