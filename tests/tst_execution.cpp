// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>
#include <cerrno>

#include "app/settings.h"
#include "platform/os/codec.h"
#include "platform/os/enumeration.h"
#include "platform/os/message_service.h"
#include "platform/os/test_seam.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/process_log.h"
#include "tidy/row_access.h"
#include "tidy/search.h"
#include "tidy/tidy_tool.h"
#include "tidy/undo.h"

using namespace corvelle;

namespace {

const std::string kBad = "n\xff\xfe";

// Searches like the window does and returns the list.
void Search(const test::TestDir& t, int mode, ProcessList& list) {
    MessageService::ResetScript();
    test::SearchInto(t.Root(), mode, list);
}

QStringList Results(const ProcessList& list) {
    QStringList out;
    for (const ProcessRow& r : list.Rows()) out << QString::fromStdString(r.result);
    return out;
}

void Build(test::TestDir& t, const QStringList& tree) {
    for (const QString& e : tree) {
        const std::string rel = e.mid(2).toStdString();
        if (e.startsWith("d:"))
            t.Dir(rel);
        if (e.startsWith("f:"))
            t.File(rel, "content of " + rel);
    }
}

int Tool(const std::vector<std::string>& args, std::string* out = nullptr,
         std::string* err = nullptr) {
    return test::RunTool(args, out, err);
}

const QString S = QString::fromUtf8(kResultSuccess);
const QString F = QString::fromUtf8(kResultFailure);

}  // namespace

