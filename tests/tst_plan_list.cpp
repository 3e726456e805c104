// SPDX-License-Identifier: GPL-3.0-or-later
// The plan list's storage: path texts of any bytes come back exactly, rows that share their
// folders share them, and a million rows stay within 200 bytes a row.
#include <QtTest>
#include <string>

#include "tidy/path_table.h"
#include "tidy/process_list.h"

using namespace corvelle;

Q_DECLARE_METATYPE(std::string)

class TestPlanList : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void textsComeBackExactly_data() {
        QTest::addColumn<std::string>("text");
        QTest::newRow("empty") << std::string();
        QTest::newRow("root") << std::string("/");
        QTest::newRow("two separators") << std::string("//");
        QTest::newRow("relative") << std::string("a");
        QTest::newRow("folder") << std::string("/home/user/a/");
        QTest::newRow("doubled separators") << std::string("/a//b///");
        QTest::newRow("drive") << std::string("C:\\Users\\a\\");
        QTest::newRow("bytes") << std::string("/x/\xff\xfe\x01 ,\r\n/\x7f");
        QTest::newRow("a NUL inside") << std::string("/a\0b/c", 6);
        QTest::newRow("deep") << [] {
            std::string s;
            for (int i = 0; i < 300; ++i) s += "/d" + std::to_string(i);
            return s + "/";
        }();
    }
    void textsComeBackExactly() {
        QFETCH(std::string, text);
        PathTable t;
        t.Intern("/home/user/other/");  // a text before it, sharing a beginning or not
        const PathTable::Node n = t.Intern(text);
        t.Intern("/home/user/a/b/");  // and one after it
        QCOMPARE(t.Text(n), text);
        // The list keeps a trailing separator apart; the row's texts are still the same.
        ProcessList list;
        list.Init();
        list.Append(text, text);
        QCOMPARE(list.Cell(0, 0), text);
        QCOMPARE(list.Cell(0, 1), text);
        QCOMPARE(list.Row(0).before, text);
    }

    void neighboursSharePieces() {
        PathTable t;
        t.Intern("/photos/2019/album/e0");
        const size_t one = t.Bytes();
        for (int i = 1; i < 1000; ++i) t.Intern("/photos/2019/album/e" + std::to_string(i));
        // Each further text adds one piece and its name, not its whole path.
        QVERIFY2(t.Bytes() - one < size_t{1000} * 32, qPrintable(QString::number(t.Bytes() - one)));
    }

    void aMillionRowsFitInTheTarget_data() {
        QTest::addColumn<bool>("raise");
        QTest::newRow("delete rows") << false;
        QTest::newRow("raise rows") << true;
    }
    void aMillionRowsFitInTheTarget() {
        QFETCH(bool, raise);
        constexpr int kRows = 1000000;
        ProcessList list;
        list.Init();
        // Photo archives: 10,000 albums of 100 folders under a long base folder.
        const std::string base = "/srv/archive/photos/";
        for (int i = 0; i < kRows; ++i) {
            const std::string album = base + "album" + std::to_string(i / 100) + "/";
            const std::string folder = album + "f" + std::to_string(i % 100) + "/";
            const FileId id{2049, 1000000u + i, 31, 1700000000000000000u + i, 0};
            const FolderMeta meta{0755, 1000, 1000, 1700000000000000000 + i,
                                  1700000000000000000 + i};
            // Raise rows: every folder has its own after folder and attributes.
            const int parentOf = raise ? i : i / 100;
            const FolderMeta parentMeta{0755, 1000, 1000, 1600000000000000000 + parentOf,
                                        1600000000000000000 + parentOf};
            if (raise)
                list.Append(folder + "inner", folder, id, {2049, 5000000u + i, 31, 1, 0}, meta,
                            parentMeta);
            else
                list.Append(folder, kDeleteMarker, id, {}, meta, parentMeta);
        }
        QCOMPARE(list.Count(), kRows);
        list.Compact();  // as a search does when its walk ends
        const double perRow = static_cast<double>(list.Bytes()) / kRows;
        qInfo("%.1f bytes a row", perRow);
        QVERIFY2(perRow <= 200, qPrintable(QString::number(perRow)));
        // And the rows are still what was appended.
        const ProcessRow last = list.Row(kRows - 1);
        QCOMPARE(last.before, base + "album9999/f99/" + (raise ? "inner" : ""));
        QCOMPARE(last.beforeId.number, std::uint64_t(1000000 + kRows - 1));
        QCOMPARE(last.beforeMeta.mtimeNs, std::int64_t(1700000000000000000 + kRows - 1));
    }
};

QTEST_GUILESS_MAIN(TestPlanList)
#include "tst_plan_list.moc"
