// SPDX-License-Identifier: GPL-3.0-or-later
// The tidy engine checked against an independent model on thousands of random small trees:
// the search must list exactly the model's rows (both modes, sub-folders on and off, stops
// at random yields), and executing a plan, after random ticks and random changes to the
// tree, must lose or change no file, remove no folder outside the plan, and mean what each
// result says. The plan list, which shares its rows' path texts, must hold what a plain list of
// whole rows holds, sorted or not. Seeded: a failure names its seed. CORVELLE_SOAK_SECONDS runs
// more seeds.
#include <QtTest>
#include <chrono>
#include <random>
#include <set>
#include <tuple>

#include "app/settings.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tidy/execution.h"
#include "tidy/process_list.h"
#include "tidy/process_log.h"
#include "tidy/search.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

// ---- The model: the walk as the rules describe it, on an in-memory tree. ----

struct Node {
    std::string name;
    enum Kind { Folder, File, Link } kind = Folder;
    std::vector<Node> kids;
};

bool Hidden(const std::string& n) {
    return !n.empty() && n[0] == '.';
}

struct ModelSearch {
    int mode = 0;
    bool sub = true;
    int stopAtYield = -1;  // the yield during which the user presses stop (-1: never)
    int yields = 0;
    bool running = false;
    std::vector<std::pair<std::string, std::string>> rows;

    void Yield() {
        if (++yields == stopAtYield)
            running = false;
    }
    void Check(const Node& f, const std::string& path) {
        int folders = 0, others = 0;
        std::string lone;
        for (const Node& k : f.kids) {
            if (k.kind == Node::Folder) {
                if (folders++ == 0)
                    lone = k.name;
            } else {
                ++others;
            }
        }
        if (mode == 0 && folders == 1 && others == 0)
            rows.emplace_back(path + lone, path);
        if (mode == 1 && folders == 0 && others == 0)
            rows.emplace_back(path, kDeleteMarker);
    }
    // true: a stop noticed at this visit's start (the walk unwinds at once).
    bool Visit(const Node& f, const std::string& path) {
        running = true;
        Yield();
        if (!running)
            return true;
        std::vector<const Node*> subs;
        for (const Node& k : f.kids)
            if (k.kind == Node::Folder && !Hidden(k.name))
                subs.push_back(&k);
        std::sort(subs.begin(), subs.end(),
                  [](const Node* a, const Node* b) { return a->name < b->name; });
        for (int n = static_cast<int>(subs.size()); n > 0 && running; --n) {
            if (sub && Visit(*subs[static_cast<size_t>(n - 1)],
                             path + subs[static_cast<size_t>(n - 1)]->name + kSep))
                return true;
        }
        Check(f, path);
        if (!rows.empty())
            Yield();
        return false;
    }
};

// ---- Random trees, made on disk. ----

// Names of any byte, case apart; on Windows names are Unicode, "*" is not one, and a name
// differing only in case is the same name.
const char* const kBytesNames[] = {"a", "b", "B", ".h", "*", "x y", "a,b", "\xff\xfe", "日本", "z"};
const char* const kUnicodeNames[] = {"a", "b", "한", ".h", "😀", "x y", "a,b", "ü", "日本", "z"};

const char* RandomName(std::mt19937& rng) {
    const auto n = rng() % std::size(kBytesNames);
    return test::CanMakeLinks() ? kBytesNames[n] : kUnicodeNames[n];
}

Node RandomFolder(std::mt19937& rng, int depth) {
    Node f;
    const int n = static_cast<int>(rng() % (depth > 2 ? 2 : 4));
    std::set<std::string> used;
    for (int i = 0; i < n; ++i) {
        const std::string name = RandomName(rng);
        if (!used.insert(name).second)
            continue;
        const int roll = static_cast<int>(rng() % 10);
        Node k;
        if (roll < 6 && depth < 4)
            k = RandomFolder(rng, depth + 1);
        else
            k.kind = roll < 9 || !test::CanMakeLinks() ? Node::File : Node::Link;
        k.name = name;
        f.kids.push_back(std::move(k));
    }
    return f;
}

void Make(const Node& f, test::TestDir& t, const std::string& rel, int& serial) {
    t.Dir(rel);
    for (const Node& k : f.kids) {
        const std::string r = rel + "/" + k.name;
        if (k.kind == Node::Folder)
            Make(k, t, r, serial);
        else if (k.kind == Node::File)
            t.File(r, "content " + std::to_string(++serial));
        else
            t.Link(r, test::RootFolder());  // a link to a folder: never entered
    }
}

std::multiset<std::string> Files(const std::map<std::string, std::string>& snap) {
    std::multiset<std::string> out;
    for (const auto& [rel, c] : snap)
        if (c != "<dir>")
            out.insert(c);
    return out;
}

