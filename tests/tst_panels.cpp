// SPDX-License-Identifier: GPL-3.0-or-later
// Each panel on its own, with nothing but its controls: what it asks of the rest of the
// window is seen in its signals.
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

#include "app/settings.h"
#include "browser/browser_panel.h"
#include "browser/file_list.h"
#include "browser/file_list_model.h"
#include "browser/file_list_view.h"
#include "browser/folder_commands.h"
#include "browser/frm_mk_dir.h"
#include "browser/navigation_panel.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/modal_service.h"
#include "tests/support/test_dir.h"
#include "tidy/process_list.h"
#include "tidy/undo.h"
#include "ui/tidy_panel.h"

using namespace corvelle;

namespace {

// The values of one argument over every emission.
template <typename T>
QList<T> Arguments(const QSignalSpy& spy, int argument = 0) {
    QList<T> out;
    for (const QList<QVariant>& call : spy) out << call.at(argument).value<T>();
    return out;
}

struct TidyHost {
    QWidget owner;
    TidyControls c;
    TidyHost() {
        for (auto& o : c.optMode) o = new QRadioButton(&owner);
        c.chkSubFolderMode = new QCheckBox(&owner);
        for (QPushButton** b :
             {&c.cmdSearchStart, &c.cmdSearchStop, &c.cmdReplace, &c.cmdLogSave, &c.cmdUndo})
            *b = new QPushButton(&owner);
        c.lvwLog = new QTreeView(&owner);
    }
};

}  // namespace

