// SPDX-License-Identifier: GPL-3.0-or-later
// Injected faults: the Nth system call of an operation fails with a chosen errno, for every
// N the operation makes and every errno a disk can give. Whatever fails, nothing is lost,
// the failure is reported, an earlier file stays whole and no temporary file is left.
// The calls are intercepted at link time (--wrap), so the code under test is the shipped one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <cerrno>
#include <cstdarg>
#include <set>

#include "platform/os/file_op.h"
#include "platform/os/file_write.h"
#include "platform/os/trash.h"
#include "shellops/sh_file_lib.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/process_log.h"
#include "tidy/undo.h"
#include "util/paths.h"

using namespace corvelle;
using Tree = std::map<std::string, std::string>;

namespace {

struct Injector {
    bool armed = false;
    int calls = 0;
    int failAt = 0;  // 0: count only
    int err = 0;
    bool Fail() {
        if (!armed)
            return false;
        if (++calls != failAt)
            return false;
        errno = err;
        return true;
    }
} g;

// Runs body with the n-th intercepted call failing (n = 0: none); returns the calls made.
template <typename F>
int WithFault(int n, int err, F&& body) {
    g = Injector{true, 0, n, err};
    body();
    g.armed = false;
    return g.calls;
}

std::multiset<std::string> Contents(const Tree& t) {
    std::multiset<std::string> out;
    for (const auto& [rel, c] : t)
        if (c != "<dir>")
            out.insert(c);
    return out;
}

bool NoTemporaries(const Tree& t) {
    for (const auto& [rel, c] : t)
        if (rel.find(".part") != std::string::npos || rel.find(".tmp") != std::string::npos ||
            rel.find("corvelle-") != std::string::npos)
            return false;
    return true;
}

const int kErrnos[] = {ENOSPC, EIO, EACCES, EXDEV, EBUSY, ENAMETOOLONG};

}  // namespace

// The linker's --wrap names these; they cannot be other names.
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
ssize_t __real_write(int, const void*, size_t);
int __real_fsync(int);
int __real_fdatasync(int);
int __real_rename(const char*, const char*);
int __real_renameat(int, const char*, int, const char*);
int __real_renameat2(int, const char*, int, const char*, unsigned);
int __real_unlinkat(int, const char*, int);
int __real_mkdirat(int, const char*, mode_t);
int __real_open(const char*, int, ...);
int __real_openat(int, const char*, int, ...);
ssize_t __real_copy_file_range(int, loff_t*, int, loff_t*, size_t, unsigned);

ssize_t __wrap_write(int fd, const void* b, size_t n) {
    return g.Fail() ? -1 : __real_write(fd, b, n);
}
int __wrap_fsync(int fd) {
    return g.Fail() ? -1 : __real_fsync(fd);
}
int __wrap_fdatasync(int fd) {
    return g.Fail() ? -1 : __real_fdatasync(fd);
}
int __wrap_rename(const char* a, const char* b) {
    return g.Fail() ? -1 : __real_rename(a, b);
}
int __wrap_renameat(int d1, const char* a, int d2, const char* b) {
    return g.Fail() ? -1 : __real_renameat(d1, a, d2, b);
}
int __wrap_renameat2(int d1, const char* a, int d2, const char* b, unsigned f) {
    return g.Fail() ? -1 : __real_renameat2(d1, a, d2, b, f);
}
int __wrap_unlinkat(int d, const char* p, int f) {
    return g.Fail() ? -1 : __real_unlinkat(d, p, f);
}
int __wrap_mkdirat(int d, const char* p, mode_t m) {
    return g.Fail() ? -1 : __real_mkdirat(d, p, m);
}
int __wrap_open(const char* p, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return g.Fail() ? -1 : __real_open(p, flags, mode);
}
int __wrap_openat(int d, const char* p, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return g.Fail() ? -1 : __real_openat(d, p, flags, mode);
}
ssize_t __wrap_copy_file_range(int a, loff_t* ao, int b, loff_t* bo, size_t n, unsigned f) {
    return g.Fail() ? -1 : __real_copy_file_range(a, ao, b, bo, n, f);
}
}
// NOLINTEND(bugprone-reserved-identifier)

