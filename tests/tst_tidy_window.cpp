// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "app/settings.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "tests/support/running_window.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tidy/execution.h"
#include "tidy/journal_store.h"
#include "tidy/process_list.h"
#include "tidy/undo.h"
#include "ui/frm_main.h"
#include "ui/keyed_status_bar.h"
#include "ui/tab_strip.h"
#include "ui/tidy_panel.h"

using namespace corvelle;

namespace {

using Running = test::RunningWindow;

}  // namespace

class TestTidyWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    void defaultsSelectUpperOptionAndTick() {
        Running r("");
        QVERIFY(r.w->optMode[0]->isChecked());
        QVERIFY(!r.w->optMode[1]->isChecked());
        QVERIFY(r.w->chkSubFolderMode->isChecked());
        QCOMPARE(r.w->lvwLog->model()->columnCount(), 0);  // no columns before a search
    }

    void optionsFollowClicksAndAreSaved() {
        Running r("ShoriMode= 0 \r\nSubFolderMode=True\r\n");
        // Both options lie inside the frame, below its caption, at their full height.
        for (QRadioButton* o : r.w->optMode) {
            QVERIFY(r.w->fraMode->contentsRect().contains(o->geometry()));
            QVERIFY(o->height() >= o->sizeHint().height());
        }
        QTest::mouseClick(r.w->optMode[1], Qt::LeftButton);
        QTest::mouseClick(r.w->chkSubFolderMode, Qt::LeftButton);
        QCOMPARE(Settings().ShoriMode, int16_t(1));
        QVERIFY(!Settings().SubFolderMode);
        r.w->mnuFileExit_Click();
        const std::string ini = r.prog.Read("RUZO.INI");
        QVERIFY(ini.find("SubFolderMode=False\r\n") != std::string::npos);
        QVERIFY(ini.find("ShoriMode= 1 \r\n") != std::string::npos);
    }

    void storedModeOutOfRange() {
        MessageService::QueueAnswer(MsgAnswer::Ignore);
        Running r("ShoriMode= 5 \r\n");
        QVERIFY(r.loaded);
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].buttons, MsgButtons::AbortRetryIgnore);
        QVERIFY(!r.w->optMode[0]->isChecked() && !r.w->optMode[1]->isChecked());
        r.w->mnuFileExit_Click();
        QVERIFY(r.prog.Read("RUZO.INI").find("ShoriMode= 5 \r\n") != std::string::npos);
    }

    void searchFromTheWindow() {
        test::TestDir data;
        data.Dir("b");
        data.Dir("a");
        data.Dir("c/d");
        data.File("c/d/x");
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 1 \r\n");
        frmMain& w = *r.w;
        QVERIFY(w.picDisplay[0]->isVisible());
        MessageService::QueueAnswer(MsgAnswer::Ok);
        QTest::mouseClick(w.cmdSearchStart, Qt::LeftButton);
        QCOMPARE(MessageService::Shown().back().text, std::string("検索完了!"));
        QCOMPARE(r.LogColumn(0), (QStringList{QString::fromStdString(data.Path("b/")),
                                              QString::fromStdString(data.Path("a/"))}));
        QCOMPARE(r.LogColumn(1),
                 (QStringList{QString::fromUtf8(kDeleteMarker), QString::fromUtf8(kDeleteMarker)}));
        QCOMPARE(w.lvwLog->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("処理結果"));
        QCOMPARE(w.tabDisplay->SelectedPosition(), 2);
        QVERIFY(w.picDisplay[1]->isVisible() && !w.picDisplay[0]->isVisible());
        QVERIFY(w.cmdSearchStart->isEnabled());
        QVERIFY(!w.cmdSearchStop->isEnabled());
        QVERIFY(w.cmdReplace->isEnabled());
        QVERIFY(!w.cmdUndo->isEnabled());
        QVERIFY(w.stbMain->Text("pbgeneral").isEmpty());
        QVERIFY(w.stbMain->Text("pbFileName").isEmpty());
        QCOMPARE(w.dirTree->Path(), data.Root());
        // Columns fit their widest cell where the list has room for them all.
        w.resize(3000, w.height());
        QCoreApplication::processEvents();
        w.Tidy().LogColumnAutoSize();
        const QFontMetrics fm(w.lvwLog->font());
        QVERIFY(w.lvwLog->header()->sectionSize(0) >=
                fm.horizontalAdvance(QString::fromStdString(data.Path("b/"))));
        QVERIFY(w.lvwLog->header()->sectionSize(1) >=
                fm.horizontalAdvance(QString::fromUtf8(kDeleteMarker)));
        // Where it has not, the path columns give way and "処理結果" stays in view.
        w.resize(500, w.height());
        QCoreApplication::processEvents();
        w.Tidy().LogColumnAutoSize();
        QHeaderView* h = w.lvwLog->header();
        QVERIFY(h->sectionSize(2) >= fm.horizontalAdvance(QStringLiteral("処理結果")));
        QVERIFY2(h->sectionPosition(2) + h->sectionSize(2) <= w.lvwLog->viewport()->width(),
                 qPrintable(QString::number(h->sectionPosition(2))));

        // Header clicks flip the order each time.
        QHeaderView* header = w.lvwLog->header();
        const QPoint first(header->sectionViewportPosition(0) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, first);
        const QStringList once = r.LogColumn(0);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, first);
        const QStringList twice = r.LogColumn(0);
        QCOMPARE(once, (QStringList{QString::fromStdString(data.Path("b/")),
                                    QString::fromStdString(data.Path("a/"))}));
        QCOMPARE(twice, (QStringList{QString::fromStdString(data.Path("a/")),
                                     QString::fromStdString(data.Path("b/"))}));

        // Ticking a row marks it excluded.
        QAbstractItemModel* m = w.lvwLog->model();
        QVERIFY(m->setData(m->index(0, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(w.Tidy().List().Row(0).checked);
    }

    void stopButtonDuringSearch() {
        test::TestDir data;
        for (int i = 0; i < 50; ++i) data.Dir("d" + std::to_string(i));
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 1 \r\n");
        frmMain& w = *r.w;
        // The stop button is pressed from the event queue while the walk yields.
        int yields = 0;
        auto& ui = w.Tidy().Search().ui;
        auto yield = ui.yield;
        ui.yield = [&] {
            if (++yields == 10) {
                QVERIFY(w.cmdSearchStop->isEnabled());
                QVERIFY(!w.cmdSearchStart->isEnabled());
                QTest::mouseClick(w.cmdSearchStop, Qt::LeftButton);
            }
            yield();
        };
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.cmdSearchStart_Click();
        const int rows = w.lvwLog->model()->rowCount();
        QVERIFY(rows > 0 && rows < 50);
        QCOMPARE(MessageService::Shown().back().text, std::string("検索完了!"));
        QVERIFY(w.cmdSearchStart->isEnabled() && !w.cmdSearchStop->isEnabled());
        QVERIFY(w.stbMain->Text("pbgeneral").isEmpty());
    }

    // Whenever the window can repaint during a search, and when "検索完了!" appears, the
    // status panel names the folder the walk is at, not one from several folders back.
    void statusShowsTheFolderBeingExamined() {
        test::TestDir data;
        for (int i = 0; i < 40; ++i) data.Dir("d" + std::to_string(i) + "/e");
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 1 \r\n");
        frmMain& w = *r.w;
        auto& ui = w.Tidy().Search().ui;
        std::string latest;
        auto status = ui.status;
        ui.status = [&](const char* panel, const std::string& text) {
            if (std::string(panel) == "pbgeneral")
                latest = text;
            status(panel, text);
        };
        int checked = 0, stale = 0;
        auto yield = ui.yield;
        ui.yield = [&] {
            // Runs when the window next handles its events (and repaints).
            QTimer::singleShot(0, &w, [&] {
                ++checked;
                stale += w.stbMain->Text("pbgeneral") != QString::fromStdString(latest);
            });
            QThread::msleep(5);  // so that every yield lets the window run
            yield();
        };
        auto walkEnded = ui.walkEnded;
        QString atTheEnd;
        ui.walkEnded = [&] {
            walkEnded();
            atTheEnd = w.stbMain->Text("pbgeneral");
        };
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.cmdSearchStart_Click();
        QCOMPARE(MessageService::Shown().back().text, std::string("検索完了!"));
        QVERIFY(checked > 20);
        QCOMPARE(stale, 0);
        QCOMPARE(atTheEnd, QString::fromStdString(data.Root() + "を検索中"));
    }

    // However many folders the walk meets, the window runs its events often enough that a
    // press of 検索中断 is answered, and the search over, within 100 ms. The walk's time is
    // stepped through the yield: each folder takes the given milliseconds.
    void stopIsAnsweredWithin100Ms_data() {
        QTest::addColumn<int>("msPerFolder");
        QTest::newRow("fast folders") << 1;
        QTest::newRow("slow folders") << 15;
    }
    void stopIsAnsweredWithin100Ms() {
        QFETCH(int, msPerFolder);
        test::TestDir data;
        for (int i = 0; i < 60; ++i) data.Dir("d" + std::to_string(i) + "/e");
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 1 \r\n");
        frmMain& w = *r.w;
        long long now = 0;
        w.Tidy().SetClock([&] { return now; });
        auto& ui = w.Tidy().Search().ui;
        long long pressed = -1, answered = -1, ended = -1;
        int yields = 0;
        auto yield = ui.yield;
        ui.yield = [&] {
            now += msPerFolder;
            if (++yields == 40) {
                pressed = now;
                QTimer::singleShot(0, &w, [&] {
                    answered = now;
                    w.findChild<QPushButton*>(QStringLiteral("cmdSearchStop"))->click();
                });
            }
            yield();
        };
        auto walkEnded = ui.walkEnded;
        ui.walkEnded = [&] {
            ended = now;
            walkEnded();
        };
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.cmdSearchStart_Click();
        QVERIFY(answered >= 0);
        QVERIFY2(answered - pressed <= 100, qPrintable(QString::number(answered - pressed)));
        QVERIFY2(ended - pressed <= 100, qPrintable(QString::number(ended - pressed)));
        QVERIFY(w.Tidy().List().Count() < 60);  // the stop was heeded
    }

    void searchTickExecuteAndSaveLog() {
        test::TestDir data;
        data.File("A/B/x", "x");
        data.File("C/D/y", "y");
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 0 \r\n");
        frmMain& w = *r.w;
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.cmdSearchStart_Click();
        // Rows: C/D first (walked last to first), then A/B. Tick A/B.
        QCOMPARE(r.LogColumn(0), (QStringList{QString::fromStdString(data.Path("C/D")),
                                              QString::fromStdString(data.Path("A/B"))}));
        QAbstractItemModel* m = w.lvwLog->model();
        QVERIFY(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
        MessageService::QueueAnswer(MsgAnswer::Ok);
        QTest::mouseClick(w.cmdReplace, Qt::LeftButton);
        QCOMPARE(MessageService::Shown().back().text, std::string("処理完了!"));
        QCOMPARE(MessageService::Shown().back().icon, MsgIcon::Information);
        QCOMPARE(data.Read("C/y"), std::string("y"));
        QVERIFY(!data.Exists("C/D"));
        QCOMPARE(data.Read("A/B/x"), std::string("x"));  // ticked: untouched
        QCOMPARE(r.LogColumn(2), (QStringList{QString::fromUtf8(kResultSuccess), QString()}));
        QVERIFY(!w.cmdReplace->isEnabled());
        QVERIFY(w.cmdUndo->isEnabled() && w.cmdUndo->isVisible());
        QVERIFY(w.stbMain->Text("pbFileName").isEmpty());
        QTest::mouseClick(w.cmdLogSave, Qt::LeftButton);
        QCOMPARE(r.prog.Read("RUZO.LOG"),
                 test::FileText(data.Path("C/D") + "," + data.Path("C/") + "," + kResultSuccess +
                                "\r\n" + data.Path("A/B") + "," + data.Path("A/") + ",\r\n"));

        // Undo puts the run back: the result column says so and the button goes grey.
        w.resize(3000, w.height());
        QCoreApplication::processEvents();
        MessageService::QueueAnswer(MsgAnswer::Ok);
        QTest::mouseClick(w.cmdUndo, Qt::LeftButton);
        QCOMPARE(MessageService::Shown().back().text, std::string("Undo完了!"));
        QCOMPARE(MessageService::Shown().back().icon, MsgIcon::Information);
        QCOMPARE(r.LogColumn(2), (QStringList{QString::fromUtf8(kUndoSuccess), QString()}));
        // Undo's results leave every column fitted, where the list has room.
        {
            const QFontMetrics fm(w.lvwLog->font());
            QHeaderView* h = w.lvwLog->header();
            QVERIFY(h->sectionPosition(2) + h->sectionSize(2) <= w.lvwLog->viewport()->width());
            for (int c = 0; c < 3; ++c)
                for (const QString& text : r.LogColumn(c))
                    QVERIFY2(h->sectionSize(c) > fm.horizontalAdvance(text),
                             qPrintable(QString("%1: %2 < %3")
                                            .arg(text)
                                            .arg(h->sectionSize(c))
                                            .arg(fm.horizontalAdvance(text))));
            // Narrower, by half the after column: that column gives way, the folders stay whole.
            const int fitted0 = h->sectionSize(0), fitted1 = h->sectionSize(1);
            const int target = fitted0 + fitted1 / 2 + h->sectionSize(2);
            w.resize(w.width() - (w.lvwLog->viewport()->width() - target), w.height());
            QCoreApplication::processEvents();
            QCOMPARE(w.lvwLog->viewport()->width(), target);
            w.Tidy().LogColumnAutoSize();
            QCOMPARE(h->sectionSize(0), fitted0);
            QVERIFY(h->sectionSize(1) < fitted1);
            QVERIFY(h->sectionPosition(2) + h->sectionSize(2) <= target);
        }
        QCOMPARE(data.Read("C/D/y"), std::string("y"));
        QVERIFY(!data.Exists("C/y"));
        QVERIFY(!w.cmdUndo->isEnabled());
        QVERIFY(w.stbMain->Text("pbFileName").isEmpty());
        // A new search disables it again after another run.
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.cmdSearchStart_Click();
        QVERIFY(!w.cmdUndo->isEnabled());
        QVERIFY(w.cmdReplace->isEnabled());
    }

    // While a search runs the half-built plan can be neither carried out nor saved, and under
    // "検索完了!" the list already shows every row.
    void searchStateUnderTheBox() {
        test::TestDir data;
        for (const char* d : {"a", "b", "c", "d"}) data.Dir(d);
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 1 \r\n");
        frmMain& w = *r.w;
        w.cmdReplace->setEnabled(true);  // as an earlier search leaves it
        bool replace = true, save = true;
        int shownRows = -1;
        MessageService::SetBackend([&](const MessageRequest&) {
            replace = w.cmdReplace->isEnabled();
            save = w.cmdLogSave->isEnabled();
            shownRows = w.lvwLog->model()->rowCount();
            return MsgAnswer::Ok;
        });
        w.cmdSearchStart_Click();
        MessageService::SetBackend(nullptr);
        QVERIFY(!replace && !save);
        QCOMPARE(shownRows, 4);
        QVERIFY(w.cmdReplace->isEnabled() && w.cmdLogSave->isEnabled());
    }

    // The start folder vanished and the user ignores it: nothing is walked, the search ends.
    void vanishedStartIgnoredEndsTheSearch() {
        test::TestDir data;
        Running r("CurrentDirectory=" + data.Root() + "\r\n");
        Settings().CurrentDirectory = data.Path("gone/");
        MessageService::ResetScript();
        MessageService::QueueAnswer(MsgAnswer::Ignore);
        MessageService::QueueAnswer(MsgAnswer::Ok);
        r.w->cmdSearchStart_Click();
        QVERIFY(MessageService::Shown().size() >= 2);
        QCOMPARE(MessageService::Shown()[0].buttons, MsgButtons::AbortRetryIgnore);
        QCOMPARE(MessageService::Shown()[1].text, std::string("検索完了!"));
        QCOMPARE(r.w->lvwLog->model()->rowCount(), 0);  // "/" was not walked instead
    }

    // An Undo that cannot put everything back says how many rows, as a warning, and the run
    // is then not taken for an interrupted one at the next start.
    void undoWithFailuresSaysSo() {
        test::TestDir state;
        test::JournalHome journals(state.Root());
        test::TestDir data;
        data.File("A/B/x", "x");
        data.File("C/D/y", "y");
        data.File("keep");
        Running r("CurrentDirectory=" + data.Root() + "\r\nShoriMode= 0 \r\n");
        frmMain& w = *r.w;
        MessageService::QueueAnswer(MsgAnswer::Ok);
        w.cmdSearchStart_Click();
        MessageService::QueueAnswer(MsgAnswer::Ok);
        QTest::mouseClick(w.cmdReplace, Qt::LeftButton);
        data.File("A/B", "a file now stands where the folder must come back");
        MessageService::ResetScript();
        QTest::mouseClick(w.cmdUndo, Qt::LeftButton);
        const auto& shown = MessageService::Shown();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].icon, MsgIcon::Exclamation);
        QVERIFY(shown[0].text.rfind("元に戻せなかった行があります(1 行):", 0) == 0);
        QVERIFY(shown[0].text.find(data.Path("A/B")) != std::string::npos);
        QCOMPARE(r.LogColumn(2),
                 (QStringList{QString::fromUtf8(kUndoSuccess), QString::fromUtf8(kUndoFailure)}));
        MessageService::ResetScript();
        w.Tidy().RecoverInterruptedRuns();
        QVERIFY(MessageService::Shown().empty());
        // The button stays for another try; once the place is free, the rest comes back.
        QVERIFY(w.cmdUndo->isEnabled());
        QVERIFY(std::remove(data.Path("A/B").c_str()) == 0);
        QTest::mouseClick(w.cmdUndo, Qt::LeftButton);
        QCOMPARE(MessageService::Shown().back().text, std::string("Undo完了!"));
        QCOMPARE(data.Read("A/B/x"), std::string("x"));
        QVERIFY(!w.cmdUndo->isEnabled());
    }

    void interruptedRunOfferedAtStart_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("forget");  // the answer to "keep the tree as it is?"
        QTest::newRow("OK puts it back") << true << false;
        QTest::newRow("Cancel, not kept: asked again") << false << false;
        QTest::newRow("Cancel, kept as it is: never asked again") << false << true;
    }
    void interruptedRunOfferedAtStart() {
        test::TestDir state;
        test::JournalHome journals(state.Root());
        test::TestDir data;
        data.File("A/B/x", "x");
        data.File("keep");
        // A run that died after its row: the journal has no end.
        {
            ProcessList list;
            test::SearchInto(data.Root(), 0, list);
            int failed = -1;
            const std::string journal = test::ExecuteJournaled(list, &failed);
            QCOMPARE(failed, 0);
            std::string text = test::ReadFileBytes(journal);
            text.resize(text.rfind("end\n"));
            test::WriteFileBytes(journal, text);
        }
        QVERIFY(data.Exists("A/x"));
        QFETCH(bool, ok);
        QFETCH(bool, forget);
        {
            Running r("");
            MessageService::ResetScript();
            MessageService::QueueAnswer(ok ? MsgAnswer::Ok : MsgAnswer::Cancel);
            MessageService::QueueAnswer(ok || forget ? MsgAnswer::Ok : MsgAnswer::Cancel);
            r.w->Tidy().RecoverInterruptedRuns();
            const auto& shown = MessageService::Shown();
            QCOMPARE(shown.size(), size_t(2));
            QCOMPARE(shown[0].buttons, MsgButtons::OkCancel);
            QVERIFY(shown[0].text.rfind("前回の処理が中断されました。", 0) == 0);
            // What the run did, not what it planned, and a date a person reads.
            QVERIFY2(
                QString::fromStdString(shown[0].text)
                    .contains(QRegularExpression(
                        "\\(\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d に開始、1 行中 1 行を処理済み\\)$")),
                shown[0].text.c_str());
            if (ok) {
                QCOMPARE(shown[1].text, std::string("Undo完了!"));
            } else {
                QCOMPARE(shown[1].buttons, MsgButtons::OkCancel);
                QVERIFY(shown[1].text.rfind("元に戻さず、今の状態のままにしますか？", 0) == 0);
            }
            QCOMPARE(data.Exists("A/B/x"), ok);
            QCOMPARE(data.Exists("A/x"), !ok);
            // Asked again next time only when it was neither put back nor kept.
            MessageService::ResetScript();
            MessageService::QueueAnswer(MsgAnswer::Cancel);
            MessageService::QueueAnswer(MsgAnswer::Cancel);
            r.w->Tidy().RecoverInterruptedRuns();
            QCOMPARE(MessageService::Shown().size(), size_t(ok || forget ? 0 : 2));
            QCOMPARE(ListJournals().size(), size_t(forget ? 0 : 1));
        }
    }
};

QTEST_MAIN(TestTidyWindow)
#include "tst_tidy_window.moc"