std::set<std::uint64_t> FolderNumbers(const test::TestDir& t) {
    std::set<std::uint64_t> out;
    for (const auto& [rel, c] : t.Snapshot()) {
        std::string leaf;
        const UniqueFd parent = OpenParentOf(t.Path(rel), leaf);
        ItemInfo info;
        if (c == "<dir>" && parent.Valid() && InfoAt(parent.Get(), leaf, info))
            out.insert(info.id.number);
    }
    return out;
}

int Seeds() {
    return 3000;
}

// ---- The list as it was: every row kept whole, in a plain vector. ----

bool SameRow(const ProcessRow& a, const ProcessRow& b) {
    auto meta = [](const FolderMeta& m) {
        return std::tuple(m.mode, m.uid, m.gid, m.atimeNs, m.mtimeNs);
    };
    auto id = [](const FileId& i) {
        return std::tuple(i.volume, i.number, i.numberHigh, i.mount, i.birth);
    };
    return a.before == b.before && a.after == b.after && a.result == b.result &&
           a.checked == b.checked && id(a.beforeId) == id(b.beforeId) &&
           id(a.afterId) == id(b.afterId) && meta(a.beforeMeta) == meta(b.beforeMeta) &&
           meta(a.parentMeta) == meta(b.parentMeta);
}

struct PlainList {
    std::vector<ProcessRow> rows;
    bool sortOn = false;
    int key = 0;
    bool descending = false;

    bool Less(const ProcessRow& a, const ProcessRow& b) const {
        const int c = ProcessList::Cell(a, key).compare(ProcessList::Cell(b, key));
        return descending ? c > 0 : c < 0;
    }
    size_t Append(const ProcessRow& r) {
        auto at = rows.end();
        if (sortOn)
            at = std::upper_bound(
                rows.begin(), rows.end(), r,
                [this](const ProcessRow& a, const ProcessRow& b) { return Less(a, b); });
        const auto it = rows.insert(at, r);
        return static_cast<size_t>(it - rows.begin());
    }
    void Click(int column) {
        key = column;
        sortOn = true;
        descending = !descending;
        std::stable_sort(rows.begin(), rows.end(),
                         [this](const ProcessRow& a, const ProcessRow& b) { return Less(a, b); });
    }
    std::string Log() const {
        std::string text;
        for (const ProcessRow& r : rows) text += r.before + ',' + r.after + ',' + r.result + "\r\n";
        return text;
    }
};

// The list holds exactly the plain list's rows, in its order, with its log.
bool SameAsPlain(const ProcessList& list, const PlainList& plain) {
    if (list.Count() != static_cast<int>(plain.rows.size()))
        return false;
    for (int i = 0; i < list.Count(); ++i)
        if (!SameRow(list.Row(i), plain.rows[static_cast<size_t>(i)]))
            return false;
    return LogTextUtf8(list) == plain.Log();
}

}  // namespace

