// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "browser/history.h"

using namespace corvelle;

namespace {

// A history driven the way the window drives it: a selection is a visit of the folder being
// left; a jump points a fake tree at its target.
struct Nav {
    std::string current = "/start/";
    NavigationHistory h{current};
    std::string tree = current;
    bool backEnabled = false;
    bool nextEnabled = false;
    int rebuilds = 0;
    int visitsDuringJumps = 0;

    Nav() {
        h.hooks.enableButton = [this](bool back, bool on) {
            (back ? backEnabled : nextEnabled) = on;
        };
        h.hooks.rebuildMenu = [this](bool) { ++rebuilds; };
        h.hooks.setTreePath = [this](const std::string& p) {
            tree = p;
            PathChanged();  // the tree reports at once, inside the write
        };
        h.hooks.treePath = [this] { return tree; };
        h.HistoryTableInit();
    }
    void PathChanged() {
        if (tree != current && tree != h.JumpTarget()) {
            h.HistoryVisit(current);
            if (!h.JumpTarget().empty())
                ++visitsDuringJumps;
        }
        current = tree;
    }
    void Select(const std::string& folder) {
        tree = folder;
        PathChanged();
    }
    QStringList Back() const { return Entries(h.BackTable, h.BackCount); }
    QStringList Next() const { return Entries(h.NextTable, h.NextCount); }
    static QStringList Entries(const std::array<std::string, 12>& t, int n) {
        QStringList out;
        for (int k = 1; k <= n; ++k) out << QString::fromStdString(t[static_cast<size_t>(k)]);
        return out;
    }
};

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void visits() {
        Nav n;
        n.current = "Docs";
        n.tree = "Docs";
        n.Select("Music");
        n.Select("Photos");
        QCOMPARE(n.Back(), (QStringList{"Music", "Docs"}));
        QVERIFY(n.backEnabled && !n.nextEnabled);
        n.Select("Photos");  // the current folder again: nothing recorded
        QCOMPARE(n.Back(), (QStringList{"Music", "Docs"}));
    }

    void duplicatesStay() {
        Nav n;
        n.current = n.tree = "Docs";
        n.Select("Music");
        n.Select("Docs");
        n.Select("Photos");
        QCOMPARE(n.Back(), (QStringList{"Docs", "Music", "Docs"}));
    }

    void elevenSelectionsKeepTen() {
        Nav n;
        n.current = n.tree = "f0";
        for (int i = 1; i <= 11; ++i) n.Select("f" + std::to_string(i));
        QCOMPARE(n.h.BackCount, int16_t(10));
        QCOMPARE(n.Back().first(), QStringLiteral("f10"));
        QCOMPARE(n.Back().last(), QStringLiteral("f1"));  // f0 was pushed out
        n.h.HistoryBackAdd("extra");
        QCOMPARE(n.h.BackCount, int16_t(10));
        QCOMPARE(n.h.BackTable[0], std::string());
    }

    void jumps() {
        Nav n;
        n.current = n.tree = "Docs";
        n.Select("Music");
        n.Select("Photos");
        // Back one step.
        n.h.HistoryGoBack(1);
        QCOMPARE(n.current, std::string("Music"));
        QCOMPARE(n.Back(), QStringList{"Docs"});
        QCOMPARE(n.Next(), QStringList{"Photos"});
        QVERIFY(n.nextEnabled && n.backEnabled);
        // Forward again, then back entry 2 from Photos.
        n.h.HistoryGoForward(1);
        QCOMPARE(n.current, std::string("Photos"));
        QCOMPARE(n.Back(), (QStringList{"Music", "Docs"}));
        QVERIFY(!n.nextEnabled);
        n.h.HistoryGoBack(2);
        QCOMPARE(n.current, std::string("Docs"));
        QVERIFY(n.Back().isEmpty());
        QVERIFY(!n.backEnabled);
        QCOMPARE(n.Next(), (QStringList{"Music", "Photos"}));
        // Forward entry 2.
        n.h.HistoryGoForward(2);
        QCOMPARE(n.current, std::string("Photos"));
        QVERIFY(n.Next().isEmpty());
        QVERIFY(!n.nextEnabled);
        QCOMPARE(n.Back(), (QStringList{"Docs", "Music"}));
        QCOMPARE(n.visitsDuringJumps, 0);
        // Out-of-range requests do nothing.
        n.h.HistoryGoForward(1);
        n.h.HistoryGoBack(3);
        QCOMPARE(n.current, std::string("Photos"));
    }

    void newVisitAfterGoingBackDropsForward() {
        Nav n;
        n.current = n.tree = "Docs";
        n.Select("Music");
        n.Select("Photos");
        n.h.HistoryGoBack(1);
        n.Select("Other");
        QVERIFY(n.Next().isEmpty());
        QVERIFY(!n.nextEnabled);
        QCOMPARE(n.Back(), (QStringList{"Music", "Docs"}));
    }

    void jumpWhereTheTreeFallsBack() {
        Nav n;
        n.current = n.tree = "Docs";
        n.Select("Gone");
        n.Select("Photos");
        // The tree cannot show "Gone" and returns to the folder that was current.
        n.h.hooks.setTreePath = [&n](const std::string&) { n.tree = "Photos"; };
        n.h.HistoryGoBack(1);
        QCOMPARE(n.current, std::string("Photos"));
    }
};

QTEST_APPLESS_MAIN(TestHistory)
#include "tst_history.moc"
