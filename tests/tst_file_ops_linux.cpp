// SPDX-License-Identifier: GPL-3.0-or-later
// The file operation's Linux cases: modes, owners and times across devices, links, mounts and
// the freedesktop Trash.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/os/file_op.h"
#include "platform/os/message_service.h"
#include "platform/os/trash.h"
#include "shellops/sh_file_lib.h"
#include "tests/support/mounts.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "util/paths.h"

using namespace corvelle;
using Answer = FileOpUi::Answer;

namespace {

const std::string kBadName = "bad\xff\xfe name";

struct stat Stat(const std::string& p) {
    struct stat st {};
    lstat(p.c_str(), &st);
    return st;
}

}  // namespace

class TestFileOpsLinux : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() {
        SetReadFailureHook(nullptr);
        SetShellOperation(nullptr);
        MessageService::ResetScript();
    }

    void crossDeviceMoveKeepsModesAndTimes() {
        test::ScriptedFileOpUi ui;
        test::TestDir src;  // /tmp
        test::TestDir dst("/dev/shm");
        QVERIFY(Stat(src.Root()).st_dev != Stat(dst.Root()).st_dev);
        src.File("tree/a.txt", "a", 1000000000);
        src.File("tree/sub/b.bin", std::string(3 << 20, 'b'), 1100000000);
        src.Link("tree/sub/link", "a.txt");
        chmod(src.Path("tree/a.txt").c_str(), 0640);
        chmod(src.Path("tree/sub").c_str(), 0750);
        const struct timespec t[2] = {{1200000000, 0}, {1200000000, 0}};
        utimensat(AT_FDCWD, src.Path("tree/sub").c_str(), t, 0);
        const auto before = src.Snapshot("tree");
        QCOMPARE(ShFileMove(0, src.Path("tree"), dst.Root()), 0);
        QVERIFY(!src.Exists("tree"));
        QCOMPARE(dst.Snapshot("tree"), before);
        QCOMPARE(Stat(dst.Path("tree/a.txt")).st_mode & 07777, mode_t(0640));
        QCOMPARE(Stat(dst.Path("tree/a.txt")).st_mtim.tv_sec, time_t(1000000000));
        QCOMPARE(Stat(dst.Path("tree/sub/b.bin")).st_mtim.tv_sec, time_t(1100000000));
        QCOMPARE(Stat(dst.Path("tree/sub")).st_mode & 07777, mode_t(0750));
        QCOMPARE(Stat(dst.Path("tree/sub")).st_mtim.tv_sec, time_t(1200000000));
    }

    void deleteForGoodLeavesLinkTargets() {
        test::ScriptedFileOpUi ui;
        test::TestDir outside;
        outside.File("precious/data", "data");
        test::TestDir t;
        t.File("victim/file", "f");
        t.Link("victim/out", outside.Path("precious"));
        t.Link("victim/outfile", outside.Path("precious/data"));
        QCOMPARE(ShFileDelete(0, t.Path("victim/"), false), 0);
        QVERIFY(!t.Exists("victim"));
        QCOMPARE(outside.Read("precious/data"), std::string("data"));
        // A link named directly goes as a link.
        t.Link("lonely", outside.Path("precious"));
        QCOMPARE(ShFileDelete(0, t.Path("lonely"), false), 0);
        QCOMPARE(outside.Read("precious/data"), std::string("data"));
    }

    void deleteStopsAtAnotherFileSystem() {
        test::ScriptedFileOpUi ui;
        test::TestDir t;
        t.File("victim/file", "f");
        t.Dir("victim/mnt");
        if (std::system(("mount -t tmpfs corvelle-test " + t.Path("victim/mnt") + " 2>/dev/null")
                            .c_str()) != 0)
            QSKIP("no permission to mount a file system here");
        test::WriteFileBytes(t.Path("victim/mnt/precious"), "precious");
        const int rc = ShFileDelete(0, t.Path("victim"), false);
        const std::string left = t.Read("victim/mnt/precious");
        const int unmounted = std::system(("umount " + t.Path("victim/mnt")).c_str());
        QCOMPARE(unmounted, 0);
        QVERIFY(rc != 0);
        QCOMPARE(left, std::string("precious"));
        QVERIFY(!t.Exists("victim/file"));  // the rest of the folder still went
    }

    void trash() {
        test::ScriptedFileOpUi ui;
        test::TestDir home;
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.Path("data")));
        test::TestDir t;
        t.File("doc.txt", "one");
        t.File("folder/inner", "inner");
        QCOMPARE(ShFileDelete(0, t.Path("doc.txt"), true), 0);
        QCOMPARE(ShFileDelete(0, t.Path("folder/"), true), 0);
        t.File("doc.txt", "two");
        QCOMPARE(ShFileDelete(0, t.Path("doc.txt"), true), 0);
        QVERIFY(!t.Exists("doc.txt") && !t.Exists("folder"));
        QCOMPARE(home.Read("data/Trash/files/doc.txt"), std::string("one"));
        QCOMPARE(home.Read("data/Trash/files/doc.txt.2"), std::string("two"));
        QCOMPARE(home.Read("data/Trash/files/folder/inner"), std::string("inner"));
        const std::string info = home.Read("data/Trash/info/folder.trashinfo");
        QVERIFY(info.rfind("[Trash Info]\nPath=" + TrashPercentEncode(t.Path("folder")) +
                               "\nDeletionDate=",
                           0) == 0);
        QVERIFY(QDateTime::fromString(QString::fromStdString(info.substr(info.rfind('=') + 1, 19)),
                                      Qt::ISODate)
                    .isValid());
        QVERIFY(home.Exists("data/Trash/info/doc.txt.2.trashinfo"));

        // A name that cannot get an info file fails at once and stays.
        const std::string longName(255, 'n');
        t.File(longName, "long");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(ShFileDelete(0, t.Path(longName), true) != 0);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(t.Read(longName), std::string("long"));
        QCOMPARE(ui.errors.size(), size_t(1));

        // A memory file system: the desktop shows no Trash for it, so none is made there;
        // the user is asked before anything is deleted for good.
        test::TestDir shm("/dev/shm");
        shm.File("shm-file", "shm");
        const std::string shmTrash = "/dev/shm/.Trash-" + std::to_string(getuid());
        test::RemoveTree(shmTrash);
        QCOMPARE(ShFileDelete(0, shm.Path("shm-file"), true), kOpCancelled);
        QCOMPARE(shm.Read("shm-file"), std::string("shm"));
        QCOMPARE(ui.permanentAsked.size(), size_t(1));
        QCOMPARE(ui.permanentAsked[0].number, int(kErrNoTrash));
        QVERIFY(ErrorMessage(ui.permanentAsked[0]).find("ごみ箱がありません") != std::string::npos);
        QVERIFY(access(shmTrash.c_str(), F_OK) != 0);
        ui.permanentAnswer = true;
        QCOMPARE(ShFileDelete(0, shm.Path("shm-file"), true), 0);
        QVERIFY(!shm.Exists("shm-file"));
        QVERIFY(access(shmTrash.c_str(), F_OK) != 0);
        qputenv("XDG_DATA_HOME", savedData);
        if (savedData.isEmpty())
            qunsetenv("XDG_DATA_HOME");
    }

    // Another disk: its top folder's Trash, used only when it passes the freedesktop.org
    // checks; otherwise nothing moves and nothing is written there.
    void trashOnAnotherDisk_data() {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("used");  // "" when the delete must be refused
        QTest::newRow("none yet: .Trash-uid made 0700") << ""
                                                        << ".Trash-$uid";
        QTest::newRow(".Trash-uid is a link") << "link"
                                              << "";
        QTest::newRow(".Trash-uid is another user's, 0777") << "foreign"
                                                            << "";
        QTest::newRow(".Trash-uid is 0755") << "loose"
                                            << "";
        QTest::newRow("its files/ is a link") << "files-link"
                                              << "";
        QTest::newRow("shared sticky .Trash") << "sticky"
                                              << ".Trash/$uid";
        QTest::newRow("shared .Trash without the sticky bit") << "not-sticky"
                                                              << ".Trash-$uid";
        QTest::newRow("shared sticky .Trash is a link") << "sticky-link"
                                                        << ".Trash-$uid";
    }
    void trashOnAnotherDisk() {
        QFETCH(QString, plant);
        QFETCH(QString, used);
        test::ScriptedFileOpUi ui;
        test::TestDir home;
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.Path("data")));
        test::TestDir t;
        t.Dir("disk");
        test::TestDir elsewhere;
        const test::LoopMounted disk(RemoveBackslash(t.Path("disk")));
        if (!disk.ok)
            QSKIP("mounting a loop device needs root (CI runs as root)");
        const std::string top = t.Path("disk/");
        const std::string uid = std::to_string(getuid());
        const std::string own = top + ".Trash-" + uid;
        if (plant == "link" || plant == "sticky-link")
            QCOMPARE(
                symlink(elsewhere.Root().c_str(), (plant == "link" ? own : top + ".Trash").c_str()),
                0);
        if (plant == "foreign" || plant == "loose" || plant == "files-link") {
            QCOMPARE(mkdir(own.c_str(), 0700), 0);
            QCOMPARE(chmod(own.c_str(), plant == "foreign" ? 0777
                                        : plant == "loose" ? 0755
                                                           : 0700),
                     0);
            if (plant == "foreign")
                QCOMPARE(chown(own.c_str(), 65534, 65534), 0);
            if (plant == "files-link")
                QCOMPARE(symlink(elsewhere.Root().c_str(), (own + "/files").c_str()), 0);
        }
        if (plant == "sticky" || plant == "not-sticky") {
            QCOMPARE(mkdir((top + ".Trash").c_str(), 0777), 0);
            QCOMPARE(chmod((top + ".Trash").c_str(), plant == "sticky" ? 01777 : 0777), 0);
        }
        test::WriteFileBytes(top + "doc", "on the disk");
        const auto elsewhereBefore = elsewhere.Snapshot();
        const int rc = ShFileDelete(0, top + "doc", true);
        QCOMPARE(elsewhere.Snapshot(), elsewhereBefore);  // nothing written through a link
        if (used.isEmpty()) {
            QCOMPARE(rc, kOpCancelled);
            QCOMPARE(test::ReadFileBytes(top + "doc"), std::string("on the disk"));
            QCOMPARE(ui.permanentAsked.size(), size_t(1));
            QCOMPARE(ui.permanentAsked[0].number, int(kErrNoTrash));
        } else {
            QCOMPARE(rc, 0);
            const std::string trash =
                top + used.replace("$uid", QString::fromStdString(uid)).toStdString();
            QCOMPARE(test::ReadFileBytes(trash + "/files/doc"), std::string("on the disk"));
            QVERIFY(test::ReadFileBytes(trash + "/info/doc.trashinfo").find("\nPath=doc\n") !=
                    std::string::npos);
            struct stat st {};
            QCOMPARE(lstat(trash.c_str(), &st), 0);
            QVERIFY(S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 07777) == 0700);
        }
        qputenv("XDG_DATA_HOME", savedData);
        if (savedData.isEmpty())
            qunsetenv("XDG_DATA_HOME");
    }

    void percentEncoding() {
        QCOMPARE(TrashPercentEncode("/a b/写\xff"), std::string("/a%20b/%E5%86%99%FF"));
    }

    void copyNeverWritesThroughALink() {
        test::ScriptedFileOpUi ui;
        ui.answers = {Answer::Yes};
        test::TestDir outside;
        outside.File("target", "outside");
        test::TestDir t;
        t.File("src/f", "new");
        t.Link("dst/f", outside.Path("target"));
        QCOMPARE(ShFileCopy(0, t.Path("src/f"), t.Path("dst")), 0);
        QCOMPARE(t.Read("dst/f"), std::string("new"));
        QVERIFY(S_ISREG(Stat(t.Path("dst/f")).st_mode));
        QCOMPARE(outside.Read("target"), std::string("outside"));
    }
};

QTEST_APPLESS_MAIN(TestFileOpsLinux)
#include "tst_file_ops_linux.moc"
