// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

#include "app/settings.h"
#include "browser/browser_panel.h"
#include "browser/dialog_state.h"
#include "browser/file_list_model.h"
#include "browser/file_list_view.h"
#include "browser/folder_commands.h"
#include "browser/frm_dest_dir_select.h"
#include "browser/frm_mk_dir.h"
#include "browser/frm_rename.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/modal_service.h"
#include "tests/support/running_window.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "ui/frm_main.h"

using namespace corvelle;

namespace {

using Running = test::RunningWindow;

// The next destination dialog: types a path and presses OK (or Cancel).
void ChooseDestination(const std::string& path, bool ok = true) {
    QueueModalScript([path, ok](QDialog& d) {
        auto& dlg = static_cast<frmDestDirSelect&>(d);
        dlg.cboDestDir->setEditText(QString::fromStdString(path));
        (ok ? dlg.cmdOk : dlg.cmdCancel)->click();
    });
}

}  // namespace

class TestFolderCommands : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    void recentDestinations_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("confirmed");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first") << QStringList{} << "/a/" << QStringList{"/a/"};
        QTest::newRow("already first")
            << QStringList{"/a/", "/b/"} << "/a/" << QStringList{"/a/", "/b/"};
        QTest::newRow("moves to front") << QStringList{"/e/x/", "/d/a/", "/f/y/"} << "/d/a/"
                                        << QStringList{"/d/a/", "/e/x/", "/f/y/"};
        QStringList ten;
        for (int i = 0; i < 10; ++i) ten << QString("/f%1/").arg(i);
        QStringList pushed = ten.mid(0, 9);
        pushed.prepend("/new/");
        QTest::newRow("full list drops the oldest") << ten << "/new/" << pushed;
        QTest::newRow("letter case makes another entry")
            << QStringList{"/d/Temp/"} << "/d/temp/" << QStringList{"/d/temp/", "/d/Temp/"};
    }
    void recentDestinations() {
        QFETCH(QString, confirmed);
        QFETCH(QStringList, after);
        SettingsRecord rec;
        QFETCH(QStringList, before);
        for (int i = 0; i < before.size(); ++i)
            rec.DestDir[static_cast<size_t>(i)] = before[i].toStdString();
        rec.DestDirCount = std::to_string(before.size());
        DestDirRemember(rec, confirmed.toStdString());
        QStringList kept;
        for (int i = 0; i < DestDirCountOf(rec); ++i)
            kept << QString::fromStdString(rec.DestDir[static_cast<size_t>(i)]);
        QCOMPARE(kept, after);
        QVERIFY(rec.DestDir[10].empty());
    }

    void destinationDialog() {
        test::TestDir d;
        d.Dir("cur");
        d.Dir("picked");
        Running r(test::StartIn(d.Path("cur/")));
        {
            frmDestDirSelect dlg(r.w->dirTree);
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Destination Folder Select"));
            QCOMPARE(dlg.cboDestDir->count(), 0);
            QCOMPARE(dlg.DestDirTree->Path(), d.Path("cur/"));
            QCOMPARE(dlg.cboDestDir->currentText(), QString::fromStdString(d.Path("cur/")));
            dlg.DestDirTree->SetPath(d.Path("picked"));  // the tree replaces the typed text
            QCOMPARE(dlg.cboDestDir->currentText(), QString::fromStdString(d.Path("picked/")));
            dlg.cboDestDir->setEditText("");
            dlg.cmdOk->click();  // empty: stays open, nothing set
            QVERIFY(!DestDirOk);
            dlg.cboDestDir->setEditText(QString::fromStdString(d.Path("typed")));
            dlg.cmdOk->click();
            QVERIFY(DestDirOk);
            QCOMPARE(DestDirPath, d.Path("typed/"));  // the separator added
        }
        frmDestDirSelect again(r.w->dirTree);
        QCOMPARE(again.cboDestDir->count(), 1);
        QCOMPARE(again.cboDestDir->currentText(), QString::fromStdString(d.Path("typed/")));
        QVERIFY(!DestDirOk);  // every showing starts as Cancel
        QTest::keyClick(&again, Qt::Key_Escape);
        QVERIFY(again.isHidden() || again.result() == 0);
        // A settings file whose first recent destination is empty: the current folder is
        // proposed, never the root (OK would copy there).
        Settings().DestDir[0].clear();
        Settings().DestDir[1] = d.Path("picked/");
        Settings().DestDirCount = "2";
        frmDestDirSelect gap(r.w->dirTree);
        QCOMPARE(gap.DestDirTree->Path(), d.Path("cur/"));
        QCOMPARE(gap.cboDestDir->currentText(), QString::fromStdString(d.Path("cur/")));
    }

    void copyAndMoveAFolder() {
        test::TestDir d;
        d.File("src/inner/file.txt", "content");
        d.Dir("dest");
        test::ScriptedFileOpUi ui;
        Running r(test::StartIn(d.Path("src/")));
        ChooseDestination(d.Path("dest"));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        r.w->mnuFileFolderCopy_Click();
        QCOMPARE(MessageService::Shown().back().text,
                 d.Path("src/") + "を\n" + d.Path("dest/") + "にコピーします。\nよろしいですか？");
        QCOMPARE(MessageService::Shown().back().buttons, MsgButtons::OkCancel);
        QCOMPARE(MessageService::Shown().back().icon, MsgIcon::None);
        QCOMPARE(d.Read("dest/src/inner/file.txt"), std::string("content"));
        QCOMPARE(d.Read("src/inner/file.txt"), std::string("content"));

        d.Dir("dest2");
        ChooseDestination(d.Path("dest2/"));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        r.w->mnuFileFolderMove_Click();
        QVERIFY(MessageService::Shown().back().text.find("に移動します。") != std::string::npos);
        QCOMPARE(d.Read("dest2/src/inner/file.txt"), std::string("content"));
        QVERIFY(!d.Exists("src"));
        // The tree settles on the parent, and the current folder follows it.
        QCOMPARE(Settings().CurrentDirectory, d.Root());
        QCOMPARE(r.w->dirTree->Path(), d.Root());
        QVERIFY(ui.errors.empty());
    }

    void moveActsOnTheConfirmedFolder() {
        test::TestDir d;
        d.File("confirmed/f", "f");
        d.File("other/g", "g");
        d.Dir("dest");
        Running r(test::StartIn(d.Path("confirmed/")));
        ChooseDestination(d.Path("dest"));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        // Another folder gets selected while the move yields to the event queue.
        QMetaObject::invokeMethod(
            r.w.get(), [&] { r.w->dirTree->SetPath(d.Path("other")); }, Qt::QueuedConnection);
        r.w->mnuFileFolderMove_Click();
        QCOMPARE(d.Read("dest/confirmed/f"), std::string("f"));
        QCOMPARE(d.Read("other/g"), std::string("g"));
        QVERIFY(!d.Exists("dest/other"));
    }

    void cancelChangesNothing() {
        test::TestDir d;
        d.File("src/f", "f");
        d.Dir("dest");
        Running r(test::StartIn(d.Path("src/")));
        const auto before = d.Snapshot();
        ChooseDestination(d.Path("dest"), false);  // Cancel in the dialog: no message
        r.w->mnuFileFolderCopy_Click();
        QVERIFY(MessageService::Shown().empty());
        QueueModalScript([](QDialog& dlg) { dlg.close(); });  // the title bar's close
        r.w->mnuFileFolderMove_Click();
        QVERIFY(MessageService::Shown().empty());
        ChooseDestination(d.Path("dest"));
        MessageService::QueueAnswer(MsgAnswer::Cancel);  // Cancel in the confirmation
        r.w->mnuFileFolderMove_Click();
        MessageService::QueueAnswer(MsgAnswer::Cancel);
        r.w->mnuFileFolderDelete_Click();
        QCOMPARE(d.Snapshot(), before);
        QCOMPARE(QueuedModalScripts(), 0);
    }

    void deleteGoesToTheTrash() {
        test::TestDir d;
        d.File("victim/keep.txt", "keep");
        test::TestDir home;
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        // Wine's recycle bin is off for a Windows path there: the shell's keeps its own.
        if (test::TrashIsFreedesktop())
            qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.Path("data")));
        Running r(test::StartIn(d.Path("victim/")));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        r.w->mnuFileFolderDelete_Click();
        QCOMPARE(MessageService::Shown().back().text,
                 d.Path("victim/") + "を削除します。\nよろしいですか？");
        QVERIFY(!d.Exists("victim"));
        if (test::TrashIsFreedesktop()) {  // the shell's recycle bin cannot be looked into here
            QCOMPARE(home.Read("data/Trash/files/victim/keep.txt"), std::string("keep"));
            QVERIFY(
                home.Read("data/Trash/info/victim.trashinfo").find("Path=" + d.Path("victim")) !=
                std::string::npos);
        }
        QCOMPARE(Settings().CurrentDirectory, d.Root());
        if (saved.isEmpty() && test::TrashIsFreedesktop())
            qunsetenv("XDG_DATA_HOME");
        else if (test::TrashIsFreedesktop())
            qputenv("XDG_DATA_HOME", saved);
    }

    void renameThroughTheDialog() {
        test::TestDir d;
        d.Dir("Work");
        Running r(test::StartIn(d.Path("Work/")));
        QueueModalScript([&](QDialog& dlg) {
            auto& ren = static_cast<frmRename&>(dlg);
            QCOMPARE(ren.txtFileName->text(), QString::fromStdString(d.Path("Work/")));
            ren.txtFileName->setText(QString::fromStdString(d.Path("Works/")));
            ren.cmdOk->click();
        });
        r.w->mnuFileFolderRename_Click();
        QVERIFY(d.Exists("Works") && !d.Exists("Work"));
        QCOMPARE(Settings().CurrentDirectory, d.Path("Works/"));
        QCOMPARE(r.w->dirTree->Path(), d.Path("Works/"));
        // Cancel: the tree gets the unchanged path.
        QueueModalScript([](QDialog& dlg) { static_cast<frmRename&>(dlg).cmdCancel->click(); });
        r.w->mnuFileFolderRename_Click();
        QCOMPARE(Settings().CurrentDirectory, d.Path("Works/"));
    }

    // A new name typed without the separator: the current folder still ends in one, so the
    // history knows it and a jump past it keeps the forward list.
    void renameTypedWithoutSeparatorKeepsHistory() {
        test::TestDir d;
        d.Dir("Docs");
        d.Dir("Work");
        d.Dir("Other");
        Running r(test::StartIn(d.Path("Docs/")));
        r.w->dirTree->SetPath(d.Path("Work"));
        QueueModalScript([&](QDialog& dlg) {
            auto& ren = static_cast<frmRename&>(dlg);
            ren.txtFileName->setText(QString::fromStdString(d.Path("New")));
            ren.cmdOk->click();
        });
        r.w->mnuFileFolderRename_Click();
        QVERIFY(d.Exists("New") && !d.Exists("Work"));
        QCOMPARE(Settings().CurrentDirectory, d.Path("New/"));
        r.w->dirTree->SetPath(d.Path("Other"));
        r.w->HistoryGoBack(2);
        QCOMPARE(Settings().CurrentDirectory, d.Path("Docs/"));
        QCOMPARE(r.Menu("btnNext"), (QStringList{QString::fromStdString(d.Path("New/")),
                                                 QString::fromStdString(d.Path("Other/"))}));
    }

    void newFolder() {
        test::TestDir d;
        d.Dir("here");
        Running r(test::StartIn(d.Path("here/")));
        QueueModalScript([](QDialog& dlg) {
            auto& mk = static_cast<frmMkDir&>(dlg);
            mk.txtNewDirName->setFocus();
            mk.txtNewDirName->setText("新規");
            QTest::keyClick(mk.txtNewDirName, Qt::Key_Return);  // to OK, nothing more
            QVERIFY(mk.isVisible());
            QCOMPARE(mk.focusWidget(), mk.cmdOk);
            QTest::keyClick(mk.cmdOk, Qt::Key_Return);
        });
        r.w->mnuFileFolderCreate_Click();
        QVERIFY(d.Exists("here/新規"));
        QVERIFY(MessageService::Shown().empty());
        // An empty name: the failure message, and the dialog closes.
        QueueModalScript([](QDialog& dlg) { static_cast<frmMkDir&>(dlg).cmdOk->click(); });
        r.w->mnuFileFolderCreate_Click();
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::Exclamation);
    }

    void inPlaceFileRename() {
        test::TestDir d;
        d.File("a.txt", "A");
        d.File("b.txt", "B");
        test::ScriptedFileOpUi ui;
        Running r(test::StartIn(d.Root()));
        QAbstractItemModel* m = r.w->lvwFileName->IconList()->model();
        int row = 0;
        while (m->index(row, 0).data().toString() != "a.txt") ++row;
        r.w->lvwFileName->IconList()->setCurrentIndex(m->index(row, 0));
        QVERIFY(!m->setData(m->index(row, 0), "b.txt", Qt::EditRole));  // taken: refused
        QCOMPARE(m->index(row, 0).data().toString(), QStringLiteral("a.txt"));
        QCOMPARE(d.Read("a.txt"), std::string("A"));
        QCOMPARE(d.Read("b.txt"), std::string("B"));
        QVERIFY(!m->setData(m->index(row, 0), "x/y", Qt::EditRole));  // not a name
        QVERIFY(m->setData(m->index(row, 0), "c.txt", Qt::EditRole));
        QCOMPARE(m->index(row, 0).data().toString(), QStringLiteral("c.txt"));
        QCOMPARE(d.Read("c.txt"), std::string("A"));
        QVERIFY(!d.Exists("a.txt"));
    }

    void dropFiles() {
        test::TestDir src;
        src.File("one", "1");
        src.File("two", "2");
        src.File("dir/three", "3");
        test::TestDir d;
        Running r(test::StartIn(d.Root()));
        QMimeData text;
        text.setText("just text");
        QVERIFY(!r.w->Commands().lvwFileName_OLEDragOver(&text));
        QMimeData web;
        web.setUrls({QUrl("https://example.invalid/x")});
        QVERIFY(!r.w->Commands().lvwFileName_OLEDragOver(&web));

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QString::fromStdString(src.Path("one"))),
                       QUrl::fromLocalFile(QString::fromStdString(src.Path("two"))),
                       QUrl::fromLocalFile(QString::fromStdString(src.Path("dir")))});
        QVERIFY(r.w->Commands().lvwFileName_OLEDragOver(&files));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        QWidget* viewport = r.w->lvwFileName->CurrentView()->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].text,
                 "ドロップしたファイルを " + d.Root() + " にコピーしますか？");
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::Question);
        QCOMPARE(d.Read("one"), std::string("1"));
        QCOMPARE(d.Read("two"), std::string("2"));
        QCOMPARE(d.Read("dir/three"), std::string("3"));
        QVERIFY(src.Exists("one"));                                      // copied, never moved
        QCOMPARE(r.w->lvwFileName->IconList()->model()->rowCount(), 2);  // refreshed once
    }

    void menuOrder() {
        test::TestDir d;
        Running r(test::StartIn(d.Root()));
        QStringList captions;
        for (QAction* a : r.w->mnuFile->actions()) captions << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(captions,
                 (QStringList{"新規フォルダ作成(&N)", "フォルダコピー(&P)", "フォルダ移動(&V)",
                              "フォルダ削除(&L)", "フォルダリネーム(&E)", "-", "終了(&X)"}));
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_folder_commands.moc"
