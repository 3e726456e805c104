// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <unistd.h>

#include <QtTest>
#include <cstdlib>
#include <ctime>

#include "browser/file_list.h"
#include "platform/os/enumeration.h"
#include "tests/support/test_dir.h"
#include "util/file_types.h"

using namespace corvelle;

namespace {

const FileRow* Find(const FileList& l, const std::string& name) {
    for (int i = 0; i < l.Count(); ++i)
        if (l.Row(i).name == name)
            return &l.Row(i);
    return nullptr;
}

QStringList Names(const FileList& l) {
    QStringList out;
    for (int i = 0; i < l.Count(); ++i) out << QString::fromStdString(l.Row(i).name);
    return out;
}

}  // namespace

class TestFileList : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
    }

    void classes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("cls");
        QTest::addColumn<int>("icon");
        QTest::newRow("jpeg") << "photo.jpeg"
                              << "jpeg" << 0 << 1;
        QTest::newRow("JPEG") << "PHOTO.JPEG"
                              << "JPEG" << 0 << 1;
        QTest::newRow("Mpeg") << "movie.Mpeg"
                              << "Mpeg" << 6 << 6;
        QTest::newRow("tar.gz") << "archive.tar.gz"
                                << "gz" << 99 << 9;
        QTest::newRow("no dot") << "readme"
                                << "" << 99 << 9;
        QTest::newRow("trailing dot") << "notes."
                                      << "" << 99 << 9;
        QTest::newRow("leading dot") << ".profile"
                                     << "profile" << 99 << 9;
        QTest::newRow("gif") << "banner.gif"
                             << "gif" << 7 << 1;
        QTest::newRow("ani") << "cursor.ani"
                             << "ani" << 10 << 8;
        QTest::newRow("cur") << "arrow.CUR"
                             << "CUR" << 9 << 8;
        QTest::newRow("mp3") << "song.mp3"
                             << "mp3" << 5 << 5;
        QTest::newRow("mp4") << "song.mp4"
                             << "mp4" << 99 << 9;
        QTest::newRow("ico") << "app.ico"
                             << "ico" << 1 << 2;
        QTest::newRow("rtf") << "a.rtf"
                             << "rtf" << 2 << 3;
        QTest::newRow("log") << "RUZO.LOG"
                             << "LOG" << 3 << 3;
        QTest::newRow("mid") << "x.mid"
                             << "mid" << 4 << 4;
        QTest::newRow("Html") << "page.Html"
                              << "Html" << 8 << 7;
        QTest::newRow("ptoca, the longest") << "f.ptoca"
                                            << "ptoca" << 0 << 1;
        QTest::newRow("no prefix match") << "x.jpgx"
                                         << "jpgx" << 99 << 9;
        QTest::newRow("non-ASCII stays") << "x.ｊｐｇ"
                                         << "ｊｐｇ" << 99 << 9;
    }
    void classes() {
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QFETCH(int, cls);
        QFETCH(int, icon);
        const std::string bytes = name.toStdString();
        QCOMPARE(QString::fromStdString(FileExtension(bytes)), ext);
        QCOMPARE(FileTypeClass(bytes), cls);
        QCOMPARE(FileIconIndex(FileTypeClass(bytes)), icon);
    }

    void formats_data() {
        QTest::addColumn<qint64>("v");
        QTest::addColumn<QString>("grouped");
        QTest::addColumn<QString>("dmy");
        QTest::newRow("0") << qint64(0) << "0"
                           << "00000000000";
        QTest::newRow("1234") << qint64(1234) << "1,234"
                              << "00000001234";
        QTest::newRow("999") << qint64(999) << "999"
                             << "00000000999";
        QTest::newRow("5e9") << qint64(5000000000LL) << "5,000,000,000"
                             << "05000000000";
        QTest::newRow("12 digits") << qint64(123456789012LL) << "123,456,789,012"
                                   << "123456789012";
    }
    void formats() {
        QFETCH(qint64, v);
        QFETCH(QString, grouped);
        QFETCH(QString, dmy);
        QCOMPARE(QString::fromStdString(FormatGrouped(v)), grouped);
        QCOMPARE(QString::fromStdString(FormatSizeDmy(v)), dmy);
    }

    void loadAFolder() {
        test::TestDir t;
        const int fd = open(t.Path("big.bin").c_str(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ftruncate(fd, 5000000000LL) == 0);  // sparse
        close(fd);
        t.File("empty.txt", std::string());
        test::WriteFileBytes(t.Path("empty.txt"), "");
        t.File("readme", "12345");
        t.File("photo.JPG", "1234567");
        t.File("page.Html", "12");
        t.File(".hidden", "1");
        t.Dir("subfolder");
        t.Dir("target-folder");
        t.Link("to-folder", t.Path("target-folder"));
        t.Link("to-file", t.Path("readme"));
        t.Link("dangling", t.Path("nowhere"));
        // 2006/03/09 07:05:02 in Tokyo.
        struct tm tm = {};
        tm.tm_year = 106;
        tm.tm_mon = 2;
        tm.tm_mday = 9;
        tm.tm_hour = 7;
        tm.tm_min = 5;
        tm.tm_sec = 2;
        tm.tm_isdst = -1;
        t.File("dated.txt", "d", mktime(&tm));

        FileList l;
        l.Load(t.Root(), true, false);
        QCOMPARE(l.Count(), 9);
        QVERIFY(!Find(l, "subfolder") && !Find(l, "to-folder") && !Find(l, "target-folder"));
        const FileRow* big = Find(l, "big.bin");
        QVERIFY(big);
        QCOMPARE(big->size, std::string("5,000,000,000"));
        QCOMPARE(big->sizeDmy, std::string("05000000000"));
        QCOMPARE(Find(l, "empty.txt")->size, std::string("0"));
        QCOMPARE(Find(l, "empty.txt")->sizeDmy, std::string("00000000000"));
        QCOMPARE(Find(l, "readme")->ext, std::string());
        QCOMPARE(Find(l, "readme")->icon, 9);
        QCOMPARE(Find(l, "photo.JPG")->ext, std::string("JPG"));
        QCOMPARE(Find(l, "photo.JPG")->icon, 1);
        QCOMPARE(Find(l, "page.Html")->icon, 7);
        QVERIFY(Find(l, ".hidden"));
        // A link is listed as itself: its own size (the length of what it names).
        QCOMPARE(Find(l, "to-file")->size, FormatGrouped(int64_t(t.Path("readme").size())));
        QCOMPARE(Find(l, "dangling")->size, FormatGrouped(int64_t(t.Path("nowhere").size())));
        // Before any header click the rows come in name order, whatever the folder holds.
        QStringList names;
        for (int i = 0; i < l.Count(); ++i) names << QString::fromStdString(l.Row(i).name);
        QCOMPARE(names, (QStringList{".hidden", "big.bin", "dangling", "dated.txt", "empty.txt",
                                     "page.Html", "photo.JPG", "readme", "to-file"}));
        QCOMPARE(Find(l, "dated.txt")->date, std::string("2006/03/09 07:05:02"));
        // The links count with their own sizes.
        const int64_t links = int64_t(t.Path("readme").size() + t.Path("nowhere").size());
        const int64_t total = 5000000000LL + 0 + 5 + 7 + 2 + 1 + links + 1;
        QCOMPARE(l.Total(), total);
        QCOMPARE(FilesStatusText(l.Count(), l.Total()),
                 " 9Files  Total " + FormatGrouped(total) + "bytes");

        l.Load(t.Root(), true, true);
        QVERIFY(Find(l, t.Path("readme")));
    }

    void emptyAndUnreadableFolders() {
        test::TestDir t;
        t.Dir("only/sub");
        FileList l;
        l.Load(t.Path("only/"), true, false);
        QCOMPARE(l.Count(), 0);
        QCOMPARE(FilesStatusText(l.Count(), l.Total()), std::string(" 0Files  Total 0bytes"));
        l.Load(t.Path("missing/"), true, false);
        QCOMPARE(l.Count(), 0);
        QCOMPARE(l.Total(), int64_t(0));
    }

    void sorting() {
        test::TestDir t;
        t.File("b.txt", std::string(900, 'x'));
        t.File("A.txt", std::string(1200, 'x'));
        t.File("c.txt", std::string(5, 'x'));
        FileList l;
        l.Load(t.Root(), true, false);
        l.ColumnClick(0);  // first click flips the initial (ascending) direction
        QVERIFY(l.Descending());
        QCOMPARE(Names(l), (QStringList{"c.txt", "b.txt", "A.txt"}));
        l.ColumnClick(0);
        QCOMPARE(Names(l), (QStringList{"A.txt", "b.txt", "c.txt"}));  // letter case ignored
        l.ColumnClick(1);  // another column: flips again, by size through SizeDmy
        QCOMPARE(l.SortKey(), 3);
        QCOMPARE(Names(l), (QStringList{"A.txt", "b.txt", "c.txt"}));
        l.ColumnClick(1);
        QCOMPARE(Names(l), (QStringList{"c.txt", "b.txt", "A.txt"}));  // 900 before 1,200
        t.File("d.txt", std::string(1000, 'x'));
        l.Load(t.Root(), true, false);  // a reload keeps the order
        QCOMPARE(Names(l), (QStringList{"c.txt", "b.txt", "d.txt", "A.txt"}));
    }
};

QTEST_APPLESS_MAIN(TestFileList)
#include "tst_file_list.moc"
