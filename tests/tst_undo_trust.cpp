// SPDX-License-Identifier: GPL-3.0-or-later
// What Undo and the journals may trust: only the user's own journals, only folders Undo made
// itself, one Undo of a journal at a time, only the planned entries moved; and what the
// listings and the tool then say.
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <thread>

#include "platform/os/handles.h"
#include "platform/os/test_seam.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tests/support/undo_run.h"
#include "tidy/journal.h"
#include "tidy/journal_store.h"
#include "tidy/process_list.h"
#include "tidy/undo.h"
#include "util/paths.h"

using namespace corvelle;
using Tree = std::map<std::string, std::string>;

namespace {

// A raise run of the tree; its journal.
std::string RaiseRun(test::TestDir& t, const QStringList& spec, int* failed = nullptr) {
    test::Build(t, spec);
    ProcessList list;
    test::SearchInto(t.Root(), 0, list);
    return test::ExecuteJournaled(list, failed);
}

// The listing of one journal (its path empty when not listed).
JournalListing Find(const std::vector<JournalListing>& all, const std::string& path) {
    for (const JournalListing& l : all)
        if (l.path == path)
            return l;
    return {};
}

}  // namespace

class TestUndoTrust : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() {
        // Each test its own journal folder, made by the program itself.
        state_ = std::make_unique<test::TestDir>();
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_->Path("state")));
    }
    void cleanup() { SetSeamHook(nullptr); }

    // A folder found where Undo must make one is never taken for it, whoever made it: the row
    // fails naming the folder, nothing moves, the folder keeps its owner and mode.
    void undoNeverAdoptsAFolder_data() {
        QTest::addColumn<uid_t>("maker");
        QTest::newRow("another user's, 0777") << uid_t(1001);
        QTest::newRow("the user's own") << geteuid();
    }
    void undoNeverAdoptsAFolder() {
        QFETCH(uid_t, maker);
        if (geteuid() != 0)
            QSKIP("folders of other users need root (CI runs as root)");
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        const std::string journal =
            RaiseRun(t, {"f:F1/F2/file", "o:F1/F2=1234", "m:F1/F2=0750", "m:F1=01777", "f:keep"});
        QVERIFY(!journal.empty());
        QCOMPARE(mkdir(t.Path("F1/F2").c_str(), 0777), 0);
        QCOMPARE(chown(t.Path("F1/F2").c_str(), maker, maker), 0);
        QCOMPARE(chmod(t.Path("F1/F2").c_str(), 0777), 0);
        const Tree before = t.Snapshot();
        const test::UndoResult u = test::Undo(journal);
        QCOMPARE(u.failed, 1);
        QCOMPARE(u.errorNumber, int(kErrNameTaken));
        QVERIFY(u.error.rfind(t.Path("F1/F2") + ": ", 0) == 0);
        QCOMPARE(t.Snapshot(), before);  // the file stays up, the folder stays empty
        struct stat st {};
        QCOMPARE(lstat(t.Path("F1/F2").c_str(), &st), 0);
        QCOMPARE(st.st_uid, maker);
        QCOMPARE(st.st_mode & 07777, mode_t(0777));
        // Not undone: listed so, but not as interrupted, and no new run over it is refused.
        const JournalListing l = Find(ListJournals(), journal);
        QCOMPARE(l.path, journal);
        QVERIFY(l.UndoIncomplete());
        QVERIFY(!l.Interrupted());
        std::string out, err;
        QCOMPARE(test::RunTool({"--journals"}, &out, &err), 0);
        QVERIFY(out.find("finished\tundo incomplete\t" + journal) != std::string::npos);
        QCOMPARE(test::RunTool({"--mode", "empty", "--execute", t.Root()}, &out, &err), 0);
        // Once the place is free again, the same journal puts the row back.
        QVERIFY(!t.Exists("F1/F2"));  // that run removed the empty folder
        QCOMPARE(test::Undo(journal).failed, 0);
        QCOMPARE(t.Read("F1/F2/file"), std::string("content of F1/F2/file"));
        QCOMPARE(lstat(t.Path("F1/F2").c_str(), &st), 0);
        QCOMPARE(st.st_uid, uid_t(1234));
        QCOMPARE(st.st_mode & 07777, mode_t(0750));
    }

    // A journal that is not the user's alone, or not a journal file at all, is refused and
    // listed with the reason; nothing changes, nothing hangs.
    void untrustedJournalRefused_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kind");
        QTest::newRow("owned by another user") << "owner" << int(kErrJournalNotOwn);
        QTest::newRow("writable by the group") << "group" << int(kErrJournalNotOwn);
        QTest::newRow("writable by others") << "others" << int(kErrJournalNotOwn);
        QTest::newRow("a link to the journal") << "link" << -ELOOP;  // the system's refusal
        QTest::newRow("a FIFO") << "fifo" << int(kErrNotAJournal);
        QTest::newRow("larger than any run writes") << "huge" << int(kErrJournalTooLarge);
    }
    void untrustedJournalRefused() {
        QFETCH(QString, how);
        QFETCH(int, kind);
        if (how == "owner" && geteuid() != 0)
            QSKIP("giving a file to another user needs root (CI runs as root)");
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        const std::string real = RaiseRun(t, {"f:A/B/x", "f:keep"});
        QVERIFY(!real.empty());
        std::string journal = real;
        if (how == "owner")
            QCOMPARE(chown(journal.c_str(), 1001, 1001), 0);
        if (how == "group" || how == "others")
            QCOMPARE(chmod(journal.c_str(), how == "group" ? 0620 : 0602), 0);
        if (how == "link" || how == "fifo") {
            journal = PathParent(real) + "planted.journal";
            if (how == "link")
                QCOMPARE(symlink(real.c_str(), journal.c_str()), 0);
            else
                QCOMPARE(mkfifo(journal.c_str(), 0600), 0);
            test::RemoveTree(real);
            if (how == "link")
                QCOMPARE(symlink(state_->Path("elsewhere").c_str(), real.c_str()), 0);
        }
        if (how == "huge")
            QCOMPARE(truncate(journal.c_str(), kMaxJournalBytes + 1), 0);
        const Tree before = t.Snapshot();
        const test::UndoResult u = test::Undo(journal);
        QCOMPARE(u.failed, -1);
        if (kind < 0)
            QCOMPARE(u.sysErrno, -kind);
        else
            QCOMPARE(u.errorNumber, kind);
        QCOMPARE(t.Snapshot(), before);
        const JournalListing l = Find(ListJournals(), journal);
        QCOMPARE(l.path, journal);
        QVERIFY(l.error);
        QVERIFY(!l.Interrupted());
        std::string out, err;
        QCOMPARE(test::RunTool({"--journals"}, &out, &err), 0);
        QVERIFY(out.find(journal + "\t(refused: ") != std::string::npos);
        QCOMPARE(test::RunTool({"--forget", journal}, &out, &err), 2);
    }

    // A journal folder that others may write to is not used: no run starts without its
    // journal, and nothing is listed from it.
    void journalFolderMustBeTheUsers() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        const std::string folder = JournalFolder();
        QVERIFY(MakeFoldersForTest(folder));
        QCOMPARE(chmod(folder.c_str(), 0777), 0);
        int failed = 0;
        const std::string journal = RaiseRun(t, {"f:A/B/x", "f:keep"}, &failed);
        QVERIFY(journal.empty());
        QCOMPARE(failed, 1);
        QVERIFY(t.Exists("A/B/x"));  // nothing ran
        const auto all = ListJournals();
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(all[0].error.number, int(kErrJournalNotOwn));
        // A folder the program makes is the user's alone.
        QCOMPARE(chmod(folder.c_str(), 0700), 0);
        test::RemoveTree(folder);
        QVERIFY(!RaiseRun(t, {}, &failed).empty());
        struct stat st {};
        QCOMPARE(lstat(folder.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0700));
    }

    // One Undo of a journal at a time: a second one says so and changes nothing.
    void oneUndoAtATime() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        const std::string journal = RaiseRun(t, {"f:A/B/x", "f:C/D/y", "f:keep"});
        const Tree raised = t.Snapshot();
        // The first Undo pauses at its first row while a second one is tried.
        test::UndoResult second;
        SetSeamHook([&](const char* point, const std::string&) {
            if (std::string(point) == "undo:row" && second.results.isEmpty() &&
                second.error.empty()) {
                QCOMPARE(t.Snapshot(), raised);
                second = test::Undo(journal);
            }
        });
        const test::UndoResult first = test::Undo(journal);
        SetSeamHook(nullptr);
        QCOMPARE(second.failed, -1);
        QCOMPARE(second.errorNumber, int(kErrUndoRunning));
        QCOMPARE(first.failed, 0);
        QCOMPARE(first.results.size(), 2);
        QVERIFY(t.Exists("A/B/x") && t.Exists("C/D/y"));
        // While a run writes its journal, the journal is in use, not interrupted.
        UniqueFd fd(open(journal.c_str(), O_RDONLY));
        QCOMPARE(flock(fd.Get(), LOCK_EX), 0);
        const JournalListing l = Find(ListJournals(), journal);
        QVERIFY(l.path == journal && l.inUse && !l.Interrupted());
    }

    // Only the plan moves: an entry that arrives between the check and the move fails the
    // row, which names it and leaves the tree as it was.
    void raiseMovesOnlyThePlan() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        test::Build(t, {"f:A/B/x", "f:keep"});
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        SetSeamHook([&](const char* point, const std::string&) {
            if (std::string(point) == "raise:checked")
                t.File("A/B/late", "late");
        });
        int failed = 0;
        const std::string journal = test::ExecuteJournaled(list, &failed);
        SetSeamHook(nullptr);
        QCOMPARE(failed, 1);
        QCOMPARE(list.Row(0).result, std::string(kResultFailure));
        QCOMPARE(list.Row(0).failure.number, int(kErrUnplannedEntry));
        QCOMPARE(list.Row(0).failure.path, t.Path("A/B/late"));
        QCOMPARE(t.Read("A/B/x"), std::string("content of A/B/x"));
        QCOMPARE(t.Read("A/B/late"), std::string("late"));
        QVERIFY(!t.Exists("A/x") && !t.Exists("A/late"));
        const test::UndoResult u = test::Undo(journal);
        QCOMPARE(u.failed, 0);
        QVERIFY(u.results.isEmpty());  // nothing was changed, nothing to put back
    }

    // A user putting back its own journal gets no other owner and no set-id bits from it,
    // whatever the journal says: only what that user could set by hand.
    void ownJournalGivesOnlyTheUsersRights() {
        if (geteuid() != 0)
            QSKIP("acting as another user needs root (CI runs as root)");
        test::TestDir t;
        const uid_t user = 1001;
        QCOMPARE(chown(t.Root().c_str(), user, user), 0);
        QCOMPARE(chown(state_->Root().c_str(), user, user), 0);
        const pid_t child = fork();
        if (child == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0)
                _exit(10);
            RunJournal j;
            j.startPath = RemoveBackslash(t.Root());
            ItemInfo start;
            const UniqueFd fd = OpenFolderPath(j.startPath);
            if (!InfoOf(fd.Get(), start))
                _exit(11);
            j.startId = start.id;
            j.date = "2026-12-08T00:00:00";
            JournalRow row;
            row.before = t.Path("G");
            row.beforeId = {start.id.volume, 999999, 0, 0};
            row.meta = {06777, 0, 0, 0, 0};
            j.rows.push_back(row);
            j.done[0] = RowMark::Done;
            j.finished = true;
            if (std::system(("mkdir -p '" + JournalFolder() + "'").c_str()) != 0)
                _exit(12);
            const std::string journal = JournalFolder() + "/20261208-000000-1-001.journal";
            test::WriteFileBytes(journal, FormatJournal(j));
            chmod(journal.c_str(), 0600);
            _exit(test::Undo(journal).failed == 0 ? 0 : 13);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        struct stat st {};
        QCOMPARE(lstat(t.Path("G").c_str(), &st), 0);
        QCOMPARE(st.st_uid, user);
        QCOMPARE(st.st_mode & 07777, mode_t(0777));
    }

  private:
    static bool MakeFoldersForTest(const std::string& folder) {
        return std::system(("mkdir -p '" + folder + "'").c_str()) == 0;
    }
    std::unique_ptr<test::TestDir> state_;
};

QTEST_APPLESS_MAIN(TestUndoTrust)
#include "tst_undo_trust.moc"
