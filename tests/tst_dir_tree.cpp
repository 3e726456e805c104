// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>
#include <atomic>

#include "platform/os/enumeration.h"
#include "platform/os/folders.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/dir_tree_model.h"
#include "platform/ui/path_text.h"
#include "tests/support/test_dir.h"

using namespace corvelle;

namespace {

QStringList ChildNames(QTreeView* view, const QModelIndex& parent) {
    QStringList names;
    QAbstractItemModel* m = view->model();
    if (m->canFetchMore(parent))
        m->fetchMore(parent);
    for (int r = 0; r < m->rowCount(parent); ++r) names << m->index(r, 0, parent).data().toString();
    return names;
}

}  // namespace

class TestDirTree : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // The window's tree starts at the system's roots ("/"; each drive on Windows), each shown
    // as its path; a folder is found below its own root, in any letter case where the system
    // ignores case.
    void topsAreTheSystemsRoots() {
        const std::vector<std::string> roots = FolderTreeRoots();
        QVERIFY(!roots.empty());
        DirTreeModel model;
        QCOMPARE(model.rowCount({}), static_cast<int>(roots.size()));
        for (size_t i = 0; i < roots.size(); ++i) {
            const QModelIndex top = model.index(static_cast<int>(i), 0, {});
            QCOMPARE(model.PathOf(top), roots[i]);
            QCOMPARE(top.data().toString(), PathToQString(roots[i]));
            QVERIFY(!(model.flags(top) & Qt::ItemIsEditable));  // a root is never renamed
        }
        test::TestDir t;
        t.Dir("Sub/Inner");
        const QModelIndex inner = model.IndexOf(t.Path("Sub/Inner"));
        QCOMPARE(model.PathOf(inner), t.Path("Sub/Inner/"));
        const QString lower = PathToQString(t.Path("sub/inner")).toLower();
        const QModelIndex found = model.IndexOf(QStringToPath(lower));
        if (NamesIgnoreCase())
            QCOMPARE(found, inner);
        else
            QVERIFY(found != inner);
    }

    void pathWriteSelectsAndReadEndsInSeparator() {
        test::TestDir t;
        t.Dir("a/b/c");
        DirTree tree;
        QSignalSpy changed(&tree, &DirTree::PathChanged);
        tree.SetPath(t.Path("a/b"));
        QCOMPARE(tree.Path(), t.Path("a/b/"));
        QCOMPARE(changed.count(), 1);
        tree.SetPath(t.Path("a/b/"));  // same folder: no new event
        QCOMPARE(changed.count(), 1);
        tree.SetPath(test::RootFolder());
        QCOMPARE(tree.Path(), test::RootFolder());
        // A folder that is not there still reads back as written (its owner checks it);
        // the deepest folder on its way is highlighted, and a redisplay settles there.
        tree.SetPath(t.Path("a/missing/deeper"));
        QCOMPARE(tree.Path(), t.Path("a/missing/deeper/"));
        QCOMPARE(changed.count(), 3);
        tree.Redisplay();
        QCOMPARE(tree.Path(), t.Path("a/"));
    }

    void hiddenFoldersShownOnlyWhenAskedFor() {
        test::TestDir t;
        t.Dir("p/visible");
        t.Dir("p/.hidden/inner");
        DirTree tree;
        tree.SetPath(t.Path("p"));
        const QModelIndex p = tree.View()->currentIndex();
        QCOMPARE(ChildNames(tree.View(), p), QStringList{"visible"});
        tree.SetPath(t.Path("p/.hidden/inner"));
        QCOMPARE(tree.Path(), t.Path("p/.hidden/inner/"));
        QCOMPARE(ChildNames(tree.View(), p), (QStringList{".hidden", "visible"}));
    }

    void linksToFoldersAreNotEntered() {
        if (!test::CanMakeLinks())
            QSKIP("no links a Windows program sees can be made under Wine");
        test::TestDir t;
        t.Dir("target/deep");
        t.Link("p/link", t.Path("target"));
        t.Dir("p/real");
        DirTree tree;
        tree.SetPath(t.Path("p"));
        const QModelIndex p = tree.View()->currentIndex();
        QCOMPARE(ChildNames(tree.View(), p), (QStringList{"link", "real"}));
        const QModelIndex link = tree.View()->model()->index(0, 0, p);
        QVERIFY(!tree.View()->model()->hasChildren(link));
        QVERIFY(!tree.View()->model()->canFetchMore(link));
    }

    void redisplayFollowsTheDisk() {
        test::TestDir t;
        t.Dir("p/keep");
        t.Dir("p/gone/inner");
        DirTree tree;
        tree.SetPath(t.Path("p/gone/inner"));
        t.Dir("p/new");
        test::RemoveTree(t.Path("p/gone"));
        tree.Redisplay();
        QCOMPARE(tree.Path(), t.Path("p/"));  // the selection moved to a folder that exists
        QCOMPARE(ChildNames(tree.View(), tree.View()->currentIndex()),
                 (QStringList{"keep", "new"}));
        tree.SetPath(t.Path("p/keep"));
        tree.Redisplay();
        QCOMPARE(tree.Path(), t.Path("p/keep/"));
    }

    void bigFolderIsReadOnce() {
        test::TestDir t;
        for (int i = 0; i < 5000; ++i) t.Dir("big/d" + std::to_string(i));
        std::atomic<int> reads{0};
        SetEnumerationFailureHook([&](const std::string&) {
            ++reads;
            return 0;
        });
        DirTree tree;
        tree.resize(300, 400);
        tree.show();
        tree.SetPath(t.Path("big"));
        reads = 0;
        tree.View()->expand(tree.View()->currentIndex());
        QCOMPARE(tree.View()->model()->rowCount(tree.View()->currentIndex()), 5000);
        QCoreApplication::processEvents();
        // The folder itself once, plus probes of the few rows on screen, never all of them.
        QVERIFY2(reads < 200, qPrintable(QString::number(reads)));
        SetEnumerationFailureHook(nullptr);
    }

    void imageTypeSwitchesIconSet() {
        test::TestDir t;
        t.Dir("a");
        DirTree tree;
        tree.SetPath(t.Path("a"));
        const QModelIndex i = tree.View()->currentIndex();
        tree.SetImageType(0);
        const QImage zero = qvariant_cast<QIcon>(i.data(Qt::DecorationRole)).pixmap(16).toImage();
        tree.SetImageType(1);
        const QImage one = qvariant_cast<QIcon>(i.data(Qt::DecorationRole)).pixmap(16).toImage();
        QCOMPARE(tree.ImageType(), 1);
        QVERIFY(zero != one);
        // The toggle tells the views about every row shown, deep ones included.
        QSignalSpy changed(tree.View()->model(), &QAbstractItemModel::dataChanged);
        tree.SetImageType(0);
        bool told = false;
        for (const QList<QVariant>& args : changed) {
            const QModelIndex a = args[0].toModelIndex(), b = args[1].toModelIndex();
            told |= a.parent() == i.parent() && a.row() <= i.row() && i.row() <= b.row();
        }
        QVERIFY(told);
    }

    void labelEditEvents() {
        test::TestDir t;
        t.Dir("p/old");
        DirTree tree;
        tree.show();
        tree.SetPath(t.Path("p/old"));
        bool refuse = true;
        connect(&tree, &DirTree::LabelEditStarting, this, [&](bool* cancel) { *cancel = refuse; });
        std::string newName;
        connect(&tree, &DirTree::LabelEditDone, this,
                [&](bool*, const std::string& name) { newName = name; });
        QTest::keyClick(tree.View(), Qt::Key_F2);
        QVERIFY(!tree.View()->findChild<QLineEdit*>());
        refuse = false;
        QTest::keyClick(tree.View(), Qt::Key_F2);
        QLineEdit* editor = tree.View()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("新しい名前");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(newName, std::string("新しい名前"));
    }

    // Every change the tree model makes, from the first read to a refresh over a changed
    // disk, is checked against the rules of Qt's item models; the checker walks every folder,
    // so the model's top is a small tree of its own.
    void modelKeepsTheItemModelRules() {
        test::TestDir t;
        for (const char* dir : {"a/b/c", "a/.hidden/inner", "a/e", "B/x", "c", ".top/h/deep"})
            t.Dir(dir);
        if (test::CanMakeLinks())
            t.Link("a/link", t.Path("B"));
        t.File("a/file", "f");
        DirTreeModel model(nullptr, t.Root());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&model);
        view.expandAll();
        const QModelIndex top = model.index(0, 0, {});
        QCOMPARE(model.PathOf(top), t.Root());
        QCOMPARE(model.PathOf(model.IndexOf(t.Path("a/b/c"))), t.Path("a/b/c/"));
        // A hidden folder shown because a path went through it.
        QCOMPARE(model.PathOf(model.IndexOf(t.Path("a/.hidden/inner"))),
                 t.Path("a/.hidden/inner/"));
        QCOMPARE(model.PathOf(model.IndexOf(t.Path(".top/h"))), t.Path(".top/h/"));
        // What the checker and the view asked for while being told of a change is read once
        // the change is over.
        QTRY_VERIFY(!model.canFetchMore(model.IndexOf(t.Path(".top/h"))));
        // Paths outside the top are not in this tree.
        QVERIFY(!model.IndexOf("/").isValid());
        // The disk changes: folders go, come and are replaced by files, at every depth.
        test::RemoveTree(t.Path("a/b"));
        test::RemoveTree(t.Path("a/.hidden"));
        t.Dir("a/b2/new");
        t.Dir("a/A");
        test::RemoveTree(t.Path("c"));
        t.File("c", "now a file");
        t.Dir("d");
        t.Dir(".new");
        model.Refresh();
        view.expandAll();
        QStringList names;
        const QModelIndex a = model.IndexOf(t.Path("a"));
        for (int r = 0; r < model.rowCount(a); ++r) names << model.index(r, 0, a).data().toString();
        QStringList expected{"A", "b2", "e"};
        if (test::CanMakeLinks())
            expected << "link";
        QCOMPARE(names, expected);
        names.clear();
        for (int r = 0; r < model.rowCount(top); ++r)
            names << model.index(r, 0, top).data().toString();
        QCOMPARE(names, (QStringList{".top", "a", "B", "d"}));
        model.SetImageType(0);
        model.SetImageType(1);
        // Everything removed at once, the top folder included.
        test::RemoveTree(t.Path("a"));
        test::RemoveTree(t.Path("B"));
        test::RemoveTree(t.Path("d"));
        test::RemoveTree(t.Path(".top"));
        model.Refresh();
        QCOMPARE(model.rowCount(top), 0);
    }
};

QTEST_MAIN(TestDirTree)
#include "tst_dir_tree.moc"
