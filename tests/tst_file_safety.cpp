// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer tried the way an attacker would: names that look like patterns, links
// swapped in between two steps, mounts inside the tree, trees deeper than PATH_MAX, sources
// rewritten while they are copied, raises that fail half-way. Every check compares the
// whole tree afterwards, so a lost or wrongly touched item shows.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QtTest>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/os/file_write.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "platform/os/test_seam.h"
#include "shellops/sh_file_lib.h"
#include "tests/support/mounts.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tests/support/undo_run.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "util/paths.h"

using namespace corvelle;
using Tree = std::map<std::string, std::string>;

namespace {

const QString S = QString::fromUtf8(kResultSuccess);
const QString F = QString::fromUtf8(kResultFailure);

QStringList Results(const ProcessList& list) {
    QStringList out;
    for (const ProcessRow& r : list.Rows()) out << QString::fromStdString(r.result);
    return out;
}

QStringList Keys(const Tree& tree) {
    QStringList out;
    for (const auto& [k, v] : tree) out << QString::fromStdString(k);
    return out;
}

struct stat Lstat(const std::string& p) {
    struct stat st {};
    lstat(p.c_str(), &st);
    return st;
}

// A chain of `levels` folders with 200-byte names below root: far beyond PATH_MAX.
std::string MakeDeep(const std::string& root, int levels) {
    std::string rel;
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels; ++i) {
        const std::string name = std::string(199, 'a' + i % 26) + std::to_string(i % 10);
        mkdirat(fd, name.c_str(), 0755);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        rel += (rel.empty() ? "" : "/") + name;
    }
    close(fd);
    return rel;
}