class TestExecution : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() { SetSystemCodePage(CodePage::Utf8); }

    void rows_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("change");  // applied between search and execution
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QStringList>("after");  // the tree afterwards ("d:" "f:")
        QTest::newRow("raise") << QStringList{"d:A/B", "f:A/B/x", "f:A/B/.dot", "d:A/B/sub",
                                              "f:keep"}
                               << 0 << "" << QStringList{S}
                               << QStringList{"d:A", "f:A/x", "f:A/.dot", "d:A/sub", "f:keep"};
        QTest::newRow("delete") << QStringList{"d:E", "d:F", "f:keep"} << 1 << ""
                                << QStringList{S, S} << QStringList{"f:keep"};
        QTest::newRow("chain in search order")
            << QStringList{"d:F1/F2/F3", "f:F1/F2/F3/x", "f:keep"} << 0 << "" << QStringList{S, S}
            << QStringList{"d:F1", "f:F1/x", "f:keep"};
        QTest::newRow("chain re-sorted")
            << QStringList{"d:F1/F2/F3", "f:F1/F2/F3/x", "f:keep"} << 0 << "sort"
            << QStringList{S, F} << QStringList{"d:F1", "d:F1/F3", "f:F1/F3/x", "f:keep"};
        QTest::newRow("all ticked") << QStringList{"d:E", "d:A/B", "f:A/B/x", "f:keep"} << 1
                                    << "tick" << QStringList{""} << QStringList{};
        QTest::newRow("delete row whose folder vanished")
            << QStringList{"d:E", "f:keep"} << 1 << "rm:E" << QStringList{F}
            << QStringList{"f:keep"};
        QTest::newRow("delete row that gained a file")
            << QStringList{"d:E", "f:keep"} << 1 << "add:E/late" << QStringList{F}
            << QStringList{"d:E", "f:E/late", "f:keep"};
        QTest::newRow("raise row whose folder gained a sibling")
            << QStringList{"d:A/B", "f:A/B/x", "f:keep"} << 0 << "add:A/late" << QStringList{F}
            << QStringList{"d:A", "d:A/B", "f:A/B/x", "f:A/late", "f:keep"};
        QTest::newRow("raise with the same name inside")
            << QStringList{"d:A/A", "f:A/A/x.txt", "d:A/A/A", "f:A/A/A/deep", "f:keep"} << 0 << ""
            << QStringList{S} << QStringList{"d:A", "f:A/x.txt", "d:A/A", "f:A/A/deep", "f:keep"};
    }
    void rows() {
        QFETCH(QStringList, tree);
        QFETCH(int, mode);
        QFETCH(QStringList, results);
        QFETCH(QStringList, after);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        Build(t, tree);
        ProcessList list;
        Search(t, mode, list);
        QFETCH(QString, change);
        if (change == "sort") {
            list.ColumnClick(0);
            if (list.Row(0).before != t.Path("F1/F2"))
                list.ColumnClick(0);
            QCOMPARE(list.Row(0).before, t.Path("F1/F2"));
        } else if (change == "tick") {
            for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, true);
        } else if (change.startsWith("rm:")) {
            test::RemoveTree(t.Path(change.mid(3).toStdString()));
        } else if (change.startsWith("add:")) {
            t.File(change.mid(4).toStdString(), "late");
        }
        const auto before = t.Snapshot();
        std::vector<std::string> statuses;
        ExecutionUi eu;
        eu.status = [&](const std::string& s) { statuses.push_back(s); };
        const int failed = ExecuteList(list, eu);
        QCOMPARE(int(statuses.size()), list.Count());
        QCOMPARE(statuses.back(), list.Row(list.Count() - 1).before + "処理中");
        if (change == "tick") {
            for (const ProcessRow& r : list.Rows()) QVERIFY(r.result.empty());
            QCOMPARE(t.Snapshot(), before);
            QCOMPARE(failed, 0);
            return;
        }
        QCOMPARE(Results(list), results);
        QCOMPARE(failed, int(results.count(F)));
        // Every file is where it should be, with its content; nothing else exists.
        std::map<std::string, std::string> want;
        for (const QString& e : after) {
            const std::string rel = e.mid(2).toStdString();
            want[rel] = e.startsWith("d:") ? "<dir>" : std::string();
        }
        const auto got = t.Snapshot();
        QCOMPARE(got.size(), want.size());
        for (const auto& [rel, content] : got) {
            QVERIFY2(want.count(rel), rel.c_str());
            if (want[rel] == "<dir>")
                QCOMPARE(content, std::string("<dir>"));
        }
    }

    void linkAndNonUtf8NameRaisedAsTheyAre() {
        if (!test::CanMakeLinks())
            QSKIP(
                "names are Unicode here and no links can be made: the Windows names have "
                "their own cases");
        test::ScriptedFileOpUi ui;
        test::TestDir outside;
        outside.File("target/data", "data");
        test::TestDir t;
        t.File("A/B/" + kBad, "bytes");
        t.Link("A/B/link", outside.Path("target"));
        t.File("keep");
        ProcessList list;
        Search(t, 0, list);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(ExecuteList(list, {}), 0);
        QCOMPARE(t.Read("A/" + kBad), std::string("bytes"));
        QCOMPARE(t.Snapshot()["A/link"], "-> " + outside.Path("target"));
        QCOMPARE(outside.Read("target/data"), std::string("data"));
        QVERIFY(!t.Exists("A/B"));
        // A non-UTF-8 folder name is logged by its bytes.
        test::TestDir u;
        u.File("P/" + kBad + "/x");
        u.File("keep");
        Search(u, 0, list);
        QCOMPARE(LogText(list), u.Path("P/" + kBad) + "," + u.Path("P/") + ",\r\n");
    }

    void logBytes_data() {
        QTest::addColumn<bool>("cp932");
        QTest::newRow("utf-8") << false;
        QTest::newRow("cp932") << true;
    }
    void logBytes() {
        ProcessList list;
        list.Init();
        list.Append("/t/Sub", "/t/");
        list.Append("/t/a,b/", kDeleteMarker);
        list.Append("/t/写真/", kDeleteMarker);
        list.SetResult(0, kResultSuccess);
        list.SetResult(1, kResultFailure);
        list.SetChecked(2, true);
        QFETCH(bool, cp932);
        SetSystemCodePage(cp932 ? CodePage::Cp932 : CodePage::Utf8);
        // Shift-JIS bytes of the marker and the results (independently known values).
        const std::string marker = cp932 ? "\x81\x9a\x8b\xf3\x83\x74\x83\x48\x83\x8b\x83\x5f"
                                           "\x82\xcc\x82\xbd\x82\xdf\x8d\xed\x8f\x9c\x81\x9a"
                                         : kDeleteMarker;
        const std::string ok = cp932 ? "\x90\xac\x8c\xf7" : kResultSuccess;
        const std::string ng = cp932 ? "\x81\x9f\x8e\xb8\x94\x73\x21\x81\x9f" : kResultFailure;
        // Names are bytes on Linux and kept; on Windows they are text like the rest.
        const std::string photo = cp932 && !NamesAreBytes() ? "\x8e\xca\x90\x5e" : "写真";
        const std::string expected = "/t/Sub,/t/," + ok + "\r\n/t/a,b/," + marker + "," + ng +
                                     "\r\n/t/" + photo + "/," + marker + ",\r\n";
        test::TestDir t;
        t.File("RUZO.LOG", "old log that is much longer than the new one");
        QVERIFY(SaveLog(list, t.Path("RUZO.LOG")));
        QCOMPARE(QByteArray::fromStdString(t.Read("RUZO.LOG")),
                 QByteArray::fromStdString(expected));
        ProcessList empty;
        empty.Init();
        QVERIFY(SaveLog(empty, t.Path("RUZO.LOG")));
        QVERIFY(t.Exists("RUZO.LOG"));
        QCOMPARE(t.Read("RUZO.LOG").size(), size_t(0));
        QVERIFY(!SaveLog(list, t.Path("missing/RUZO.LOG")));
    }

    void toolPreviewExecuteAndExitCodes() {
        test::TestDir t;
        t.File("A/B/x");
        t.Dir("E");
        t.File("keep");
        const auto before = t.Snapshot();
        std::string out, err;
        QCOMPARE(Tool({t.Root()}, &out), 0);
        QCOMPARE(out, t.Path("A/B") + "," + t.Path("A/") + ",\n");
        QCOMPARE(Tool({"--mode", "empty", t.Root(), "--log", t.Path("plan.log")}, &out), 0);
        QCOMPARE(out, t.Path("E/") + "," + kDeleteMarker + ",\n");
        // The log is RUZO.LOG's own form: CR LF, no quoting.
        QCOMPARE(t.Read("plan.log"), test::FileText(t.Path("E/") + "," + kDeleteMarker + ",\r\n"));
        test::RemoveTree(t.Path("plan.log"));
        QCOMPARE(t.Snapshot(), before);  // previews change nothing

        QCOMPARE(Tool({"--execute", t.Root()}, &out), 0);
        QCOMPARE(out, t.Path("A/B") + "," + t.Path("A/") + "," + kResultSuccess + "\n");
        QVERIFY(t.Exists("A/x") && !t.Exists("A/B"));

        // Without sub-folders only the named folder is examined.
        t.File("P/Q/y");
        QCOMPARE(Tool({"--mode", "raise", "--no-subfolders", t.Path("P")}, &out), 0);
        QCOMPARE(out, t.Path("P/Q") + "," + t.Path("P/") + ",\n");
        QCOMPARE(Tool({"--no-subfolders", t.Path("P/Q")}, &out), 0);
        QVERIFY(out.empty());
    }

    void toolUsageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{"--bogus", "/tmp"};
        QTest::newRow("unknown mode") << QStringList{"--mode", "sideways", "/tmp"};
        QTest::newRow("missing folder") << QStringList{"--execute"};
        QTest::newRow("folder that is not there") << QStringList{"/no/such/folder"};
        QTest::newRow("two folders") << QStringList{"/tmp", "/tmp"};
        QTest::newRow("log without a name") << QStringList{"/tmp", "--log"};
        QTest::newRow("nested in raise mode") << QStringList{"--nested", "/tmp"};
        QTest::newRow("an empty junk list") << QStringList{"--junk=", "/tmp"};
        QTest::newRow("exclude without a pattern") << QStringList{"/tmp", "--exclude"};
        QTest::newRow("an exclusion from the root") << QStringList{"--exclude", "/a", "/tmp"};
        QTest::newRow("an exclusion ending in /") << QStringList{"--exclude=a/b/", "/tmp"};
        QTest::newRow("an exclusion with **") << QStringList{"--exclude=**/x", "/tmp"};
        QTest::newRow("an unknown class") << QStringList{"--exclude=[[:digits:]]*", "/tmp"};
        QTest::newRow("days that are no number") << QStringList{"--older-than", "3d", "/tmp"};
        QTest::newRow("days beyond a hundred years")
            << QStringList{"--older-than", "36501", "/tmp"};
    }
    void toolUsageErrors() {
        QFETCH(QStringList, args);
        std::vector<std::string> argv;
        for (const QString& a : args) argv.push_back(a.toStdString());
        std::string out, err;
        QCOMPARE(Tool(argv, &out, &err), 2);
        QVERIFY(out.empty());
        QCOMPARE(std::count(err.begin(), err.end(), '\n'), 1L);
        QVERIFY(err.rfind("corvelle-tidy: ", 0) == 0);
        QCOMPARE(Tool({"--help"}, &out), 0);
        QCOMPARE(out, TidyUsage(false));
    }

    // A junk file that changed after the search fails its row, and the row changes nothing:
    // the folder, its junk and the change stay as they are.
    void changedJunkFailsTheRowUntouched_data() {
        QTest::addColumn<QString>("seam");
        QTest::addColumn<QString>("change");
        QTest::newRow("rewritten before the row") << "execute:row"
                                                  << "rewrite";
        QTest::newRow("grown before the row") << "execute:row"
                                              << "grow";
        QTest::newRow("removed before the row") << "execute:row"
                                                << "remove";
        QTest::newRow("a folder in its place") << "execute:row"
                                               << "folder";
        QTest::newRow("rewritten once held") << "junk:held"
                                             << "rewrite-held";
    }
    void changedJunkFailsTheRowUntouched() {
        QFETCH(QString, seam);
        QFETCH(QString, change);
        test::TestDir state;
        test::JournalHome home(state.Root());
        test::TestDir t;
        t.File("J/.DS_Store", "ds");
        t.File("J/Thumbs.db", "thumbs", 1000000000);
        t.Dir("E");
        t.File("keep");
        ProcessList list;
        test::SearchInto(t.Root(), 1, list, true, test::Rules("junk"));
        QCOMPARE(list.Count(), 2);
        const std::string row = t.Path("J/");
        bool changed = false;
        SetSeamHook([&](const char* point, const std::string& at) {
            if (changed || QString(point) != seam || (seam == "execute:row" && at != row) ||
                (seam == "junk:held" && at != t.Path("J/Thumbs.db")))
                return;
            changed = true;
            const std::string junk = t.Path("J/Thumbs.db");
            if (change == "rewrite")
                test::WriteFileBytes(junk, "THUMBS");
            if (change == "grow")
                test::WriteFileBytes(junk, "thumbs and more");
            if (change == "remove")
                test::RemoveTree(junk);
            if (change == "folder") {
                test::RemoveTree(junk);
                t.Dir("J/Thumbs.db");
            }
            if (change == "rewrite-held") {
                // It waits in the Trash of its file system, in a folder of the run (on
                // Windows beside the journals).
                std::string held;
                for (const auto& [name, what] :
                     state.Snapshot(NamesAreBytes() ? "Trash/files" : "Corvelle/kept"))
                    if (name.ends_with("Thumbs.db"))
                        held = (NamesAreBytes() ? "Trash/files/" : "Corvelle/kept/") + name;
                QVERIFY(!held.empty());
                test::WriteFileBytes(state.Path(held), "THUMBS");
            }
        });
        const auto expected = [&] {
            int failed = 0;
            test::ExecuteJournaled(list, &failed);
            return failed;
        }();
        SetSeamHook(nullptr);
        QVERIFY(changed);
        QCOMPARE(expected, 1);
        QCOMPARE(Results(list), (QStringList{F, S}));
        QVERIFY(t.Exists("J") && !t.Exists("E"));
        QCOMPARE(t.Read("J/.DS_Store"), std::string("ds"));
        QVERIFY(test::NoGeneratedNames(t.Snapshot()));
        // Its junk back, the run's holding place (and its info file) went too.
        QCOMPARE(state.Snapshot(NamesAreBytes() ? "Trash" : "Corvelle/kept").size(),
                 size_t(NamesAreBytes() ? 2 : 0));
        if (change.startsWith("rewrite"))
            QCOMPARE(t.Read("J/Thumbs.db"), std::string("THUMBS"));
        const Error* why = list.Failure(0);
        QVERIFY(why);
        QVERIFY2(why->number == kErrJunkChanged, ErrorMessage(*why).c_str());
    }

    // Ticking a folder out keeps every folder above it; the rest of the chain still goes.
    void tickedFolderKeepsItsAncestors() {
        test::TestDir state;
        test::JournalHome home(state.Root());
        test::TestDir t;
        t.Dir("N/a/b/c");
        t.Dir("N/a/d");
        t.Dir("M/e");
        t.File("keep");
        ProcessList list;
        test::SearchInto(t.Root(), 1, list, true, test::Rules("nested"));
        QStringList rows;
        for (const ProcessRow& r : list.Rows())
            rows << QString::fromStdString(test::Slashed(r.before.substr(t.Root().size())));
        QCOMPARE(rows, (QStringList{"N/a/d/", "N/a/b/c/", "N/a/b/", "N/a/", "N/", "M/e/", "M/"}));
        list.SetChecked(1, true);  // N/a/b/c
        int failed = -1;
        test::ExecuteJournaled(list, &failed);
        QCOMPARE(failed, 0);
        QCOMPARE(Results(list), (QStringList{S, "", "", "", "", S, S}));
        QVERIFY(t.Exists("N/a/b/c") && !t.Exists("N/a/d") && !t.Exists("M"));
    }

    // A chain whose lower row fails does not fall with it: a raise row moves what that row
    // left (still as the search saw it), a nested delete row fails and names the row below;
    // Undo puts the whole run back.
    void chainAfterAFailedRow_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("fail");       // the row made to fail, and how: a file arrives
        QTest::addColumn<QStringList>("after");  // results, row by row
        QTest::addColumn<QString>("gone");
        QTest::addColumn<QString>("stays");
        QTest::newRow("raise over a raise") << 0 << ""
                                            << "F1/F2/F3/late" << QStringList{F, S} << "F1/F2"
                                            << "F1/F3/late";
        QTest::newRow("nested delete over a delete")
            << 1 << "nested"
            << "F1/F2/F3/late" << QStringList{F, F, F} << ""
            << "F1/F2/F3/late";
    }
    void chainAfterAFailedRow() {
        QFETCH(int, mode);
        QFETCH(QString, rules);
        QFETCH(QString, fail);
        QFETCH(QStringList, after);
        test::TestDir state;
        test::JournalHome home(state.Root());
        test::TestDir t;
        t.Dir("F1/F2/F3");
        t.File("top");
        ProcessList list;
        test::SearchInto(t.Root(), mode, list, true, test::Rules(rules.toStdString()));
        QCOMPARE(list.Count(), after.size());
        SetSeamHook([&](const char* point, const std::string& at) {
            if (std::string(point) == "execute:row" && at == list.Cell(0, 0))
                t.File(fail.toStdString(), "late");
        });
        const std::string journal = test::ExecuteJournaled(list);
        SetSeamHook(nullptr);
        QCOMPARE(Results(list), after);
        QFETCH(QString, gone);
        QFETCH(QString, stays);
        QVERIFY(gone.isEmpty() || !t.Exists(gone.toStdString()));
        QVERIFY(t.Exists(stays.toStdString()));
        for (int i = 1; mode == 1 && i < list.Count(); ++i) {
            QVERIFY(list.Failure(i));
            QCOMPARE(list.Failure(i)->number, int(kErrRowBelowFailed));
            QCOMPARE(list.Failure(i)->path, RowPath(list.Cell(i - 1, 0)));
        }
        Error error;
        QCOMPARE(UndoJournal(journal, {}, error), 0);
        QVERIFY2(!error, ErrorMessage(error).c_str());
        QVERIFY(t.Exists("F1/F2/F3/late") && !t.Exists("F1/F3"));
    }

    void toolFailureExitsOne() {
        test::TestDir t;
        t.File("A/B/x");
        t.File("keep");
        // Between the search and the row, the after folder is replaced by a look-alike: the
        // row fails with its reason on standard error, and nothing of either folder moves.
        SetSeamHook([&](const char* point, const std::string&) {
            if (std::string(point) != "execute:row")
                return;
            QCOMPARE(rename(t.Path("A").c_str(), t.Path("A.old").c_str()), 0);
            t.File("A/B/y");
        });
        std::string out, err;
        const int rc = Tool({"--execute", t.Root()}, &out, &err);
        SetSeamHook(nullptr);
        QCOMPARE(rc, 1);
        QCOMPARE(out, t.Path("A/B") + "," + t.Path("A/") + "," + kResultFailure + "\n");
        QVERIFY(t.Exists("A.old/B/x") && t.Exists("A/B/y"));
        // The tool here speaks English (as under a locale that is not Japanese).
        QVERIFY2(err.find("replaced by another folder after the search") != std::string::npos,
                 err.c_str());
    }
};

QTEST_APPLESS_MAIN(TestExecution)
#include "tst_execution.moc"
