// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>
#include <cerrno>
#include <ctime>
#include <map>

#include "app/settings.h"
#include "platform/os/enumeration.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tidy/process_list.h"
#include "tidy/search.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

struct Run {
    SettingsRecord settings;
    ProcessList list;
    TidySearch search{settings, list};
    std::vector<std::string> selected;
    std::map<std::string, std::string> panels;
    int yields = 0;

    Run(const std::string& start, int mode, bool subFolders) {
        settings.CurrentDirectory = start;
        settings.ShoriMode = static_cast<int16_t>(mode);
        settings.SubFolderMode = subFolders;
        list.Init();
        search.ui.selectFolder = [this](const std::string& f) { selected.push_back(f); };
        search.ui.status = [this](const char* p, const std::string& t) { panels[p] = t; };
    }
    // "before | after" per row, relative to root.
    QStringList Rows(const std::string& root) const {
        QStringList out;
        auto rel = [&](const std::string& s) {
            return QString::fromStdString(
                test::Slashed(s.rfind(root, 0) == 0 ? s.substr(root.size()) : s));
        };
        for (const ProcessRow& r : list.Rows()) out << rel(r.before) + " | " + rel(r.after);
        return out;
    }
    void Go() {
        MessageService::ResetScript();
        search.SearchRun();
    }
};

const QString kDel = QString::fromUtf8(kDeleteMarker);

}  // namespace