class TestPanels : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() {
        MessageService::ResetScript();
        Settings() = SettingsRecord{};
    }

    // The list may be sorted between the run and its Undo: each row still gets its own result.
    // A row that removes junk files first names them where the user looks at the row.
    void junkRowNamesItsJunk() {
        test::TestDir d;
        d.File("J/Thumbs.db", "t");
        d.File("J/desktop.ini", "d");
        d.Dir("E");
        d.File("keep", "k");
        Settings().CurrentDirectory = d.Root();
        Settings().ShoriMode = 1;
        const TidyRules saved = Settings().Rules;
        Settings().Rules.junk = true;
        TidyHost host;
        TidyPanel panel(host.c, &host.owner);
        MessageService::QueueAnswer(MsgAnswer::Ok);
        host.c.cmdSearchStart->click();
        Settings().Rules = saved;
        QCOMPARE(panel.List().Count(), 2);
        QAbstractItemModel* m = host.c.lvwLog->model();
        for (int r = 0; r < 2; ++r) {
            const QString tip = m->index(r, 0).data(Qt::ToolTipRole).toString();
            if (panel.List().Row(r).before == d.Path("J/")) {
                QVERIFY2(tip.startsWith(QStringLiteral("不要ファイルも削除します: ")),
                         qPrintable(tip));
                QVERIFY(tip.contains("Thumbs.db") && tip.contains("desktop.ini"));
            } else {
                QVERIFY(tip.isEmpty());
            }
        }
    }

    void tidySearchExecuteUndo_data() {
        QTest::addColumn<bool>("sortedBeforeUndo");
        QTest::newRow("in the run's order") << false;
        QTest::newRow("sorted after the run") << true;
    }
    void tidySearchExecuteUndo() {
        QFETCH(bool, sortedBeforeUndo);
        test::TestDir d;
        d.Dir("empty1");
        d.Dir("empty2");
        d.Dir("late");
        d.File("keep", "k");
        Settings().CurrentDirectory = d.Root();
        Settings().ShoriMode = 1;
        TidyHost host;
        TidyPanel panel(host.c, &host.owner);
        QSignalSpy tab(&panel, &TidyPanel::TabRequested);
        QSignalSpy selected(&panel, &TidyPanel::FolderSelected);
        QSignalSpy busy(&panel, &TidyPanel::BusyChanged);
        QSignalSpy status(&panel, &TidyPanel::StatusTextChanged);
        QSignalSpy redisplay(&panel, &TidyPanel::TreeRedisplayRequested);

        MessageService::QueueAnswer(MsgAnswer::Ok);
        host.c.cmdSearchStart->click();
        QCOMPARE(panel.List().Count(), 3);
        int late = 0;
        while (panel.List().Row(late).before != d.Path("late/")) ++late;
        QCOMPARE(Arguments<int>(tab), QList<int>{2});
        // The tree is pointed back at the start folder at the end of the walk.
        QVERIFY(!selected.isEmpty());
        QCOMPARE(selected.last().at(0).value<std::string>(), d.Root());
        QVERIFY(!busy.isEmpty());
        QCOMPARE(busy.first().at(0).toBool(), true);
        QCOMPARE(busy.last().at(0).toBool(), false);
        // Whatever the walk showed is cleared again at its end.
        QVERIFY(!status.isEmpty());
        QVERIFY(status.last().at(1).toString().isEmpty());
        QCOMPARE(redisplay.count(), 0);
        QVERIFY(host.c.cmdReplace->isEnabled());

        busy.clear();
        d.File("late/arrived", "a");  // after the search: that folder is no longer empty
        MessageService::QueueAnswer(MsgAnswer::Ok);
        host.c.cmdReplace->click();
        QVERIFY(!d.Exists("empty1") && !d.Exists("empty2") && d.Exists("keep"));
        QCOMPARE(d.Read("late/arrived"), std::string("a"));
        // The failed row says why where it says that it failed; the others say nothing.
        QAbstractItemModel* m = host.c.lvwLog->model();
        for (int r = 0; r < 3; ++r) {
            const QString tip = m->index(r, 2).data(Qt::ToolTipRole).toString();
            if (r != late) {
                QVERIFY(tip.isEmpty());
                continue;
            }
            QCOMPARE(m->index(r, 2).data().toString(), QString::fromUtf8(kResultFailure));
            QVERIFY2(
                tip.startsWith(QString::fromStdString(d.Path("late") + ": 削除できませんでした: ")),
                qPrintable(tip));
            QCOMPARE(panel.List().Row(r).failure.sysErrno, ENOTEMPTY);
        }
        QCOMPARE(redisplay.count(), 1);
        QCOMPARE(Arguments<bool>(busy), (QList<bool>{true, false}));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("pbFileName"));
        QVERIFY(status.last().at(1).toString().isEmpty());
        QVERIFY(host.c.cmdUndo->isEnabled());

        if (sortedBeforeUndo) {
            panel.lvwLog_ColumnClick(0);  // descending: "late" first
            QCOMPARE(panel.List().Row(0).before, d.Path("late/"));
        }
        MessageService::QueueAnswer(MsgAnswer::Ok);
        host.c.cmdUndo->click();
        QVERIFY(d.Exists("empty1") && d.Exists("empty2"));
        QCOMPARE(redisplay.count(), 2);
        for (int r = 0; r < 3; ++r) {
            const ProcessRow row = panel.List().Row(r);
            QCOMPARE(
                QString::fromStdString(row.result),
                QString::fromUtf8(row.before == d.Path("late/") ? kResultFailure : kUndoSuccess));
        }
    }

    void navigationTellsTheWindow() {
        test::TestDir d;
        d.Dir("A");
        d.Dir("B");
        Settings().CurrentDirectory = d.Path("A/");
        QWidget owner;
        auto* tree = new DirTree(&owner);
        tree->SetPath(d.Path("A"));
        NavigationPanel nav(tree, &owner);
        QSignalSpy changed(&nav, &NavigationPanel::FolderChanged);
        QSignalSpy enabled(&nav, &NavigationPanel::HistoryButtonEnabled);
        QSignalSpy menu(&nav, &NavigationPanel::HistoryMenuChanged);
        QSignalSpy tab(&nav, &NavigationPanel::TabRequested);

        tree->SetPath(d.Path("B"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(Settings().CurrentDirectory, d.Path("B/"));
        // The back drop-down now lists the folder left; the forward one is empty.
        QStringList back{"unset"}, forward{"unset"};
        for (const QList<QVariant>& call : menu)
            (call.at(0).toBool() ? back : forward) = call.at(1).toStringList();
        QCOMPARE(back, QStringList{QString::fromStdString(d.Path("A/"))});
        QCOMPARE(forward, QStringList{});
        QVERIFY(enabled.contains(QList<QVariant>{true, true}));

        enabled.clear();
        nav.History().HistoryGoBack(1);
        QCOMPARE(Settings().CurrentDirectory, d.Path("A/"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(Arguments<int>(tab), QList<int>{1});
        QVERIFY(enabled.contains(QList<QVariant>{false, true}));  // forward now possible
        QVERIFY(enabled.contains(QList<QVariant>{true, false}));  // nothing left behind

        emit tree->TreeActivated();
        QCOMPARE(Arguments<int>(tab), (QList<int>{1, 1}));
    }

    void browserViewModes_data() {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("shown");
        for (int mode = 0; mode < 4; ++mode) QTest::addRow("mode %d", mode) << mode << mode;
        QTest::newRow("out of range falls back to the list") << 7 << 2;
        QTest::newRow("negative falls back to the list") << -1 << 2;
    }
    void browserViewModes() {
        QFETCH(int, asked);
        QFETCH(int, shown);
        QWidget owner;
        auto* view = new FileListView(&owner);
        BrowserPanel panel(view, &owner);
        QSignalSpy applied(&panel, &BrowserPanel::ViewModeApplied);
        panel.mnuViewListviewMode_Click(asked);
        QCOMPARE(Arguments<int>(applied), QList<int>{shown});
        QCOMPARE(view->View(), shown);
        QCOMPARE(int(Settings().ListViewMode), shown);
    }

    void browserLoadAndRename() {
        test::TestDir d;
        d.File("a.txt", "12345");
        d.File("b.txt", "1");
        QWidget owner;
        auto* view = new FileListView(&owner);
        BrowserPanel panel(view, &owner);
        QSignalSpy status(&panel, &BrowserPanel::StatusTextChanged);
        QSignalSpy busy(&panel, &BrowserPanel::BusyChanged);
        panel.FileNameLoad(d.Root(), true, false);
        QCOMPARE(status.count(), 1);
        QCOMPARE(status[0][0].toString(), QStringLiteral("files"));
        QCOMPARE(status[0][1].toString().toStdString(), FilesStatusText(2, 6));
        QCOMPARE(Arguments<bool>(busy), (QList<bool>{true, false}));

        // The edited row's own name goes with the new one; a cancel keeps the label.
        std::string oldName, newName;
        bool refuse = true;
        connect(&panel, &BrowserPanel::FileLabelEdited, this,
                [&](bool* cancel, const std::string& from, const std::string& to) {
                    oldName = from;
                    newName = to;
                    *cancel = refuse;
                });
        QAbstractItemModel* m = panel.Model();
        const int row = panel.List().Row(0).name == "b.txt" ? 0 : 1;
        QVERIFY(!m->setData(m->index(row, 0), QStringLiteral("c.txt"), Qt::EditRole));
        QCOMPARE(oldName, std::string("b.txt"));
        QCOMPARE(newName, std::string("c.txt"));
        refuse = false;
        QVERIFY(m->setData(m->index(row, 0), QStringLiteral("d.txt"), Qt::EditRole));
        QCOMPARE(newName, std::string("d.txt"));
    }

    void commandsTellTheWindow() {
        test::TestDir d;
        test::TestDir src;
        src.File("one", "1");
        Settings().CurrentDirectory = d.Root();
        QWidget owner;
        auto* tree = new DirTree(&owner);
        FolderCommands commands(tree, &owner);
        QSignalSpy redisplay(&commands, &FolderCommands::TreeRedisplayRequested);
        QSignalSpy listChanged(&commands, &FolderCommands::FileListChanged);
        QSignalSpy busy(&commands, &FolderCommands::BusyChanged);

        QueueModalScript([](QDialog& dlg) {
            auto& mk = static_cast<frmMkDir&>(dlg);
            mk.txtNewDirName->setText(QStringLiteral("made"));
            mk.cmdOk->click();
        });
        commands.mnuFileFolderCreate_Click();
        QVERIFY(d.Exists("made"));
        QCOMPARE(redisplay.count(), 1);

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QString::fromStdString(src.Path("one")))});
        MessageService::QueueAnswer(MsgAnswer::Ok);
        commands.lvwFileName_OLEDragDrop(&files);
        QCOMPARE(d.Read("one"), std::string("1"));
        QCOMPARE(listChanged.count(), 1);

        // A refused drop copies nothing and reloads nothing.
        src.File("two", "2");
        files.setUrls({QUrl::fromLocalFile(QString::fromStdString(src.Path("two")))});
        MessageService::QueueAnswer(MsgAnswer::Cancel);
        commands.lvwFileName_OLEDragDrop(&files);
        QVERIFY(!d.Exists("two"));
        QCOMPARE(listChanged.count(), 1);

        test::TestDir home;
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        // Wine's recycle bin is off for a Windows path there: the shell's keeps its own.
        if (test::TrashIsFreedesktop())
            qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.Path("data")));
        Settings().CurrentDirectory = d.Path("made/");
        MessageService::QueueAnswer(MsgAnswer::Ok);
        commands.mnuFileFolderDelete_Click();
        if (saved.isEmpty() && test::TrashIsFreedesktop())
            qunsetenv("XDG_DATA_HOME");
        else if (test::TrashIsFreedesktop())
            qputenv("XDG_DATA_HOME", saved);
        QVERIFY(!d.Exists("made"));
        if (test::TrashIsFreedesktop())
            QVERIFY(home.Exists("data/Trash/files/made"));
        QCOMPARE(redisplay.count(), 2);
        QCOMPARE(Arguments<bool>(busy), (QList<bool>{true, false}));
    }
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