class TestFaults : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_.Root()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(state_.Path("data")));
    }

    // A settings or log file replaced whole, or not at all.
    void replaceAFile_data() {
        QTest::addColumn<bool>("log");
        QTest::newRow("settings save") << false;
        QTest::newRow("log save") << true;
    }
    void replaceAFile() {
        QFETCH(bool, log);
        ProcessList list;
        list.Init();
        list.Append("/t/Sub", "/t/");
        const std::string fresh = log ? LogText(list) : std::string("[Corvelle]\r\nMainTop=1\r\n");
        auto save = [&](const std::string& path) {
            return log ? SaveLog(list, path) : WriteFileReplacing(path, fresh);
        };
        int total = 0;
        {
            test::TestDir t;
            total = WithFault(0, 0, [&] { QVERIFY(save(t.Path("F"))); });
        }
        QVERIFY(total >= 3);
        qInfo("%s: %d calls", log ? "log save" : "settings save", total);
        for (int err : kErrnos) {
            for (int n = 1; n <= total; ++n) {
                test::TestDir t;
                t.File("F", "the earlier file, whole");
                bool ok = false;
                WithFault(n, err, [&] { ok = save(t.Path("F")); });
                const std::string now = t.Read("F");
                const QString where = QString("call %1, errno %2").arg(n).arg(err);
                QVERIFY2(ok ? now == fresh : now == "the earlier file, whole", qPrintable(where));
                QVERIFY2(test::NoGeneratedNames(t.Snapshot()) && t.Snapshot().size() == 1,
                         qPrintable(where));
                ++runs_;
            }
        }
    }

    // A Trash move: the item is either where it was or in the Trash with its info file.
    void trashMove() {
        int total = 0;
        {
            test::TestDir t;
            t.File("victim/inner", "data");
            total = WithFault(0, 0, [&] { QVERIFY(!MoveToTrash(t.Path("victim"))); });
        }
        qInfo("Trash move: %d calls", total);
        for (int err : kErrnos) {
            for (int n = 1; n <= total; ++n) {
                test::TestDir t;
                t.File("victim/inner", "data");
                const std::string trash = state_.Path("data/Trash/");
                test::RemoveTree(RemoveBackslash(trash));
                Error reason;
                bool ok = false;
                WithFault(n, err, [&] {
                    reason = MoveToTrash(t.Path("victim"));
                    ok = !reason;
                });
                const QString where = QString("call %1, errno %2").arg(n).arg(err);
                QCOMPARE(t.Exists("victim/inner"), !ok);
                if (ok) {
                    QVERIFY2(test::ReadFileBytes(trash + "files/victim/inner") == "data",
                             qPrintable(where));
                    QVERIFY(access((trash + "info/victim.trashinfo").c_str(), F_OK) == 0);
                } else {
                    QVERIFY2(reason.sysErrno != 0, qPrintable(where));  // the system said why
                    QVERIFY2(access((trash + "info/victim.trashinfo").c_str(), F_OK) != 0,
                             qPrintable(where));
                }
                ++runs_;
            }
        }
    }

    // A move of a small tree to another file system: every content somewhere, once.
    void crossDeviceMove() {
        auto build = [](test::TestDir& s) {
            s.File("T/a", "alpha");
            s.File("T/sub/b", std::string(70000, 'b'));
            s.File("T/sub/deeper/c", "gamma");
        };
        int total = 0;
        {
            test::ScriptedFileOpUi ui;
            test::TestDir s;
            test::TestDir d("/dev/shm");
            build(s);
            total = WithFault(0, 0, [&] { QCOMPARE(ShFileMove(0, s.Path("T"), d.Root()), 0); });
        }
        qInfo("cross-device move: %d calls", total);
        for (int err : kErrnos) {
            for (int n = 1; n <= total; ++n) {
                test::ScriptedFileOpUi ui;
                test::TestDir s;
                test::TestDir d("/dev/shm");
                build(s);
                const auto before = Contents(s.Snapshot());
                int rc = 0;
                WithFault(n, err, [&] { rc = ShFileMove(0, s.Path("T"), d.Root()); });
                const Tree src = s.Snapshot(), dst = d.Snapshot();
                auto all = Contents(src);
                for (const std::string& c : Contents(dst)) all.insert(c);
                const QString where = QString("call %1, errno %2").arg(n).arg(err);
                QVERIFY2(all == before, qPrintable(where));
                QVERIFY2(NoTemporaries(src) && NoTemporaries(dst), qPrintable(where));
                if (rc == 0)
                    QVERIFY2(src.empty(), qPrintable(where));
                else
                    QVERIFY2(!ui.errors.empty(), qPrintable(where));
                ++runs_;
            }
        }
    }

    // A journaled raise row, and the Undo of a run: each either fully done or fully not.
    void raiseRowAndUndo() {
        auto build = [](test::TestDir& t) {
            t.File("A/B/x", "x");
            t.File("A/B/.y", "y");
            t.File("A/B/sub/z", "z");
            t.File("C/D/w", "w");
            t.File("keep", "k");
        };
        int total = 0;
        int undoTotal = 0;
        {
            test::ScriptedFileOpUi ui;
            test::TestDir t;
            build(t);
            test::RemoveTree(state_.Path("corvelle"));
            ProcessList list;
            test::SearchInto(t.Root(), 0, list);
            std::string journal;
            total = WithFault(0, 0, [&] { journal = test::ExecuteJournaled(list); });
            Error error;
            undoTotal = WithFault(0, 0, [&] { QCOMPARE(UndoJournal(journal, {}, error), 0); });
        }
        qInfo("journaled raise run: %d calls, its Undo: %d calls", total, undoTotal);
        // A new tree, searched, with no journal left from the run before: the same calls
        // every time.
        auto fresh = [&](test::TestDir& t, ProcessList& list) {
            build(t);
            test::RemoveTree(state_.Path("corvelle"));
            Tree original = t.Snapshot();
            test::SearchInto(t.Root(), 0, list);
            return original;
        };
        for (int err : kErrnos) {
            for (int n = 1; n <= total; ++n) {
                test::ScriptedFileOpUi ui;
                test::TestDir t;
                ProcessList list;
                const Tree original = fresh(t, list);
                WithFault(n, err, [&] { ExecuteList(list, {}); });
                const QString where = QString("call %1, errno %2").arg(n).arg(err);
                const Tree now = t.Snapshot();
                QVERIFY2(Contents(now) == Contents(original), qPrintable(where));
                QVERIFY2(test::NoGeneratedNames(now), qPrintable(where));
                // Each row: "成功" and raised, or "◆失敗!◆" and as it was.
                for (const ProcessRow& r : list.Rows()) {
                    const std::string rel = r.before.substr(t.Root().size());
                    const bool raised = !t.Exists(rel);
                    QVERIFY2((r.result == kResultSuccess) == raised,
                             qPrintable(where + " " + QString::fromStdString(rel)));
                    if (!raised) {
                        for (const auto& [k, v] : original)
                            if (k.rfind(rel + "/", 0) == 0)
                                QVERIFY2(now.count(k) && now.at(k) == v, qPrintable(where));
                    }
                }
                ++runs_;
            }
            for (int n = 1; n <= undoTotal; ++n) {
                test::ScriptedFileOpUi ui;
                test::TestDir t;
                ProcessList list;
                const Tree original = fresh(t, list);
                int failedRows = -1;
                const std::string journal = test::ExecuteJournaled(list, &failedRows);
                QCOMPARE(failedRows, 0);
                Error error;
                int failed = 0;
                WithFault(n, err, [&] { failed = UndoJournal(journal, {}, error); });
                const QString where = QString("undo call %1, errno %2").arg(n).arg(err);
                QVERIFY2(Contents(t.Snapshot()) == Contents(original), qPrintable(where));
                QVERIFY2(test::NoGeneratedNames(t.Snapshot()), qPrintable(where));
                if (failed == 0) {
                    QVERIFY2(t.Snapshot() == original, qPrintable(where));
                } else {
                    // What could not be put back is put back by the next Undo.
                    QCOMPARE(UndoJournal(journal, {}, error), 0);
                    QVERIFY2(t.Snapshot() == original, qPrintable(where));
                }
                ++runs_;
            }
        }
    }

    void cleanupTestCase() { qInfo("fault-injection runs: %d", runs_); }

  private:
    test::TestDir state_;
    int runs_ = 0;
};

QTEST_APPLESS_MAIN(TestFaults)
#include "tst_faults.moc"
