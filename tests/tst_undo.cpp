// SPDX-License-Identifier: GPL-3.0-or-later
// Undo: a run put back from its journal leaves the tree exactly as it was; a journal that
// cannot be trusted changes nothing. (Deaths at every step: tst_undo_crash.)
#include <QtTest>
#include <cstdlib>
#include <filesystem>

#include "platform/os/codec.h"
#include "platform/os/folder_changes.h"
#include "platform/os/folders.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "platform/os/test_seam.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tests/support/undo_run.h"
#include "tidy/execution.h"
#include "tidy/journal.h"
#include "tidy/journal_store.h"
#include "tidy/junk_files.h"
#include "tidy/process_list.h"
#include "tidy/undo.h"
#include "util/paths.h"

using namespace corvelle;
using Tree = std::map<std::string, std::string>;

using test::Attributes;
using test::Build;
using test::Undo;
using test::UndoResult;

class TestUndo : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_.Root()));
        qputenv("LOCALAPPDATA", QByteArray::fromStdString(state_.Root()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(state_.Root()));
    }
    void cleanup() {
        SetSeamHook(nullptr);
        MessageService::ResetScript();
    }

    // Journals written by one version are read by the next: the plan's lines keep their
    // documented form, and read back to the same journal.
    void journalLinesKeepTheirForm() {
        RunJournal j;
        j.startPath = "/t/";
        j.startId = {2049, 2, 27, 5};
        j.date = "2026-12-08T21:00:00";
        JournalRow raise;
        raise.index = 0;
        raise.raise = true;
        raise.before = "/t/C/C";
        raise.after = "/t/C/";
        raise.beforeId = {2049, 13, 27, 7, 9};
        raise.afterId = {2049, 14, 27, 0};
        raise.meta = {0755, 1000, 100, -3, 4};
        raise.parentMeta = {0, 0, 0, 5, 6};
        raise.entries = {{"C", {2049, 15, 0, 0}}, {"a b%", {2049, 16, 0, 0}}};
        raise.aside = "corvelle-raising-1-0";
        JournalRow del;
        del.index = 1;
        del.before = "/t/\xff/";
        del.beforeId = {2049, 17, 27, 8};
        del.meta = {0700, 0, 0, 1, 2};
        del.parentMeta = {0, 0, 0, 0, 0};
        JunkFile held;
        held.name = "Thumbs.db";
        held.id = {2049, 18, 27, 9};
        held.size = 10;
        held.meta.mtimeNs = 11;
        held.changeNs = 12;
        held.holdPath = "/h/Trash/files";
        held.holdId = {2049, 19, 27, 0};
        JunkFile kept = held;
        kept.holdPath.clear();
        kept.meta = {0644, 1, 2, 3, 4};
        kept.kept = 5;
        kept.hash = 6;
        del.junk = {held, kept};
        raise.otherwise = {{"D", {2049, 20, 0, 0}}};
        j.rows = {raise, del};
        j.otherwise = {0};
        const std::string text = FormatJournalPlan(j);
        QCOMPARE(text,
                 std::string("corvelle-journal 1\n"
                             "start /t/ 2049:2:27:5\n"
                             "date 2026-12-08T21:00:00\n"
                             "row 0 raise /t/C/C /t/C/ 2049:13:27:7:9 2049:14:27:0 493 1000 "
                             "100 -3 4 5 6\n"
                             "entry C 2049:15:0:0\n"
                             "entry a%20b%25 2049:16:0:0\n"
                             "otherwise D 2049:20:0:0\n"
                             "aside corvelle-raising-1-0\n"
                             "row 1 delete /t/%FF/ 2049:17:27:8 448 0 0 1 2 0 0\n"
                             "held Thumbs.db 2049:18:27:9 10 11 12 /h/Trash/files 2049:19:27:0\n"
                             "junk Thumbs.db 2049:18:27:9 10 420 1 2 3 4 5 6\n"
                             "plan 2\n"));
        RunJournal back;
        QVERIFY(!ParseJournal(text, back));
        QCOMPARE(FormatJournalPlan(back), text);
        QCOMPARE(FormatJournal(back), text);
        QVERIFY(!ParseJournal(text + "otherwise 0\n", back));
        QCOMPARE(FormatJournal(back), text + "otherwise 0\n");
    }

    // A journal of an earlier version, whose run kept a copy of each junk file beside it,
    // still undoes from that copy.
    void earlierVersionsJunkComesBackFromItsCopy() {
        test::TestDir t;
        t.File("J/Thumbs.db", "thumbs");
        t.File("keep");
        ProcessList list;
        test::SearchInto(t.Root(), 1, list, true, test::Rules("junk"));
        QCOMPARE(list.Count(), 1);
        const std::string journal = test::ExecuteJournaled(list);
        QVERIFY(!t.Exists("J"));
        // As that version left it: the file gone, its bytes in the copy, the journal naming it.
        RunJournal j;
        QVERIFY(!ParseJournal(test::ReadFileBytes(journal), j));
        JunkFile& k = j.rows.at(0).junk.at(0);
        test::RemoveTree(AddBackslash(k.holdPath) + "Thumbs.db");
        k.holdPath.clear();
        k.meta.mode = 0644;
        k.kept = 2;
        k.hash = ContentHash("thumbs");
        test::WriteFileBytes(KeptPathOf(journal), "..thumbs");
        test::WriteFileBytes(journal, FormatJournal(j));
        const UndoResult u = Undo(journal);
        QVERIFY2(u.failed == 0, u.error.c_str());
        QCOMPARE(t.Read("J/Thumbs.db"), std::string("thumbs"));
    }

    // A real run and its Undo: names as bytes, contents, folder modes and times, all back.
    void undoRestoresExactly_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("rows");
        QTest::newRow("raise rows")
            << QStringList{"f:A/B/x", "f:A/B/.dot", "d:A/B/sub", "f:C/D/y", "m:A/B=0700", "f:keep"}
            << 0 << 2;
        QTest::newRow("delete rows")
            << QStringList{"d:E", "d:F", "m:F=0750", "d:P/.hidden/e", "d:Q/e", "f:Q/f", "f:keep"}
            << 1 << 3;
        QTest::newRow("chain") << QStringList{"f:F1/F2/F3/x", "d:F1/F2/F3/inner", "f:keep"} << 0
                               << 2;
        QTest::newRow("own name inside")
            << QStringList{"f:A/A/A/deep", "f:A/A/x", "f:keep"} << 0 << 1;
        QTest::newRow("not UTF-8") << QStringList{"f:\xff\xfe/n\x80/\x01 x", "f:keep"} << 0 << 1;
        QTest::newRow("start itself raised") << QStringList{"f:only/x"} << 0 << 1;
        QTest::newRow("lone folder that is empty") << QStringList{"d:L1/L2", "f:keep"} << 0 << 1;
        QTest::newRow("own name holding an empty own name")
            << QStringList{"d:F1/F2/F2", "f:F1/F2/a", "f:keep"} << 0 << 1;
        QTest::newRow("chain down to an empty folder")
            << QStringList{"d:C1/C2/C3/C4", "f:keep"} << 0 << 3;
        QTest::newRow("another user's folder, 0750, in a sticky folder")
            << QStringList{"f:S/U/file", "o:S/U=1234", "m:S/U=0750", "m:S=01777", "f:keep"} << 0
            << 1;
        QTest::newRow("hidden, read-only and system folders")
            << QStringList{"f:H/I/x", "a:H/I=7", "d:R/S", "a:R/S=1", "f:keep"} << 0 << 2;
        QTest::newRow("set-id folder of another user deleted")
            << QStringList{"d:G", "o:G=1234", "m:G=02750", "f:keep"} << 1 << 1;
    }
    void undoRestoresExactly() {
        QFETCH(QStringList, tree);
        if (const char* why = test::CannotBuild(tree))
            QSKIP(why);
        QFETCH(int, mode);
        QFETCH(int, rows);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        Build(t, tree);
        const Tree before = t.Snapshot();
        const auto attrs = Attributes(t);
        ProcessList list;
        test::SearchInto(t.Root(), mode, list);
        QCOMPARE(list.Count(), rows);
        const std::string journal = test::ExecuteJournaled(list);
        for (const ProcessRow& r : list.Rows()) QCOMPARE(r.result, std::string(kResultSuccess));
        QVERIFY(t.Snapshot() != before);
        const UndoResult u = Undo(journal);
        QCOMPARE(u.failed, 0);
        QCOMPARE(u.results.size(), list.Count());
        QCOMPARE(t.Snapshot(), before);
        QCOMPARE(Attributes(t), attrs);
        // Undoing twice does nothing the second time.
        const UndoResult again = Undo(journal);
        QCOMPARE(again.failed, 0);
        QVERIFY(again.results.isEmpty());
        QCOMPARE(t.Snapshot(), before);
        RunJournal j;
        QVERIFY(!LoadJournal(journal, j));
        QVERIFY(j.finished && j.undone);
    }

    // Junk files removed by a run come back byte for byte, with their modes and times.
    void junkBackExactly_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<int>("rows");
        QTest::newRow("junk and nested delete rows")
            << QStringList{"f:N/a/Thumbs.db", "f:N/a/b/.DS_Store", "f:N/desktop.ini",
                           "f:N/a/b/c/._\xff\xfe", "f:keep"}
            << 1 << "junk,nested" << 4;
        QTest::newRow("raise over junk of the same name")
            << QStringList{"f:R/S/x", "f:R/S/Thumbs.db", "f:R/Thumbs.db", "f:R/._gone", "f:keep"}
            << 0 << "junk" << 1;
        QTest::newRow("a start folder of junk") << QStringList{"f:Thumbs.db"} << 1 << "junk" << 1;
    }
    void junkBackExactly() {
        QFETCH(QStringList, tree);
        if (const char* why = test::CannotBuild(tree))
            QSKIP(why);
        QFETCH(int, mode);
        QFETCH(QString, rules);
        QFETCH(int, rows);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        Build(t, tree);
        // Every file read-only and old, so that a file made again shows if it did not get both.
        namespace fs = std::filesystem;
        const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 999);
        for (const auto& [rel, content] : t.Snapshot()) {
            if (content == "<dir>")
                continue;
            const fs::path p = fs::u8path(t.Path(rel));
            fs::last_write_time(p, old);
            fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
        }
        auto files = [&] {
            std::map<std::string, std::string> out;
            for (const auto& [rel, content] : t.Snapshot())
                if (content != "<dir>") {
                    const fs::path p = fs::u8path(t.Path(rel));
                    // The very file: its identity too, not only what a copy would carry.
                    std::string leaf;
                    ItemInfo info;
                    const UniqueFd dir = OpenParentOf(t.Path(rel), leaf);
                    InfoAt(dir.Get(), leaf, info);
                    out[rel] = std::to_string(fs::last_write_time(p).time_since_epoch().count()) +
                               " " + std::to_string(int(fs::status(p).permissions())) + " " +
                               std::to_string(info.id.number);
                }
            return out;
        };
        const Tree before = t.Snapshot();
        const auto attrs = Attributes(t);
        const auto fileAttrs = files();
        const std::string held = NamesAreBytes() ? "Trash/files" : "Corvelle/kept";
        const Tree heldBefore = state_.Snapshot(held);
        ProcessList list;
        test::SearchInto(t.Root(), mode, list, true, test::Rules(rules.toStdString()));
        QCOMPARE(list.Count(), rows);
        const std::string journal = test::ExecuteJournaled(list);
        for (const ProcessRow& r : list.Rows()) QCOMPARE(r.result, std::string(kResultSuccess));
        QVERIFY(t.Snapshot() != before);
        const UndoResult u = Undo(journal);
        QVERIFY2(u.failed == 0, u.error.c_str());
        QCOMPARE(t.Snapshot(), before);
        QCOMPARE(Attributes(t), attrs);
        QCOMPARE(files(), fileAttrs);
        // Every junk file went back out of the place that held it.
        QCOMPARE(state_.Snapshot(held), heldBefore);
    }

    // A failed raise that could not take back all it moved (a twin of an entry's name took its
    // place, as a case-only twin does where case is ignored): the row never says it put
    // everything back, and Undo never calls the run put back while that entry is still out.
    void failedRowsStrandedEntryIsNeverUndone_data() {
        QTest::addColumn<QString>("seam");
        QTest::newRow("the emptied folder cannot go") << "raise:moved";
        QTest::newRow("an entry cannot move up") << "move:entry";
    }
    void failedRowsStrandedEntryIsNeverUndone() {
        QFETCH(QString, seam);
        test::TestDir t;
        t.File("A/B/x", "x");
        t.File("A/B/y", "y");
        t.File("keep");
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        QCOMPARE(list.Count(), 1);
        SetSeamHook([&](const char* point, const std::string& at) {
            if (seam == "raise:moved" && std::string(point) == "raise:moved") {
                t.File("A/B/late", "late");  // the emptied folder cannot go: the row fails
                t.File("A/B/x", "twin");     // and x cannot go back
            }
            if (seam == "move:entry" && std::string(point) == "move:entry" &&
                at == t.Path("A/B/y")) {
                t.File("A/y", "in the way");  // y cannot move up: the row fails
                t.File("A/B/x", "twin");      // and x cannot go back
            }
        });
        const std::string journal = test::ExecuteJournaled(list);
        SetSeamHook(nullptr);
        QCOMPARE(list.Row(0).result, std::string(kResultFailure));
        QCOMPARE(t.Read("A/x"), std::string("x"));
        const std::string said = ErrorMessage(*list.Failure(0));
        QVERIFY2(said.find("元に戻しました") == std::string::npos, said.c_str());
        QVERIFY2(said.find(t.Path("A/x")) != std::string::npos, said.c_str());
        const UndoResult u = Undo(journal);
        QCOMPARE(u.failed, 1);
        QVERIFY2(u.error.find('x') != std::string::npos, u.error.c_str());
        QCOMPARE(t.Read("A/x"), std::string("x"));
        QCOMPARE(t.Read("A/B/x"), std::string("twin"));
    }

    // Undo never overwrites: what stands in the way stays, that row fails, the rest is back.
    void undoNeverOverwrites() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        Build(t, {"f:A/B/x", "f:C/D/y", "f:keep"});
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        const std::string journal = test::ExecuteJournaled(list);
        t.File("A/B", "a new file where the folder must come back");
        const UndoResult u = Undo(journal);
        QCOMPARE(u.failed, 1);
        QCOMPARE(
            u.results,
            (QStringList{
                QString::fromStdString(t.Path("A/B")) + " " + QString::fromUtf8(kUndoFailure),
                QString::fromStdString(t.Path("C/D")) + " " + QString::fromUtf8(kUndoSuccess)}));
        QCOMPARE(t.Read("A/B"), std::string("a new file where the folder must come back"));
        QCOMPARE(t.Read("A/x"), std::string("content of A/B/x"));  // stays up
        QCOMPARE(t.Read("C/D/y"), std::string("content of C/D/y"));
    }

    // A journal that cannot be trusted is refused with its message and changes nothing.
    void untrustedJournalRefused_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut short in the plan") << "cut"
                                               << "計画が途中で切れています";
        QTest::newRow("identity garbled") << "garble"
                                          << "壊れています";
        QTest::newRow("not a journal") << "foreign"
                                       << "処理記録ではありません";
        QTest::newRow("written for another folder") << "replaced"
                                                    << "別のフォルダのもの";
    }
    void untrustedJournalRefused() {
        QFETCH(QString, message);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        Build(t, {"f:A/B/x", "f:keep"});
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        const std::string journal = test::ExecuteJournaled(list);
        std::string text = test::ReadFileBytes(journal);
        QFETCH(QString, damage);
        if (damage == "cut")
            text.resize(text.find("\nplan "));
        if (damage == "garble") {
            // The before folder's identity on the row line gets a letter in its inode.
            const size_t row = text.find("\nrow ") + 1;
            size_t field = row;
            for (int i = 0; i < 5; ++i) field = text.find(' ', field) + 1;
            text.insert(text.find(':', field) + 1, "x");
        }
        if (damage == "foreign")
            text = "[Corvelle]\r\nMainTop=1\r\n";
        test::WriteFileBytes(journal, text);
        if (damage == "replaced") {
            // Another folder now stands where the run's folder was.
            const UniqueFd top = OpenFolderPath(PathParent(RemoveBackslash(t.Root())));
            const std::string leaf = PathLeaf(RemoveBackslash(t.Root()));
            QVERIFY(RenameNoReplace(top.Get(), leaf, top.Get(), leaf + ".moved"));
            QVERIFY(MakeFolderAt(top.Get(), leaf));
            Build(t, {"f:A/x", "f:keep"});
        }
        const Tree before = t.Snapshot();
        const UndoResult u = Undo(journal);
        QCOMPARE(u.failed, -1);
        QVERIFY2(u.error.find(message.toStdString()) != std::string::npos, u.error.c_str());
        QCOMPARE(t.Snapshot(), before);
        if (damage == "replaced")
            test::RemoveTree(RemoveBackslash(t.Root()) + ".moved");
    }

    // The journal keeps any byte of a name, and reads back what it wrote.
    void journalRoundTrip() {
        RunJournal j;
        j.startPath = "/t/start %20";
        j.startId = {1, 2, 3};
        j.date = "2026-12-08T01:02:03";
        std::string every;
        for (int c = 1; c < 256; ++c)
            if (c != '/')
                every += static_cast<char>(c);
        JournalRow r;
        r.index = 4;
        r.raise = true;
        r.before = "/t/start %20/" + every.substr(0, 200);
        r.after = "/t/start %20/";
        r.beforeId = {5, 6, 7, 1796718893322462419, 0xFEDCBA9876543210ull};  // 128-bit number
        r.afterId = {8, 9, 10};
        r.entries = {{every.substr(0, 250), {11, 12, 0}}, {every.substr(200), {13, 14, 0}}};
        r.aside = "corvelle-raising-1-4";
        r.meta = {0750, 1000, 100, 123456789012345678, 987654321};
        j.rows.push_back(r);
        JournalRow d;
        d.index = 9;
        d.before = "/t/start %20/e\n/";
        d.beforeId = {15, 16, 17};
        j.rows.push_back(d);
        j.done[4] = RowMark::Done;
        j.done[9] = RowMark::Failed;
        j.finished = true;
        j.undo[4] = RowMark::Done;
        j.remade[4] = {18, 19, 20};
        const std::string text = FormatJournal(j);
        RunJournal back;
        const Error error = ParseJournal(text, back);
        QVERIFY2(!error, ErrorMessage(error).c_str());
        QCOMPARE(FormatJournal(back), text);
        QCOMPARE(back.rows[0].entries[0].name, every.substr(0, 250));
        QCOMPARE(back.rows[1].before, d.before);
        QCOMPARE(back.remade[4].number, std::uint64_t(19));
        QCOMPARE(back.rows[0].beforeId.numberHigh, std::uint64_t(0xFEDCBA9876543210ull));
        QCOMPARE(back.rows[0].beforeId.birth, std::uint64_t(1796718893322462419));
        // Ids of older journals: three fields. A sixth field, or an upper half of 0 written
        // out, is not a journal of this program.
        QVERIFY(!ParseJournal(FormatJournalPlan(j), back));
        for (const char* bad : {"1:2:3:4:0", "1:2:3:4:5:6", "1:2"}) {
            std::string text = FormatJournalPlan(j);
            const std::string good =
                "5:6:7:1796718893322462419:" + std::to_string(0xFEDCBA9876543210ull);
            QVERIFY(text.find(good) != std::string::npos);
            text.replace(text.find(good), good.size(), bad);
            QVERIFY2(ParseJournal(text, back), bad);
        }
        std::string old = FormatJournalPlan(j);
        const std::string full =
            "5:6:7:1796718893322462419:" + std::to_string(0xFEDCBA9876543210ull);
        old.replace(old.find(full), full.size(), "5:6:7");
        QVERIFY(!ParseJournal(old, back));
        QCOMPARE(back.rows[0].beforeId.number, std::uint64_t(6));
        QCOMPARE(back.rows[0].beforeId.birth, std::uint64_t(0));
        // A crash while appending leaves a last line without its end: dropped, not damage.
        QVERIFY(!ParseJournal(FormatJournalPlan(j) + "done 4 o", back));
        QVERIFY(back.done.empty() && !back.finished);
    }

    // --journals lists, --forget drops an interrupted run's journal.
    void toolListsAndForgets() {
        test::TestDir t;
        Build(t, {"f:A/B/x", "f:keep"});
        std::string out, err;
        QCOMPARE(test::RunTool({"--execute", t.Root()}, &out, &err), 0);
        const size_t at = err.find("journal ");
        QVERIFY(at != std::string::npos);
        std::string journal = err.substr(at + 8, err.find('\n', at) - at - 8);
        std::string text = test::ReadFileBytes(journal);
        text.resize(text.rfind("end\n"));
        test::WriteFileBytes(journal, text);
        QCOMPARE(test::RunTool({"--journals"}, &out, &err), 0);
        QVERIFY(out.find(RemoveBackslash(t.Root()) + "\t1 rows\tinterrupted\t-\t" + journal) !=
                std::string::npos);
        QCOMPARE(test::RunTool({"--mode", "empty", "--execute", t.Path("A")}, &out, &err), 2);
        QCOMPARE(test::RunTool({"--forget", journal}, &out, &err), 0);
        QVERIFY(!FileExists(journal));
        QCOMPARE(test::RunTool({"--mode", "empty", "--execute", t.Path("A")}, &out, &err), 0);
    }

  private:
    test::TestDir state_;
};

QTEST_APPLESS_MAIN(TestUndo)
#include "tst_undo.moc"
