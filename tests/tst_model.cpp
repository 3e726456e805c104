// SPDX-License-Identifier: GPL-3.0-or-later
// The tidy engine checked against an independent model on thousands of random small trees:
// the search must list exactly the model's rows (both modes, sub-folders on and off, stops
// at random yields), and executing a plan, after random ticks and random changes to the
// tree, must lose or change no file, remove no folder outside the plan, and mean what each
// result says. The plan list, which shares its rows' path texts, must hold what a plain list of
// whole rows holds, sorted or not. With the optional rules (junk files, nested folders,
// exclusions, a minimum age) the search must again list exactly the model's rows, and a run
// with random ticks, undone, must leave every byte and every folder as it was. Seeded: a
// failure names its seed. CORVELLE_SOAK_SECONDS runs more seeds.
#include <QtTest>
#include <chrono>
#include <ctime>
#include <random>
#include <set>
#include <tuple>

#include "app/settings.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "tests/support/undo_run.h"
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
    bool old = false;  // last changed long ago
};

bool Hidden(const std::string& n) {
    return !n.empty() && n[0] == '.';
}

// The rules as the model knows them: exact junk names in any case, AppleDouble names, exact
// excluded names.
struct ModelRules {
    bool junk = false, nested = false, exclude = false, age = false;
    static std::string Folded(const std::string& a) {
        std::string l = a;
        for (char& c : l)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return l;
    }
    static bool Lower(const std::string& a, const char* b) { return Folded(a) == b; }
    bool Junk(const Node& k, const Node& folder) const {
        if (!junk || k.kind != Node::File)
            return false;
        if (Lower(k.name, "thumbs.db") || Lower(k.name, ".ds_store"))
            return true;
        if (k.name.size() <= 2 || k.name.compare(0, 2, "._") != 0)
            return false;
        for (const Node& o : folder.kids)
            if (o.name == k.name.substr(2))
                return false;
        return true;
    }
    bool Excluded(const std::string& name) const {
        return exclude && (name == "node_modules" || name == "b");
    }
};

struct ModelSearch {
    int mode = 0;
    bool sub = true;
    ModelRules rules;
    std::vector<std::vector<std::string>> junk;  // of each row, sorted
    int stopAtYield = -1;  // the yield during which the user presses stop (-1: never)
    int yields = 0;
    bool running = false;
    std::vector<std::pair<std::string, std::string>> rows;

