// SPDX-License-Identifier: GPL-3.0-or-later
// Crash recovery: the run, or its Undo, is killed after each step in turn (a child process
// that dies as a kill would), and what is left is put back exactly.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <cstdlib>

#include "platform/os/message_service.h"
#include "platform/os/test_seam.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tests/support/undo_run.h"
#include "tidy/execution.h"
#include "tidy/journal.h"
#include "tidy/journal_store.h"
#include "tidy/process_list.h"
#include "tidy/undo.h"
#include "util/paths.h"

using namespace corvelle;
using Tree = std::map<std::string, std::string>;

using test::Attributes;
using test::Build;
using test::Undo;
using test::UndoResult;

class TestUndoCrash : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        // Journals, and the Trash that holds junk files, on the trees' own file system.
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_.Root()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(state_.Root()));
    }
    void cleanup() {
        SetSeamHook(nullptr);
        MessageService::ResetScript();
    }

    // The run dies after each step in turn; recovery then gives back the original tree.
    void crashAtEveryStep_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("rules");
        QTest::newRow("raise with own name and a chain")
            << QStringList{"f:A/A/A/deep", "f:A/A/x", "f:A/A/.y", "f:F1/F2/F3/z", "f:keep"} << "";
        QTest::newRow("delete rows")
            << QStringList{"d:E1", "d:E2", "d:P/E3", "f:P/f", "f:keep"} << "";
        QTest::newRow("junk and nested folders")
            << QStringList{"d:N/a/b", "f:N/a/Thumbs.db", "f:N/a/b/.DS_Store", "f:N/desktop.ini",
                           "f:keep"}
            << "junk,nested";
        QTest::newRow("raise over junk")
            << QStringList{"f:R/S/x", "f:R/S/Thumbs.db", "f:R/Thumbs.db", "f:R/._gone", "f:keep"}
            << "junk";
    }
    void crashAtEveryStep() {
        QFETCH(QStringList, tree);
        QFETCH(QString, rules);
        const TidyRules searchRules = test::Rules(rules.toStdString());
        const QStringList& spec = tree;
        const int mode = spec.first().startsWith("d:") ? 1 : 0;
        // How many steps a whole run takes.
        int steps = 0;
        {
            test::TestDir t;
            Build(t, spec);
            ProcessList list;
            test::SearchInto(t.Root(), mode, list, true, searchRules);
            SetSeamHook([&](const char*, const std::string&) { ++steps; });
            test::ExecuteJournaled(list);
            SetSeamHook(nullptr);
        }
        QVERIFY(steps > 5);
        for (int k = 1; k <= steps; ++k) {
            test::TestDir t;
            Build(t, spec);
            const Tree original = t.Snapshot();
            const auto attrs = Attributes(t);
            ProcessList list;
            test::SearchInto(t.Root(), mode, list, true, searchRules);
            QVERIFY(list.Count() > 0);
            const pid_t child = fork();
            if (child == 0) {
                int n = 0;
                SetSeamHook([&](const char*, const std::string&) {
                    if (++n == k)
                        _exit(9);  // as a kill would: no clean-up, no journal end
                });
                test::ExecuteJournaled(list);
                _exit(0);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 9, qPrintable(QString::number(k)));
            std::vector<JournalListing> found;
            for (JournalListing& l : ListJournals())
                if (l.Interrupted() && l.journal.startPath == RemoveBackslash(t.Root()))
                    found.push_back(std::move(l));
            const Tree now = t.Snapshot();
            if (found.empty()) {
                // Died before the plan was durable: nothing may have changed.
                QVERIFY2(now == original, qPrintable(QString::number(k)));
                continue;
            }
            QCOMPARE(found.size(), size_t(1));
            const UndoResult u = Undo(found[0].path);
            QVERIFY2(u.failed == 0, qPrintable(QString::number(k) + " " + u.results.join(",")));
            const Tree back = t.Snapshot();
            QVERIFY2(back == original, qPrintable("after step " + QString::number(k)));
            QVERIFY(test::NoGeneratedNames(back));
            const auto nowAttrs = Attributes(t);
            for (const auto& [rel, a] : attrs)
                QVERIFY2(nowAttrs.at(rel) == a,
                         qPrintable(QString::number(k) + " " + QString::fromStdString(rel)));
        }
    }

    // The Undo dies after each of its steps in turn; Undo again then gives back the original
    // tree: names, contents, modes, owners and times.
    void undoKilledAtEveryStep_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("rules");
        QTest::newRow("junk and nested folders")
            << QStringList{"d:N/a/b", "f:N/a/Thumbs.db", "f:N/a/b/.DS_Store", "m:N/a=0750",
                           "f:keep"}
            << 1 << "junk,nested";
        QTest::newRow("raise over junk")
            << QStringList{"f:R/S/x", "f:R/S/Thumbs.db", "f:R/Thumbs.db", "f:keep"} << 0 << "junk";
        QTest::newRow("the start folder itself, after the folders in it")
            << QStringList{"d:N/a", "f:N/Thumbs.db", "d:M", "f:Thumbs.db"} << 1 << "junk,nested";
        QTest::newRow("own name") << QStringList{"f:A/A/A/deep", "f:A/A/x", "f:keep"} << 0 << "";
        QTest::newRow("chain") << QStringList{"f:F1/F2/F3/z", "d:F1/F2/F3/in", "f:keep"} << 0 << "";
        QTest::newRow("lone folder that is empty") << QStringList{"d:L1/L2", "f:keep"} << 0 << "";
        QTest::newRow("another user's 0750 folder")
            << QStringList{"f:S/U/a", "f:S/U/b", "o:S/U=1234", "m:S/U=0750", "f:keep"} << 0 << "";
        QTest::newRow("delete rows")
            << QStringList{"d:E1", "d:P/E2", "f:P/f", "o:E1=1234", "m:E1=0750", "f:keep"} << 1
            << "";
    }
    void undoKilledAtEveryStep() {
        QFETCH(QStringList, tree);
        QFETCH(int, mode);
        QFETCH(QString, rules);
        const TidyRules searchRules = test::Rules(rules.toStdString());
        if (geteuid() != 0)
            QSKIP("giving folders to another user needs root (CI runs as root)");
        // The tree's run, whole; its journal ("" when a row failed).
        auto run = [&](test::TestDir& t) {
            ProcessList list;
            test::SearchInto(t.Root(), mode, list, true, searchRules);
            int failed = -1;
            const std::string journal = test::ExecuteJournaled(list, &failed);
            return failed == 0 ? journal : std::string();
        };
        int steps = 0;
        {
            test::TestDir t;
            Build(t, tree);
            const std::string journal = run(t);
            QVERIFY(!journal.empty());
            SetSeamHook([&](const char*, const std::string&) { ++steps; });
            QCOMPARE(Undo(journal).failed, 0);
            SetSeamHook(nullptr);
        }
        QVERIFY(steps >= 4);
        for (int k = 1; k <= steps; ++k) {
            test::TestDir t;
            Build(t, tree);
            const Tree original = t.Snapshot();
            const auto attrs = Attributes(t);
            const std::string journal = run(t);
            QVERIFY(!journal.empty());
            const pid_t child = fork();
            if (child == 0) {
                int n = 0;
                SetSeamHook([&](const char*, const std::string&) {
                    if (++n == k)
                        _exit(9);  // as a kill would: nothing flushed, no clean-up
                });
                Undo(journal);
                _exit(0);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            const QString at = "killed at step " + QString::number(k);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 9, qPrintable(at));
            const UndoResult u = Undo(journal);
            QVERIFY2(u.failed == 0, qPrintable(at + ": " + QString::fromStdString(u.error)));
            QVERIFY2(t.Snapshot() == original, qPrintable(at));
            QVERIFY2(Attributes(t) == attrs, qPrintable(at));
            QVERIFY(test::NoGeneratedNames(t.Snapshot()));
            RunJournal j;
            QVERIFY(!LoadJournal(journal, j));
            QVERIFY2(j.undone, qPrintable(at));
        }
    }

    // corvelle-tidy killed with SIGKILL in the middle of a 20,000-entry raise.
    void killedToolRecovers() {
        test::TestDir t;
        // Half folders, half files: the receiving folder's link count shows the progress.
        for (int i = 0; i < 10000; ++i) {
            t.Dir("A/B/d" + std::to_string(i));
            t.File("A/B/f" + std::to_string(i), std::to_string(i));
        }
        t.File("keep");
        const Tree original = t.Snapshot();
        const pid_t child = fork();
        if (child == 0) {
            execl(CORVELLE_TIDY_BIN, "corvelle-tidy", "--execute", t.Root().c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        bool midway = false;
        for (int spins = 0; spins < 20000000; ++spins) {
            struct stat st;
            if (stat(t.Path("A").c_str(), &st) == 0 && st.st_nlink > 2 + 50) {
                kill(child, SIGKILL);
                midway = st.st_nlink < 2 + 10000;
                break;
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!midway)
            QSKIP("the run finished before it could be interrupted");
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(t.Snapshot() != original);
        std::string out, err;
        // A new run there is refused until the interrupted one is dealt with.
        QCOMPARE(test::RunTool({"--execute", t.Root()}, &out, &err), 2);
        QVERIFY(err.find("--undo") != std::string::npos);
        std::string journal;
        for (const JournalListing& l : ListJournals())
            if (l.Interrupted() && l.journal.startPath == RemoveBackslash(t.Root()))
                journal = l.path;
        QVERIFY(!journal.empty());
        QCOMPARE(test::RunTool({"--undo", journal}, &out, &err), 0);
        QCOMPARE(out, t.Path("A/B") + "," + t.Path("A/") + "," + kUndoSuccess + "\n");
        QCOMPARE(t.Snapshot(), original);
        QCOMPARE(test::RunTool({"--execute", "--mode", "empty", t.Root()}, &out, &err), 0);
    }

  private:
    test::TestDir state_;
};

QTEST_APPLESS_MAIN(TestUndoCrash)
#include "tst_undo_crash.moc"