class TestModel : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void searchMatchesTheModelAndExecutionKeepsItsWord() {
        const char* soak = std::getenv("CORVELLE_SOAK_SECONDS");
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::seconds(soak ? std::atoi(soak) : 0);
        int seeds = 0;
        for (unsigned seed = 1;; ++seed) {
            if (soak ? std::chrono::steady_clock::now() > until : seed > unsigned(Seeds()))
                break;
            OneSeed(seed);
            if (QTest::currentTestFailed()) {
                qWarning("failing seed: %u", seed);
                return;
            }
            ++seeds;
        }
        qInfo("model seeds: %d", seeds);
    }

  private:
    void OneSeed(unsigned seed) {
        std::mt19937 rng(seed);
        const Node tree = RandomFolder(rng, 0);
        test::TestDir t;
        int serial = 0;
        Make(tree, t, "r", serial);
        const std::string root = t.Path("r/");
        const int mode = static_cast<int>(rng() % 2);
        const bool sub = rng() % 4 != 0;
        const int stopAt = rng() % 3 == 0 ? static_cast<int>(rng() % 8) + 1 : -1;
        // The model's rows.
        ModelSearch model;
        model.mode = mode;
        model.sub = sub;
        model.stopAtYield = stopAt;
        model.Visit(tree, root);
        // The engine's.
        SettingsRecord s;
        s.CurrentDirectory = root;
        s.ShoriMode = static_cast<int16_t>(mode);
        s.SubFolderMode = sub;
        ProcessList list;
        list.Init();
        TidySearch search(s, list);
        // Every row as the search hands it over, kept whole.
        PlainList plain;
        list.PassRowsTo([&](const ProcessRow& r) { plain.Append(r); }, true);
        int yields = 0;
        search.ui.yield = [&] {
            if (++yields == stopAt)
                search.Stop();
        };
        MessageService::ResetScript();
        search.SearchRun();
        std::vector<std::pair<std::string, std::string>> rows;
        for (const ProcessRow& r : list.Rows()) rows.emplace_back(r.before, r.after);
        QVERIFY2(rows == model.rows, qPrintable(QString("seed %1: %2 rows, model %3")
                                                    .arg(seed)
                                                    .arg(rows.size())
                                                    .arg(model.rows.size())));
        if (rows.empty())
            return;
        // Random ticks, results and failures, then header clicks, with rows arriving while
        // sorted; the shared-path list must hold what a plain list of whole rows holds.
        QVERIFY2(SameAsPlain(list, plain), qPrintable(QString("seed %1: as stored").arg(seed)));
        for (int i = 0; i < list.Count(); ++i)
            if (rng() % 4 == 0) {
                list.SetChecked(i, true);
                plain.rows[static_cast<size_t>(i)].checked = true;
            }
        {
            ProcessList sorted;
            sorted.Init();
            PlainList expected;
            const char* results[] = {kResultSuccess, kResultFailure, "", "Undo成功"};
            for (size_t k = 0; k < plain.rows.size(); ++k) {
                ProcessRow r = plain.rows[k];
                r.checked = false;
                const int at = sorted.Append(r.before, r.after, r.beforeId, r.afterId, r.beforeMeta,
                                             r.parentMeta);
                const size_t there = expected.Append(r);
                QCOMPARE(size_t(at), there);
                const std::string result = results[rng() % 4];
                sorted.SetResult(at, result);
                expected.rows[there].result = result;
                const bool checked = rng() % 2;
                sorted.SetChecked(at, checked);
                expected.rows[there].checked = checked;
                if (rng() % 3 == 0) {
                    const int column = static_cast<int>(rng() % 3);
                    sorted.ColumnClick(column);
                    expected.Click(column);
                }
            }
            QVERIFY2(SameAsPlain(sorted, expected),
                     qPrintable(QString("seed %1: sorted").arg(seed)));
        }
        // Random changes by "another program".
        const auto snapshot = t.Snapshot("r");
        std::vector<std::string> folders;
        for (const auto& [rel, c] : snapshot)
            if (c == "<dir>")
                folders.push_back(rel);
        for (int changes = static_cast<int>(rng() % 3); changes > 0 && !folders.empty();
             --changes) {
            const std::string rel = "r/" + folders[rng() % folders.size()];
            std::string leaf;
            const UniqueFd parent = OpenParentOf(t.Path(rel), leaf);
            switch (rng() % 3) {
                case 0:
                    test::WriteFileBytes(t.Path(rel + "/late"), "late " + std::to_string(++serial));
                    break;
                case 1:
                    RemoveEmptyFolderAt(parent.Get(), leaf);  // only when empty
                    break;
                default:
                    if (RenameNoReplace(parent.Get(), leaf, parent.Get(), leaf + "-moved") &&
                        test::CanMakeLinks())
                        t.Link(rel, t.Path(rel + "-moved"));
                    break;
            }
        }
        const auto before = t.Snapshot("r");
        const std::set<std::uint64_t> foldersBefore = FolderNumbers(t);
        test::ScriptedFileOpUi ui;
        ExecuteList(list, {});
        const auto after = t.Snapshot("r");
        const std::set<std::uint64_t> foldersAfter = FolderNumbers(t);
        const QString where = QString("seed %1").arg(seed);
        QVERIFY2(Files(after) == Files(before), qPrintable(where + ": a file was lost or changed"));
        QVERIFY2(test::NoGeneratedNames(after), qPrintable(where));
        std::set<std::uint64_t> planned;
        for (const ProcessRow& r : list.Rows()) {
            if (r.checked) {
                QVERIFY2(r.result.empty(), qPrintable(where));
                continue;
            }
            const bool gone = !foldersAfter.count(r.beforeId.number);
            if (r.result == kResultSuccess) {
                QVERIFY2(gone, qPrintable(where + ": 成功 but the folder is still there"));
                planned.insert(r.beforeId.number);
            } else {
                QCOMPARE(r.result, std::string(kResultFailure));
                QVERIFY2(!gone || !foldersBefore.count(r.beforeId.number),
                         qPrintable(where + ": 失敗 but the folder was removed"));
            }
        }
        for (std::uint64_t ino : foldersBefore)
            QVERIFY2(foldersAfter.count(ino) || planned.count(ino),
                     qPrintable(where + ": a folder outside the plan was removed"));
    }
};

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
