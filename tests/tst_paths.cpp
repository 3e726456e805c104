// SPDX-License-Identifier: GPL-3.0-or-later
#include <strings.h>

#include <QtTest>
#include <random>
#if __has_include(<fnmatch.h>)
#include <fnmatch.h>
#endif

#include "platform/os/codec.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "tests/support/test_dir.h"
#include "tidy/tidy_rules.h"
#include "util/glob.h"
#include "util/numbers.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

// The rows are written with "/": the system's separator stands there.
QByteArray Sys(QByteArray text) {
    return text.replace('/', kSep);
}
std::string SysPath(const std::string& text) {
    return Sys(QByteArray::fromStdString(text)).toStdString();
}

// A made-up machine: A: floppy, C: disk, D: optical, E: USB stick, F: RAM disk, Z: share.
DriveKind KindOnTestMachine(char letter) {
    switch (letter) {
        case 'A':
        case 'E':
            return DriveKind::Removable;
        case 'C':
            return DriveKind::Fixed;
        case 'D':
            return DriveKind::Optical;
        case 'F':
            return DriveKind::RamDisk;
        case 'Z':
            return DriveKind::Network;
        default:
            return DriveKind::Unknown;
    }
}

}  // namespace

class TestPaths : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void glob_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("path");
        QTest::addColumn<bool>("fold");
        QTest::addColumn<bool>("matches");
        auto row = [](const char* name, const char* p, const QByteArray& t, bool path, bool fold,
                      bool m) { QTest::newRow(name) << QByteArray(p) << t << path << fold << m; };
        row("exact", "Thumbs.db", "Thumbs.db", false, false, true);
        row("case counts", "Thumbs.db", "thumbs.db", false, false, false);
        row("case folded", "Thumbs.db", "THUMBS.DB", false, true, true);
        row("folding is ASCII only", "\xc3\xa9", "\xc3\x89", false, true, false);
        row("star", "._*", "._photo.jpg", false, false, true);
        row("star needs the prefix", "._*", "_.x", false, false, false);
        row("star may be empty", "._*", "._", false, false, true);
        row("question mark is one byte", "a?c",
            "a\xff"
            "c",
            false, false, true);
        row("question mark not none", "a?c", "ac", false, false, false);
        row("set", "[ab]x", "bx", false, false, true);
        row("range", "[a-c]x", "dx", false, false, false);
        row("negated set", "[!a]x", "ax", false, false, false);
        row("set with a bracket first", "[]]", "]", false, false, true);
        row("unclosed bracket is a byte", "[ab", "[ab", false, false, true);
        row("escaped star", "a\\*", "a*", false, false, true);
        row("escaped star is no star", "a\\*", "ab", false, false, false);
        row("backtracking", "*a*b", "xxaxxab", false, false, true);
        row("star does not cross a slash in a path", "*/c", "a/b/c", true, false, false);
        row("star within one piece", "*/c", "b/c", true, false, true);
        row("question mark never a slash", "a?b", "a/b", true, false, false);
        row("a name pattern on a path", "*", "a/b", false, false, true);
        row("NUL and high bytes", "a*", QByteArray("a\0\xfe", 3), false, false, true);
        row("empty pattern matches only empty", "", "x", false, false, false);
        row("class", "[[:digit:]]*", "2019", true, false, true);
        row("class, negated", "[![:digit:]]*", "2019", true, false, false);
        row("class among bytes", "[x[:upper:]]", "Q", true, false, true);
        row("a class is ASCII", "[[:alpha:]]", "\xc3", true, false, false);
        row("an unknown class matches nothing", "[[:digits:]]", "1", true, false, false);
        row("a trailing backslash matches nothing", "a\\", "a\\", true, false, false);
    }

    // Patterns the program accepts match as the C library's fnmatch(3) with FNM_PATHNAME
    // (C locale), on random patterns and names over the bytes that matter; the patterns
    // refused for users are refused for good reasons.
    void globAsTheCLibrary() {
        QCOMPARE(CheckExcludePattern("/a"), ExcludeProblem::LeadingSlash);
        QCOMPARE(CheckExcludePattern("a/b/"), ExcludeProblem::TrailingSlash);
        QCOMPARE(CheckExcludePattern("**/x"), ExcludeProblem::DoubleStar);
        QCOMPARE(CheckExcludePattern("[[:digits:]]"), ExcludeProblem::UnknownClass);
        QCOMPARE(CheckExcludePattern("[a-[:digit:]]"), ExcludeProblem::ClassInRange);
        QCOMPARE(CheckExcludePattern("[[.a.]]"), ExcludeProblem::Collating);
        QCOMPARE(CheckExcludePattern("[ab"), ExcludeProblem::UnclosedSet);
        QCOMPARE(CheckExcludePattern("x\\"), ExcludeProblem::TrailingBackslash);
        QCOMPARE(CheckExcludePattern("[[:digit:]]*/a?\\[b"), ExcludeProblem::None);
#if __has_include(<fnmatch.h>)
        const char* const pieces[] = {"a",         "b",       "/",  "*",  "?",   "[", "]",
                                      "!",         "^",       "-",  "\\", ".",   "0", "[:digit:]",
                                      "[:alpha:]", "[:foo:]", "[.", "[=", "\xff"};
        const char* const bytes[] = {"a", "b", "/",  "0", ".", "-",
                                     "]", "[", "\\", "*", "A", "\xff"};
        std::mt19937 random(20261209);
        int compared = 0;
        for (int n = 0; n < 300000; ++n) {
            std::string p, t;
            for (int i = int(random() % 7); i > 0; --i) p += pieces[random() % std::size(pieces)];
            for (int i = int(random() % 6); i > 0; --i) t += bytes[random() % std::size(bytes)];
            // The one documented difference: glibc never matches "*\/".
            if (CheckGlob(p) != GlobProblem::None || p.find("\\/") != std::string::npos)
                continue;
            ++compared;
            const bool c = fnmatch(p.c_str(), t.c_str(), FNM_PATHNAME) == 0;
            if (GlobMatch(p, t, {.path = true}) != c)
                QFAIL(qPrintable(QString("pattern %1, name %2: fnmatch says %3")
                                     .arg(QString::fromLatin1(p), QString::fromLatin1(t))
                                     .arg(c)));
        }
        QVERIFY(compared > 100000);
#endif
    }
    void glob() {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, text);
        QFETCH(bool, path);
        QFETCH(bool, fold);
        QFETCH(bool, matches);
        QCOMPARE(GlobMatch(std::string_view(pattern.data(), size_t(pattern.size())),
                           std::string_view(text.data(), size_t(text.size())),
                           {.path = path, .foldCase = fold}),
                 matches);
    }

    void patternListsRoundTrip() {
        const std::vector<std::string> lists[] = {
            {"Thumbs.db", "._*"}, {"a,b", "c\\d", ",", "x"}, {"名前", "\xff"}};
        for (const std::vector<std::string>& l : lists) QCOMPARE(SplitPatterns(JoinPatterns(l)), l);
        QCOMPARE(SplitPatterns(",,a,,"), std::vector<std::string>{"a"});
    }
    void pathTable_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("leaf");
        QTest::addColumn<QByteArray>("parent");
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QByteArray>("removed");
        QTest::newRow("folder") << QByteArray("/data/Photos") << QByteArray("Photos")
                                << QByteArray("/data/") << QByteArray("/data/Photos/")
                                << QByteArray("/data/Photos");
        QTest::newRow("trailing") << QByteArray("/data/Photos/") << QByteArray("")
                                  << QByteArray("/data/Photos/") << QByteArray("/data/Photos/")
                                  << QByteArray("/data/Photos");
        QTest::newRow("root") << QByteArray("/") << QByteArray("") << QByteArray("/")
                              << QByteArray("/") << QByteArray("");
        QTest::newRow("bare name") << QByteArray("Photos") << QByteArray("Photos") << QByteArray("")
                                   << QByteArray("Photos/") << QByteArray("Photos");
        QTest::newRow("empty") << QByteArray("") << QByteArray("") << QByteArray("")
                               << QByteArray("/") << QByteArray("");
        QTest::newRow("japanese") << QByteArray("/home/u/写真") << QByteArray("写真")
                                  << QByteArray("/home/u/") << QByteArray("/home/u/写真/")
                                  << QByteArray("/home/u/写真");
        QTest::newRow("not utf-8")
            << QByteArray("/a/b\xff\xfe") << QByteArray("b\xff\xfe") << QByteArray("/a/")
            << QByteArray("/a/b\xff\xfe/") << QByteArray("/a/b\xff\xfe");
        QByteArray deep;
        for (int i = 0; i < 150; ++i) deep += "/d";
        QTest::newRow("150 levels") << deep + "/leaf" << QByteArray("leaf") << deep + "/"
                                    << deep + "/leaf/" << deep + "/leaf";
    }
    void pathTable() {
        QFETCH(QByteArray, leaf);
        QFETCH(QByteArray, parent);
        QFETCH(QByteArray, added);
        QFETCH(QByteArray, removed);
        QFETCH(QByteArray, input);
        const std::string in = Sys(input).toStdString();
        QCOMPARE(QByteArray::fromStdString(PathLeaf(in)), Sys(leaf));
        QCOMPARE(QByteArray::fromStdString(PathParent(in)), Sys(parent));
        QCOMPARE(QByteArray::fromStdString(AddBackslash(in)), Sys(added));
        QCOMPARE(QByteArray::fromStdString(RemoveBackslash(in)), Sys(removed));
    }

    void parentOfFolderPath() {
        QCOMPARE(PathParent(RemoveBackslash(SysPath(std::string("/data/Photos/")))),
                 SysPath(std::string("/data/")));
        QCOMPARE(RemoveBackslash(SysPath(std::string("//"))), SysPath(std::string("/")));
    }

    void strSplit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("none") << "abc" << QStringList{"abc"};
        QTest::newRow("adjacent") << "a//b" << QStringList{"a", "", "b"};
        QTest::newRow("trailing") << "a/" << QStringList{"a", ""};
        QTest::newRow("empty") << "" << QStringList{""};
    }
    void strSplit() {
        QFETCH(QStringList, pieces);
        QFETCH(QString, text);
        std::vector<std::string> split{"stale"};
        const int n = StrSplit(text.toStdString(), '/', split);
        QStringList got;
        for (const auto& p : split) got << QString::fromStdString(p);
        QCOMPARE(got, pieces);
        QCOMPARE(n, got.size());
    }

    // The file list's order: ASCII letters without their case, every other byte as it is,
    // the same sign as the C library's strcasecmp.
    void compareIgnoringCase_data() {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::newRow("letters of either case")
            << QByteArray("Readme.TXT") << QByteArray("readme.txt");
        QTest::newRow("a prefix comes first") << QByteArray("abc") << QByteArray("ABCD");
        QTest::newRow("underscore after upper-case letters") << QByteArray("Z") << QByteArray("_");
        QTest::newRow("bytes above ASCII kept")
            << QByteArray("\xe5\x86\x99") << QByteArray("\xc3\x84");
        QTest::newRow("digits before letters") << QByteArray("9") << QByteArray("a");
        QTest::newRow("empty") << QByteArray("") << QByteArray("x");
    }
    void compareIgnoringCase() {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        auto sign = [](int v) { return (v > 0) - (v < 0); };
        const int expected = sign(strcasecmp(a.constData(), b.constData()));
        QCOMPARE(sign(CompareIgnoringCase(a.toStdString(), b.toStdString())), expected);
        QCOMPARE(sign(CompareIgnoringCase(b.toStdString(), a.toStdString())), -expected);
    }

    void nullTrim_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("trimmed");
        QTest::newRow("no NUL") << QByteArray("abc") << QByteArray("abc");
        QTest::newRow("leading NUL") << QByteArray("\0abc", 4) << QByteArray("");
        QTest::newRow("middle") << QByteArray("ab\0c\0", 5) << QByteArray("ab");
    }
    void nullTrim() {
        QFETCH(QByteArray, trimmed);
        QFETCH(QByteArray, text);
        const std::string s(text.constData(), static_cast<size_t>(text.size()));
        QCOMPARE(QByteArray::fromStdString(NullTrim(s)), trimmed);
        QCOMPARE(NullCut(s), NullTrim(s));
    }

    void unsignedLong_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<qint64>("value");
        QTest::newRow("zero") << 0 << qint64(0);
        QTest::newRow("minus one") << -1 << qint64(4294967295LL);
        QTest::newRow("int min") << int(INT32_MIN) << qint64(2147483648LL);
        QTest::newRow("int max") << int(INT32_MAX) << qint64(2147483647LL);
    }
    void unsignedLong() {
        QFETCH(qint64, value);
        QFETCH(int, word);
        QCOMPARE(UnsignedLong(word).Whole(), value);
        QCOMPARE(UnsignedLong(word).raw, value * 10000);
    }
    void sizeFromHalves() {
        // 5 GiB + 7: high word 1, low word 1 GiB + 7.
        const Currency size = UnsignedLong(1) * HighDwordFactor() + UnsignedLong(1073741824 + 7);
        QCOMPARE(size.Whole(), qint64(5368709127LL));
    }

    void fileExistsAndDirCanChange() {
        test::TestDir t;
        t.File("f.txt");
        t.Dir("sub");
        QVERIFY(FileExists(t.Path("f.txt")));
        QVERIFY(FileExists(t.Path("sub")));
        if (test::CanMakeLinks()) {
            t.Link("dangling", "nowhere");
            QVERIFY(FileExists(t.Path("dangling")));
        }
        QVERIFY(!FileExists(t.Path("missing")));
        QVERIFY(!FileExists(""));

        const std::string before = CurrentFolder();
        QVERIFY(DirCanChange(t.Path("sub"), before));
        QCOMPARE(CurrentFolder(), before);
        QVERIFY(!DirCanChange(t.Path("missing"), before));
        QVERIFY(!DirCanChange(t.Path("f.txt"), before));
        QVERIFY(!DirCanChange("", before));
        QCOMPARE(CurrentFolder(), before);
    }

    // The user's home: $HOME, or %USERPROFILE% on Windows.
    void windowsDirIsHome() {
        const char* variable = NamesAreBytes() ? "HOME" : "USERPROFILE";
        const QByteArray saved = qgetenv(variable);
        qputenv(variable, "/some/home");
        QCOMPARE(WindowsDirGet(), std::string("/some/home"));
        qputenv(variable, saved);
    }

    // Paths as the user typed them, made plain without touching the disk.
    void normalizePath_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<char>("sep");
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("dot") << QByteArray("/cwd/./x") << '/' << QByteArray("/cwd/x");
        QTest::newRow("trailing separator kept")
            << QByteArray("/cwd/x/") << '/' << QByteArray("/cwd/x/");
        QTest::newRow("dot-dot") << QByteArray("/cwd/x/../y") << '/' << QByteArray("/cwd/y");
        QTest::newRow("doubled separators")
            << QByteArray("//cwd///x") << '/' << QByteArray("/cwd/x");
        QTest::newRow("above the root") << QByteArray("/../../x") << '/' << QByteArray("/x");
        QTest::newRow("root") << QByteArray("/") << '/' << QByteArray("/");
        QTest::newRow("ends in dot-dot") << QByteArray("/a/b/..") << '/' << QByteArray("/a");
        QTest::newRow("names with dots")
            << QByteArray("/a/.x/..y/...") << '/' << QByteArray("/a/.x/..y/...");
        QTest::newRow("drive") << QByteArray("C:\\a\\.\\b\\..\\c") << '\\'
                               << QByteArray("C:\\a\\c");
        QTest::newRow("drive root") << QByteArray("C:\\..\\") << '\\' << QByteArray("C:\\");
        QTest::newRow("share") << QByteArray("\\\\srv\\share\\..\\x") << '\\'
                               << QByteArray("\\\\srv\\share\\x");
    }
    void normalizePath() {
        QFETCH(QByteArray, path);
        QFETCH(char, sep);
        QFETCH(QByteArray, plain);
        QCOMPARE(QByteArray::fromStdString(NormalizePath(path.toStdString(), sep)), plain);
    }

    // The tree shows the drives the user keeps files on, in letter order, as "C:\\".
    void driveRoots_data() {
        QTest::addColumn<qulonglong>("mask");
        QTest::addColumn<QStringList>("roots");
        const auto bit = [](char c) { return 1ull << (c - 'A'); };
        QTest::newRow("none") << 0ull << QStringList{};
        QTest::newRow("disk only") << bit('C') << QStringList{"C:\\"};
        QTest::newRow("every kind")
            << (bit('A') | bit('C') | bit('D') | bit('E') | bit('F') | bit('Z'))
            << QStringList{"A:\\", "C:\\", "E:\\"};
        QTest::newRow("unknown letter") << bit('Q') << QStringList{};
        QTest::newRow("bits past Z")
            << (bit('C') | (1ull << 26) | (1ull << 31)) << QStringList{"C:\\"};
    }
    void driveRoots() {
        QFETCH(qulonglong, mask);
        QFETCH(QStringList, roots);
        QStringList got;
        for (const std::string& r : DriveRoots(static_cast<unsigned long>(mask), KindOnTestMachine))
            got << QString::fromStdString(r);
        QCOMPARE(got, roots);
    }

    void mkDirIn() {
        test::TestDir t;
        MessageService::ResetScript();
        QCOMPARE(MkDirIn(t.Root(), "新しいフォルダ"), 0);
        QVERIFY(t.Exists("新しいフォルダ"));
        QVERIFY(MessageService::Shown().empty());

        t.File("新しいフォルダ/keep.txt");
        QCOMPARE(MkDirIn(t.Root(), "新しいフォルダ"), 99);
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::Exclamation);
        QVERIFY(t.Exists("新しいフォルダ/keep.txt"));

        QCOMPARE(MkDirIn(t.Path("missing"), "x"), 99);
        QCOMPARE(MkDirIn(t.Root(), SysPath("a/b")), 99);
        QVERIFY(!t.Exists("a"));
        QVERIFY(MessageService::Shown().back().text.find("途中のフォルダがありません") !=
                std::string::npos);
        MessageService::ResetScript();
    }

    // A name with "/" makes exactly what it says below the parent, one new level.
    void mkDirInWithSeparators_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("made");  // "" when nothing may be made
        QTest::newRow("trailing separator") << "new2/" << 0 << "new2";
        QTest::newRow("inside an existing folder") << "sub/new" << 0 << "sub/new";
        QTest::newRow("two levels deep") << "sub/deeper/new" << 99 << "";
        QTest::newRow("absolute") << "/abs" << 99 << "";
        QTest::newRow("dot-dot") << "sub/../up" << 99 << "";
        QTest::newRow("double separator") << "sub//new" << 99 << "";
    }
    void mkDirInWithSeparators() {
        QFETCH(QString, name);
        QFETCH(int, result);
        test::TestDir t;
        t.Dir("sub");
        const auto before = t.Snapshot();
        MessageService::ResetScript();
        QCOMPARE(MkDirIn(t.Root(), SysPath(name.toStdString())), result);
        QFETCH(QString, made);
        auto after = t.Snapshot();
        if (!made.isEmpty()) {
            QCOMPARE(after[made.toStdString()], std::string("<dir>"));
            after.erase(made.toStdString());
        }
        QCOMPARE(after, before);
        MessageService::ResetScript();
    }
};

QTEST_APPLESS_MAIN(TestPaths)
#include "tst_paths.moc"