// Creates a file at a relative path of any length below root.
void PutAt(const std::string& root, const std::string& rel, const std::string& content) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    size_t pos = 0;
    for (size_t slash; (slash = rel.find('/', pos)) != std::string::npos; pos = slash + 1) {
        const std::string piece = rel.substr(pos, slash - pos);
        mkdirat(fd, piece.c_str(), 0755);
        const int next = openat(fd, piece.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    const int out = openat(fd, rel.substr(pos).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(out >= 0 && write(out, content.data(), content.size()) == ssize_t(content.size()));
    close(out);
    close(fd);
}

}  // namespace

class TestFileSafety : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() {
        SetSeamHook(nullptr);
        MessageService::ResetScript();
    }

    // A folder literally named "*" is one folder, never "every entry", in every wrapper.
    void starIsAName_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QStringList>("inX");  // what X holds afterwards
        QTest::addColumn<QStringList>("inD");  // what D holds afterwards
        const QStringList both{"*", "*/in", "sibling", "sibling/precious"};
        QTest::newRow("copy") << "copy" << both << QStringList{"*", "*/in"};
        QTest::newRow("move") << "move" << QStringList{"sibling", "sibling/precious"}
                              << QStringList{"*", "*/in"};
        QTest::newRow("delete") << "delete" << QStringList{"sibling", "sibling/precious"}
                                << QStringList{};
        QTest::newRow("trash") << "trash" << QStringList{"sibling", "sibling/precious"}
                               << QStringList{};
        QTest::newRow("rename") << "rename"
                                << QStringList{"sibling", "sibling/precious", "star", "star/in"}
                                << QStringList{};
    }
    void starIsAName() {
        QFETCH(QStringList, inX);
        QFETCH(QStringList, inD);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("X/*/in", "in");
        t.File("X/sibling/precious", "p");
        t.Dir("D");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(t.Path("data")));
        QFETCH(QString, op);
        const std::string star = t.Path("X/*/");  // with the trailing separator, as the window
        int rc = -1;
        if (op == "copy")
            rc = ShFileCopy(0, star, t.Path("D"));
        if (op == "move")
            rc = ShFileMove(0, star, t.Path("D"));
        if (op == "delete")
            rc = ShFileDelete(0, star, false);
        if (op == "trash")
            rc = ShFileDelete(0, star, true);
        if (op == "rename")
            rc = ShFileRename(0, star, t.Path("X/star"));
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(rc, 0);
        QCOMPARE(Keys(t.Snapshot("X")), inX);
        QCOMPARE(Keys(t.Snapshot("D")), inD);
        QCOMPARE(t.Read("X/sibling/precious"), std::string("p"));
        if (op == "trash")
            QCOMPARE(t.Read("data/Trash/files/*/in"), std::string("in"));
    }

    // A folder on a row's path swapped for a link to an outside folder, after the search or
    // between two rows: the row fails, the outside is untouched, the other rows still run.
    void linkSwappedIntoThePath_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("duringExecution");
        QTest::newRow("delete row, after the search") << 1 << false;
        QTest::newRow("delete row, between two rows") << 1 << true;
        QTest::newRow("raise row, after the search") << 0 << false;
        QTest::newRow("raise row, between two rows") << 0 << true;
    }
    void linkSwappedIntoThePath() {
        QFETCH(bool, duringExecution);
        QFETCH(int, mode);
        test::ScriptedFileOpUi ui;
        test::TestDir out;
        test::TestDir t;
        // Z's row comes first (the walk takes the last sub-folder first), P's second.
        if (mode == 1) {
            t.Dir("P/E");
            t.File("P/f");
            t.Dir("Z/E");
            t.File("Z/f");
            out.Dir("E");
            out.File("other", "o");
        } else {
            t.File("P/Q/S/x", "x");
            t.File("P/f");
            t.File("Z/Q/S/x", "zx");
            t.File("Z/f");
            out.File("Q/S/x", "outside");
        }
        t.File("keep");
        ProcessList list;
        test::SearchInto(t.Root(), mode, list);
        QCOMPARE(list.Count(), 2);
        QVERIFY(list.Row(0).before.rfind(t.Path("Z/"), 0) == 0);
        auto swap = [&] {
            QCOMPARE(rename(t.Path("P").c_str(), t.Path("P.real").c_str()), 0);
            t.Link("P", RemoveBackslash(out.Root()));
        };
        if (duringExecution) {
            SetSeamHook([&](const char* point, const std::string& item) {
                if (std::string(point) == "execute:row" && item.rfind(t.Path("P/"), 0) == 0)
                    swap();
            });
        } else {
            swap();
        }
        const Tree outside = out.Snapshot();
        const Tree real = t.Snapshot(duringExecution ? "P" : "P.real");
        std::vector<std::string> reasons;
        ExecutionUi eu;
        eu.failed = [&](int, const Error& e) { reasons.push_back(ErrorMessage(e)); };
        QCOMPARE(ExecuteList(list, eu), 1);
        // The row keeps the error itself: the kind, the system's errno and the folder.
        const Error& kept = list.Row(1).failure;
        QCOMPARE(kept.number, int(kErrReplacedByLink));
        QVERIFY2(kept.sysErrno == ELOOP || kept.sysErrno == ENOTDIR, strerror(kept.sysErrno));
        QVERIFY(kept.path.rfind(t.Path("P"), 0) == 0);
        QVERIFY(!list.Row(0).failure);
        QCOMPARE(Results(list), (QStringList{S, F}));
        QCOMPARE(out.Snapshot(), outside);
        QCOMPARE(t.Snapshot("P.real"), real);
        QCOMPARE(reasons.size(), size_t(1));
        QVERIFY2(reasons[0].find("リンク") != std::string::npos, reasons[0].c_str());
    }

    // A mount (another file system, or a bind mount of an outside folder) inside the tree
    // is an entry of its parent: never a row, never raised, never deleted into.
    // Either the kernel refuses to cross it, or (on a file system whose sub-volumes have
    // devices of their own, and on kernels without openat2) the walk compares devices.
    void mountInsideTheTree_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("compare");
        QTest::newRow("tmpfs") << "tmpfs" << false;
        QTest::newRow("bind mount") << "bind" << false;
        QTest::newRow("tmpfs, devices compared") << "tmpfs" << true;
        QTest::newRow("bind mount, devices compared") << "bind" << true;
    }
    void mountInsideTheTree() {
        QFETCH(QString, kind);
        QFETCH(bool, compare);
        const FileSystemTraits careful{false, false};
        AssumeTraits(compare ? &careful : nullptr);
        struct Reset {
            ~Reset() { AssumeTraits(nullptr); }
        } reset;
        test::ScriptedFileOpUi ui;
        test::TestDir out;
        out.File("data", "outside data");
        test::TestDir t;
        t.Dir("F1/F2");
        t.Dir("G/M");
        t.File("keep");
        const bool bind = kind == "bind";
        test::Mounted m(bind ? RemoveBackslash(out.Root()) : "tmpfs", t.Path("F1/F2"),
                        bind ? nullptr : "tmpfs", bind ? MS_BIND : 0);
        test::Mounted empty("tmpfs", t.Path("G/M"), "tmpfs", 0);  // an empty mounted folder
        if (!m.ok || !empty.ok)
            QSKIP("mounting needs root (CI runs as root)");
        if (!bind)
            test::WriteFileBytes(t.Path("F1/F2/data"), "mounted data");
        const Tree before = t.Snapshot();
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        QCOMPARE(list.Count(), 0);  // F1 holds a mount, G holds a mount: no lone sub-folder
        test::SearchInto(t.Root(), 1, list);
        QCOMPARE(list.Count(), 0);  // the empty mount is never a folder to delete
        // A permanent delete and the Trash leave the mount and what it holds.
        QVERIFY(ShFileDelete(0, t.Path("F1"), false) != 0);
        QVERIFY(ShFileDelete(0, t.Path("F1/F2"), true) != 0);
        QCOMPARE(t.Snapshot(), before);
        QCOMPARE(out.Read("data"), std::string("outside data"));
    }

    // The write-beside helper never truncates a file that happens to bear its temporary name.
    void existingTemporaryNameKept() {
        test::TestDir t;
        t.Dir("E");
        t.File("plan.log.tmp", "the user's own file");
        t.File("RUZO.INI.tmp", "also the user's");
        std::string out;
        QCOMPARE(test::RunTool({"--mode", "empty", t.Path("E"), "--log", t.Path("plan.log")}, &out),
                 0);
        QVERIFY(WriteFileReplacing(t.Path("RUZO.INI"), "[Corvelle]\r\n"));
        QCOMPARE(t.Read("plan.log.tmp"), std::string("the user's own file"));
        QCOMPARE(t.Read("RUZO.INI.tmp"), std::string("also the user's"));
        QCOMPARE(t.Read("RUZO.INI"), std::string("[Corvelle]\r\n"));
        QCOMPARE(Keys(t.Snapshot()),
                 (QStringList{"E", "RUZO.INI", "RUZO.INI.tmp", "plan.log", "plan.log.tmp"}));
    }

    // A file rewritten (same size) while it is copied to another file system keeps its
    // place and its new content; the copy goes and the move reports failure.
    void sourceRewrittenDuringCrossDeviceMove() {
        test::ScriptedFileOpUi ui;
        test::TestDir src;
        test::TestDir dst("/dev/shm");
        QVERIFY(Lstat(src.Root()).st_dev != Lstat(dst.Root()).st_dev);
        src.File("f", std::string(100000, 'a'));
        SetSeamHook([&](const char* point, const std::string& item) {
            if (std::string(point) != "copy:data" || item != src.Path("f"))
                return;
            const int fd = open(item.c_str(), O_WRONLY);
            QVERIFY(pwrite(fd, "BBBB", 4, 500) == 4);
            close(fd);
        });
        QVERIFY(ShFileMove(0, src.Path("f"), dst.Root()) != 0);
        std::string want(100000, 'a');
        want.replace(500, 4, "BBBB");
        QCOMPARE(src.Read("f"), want);
        QVERIFY(dst.Snapshot().empty());
        QCOMPARE(ui.errors.size(), size_t(1));
    }

    // Trees far deeper than PATH_MAX are searched, raised, deleted, copied and moved.
    void deeperThanPathMax() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        const std::string deep = MakeDeep(t.Root(), 25);
        QVERIFY(deep.size() > 4096);
        PutAt(t.Root(), deep + "/solo/file", "bottom");
        // Every level holds only the next: one raise row per level, the deepest first.
        std::string out, err;
        QCOMPARE(test::RunTool({t.Root()}, &out, &err), 0);
        QVERIFY2(err.empty(), err.c_str());
        QCOMPARE(std::count(out.begin(), out.end(), '\n'), 26L);
        QVERIFY(out.find(t.Path(deep + "/solo,")) != std::string::npos);
        // Empty mode: the deepest folder is the only empty one.
        test::TestDir e;
        const std::string edeep = MakeDeep(e.Root(), 25);
        e.File("keep");
        QCOMPARE(test::RunTool({"--mode", "empty", "--execute", e.Root()}, &out, &err), 0);
        QCOMPARE(out, e.Path(edeep) + "/," + kDeleteMarker + "," + kResultSuccess + "\n");
        QCOMPARE(e.Snapshot().size(), size_t(25));  // 24 folders and keep
        // Copy, move across file systems, and delete, all whole.
        const Tree tree = t.Snapshot();
        test::TestDir c;
        test::TestDir shm("/dev/shm");
        const std::string top = deep.substr(0, deep.find('/'));
        QCOMPARE(ShFileCopy(0, t.Path(top), c.Root()), 0);
        QCOMPARE(c.Snapshot(), tree);
        QCOMPARE(ShFileMove(0, c.Path(top), shm.Root()), 0);
        QCOMPARE(shm.Snapshot(), tree);
        QVERIFY(c.Snapshot().empty());
        QCOMPARE(ShFileDelete(0, shm.Path(top), false), 0);
        QVERIFY(shm.Snapshot().empty());
        // The raise rows carried out: everything comes up to the top.
        QCOMPARE(test::RunTool({"--execute", t.Root()}, &out, &err), 0);
        QCOMPARE(t.Snapshot(), (Tree{{"file", "bottom"}}));
        QVERIFY(ui.errors.empty());
    }

    // A sub-folder that vanishes while the walk is under way is reported once; Ignore goes
    // on with the next one and no folder is examined twice.
    void subFolderVanishesMidWalk() {
        test::TestDir t;
        t.File("a/x");
        t.Dir("b");
        t.Dir("c");
        SetSeamHook([&](const char* point, const std::string& item) {
            if (std::string(point) == "search:enter" && item == t.Path("b"))
                test::RemoveTree(t.Path("b"));
        });
        ProcessList list;
        MessageService::ResetScript();
        MessageService::QueueAnswer(MsgAnswer::Ignore);
        test::SearchInto(t.Root(), 1, list);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Row(0).before, t.Path("c/"));
        QCOMPARE(MessageService::Shown().size(), size_t(2));
        QCOMPARE(MessageService::Shown()[0].buttons, MsgButtons::AbortRetryIgnore);
        QVERIFY(MessageService::Shown()[0].text.find(t.Path("b") + ": " +
                                                     SystemErrorText(ENOENT)) != std::string::npos);
        QCOMPARE(MessageService::Shown()[1].text, std::string("検索完了!"));
        // The tool says it once, with the true reason, and goes on.
        t.Dir("b");
        std::string out, err;
        // A folder it could not read makes the exit status 1, as find's does.
        QCOMPARE(test::RunTool({"--mode", "empty", t.Root()}, &out, &err), 1);
        QCOMPARE(std::count(err.begin(), err.end(), '\n'), 1L);
        QVERIFY(err.find(SystemErrorText(ENOENT)) != std::string::npos);
        QCOMPARE(out, t.Path("c/") + "," + kDeleteMarker + ",\n");
    }

    // A raise that fails after moving some entries puts them back, and a folder moved aside
    // for the own-name clash gets its name back: the tree is as it was.
    void failedRaisePutsBack_data() {
        QTest::addColumn<QString>("when");
        QTest::newRow("clash half-way, own-name folder aside") << "clash";
        QTest::newRow("emptied folder cannot be removed") << "late";
    }
    void failedRaisePutsBack() {
        QFETCH(QString, when);
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        const bool clash = when == "clash";
        t.File("A/A/x", "x");
        t.File("A/A/y", "y");
        t.File("A/A/" + std::string("n\xff"), "bytes");
        t.File(clash ? "A/A/A/deep" : "A/A/.dot", "deep");
        t.File("keep");
        ProcessList list;
        test::SearchInto(t.Root(), 0, list);
        QCOMPARE(list.Count(), 1);
        Tree want = t.Snapshot();
        SetSeamHook([&](const char* point, const std::string& item) {
            // Another program drops a file where "y" must go, or into the emptied folder.
            if (clash && std::string(point) == "move:entry" && PathLeaf(item) == "y")
                t.File("A/y", "intruder");
            if (!clash && std::string(point) == "raise:moved")
                t.File("A/A/late", "late");
        });
        want[clash ? "A/y" : "A/A/late"] = clash ? "intruder" : "late";
        QCOMPARE(ExecuteList(list, {}), 1);
        QCOMPARE(Results(list), QStringList{F});
        const Tree got = t.Snapshot();
        QCOMPARE(got, want);
        QVERIFY(test::NoGeneratedNames(got));
    }

    // Copies keep what cp -a keeps, on the same file system and across to another.
    void copiesKeepEverything_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("move");
        QTest::newRow("copy, same file system") << "/tmp" << false;
        QTest::newRow("copy to another file system") << "/dev/shm" << false;
        QTest::newRow("move to another file system") << "/dev/shm" << true;
    }
    void copiesKeepEverything() {
        QFETCH(QString, to);
        test::ScriptedFileOpUi ui;
        test::TestDir src;
        test::TestDir dst(to.toStdString());
        src.File("T/f", "content");
        src.File("T/h1", "linked");
        QCOMPARE(link(src.Path("T/h1").c_str(), src.Path("T/h2").c_str()), 0);
        src.Link("T/l", "f");
        src.Fifo("T/p");
        {
            const int fd = open(src.Path("T/sparse").c_str(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(ftruncate(fd, 64 << 20) == 0 && pwrite(fd, "data", 4, 1 << 20) == 4);
            close(fd);
        }
        const std::string f = src.Path("T/f");
        const bool root = geteuid() == 0;
        if (root)
            QCOMPARE(chown(f.c_str(), 1234, 5678), 0);
        QCOMPARE(chmod(f.c_str(), root ? 04750 : 0750), 0);
        const bool userXattr = setxattr(f.c_str(), "user.note", "hi", 2, 0) == 0;
        // An access ACL (user 1234 may read), as the kernel stores it.
        const unsigned char acl[] = {2,  0, 0, 0,                          // version
                                     1,  0, 7, 0, 0xff, 0xff, 0xff, 0xff,  // user::rwx
                                     2,  0, 4, 0, 0xd2, 4,    0,    0,     // user:1234:r
                                     4,  0, 5, 0, 0xff, 0xff, 0xff, 0xff,  // group::r-x
                                     16, 0, 5, 0, 0xff, 0xff, 0xff, 0xff,  // mask::r-x
                                     32, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};
        const bool hasAcl = setxattr(f.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
        const struct timespec times[2] = {{1000, 123456789}, {2000, 987654321}};
        QCOMPARE(utimensat(AT_FDCWD, f.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        const struct stat was = Lstat(f);
        const struct stat sparseWas = Lstat(src.Path("T/sparse"));
        QFETCH(bool, move);
        QCOMPARE(move ? ShFileMove(0, src.Path("T"), dst.Root())
                      : ShFileCopy(0, src.Path("T"), dst.Root()),
                 0);
        QCOMPARE(src.Exists("T"), !move);
        const std::string g = dst.Path("T/f");
        const struct stat now = Lstat(g);
        QCOMPARE(dst.Read("T/f"), std::string("content"));
        QCOMPARE(now.st_mode, was.st_mode);  // set-id bits included
        QCOMPARE(now.st_uid, was.st_uid);
        QCOMPARE(now.st_gid, was.st_gid);
        QCOMPARE(now.st_mtim.tv_nsec, was.st_mtim.tv_nsec);
        QCOMPARE(now.st_mtim.tv_sec, was.st_mtim.tv_sec);
        char buf[256];
        if (userXattr)
            QCOMPARE(std::string(buf, std::max<ssize_t>(
                                          0, getxattr(g.c_str(), "user.note", buf, sizeof buf))),
                     std::string("hi"));
        if (hasAcl) {
            const ssize_t n = getxattr(g.c_str(), "system.posix_acl_access", buf, sizeof buf);
            QCOMPARE(QByteArray(buf, int(std::max<ssize_t>(0, n))),
                     QByteArray(reinterpret_cast<const char*>(acl), sizeof acl));
        }
        QCOMPARE(Lstat(dst.Path("T/h1")).st_ino, Lstat(dst.Path("T/h2")).st_ino);
        QCOMPARE(dst.Snapshot("T")["l"], std::string("-> f"));
        QVERIFY(S_ISFIFO(Lstat(dst.Path("T/p")).st_mode));
        const struct stat sparse = Lstat(dst.Path("T/sparse"));
        QCOMPARE(sparse.st_size, sparseWas.st_size);
        QVERIFY2(sparse.st_blocks <= sparseWas.st_blocks + 64,
                 qPrintable(QString::number(sparse.st_blocks)));
    }

    // Junk files are the objects users have, and they are moved, never copied: a pipe or a
    // device is no junk; any change after the search (even one that sets the time back)
    // fails the row untouched; a run and its Undo, or a failed row, leave every junk file the
    // very same inode with its links, xattrs, ACL, owner, mode and times.
    void junkIsMovedNeverCopied_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("change");  // between the search and the run
        QTest::addColumn<QString>("result");  // of J's row; "" when J is no row
        QTest::newRow("a pipe named like junk") << "fifo"
                                                << ""
                                                << "";
        QTest::newRow("a device named like junk") << "device"
                                                  << ""
                                                  << "";
        QTest::newRow("an empty file") << "empty"
                                       << "" << S;
        QTest::newRow("xattrs, an ACL and a hard link") << "linked"
                                                        << "" << S;
        QTest::newRow("another user's file") << "owned"
                                             << "" << S;
        QTest::newRow("rewritten, its time set back") << "file"
                                                      << "rewrite" << F;
        QTest::newRow("chmod") << "file"
                               << "chmod" << F;
        QTest::newRow("chown") << "file"
                               << "chown" << F;
        QTest::newRow("an xattr set") << "file"
                                      << "xattr" << F;
        QTest::newRow("a hard link made") << "file"
                                          << "link" << F;
        QTest::newRow("a file arrives as the folder goes") << "linked"
                                                           << "arrive" << F;
    }
    void junkIsMovedNeverCopied() {
        QFETCH(QString, object);
        QFETCH(QString, change);
        QFETCH(QString, result);
        const bool root = geteuid() == 0;
        if (!root && (object == "device" || object == "owned" || change == "chown"))
            QSKIP("needs root");
        test::TestDir state;
        test::JournalHome home(state.Root());
        test::TestDir t;
        t.File("keep");
        t.File("OUT/precious.db", "precious");
        const std::string junk = t.Path("J/Thumbs.db");
        t.Dir("J");
        if (object == "fifo")
            t.Fifo("J/Thumbs.db");
        else if (object == "device")
            QCOMPARE(mknod(junk.c_str(), S_IFCHR | 0644, makedev(1, 3)), 0);
        else if (object == "linked")
            QCOMPARE(link(t.Path("OUT/precious.db").c_str(), junk.c_str()), 0);
        else
            t.File("J/Thumbs.db", object == "empty" ? "" : "thumbs", 1000000000);
        if (object == "owned")
            QCOMPARE(chown(junk.c_str(), 1001, 1001), 0);
        if (object == "linked") {
            setxattr(junk.c_str(), "user.origin", "camera", 6, 0);
            const unsigned char acl[] = {
                2,    0,    0,    0,    1,    0,    6,    0,    0xff, 0xff, 0xff, 0xff,
                2,    0,    4,    0,    0xd2, 4,    0,    0,  // user:1234:r
                4,    0,    4,    0,    0xff, 0xff, 0xff, 0xff, 16,   0,    4,    0,
                0xff, 0xff, 0xff, 0xff, 32,   0,    4,    0,    0xff, 0xff, 0xff, 0xff};
            setxattr(junk.c_str(), "system.posix_acl_access", acl, sizeof acl, 0);
        }
        // Everything a copy could lose, and the bytes.
        const auto facts = [&] {
            const struct stat st = Lstat(junk);
            struct statx sx {};
            statx(AT_FDCWD, junk.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &sx);
            char names[1024], value[256];
            // A number can be handed on at once; a birth time is the file's own.
            std::string out =
                std::to_string(st.st_ino) + "/" + std::to_string(sx.stx_btime.tv_sec) + "." +
                std::to_string(sx.stx_btime.tv_nsec) + " " + std::to_string(st.st_nlink) + " " +
                std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + " " +
                std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
                (S_ISREG(st.st_mode) ? t.Read("J/Thumbs.db") : std::string());
            const ssize_t n = llistxattr(junk.c_str(), names, sizeof names);
            for (ssize_t i = 0; i < n; i += ssize_t(std::strlen(names + i)) + 1) {
                const ssize_t v = lgetxattr(junk.c_str(), names + i, value, sizeof value);
                out += std::string(" ") + (names + i) + "=" +
                       QByteArray(value, int(std::max<ssize_t>(0, v))).toHex().toStdString();
            }
            return out;
        };
        ProcessList list;
        test::SearchInto(t.Root(), 1, list, true, test::Rules("junk"));
        int row = -1;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Cell(i, 0) == t.Path("J/"))
                row = i;
        QCOMPARE(row >= 0 ? result : QString(), result);
        if (row < 0) {
            QVERIFY(list.Count() == 0);
            return;
        }
        if (change == "rewrite") {
            const struct stat st = Lstat(junk);
            test::WriteFileBytes(junk, "THUMBS");
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            QCOMPARE(utimensat(AT_FDCWD, junk.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        }
        if (change == "chmod")
            QCOMPARE(chmod(junk.c_str(), 0600), 0);
        if (change == "chown")
            QCOMPARE(chown(junk.c_str(), 1001, 1001), 0);
        if (change == "xattr" && setxattr(junk.c_str(), "user.origin", "camera", 6, 0) != 0)
            QSKIP("no user xattrs here");
        if (change == "link")
            QCOMPARE(link(junk.c_str(), t.Path("OUT/second").c_str()), 0);
        SetSeamHook([&](const char* point, const std::string&) {
            if (change == "arrive" && std::string(point) == "delete:checked")
                t.File("J/late", "late");
        });
        const std::string was = facts();
        const std::string journal = test::ExecuteJournaled(list);
        SetSeamHook(nullptr);
        QCOMPARE(QString::fromStdString(list.Row(row).result), result);
        if (result == F) {
            QCOMPARE(facts(), was);  // the row changed nothing
            return;
        }
        QVERIFY(!t.Exists("J"));
        const test::UndoResult u = test::Undo(journal);
        QVERIFY2(u.failed == 0, u.error.c_str());
        QCOMPARE(facts(), was);
        QCOMPARE(t.Read("OUT/precious.db"), std::string("precious"));
    }
};

QTEST_APPLESS_MAIN(TestFileSafety)
#include "tst_file_safety.moc"