class TestSearch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() {
        SetEnumerationFailureHook(nullptr);
        MessageService::ResetScript();
    }

    void rows_data() {
        QTest::addColumn<QStringList>("tree");  // "d:" folder, "f:" file, "l:" link to outside
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty start, option off")
            << QStringList{} << 1 << false << QStringList{" | " + kDel};
        QTest::newRow("option off looks at the start only")
            << QStringList{"d:a"} << 1 << false << QStringList{};
        QTest::newRow("empty leaves, last listed first")
            << QStringList{"d:a", "d:b", "d:c", "f:file"} << 1 << true
            << QStringList{"c/ | " + kDel, "b/ | " + kDel, "a/ | " + kDel};
        QTest::newRow("byte order: upper case before lower")
            << QStringList{"d:B", "d:a", "f:x"} << 1 << true
            << QStringList{"a/ | " + kDel, "B/ | " + kDel};
        QTest::newRow("a folder of empty folders waits for the next search")
            << QStringList{"d:p/e1", "d:p/e2", "f:x"} << 1 << true
            << QStringList{"p/e2/ | " + kDel, "p/e1/ | " + kDel};
        QTest::newRow("chain: inner row first")
            << QStringList{"d:F1/F2/F3", "f:F1/F2/F3/data", "f:top"} << 0 << true
            << QStringList{"F1/F2/F3 | F1/F2/", "F1/F2 | F1/"};
        QTest::newRow("start with one folder qualifies")
            << QStringList{"d:only/x", "f:only/x/data"} << 0 << true
            << QStringList{"only/x | only/", "only | "};
        QTest::newRow("one sub-folder and a hidden file")
            << QStringList{"d:p/sub", "f:p/.hidden", "f:p/sub/x", "f:top"} << 0 << true
            << QStringList{};
        QTest::newRow("two sub-folders only")
            << QStringList{"d:p/a", "d:p/b", "f:p/a/x", "f:p/b/x", "f:top"} << 0 << true
            << QStringList{};
        QTest::newRow("hidden sub-folder counts but is not entered")
            << QStringList{"d:p/.h", "f:top"} << 1 << true << QStringList{};
        QTest::newRow("a link is a file, never a sub-folder")
            << QStringList{"l:p/link", "f:top"} << 0 << true << QStringList{};
        QTest::newRow("a link alone keeps its folder from being empty")
            << QStringList{"l:p/link", "f:top"} << 1 << true << QStringList{};
        QTest::newRow("unknown mode lists nothing") << QStringList{} << 2 << true << QStringList{};
    }
    void rows() {
        QFETCH(int, mode);
        QFETCH(bool, subFolders);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, tree);
        if (!test::CanMakeLinks() && tree.filter(QRegularExpression("^l:")).size() > 0)
            QSKIP("no links can be made here; the rule for links is tested through the seam");
        test::TestDir outside;
        outside.Dir("target/empty");  // must never be reached through a link
        test::TestDir t;
        for (const QString& e : tree) {
            const std::string rel = e.mid(2).toStdString();
            if (e.startsWith("d:"))
                t.Dir(rel);
            if (e.startsWith("f:"))
                t.File(rel);
            if (e.startsWith("l:"))
                t.Link(rel, outside.Path("target"));
        }
        Run r(t.Root(), mode, subFolders);
        r.Go();
        QCOMPARE(r.Rows(t.Root()), rows);
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].text, std::string("検索完了!"));
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::Information);
        QCOMPARE(r.selected, std::vector<std::string>{t.Root()});
        QCOMPARE(r.settings.CurrentDirectory, t.Root());
        QVERIFY(r.panels[kPanelGeneral].empty() && r.panels[kPanelFileName].empty());
        QVERIFY(!r.search.SearchRunning);
        for (const ProcessRow& row : r.list.Rows()) QVERIFY(!row.checked && row.result.empty());
    }

    // The optional rules, each against the same trees with the rule off (the plain rows).
    void rulesRows_data() {
        QTest::addColumn<QStringList>("tree");  // "d:" folder, "f:" file, "old:" made old
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("rules");  // junk, junk=NAMES, nested, exclude=P;P, older=N
        QTest::addColumn<QStringList>("rows");
        const QStringList junky{"d:a/b", "f:a/b/Thumbs.db", "f:a/.DS_Store", "f:top"};
        QTest::newRow("junk off: junk is content") << junky << 1 << "" << QStringList{};
        QTest::newRow("junk on: a folder of junk is empty")
            << junky << 1 << "junk" << QStringList{"a/b/ | " + kDel};
        QTest::newRow("junk names in any case") << QStringList{"d:a", "f:a/THUMBS.DB", "f:top"} << 1
                                                << "junk" << QStringList{"a/ | " + kDel};
        QTest::newRow("a name of one's own list only")
            << QStringList{"d:a", "d:b", "f:a/x.tmp", "f:b/Thumbs.db", "f:top"} << 1 << "junk=*.tmp"
            << QStringList{"a/ | " + kDel};
        QTest::newRow("junk with its nested parent")
            << junky << 1 << "junk,nested" << QStringList{"a/b/ | " + kDel, "a/ | " + kDel};
        QTest::newRow("AppleDouble without its partner is junk")
            << QStringList{"d:a", "f:a/._gone", "f:top"} << 1 << "junk"
            << QStringList{"a/ | " + kDel};
        QTest::newRow("AppleDouble beside its partner is not")
            << QStringList{"d:a/z", "f:a/._z", "f:top"} << 1 << "junk,nested"
            << QStringList{"a/z/ | " + kDel};
        QTest::newRow("raise: one sub-folder and junk")
            << QStringList{"d:p/sub", "f:p/sub/x", "f:p/desktop.ini", "f:top"} << 0 << "junk"
            << QStringList{"p/sub | p/"};
        QTest::newRow("raise: junk off keeps the plain rule")
            << QStringList{"d:p/sub", "f:p/sub/x", "f:p/desktop.ini", "f:top"} << 0 << ""
            << QStringList{};
        const QStringList chain{"d:n/a/b/c", "d:n/a/d", "f:top"};
        QTest::newRow("nested off: leaves only")
            << chain << 1 << "" << QStringList{"n/a/d/ | " + kDel, "n/a/b/c/ | " + kDel};
        QTest::newRow("nested: each folder after its contents")
            << chain << 1 << "nested"
            << QStringList{"n/a/d/ | " + kDel, "n/a/b/c/ | " + kDel, "n/a/b/ | " + kDel,
                           "n/a/ | " + kDel, "n/ | " + kDel};
        QTest::newRow("nested: a file above stops it")
            << QStringList{"d:n/a/b", "f:n/keep", "f:top"} << 1 << "nested"
            << QStringList{"n/a/b/ | " + kDel, "n/a/ | " + kDel};
        QTest::newRow("nested: a hidden folder is never walked, so never empty")
            << QStringList{"d:n/a", "d:n/.h", "f:top"} << 1 << "nested"
            << QStringList{"n/a/ | " + kDel};
        QTest::newRow("nested is for the delete mode only")
            << QStringList{"d:n/a/b", "f:n/a/b/x", "f:top"} << 0 << "nested"
            << QStringList{"n/a/b | n/a/", "n/a | n/"};
        QTest::newRow("exclude by name: neither listed nor entered")
            << QStringList{"d:node_modules/x", "d:src/e", "f:top"} << 1 << "exclude=node_modules"
            << QStringList{"src/e/ | " + kDel};
        QTest::newRow("exclude by path below the start")
            << QStringList{"d:a/cache/e", "d:b/cache/e", "f:top"} << 1 << "exclude=a/cache"
            << QStringList{"b/cache/e/ | " + kDel};
        QTest::newRow("a star never crosses a separator")
            << QStringList{"d:a/b/c", "f:top"} << 1 << "exclude=*/c"
            << QStringList{"a/b/c/ | " + kDel};
        QTest::newRow("exclude keeps its parent") << QStringList{"d:p/.git", "d:q/e", "f:top"} << 1
                                                  << "exclude=.git;e,nested" << QStringList{};
        QTest::newRow("raise: an excluded lone folder is not raised")
            << QStringList{"d:p/.git/objects", "f:p/.git/objects/x", "f:top"} << 0 << "exclude=.git"
            << QStringList{};
        QTest::newRow("a nested start folder named by an exclusion")
            << QStringList{"d:a"} << 1 << "exclude=corvelle-test-*,nested"
            << QStringList{"a/ | " + kDel};
        QTest::newRow("a nested start folder, no exclusion naming it")
            << QStringList{"d:a"} << 1 << "exclude=zz,nested"
            << QStringList{"a/ | " + kDel, " | " + kDel};
        QTest::newRow("exclude off") << QStringList{"d:node_modules/x", "f:top"} << 1 << ""
                                     << QStringList{"node_modules/x/ | " + kDel};
        QTest::newRow("older: only the old folder")
            << QStringList{"d:old", "d:new", "f:top", "old:old"} << 1 << "older=30"
            << QStringList{"old/ | " + kDel};
        QTest::newRow("older: a new junk file keeps an old folder")
            << QStringList{"d:a",   "d:b",   "f:a/Thumbs.db",   "f:b/Thumbs.db",
                           "f:top", "old:a", "old:b/Thumbs.db", "old:b"}
            << 1 << "junk,older=30" << QStringList{"b/ | " + kDel};
        QTest::newRow("older: raise needs both folders old")
            << QStringList{"d:p/s", "f:p/s/x", "d:q/s", "f:q/s/x",
                           "f:top", "old:p/s", "old:p", "old:q"}
            << 0 << "older=1" << QStringList{"p/s | p/"};
    }
    void rulesRows() {
        QFETCH(QStringList, tree);
        QFETCH(int, mode);
        QFETCH(QString, rules);
        QFETCH(QStringList, rows);
        test::TestDir t;
        QStringList old;
        for (const QString& e : tree) {
            const std::string rel = e.mid(e.indexOf(':') + 1).toStdString();
            if (e.startsWith("d:"))
                t.Dir(rel);
            if (e.startsWith("f:"))
                t.File(rel);
            if (e.startsWith("old:"))
                old << QString::fromStdString(rel);
        }
        // Made old last: making what is inside a folder makes it new again.
        for (const QString& rel : old)
            t.Touch(rel.toStdString(), std::time(nullptr) - time_t{400} * 86400);
        Run r(t.Root(), mode, true);
        r.settings.Rules = test::Rules(rules.toStdString());
        const TidyRules& R = r.settings.Rules;
        r.Go();
        QCOMPARE(r.Rows(t.Root()), rows);
        // A row names exactly the junk files it will remove first.
        for (const ProcessRow& row : r.list.Rows()) {
            const std::string folder = row.IsDeleteRow() ? row.before : row.after;
            for (const JunkFile& j : row.junk) {
                QVERIFY(R.junk);
                QVERIFY(j.id.Known());
                QCOMPARE(test::ReadFileBytes(AddBackslash(folder) + j.name).size(),
                         static_cast<size_t>(j.size));
            }
        }
    }

    void unlistableFolderNeverQualifies() {
        test::TestDir t;
        t.Dir("locked");
        t.Dir("open");
        t.File("x");
        const std::string locked = t.Path("locked/");
        SetEnumerationFailureHook([&](const std::string& f) {
            return f == locked || f == t.Path("locked") ? EACCES : 0;
        });
        Run r(t.Root(), 1, true);
        r.Go();
        QCOMPARE(r.Rows(t.Root()), QStringList{"open/ | " + kDel});
        QCOMPARE(MessageService::Shown().size(), size_t(1));  // only "検索完了!"
    }

    void eachFolderReadOnce() {
        test::TestDir t;
        for (int i = 0; i < 20; ++i)
            for (int j = 0; j < 20; ++j) t.Dir("d" + std::to_string(i) + "/e" + std::to_string(j));
        std::map<std::string, int> reads;
        SetEnumerationFailureHook([&](const std::string& f) {
            std::string key = f;
            while (key.size() > 1 && key.back() == kSep) key.pop_back();
            ++reads[key];
            return 0;
        });
        Run r(t.Root(), 1, true);
        std::map<std::string, int> examined;  // what the tool's progress counts
        r.search.ui.examined = [&] { ++examined[r.search.dirList.Path()]; };
        r.Go();
        QCOMPARE(r.list.Count(), 400);
        QCOMPARE(reads.size(), size_t(421));
        for (const auto& [folder, n] : reads) QVERIFY2(n == 1, folder.c_str());
        QCOMPARE(examined.size(), size_t(421));
        for (const auto& [folder, n] : examined) QVERIFY2(n == 1, folder.c_str());
    }

    // A folder whose listing takes several reads: all of it is seen, however the file
    // system fills its reads (one read is trusted only where it fills them).
    void largeFolderReadWhole_data() {
        QTest::addColumn<int>("traits");  // 0: the file system's own, 1: fills, 2: may not
        QTest::newRow("as the file system says") << 0;
        QTest::newRow("reads filled") << 1;
        QTest::newRow("reads maybe short") << 2;
    }
    void largeFolderReadWhole() {
        QFETCH(int, traits);
        const FileSystemTraits assumed{traits == 1, traits == 1};
        AssumeTraits(traits == 0 ? nullptr : &assumed);
        struct Reset {
            ~Reset() { AssumeTraits(nullptr); }
        } reset;
        test::TestDir t;
        // About 200 KiB of entries: several 64 KiB reads.
        const std::string pad(60, 'n');
        for (int i = 0; i < 2500; ++i) t.Dir("big/" + pad + std::to_string(i));
        t.File("big/zz-a-file");
        Run r(t.Root(), 1, true);
        r.Go();
        QCOMPARE(r.list.Count(), 2500);
        // The file at the end of the listing keeps "big" from being a row of its own.
        for (const ProcessRow& row : r.list.Rows()) QVERIFY(row.before != t.Path("big/"));
    }

    void stopDuringTheWalk_data() {
        QTest::addColumn<int>("stopAtYield");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("yields");
        // Yields: 1 visit "/", 2 visit e, 3 after e's check, 4 visit d, 5 after d, 6 visit c.
        // After a check: no further folder is entered, the open folder "/" is still examined
        // (it holds entries: no row) and yields once more as the list is not empty.
        QTest::newRow("after a folder check") << 3 << 1 << 4;
        // At a visit start: the walk unwinds at once, nothing more is examined.
        QTest::newRow("at a visit start") << 6 << 2 << 6;
    }
    void stopDuringTheWalk() {
        QFETCH(int, stopAtYield);
        QFETCH(int, rows);
        QFETCH(int, yields);
        test::TestDir t;
        for (const char* d : {"a", "b", "c", "d", "e"}) t.Dir(d);
        t.File("x");
        Run r(t.Root(), 1, true);
        r.search.ui.yield = [&] {
            if (++r.yields == stopAtYield)
                r.search.Stop();
        };
        r.Go();
        QCOMPARE(r.list.Count(), rows);
        QCOMPARE(r.list.Row(0).before, t.Path("e/"));
        QCOMPARE(MessageService::Shown().back().text, std::string("検索完了!"));
        QCOMPARE(r.selected, std::vector<std::string>{t.Root()});
        QVERIFY(!r.search.SearchRunning);
        QCOMPARE(r.yields, yields);
    }

    void optionsAreReadAtEveryStep() {
        test::TestDir t;
        for (const char* d : {"a", "b", "c"}) t.Dir(d);
        t.File("x");
        Run r(t.Root(), 1, true);
        // After the first folder check the user switches to mode 0.
        r.search.ui.yield = [&] {
            if (r.list.Count() == 1)
                r.settings.ShoriMode = 0;
        };
        r.Go();
        QCOMPARE(r.Rows(t.Root()), QStringList{"c/ | " + kDel});
    }

    void vanishedStartFolderPrompts() {
        test::TestDir t;
        Run r(t.Path("gone/"), 1, true);
        MessageService::ResetScript();
        MessageService::QueueAnswer(MsgAnswer::Abort);
        r.search.SearchRun();
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].buttons, MsgButtons::AbortRetryIgnore);
        QCOMPARE(r.list.Count(), 0);
    }

    // Sorting compares bytes exactly: upper case before lower, no folding.
    void sortingComparesBytes() {
        ProcessList list;
        list.Init();
        for (const char* b : {"/b", "/B", "/a", "/A", "/\xe5"}) list.Append(b, "/");
        list.ColumnClick(0);  // descending first
        list.ColumnClick(0);
        QStringList order;
        for (const auto& r : list.Rows()) order << QString::fromLatin1(r.before.c_str());
        QCOMPARE(order, (QStringList{"/A", "/B", "/a", "/b", QString::fromLatin1("/\xe5")}));
    }

    void sortingFlipsAndStaysOn() {
        ProcessList list;
        list.Init();
        list.Append("/b", "/");
        list.Append("/a", "/");
        list.Append("/c", "/");
        auto befores = [&] {
            QStringList s;
            for (const auto& r : list.Rows()) s << QString::fromStdString(r.before);
            return s;
        };
        QCOMPARE(befores(), (QStringList{"/b", "/a", "/c"}));  // search order until a click
        list.ColumnClick(0);
        const QStringList first = befores();
        list.ColumnClick(0);
        const QStringList second = befores();
        QCOMPARE(first, (QStringList{"/c", "/b", "/a"}));
        QCOMPARE(second, (QStringList{"/a", "/b", "/c"}));
        list.Init();  // a new search keeps sorting on
        QVERIFY(list.SortOn());
        list.Append("/y", "/");
        list.Append("/x", "/");
        QCOMPARE(befores(), (QStringList{"/x", "/y"}));
        list.SetResult(0, kResultSuccess);
        list.SetChecked(0, true);
        QCOMPARE(list.Row(0).result, std::string(kResultSuccess));
    }
};

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