    void Yield() {
        if (++yields == stopAtYield)
            running = false;
    }
    // Whether a row was appended.
    bool Check(const Node& f, const std::string& path, int listedSubs) {
        int folders = 0, others = 0;
        const Node* lone = nullptr;
        std::vector<std::string> junkNames;
        bool old = f.old;
        for (const Node& k : f.kids) {
            if (k.kind == Node::Folder) {
                if (folders++ == 0)
                    lone = &k;
            } else if (rules.Junk(k, f)) {
                junkNames.push_back(k.name);
                old = old && k.old;
            } else {
                ++others;
            }
        }
        if (rules.age && !old)
            return false;
        std::sort(junkNames.begin(), junkNames.end());
        if (mode == 0 && folders == 1 && others == 0 && !rules.Excluded(lone->name) &&
            (!rules.age || lone->old)) {
            rows.emplace_back(path + lone->name, path);
            junk.push_back(junkNames);
            return true;
        }
        if (mode == 1 && others == 0 && (folders == 0 || (rules.nested && folders == listedSubs))) {
            rows.emplace_back(path, kDeleteMarker);
            junk.push_back(junkNames);
            return true;
        }
        return false;
    }
    // true: a stop noticed at this visit's start (the walk unwinds at once). `listed`: the
    // folder's row was appended.
    bool Visit(const Node& f, const std::string& path, bool* listed = nullptr) {
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
        int listedSubs = 0;
        for (int n = static_cast<int>(subs.size()); n > 0 && running; --n) {
            const Node& k = *subs[static_cast<size_t>(n - 1)];
            if (rules.Excluded(k.name))
                continue;
            bool kidListed = false;
            if (sub && Visit(k, path + k.name + kSep, &kidListed))
                return true;
            listedSubs += kidListed && mode == 1 ? 1 : 0;
        }
        const bool appended = Check(f, path, listedSubs);
        if (listed)
            *listed = appended;
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

// With the rules: junk names, AppleDouble names with and without partners, excluded names.
const char* const kRuleNames[] = {"Thumbs.db", "THUMBS.DB", ".DS_Store",    "._a", "._z",   "a",
                                  "z",         "b",         "node_modules", "x y", "._日本"};

Node RandomFolder(std::mt19937& rng, int depth, bool ruleNames = false) {
    Node f;
    f.old = rng() % 3 != 0;
    const int n = static_cast<int>(rng() % (depth > 2 ? 2 : 4));
    std::set<std::string> used;
    for (int i = 0; i < n; ++i) {
        const std::string name =
            ruleNames && rng() % 2 ? kRuleNames[rng() % std::size(kRuleNames)] : RandomName(rng);
        // Junk names differ in case only: one of them a folder, as on Windows.
        if (!used.insert(ruleNames ? ModelRules::Folded(name) : name).second)
            continue;
        const int roll = static_cast<int>(rng() % 10);
        Node k;
        if (roll < 6 && depth < 4)
            k = RandomFolder(rng, depth + 1, ruleNames);
        else
            k.kind = roll < 9 || !test::CanMakeLinks() ? Node::File : Node::Link;
        k.name = name;
        if (k.kind != Node::Folder)
            k.old = rng() % 3 != 0;
        f.kids.push_back(std::move(k));
    }
    return f;
}

// Old items are given a time long ago once everything inside them is made.
void Age(const test::TestDir& t, const std::string& rel) {
    t.Touch(rel, std::time(nullptr) - time_t{400} * 86400);
}

void Make(const Node& f, test::TestDir& t, const std::string& rel, int& serial) {
    t.Dir(rel);
    for (const Node& k : f.kids) {
        const std::string r = rel + "/" + k.name;
        if (k.kind == Node::Folder) {
            Make(k, t, r, serial);
            continue;
        }
        if (k.kind == Node::File)
            t.File(r, "content " + std::to_string(++serial));
        else
            t.Link(r, test::RootFolder());  // a link to a folder: never entered
        if (k.kind == Node::File && k.old)
            Age(t, r);
    }
    if (f.old)
        Age(t, rel);
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

// The search as the window runs it, the user pressing stop during yield `stopAt` (-1: never).
void SearchStoppingAt(SettingsRecord& s, ProcessList& list, int stopAt) {
    TidySearch search(s, list);
    int yields = 0;
    search.ui.yield = [&] {
        if (++yields == stopAt)
            search.Stop();
    };
    MessageService::ResetScript();
    search.SearchRun();
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
        Seeded("model", Seeds(), [this](unsigned seed) { OneSeed(seed); });
    }

    void rulesMatchTheModelAndUndoPutsEverythingBack() {
        test::TestDir state;
        test::JournalHome home(state.Root());
        Seeded("rules", Seeds() / 3, [this](unsigned seed) { RulesSeed(seed); });
    }

  private:
    // Seeds 1 to `count`, or as many as CORVELLE_SOAK_SECONDS allows; stops at a failure.
    template <typename Body>
    static void Seeded(const char* what, int count, Body body) {
        const char* soak = std::getenv("CORVELLE_SOAK_SECONDS");
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::seconds(soak ? std::atoi(soak) : 0);
        int seeds = 0;
        for (unsigned seed = 1;; ++seed) {
            if (soak ? std::chrono::steady_clock::now() > until : seed > unsigned(count))
                break;
            body(seed);
            if (QTest::currentTestFailed()) {
                qWarning("failing seed: %u", seed);
                return;
            }
            ++seeds;
        }
        qInfo("%s seeds: %d", what, seeds);
    }

    void RulesSeed(unsigned seed) {
        std::mt19937 rng(seed);
        Node tree = RandomFolder(rng, 0, true);
        tree.old = true;
        test::TestDir t;
        int serial = 0;
        Make(tree, t, "r", serial);
        const std::string root = t.Path("r/");
        const int mode = static_cast<int>(rng() % 3 == 0 ? 0 : 1);
        const int stopAt = rng() % 5 == 0 ? static_cast<int>(rng() % 8) + 1 : -1;
        ModelSearch model;
        model.mode = mode;
        model.stopAtYield = stopAt;
        model.rules = {rng() % 4 != 0, rng() % 2 == 0, rng() % 3 == 0, rng() % 3 == 0};
        model.Visit(tree, root);
        SettingsRecord s;
        s.CurrentDirectory = root;
        s.ShoriMode = static_cast<int16_t>(mode);
        TidyRules& rules = s.Rules;
        rules.junk = model.rules.junk;
        rules.junkNames = {"thumbs.db", ".DS_STORE", "._*"};
        rules.nested = model.rules.nested;
        rules.exclude = model.rules.exclude;
        rules.excludePatterns = {"node_modules", "b"};
        rules.olderThanDays = model.rules.age ? 30 : 0;
        ProcessList list;
        list.Init();
        SearchStoppingAt(s, list, stopAt);
        const QString where = QString("rules seed %1").arg(seed);
        std::vector<std::pair<std::string, std::string>> rows;
        std::vector<std::vector<std::string>> junk;
        for (const ProcessRow& r : list.Rows()) {
            rows.emplace_back(r.before, r.after);
            std::vector<std::string> names;
            for (const JunkFile& j : r.junk) names.push_back(j.name);
            std::sort(names.begin(), names.end());
            junk.push_back(names);
        }
        QVERIFY2(
            rows == model.rows,
            qPrintable(where +
                       QString(": %1 rows, model %2").arg(rows.size()).arg(model.rows.size())));
        QVERIFY2(junk == model.junk, qPrintable(where + ": junk files"));
        if (rows.empty())
            return;
        for (int i = 0; i < list.Count(); ++i)
            if (rng() % 4 == 0)
                list.SetChecked(i, true);
        const auto before = t.Snapshot("r");
        const auto attrs = test::Attributes(t);
        const std::set<std::uint64_t> foldersBefore = FolderNumbers(t);
        test::ScriptedFileOpUi ui;
        int failed = -1;
        const std::string journal = test::ExecuteJournaled(list, &failed);
        const std::set<std::uint64_t> foldersAfter = FolderNumbers(t);
        QVERIFY2(failed == 0, qPrintable(where + ": a row failed on an unchanged tree"));
        std::set<std::uint64_t> planned;
        for (int i = 0; i < list.Count(); ++i) {
            const ProcessRow r = list.Row(i);
            const bool gone = !foldersAfter.count(r.beforeId.number);
            if (r.result.empty()) {
                // Ticked, or above a ticked row: kept.
                QVERIFY2(!gone, qPrintable(where + ": a folder left out was removed"));
                continue;
            }
            QVERIFY2(r.result == kResultSuccess && gone, qPrintable(where + ": 成功 untrue"));
            planned.insert(r.beforeId.number);
            for (int k = 0; k < list.Count(); ++k) {
                const std::string inner = list.Cell(k, 0);
                QVERIFY2(!list.Checked(k) || !r.IsDeleteRow() || inner == r.before ||
                             inner.compare(0, r.before.size(), r.before) != 0,
                         qPrintable(where + ": a folder holding a ticked row was removed"));
            }
        }
        for (std::uint64_t ino : foldersBefore)
            QVERIFY2(foldersAfter.count(ino) || planned.count(ino),
                     qPrintable(where + ": a folder outside the plan was removed"));
        if (journal.empty())
            return;  // every row left out
        const test::UndoResult u = test::Undo(journal);
        QVERIFY2(u.failed == 0, qPrintable(where + ": " + QString::fromStdString(u.error)));
        QVERIFY2(t.Snapshot("r") == before, qPrintable(where + ": not put back byte for byte"));
        QVERIFY2(test::Attributes(t) == attrs, qPrintable(where + ": attributes"));
    }

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
        // Every row as the search hands it over, kept whole.
        PlainList plain;
        list.PassRowsTo([&](const ProcessRow& r) { plain.Append(r); }, true);
        SearchStoppingAt(s, list, stopAt);
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
