// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's files go: beside a portable copy, in the user's folders for an
// installed one; the splash marker and the guide found in either place.
#include <sys/mount.h>

#include <QtTest>

#include "platform/os/file_locations.h"
#include "tests/support/test_dir.h"

using namespace corvelle;

class TestLocations : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void choice_data() {
        // "writable", "installed", "read-only", "prefix bin" (".../bin" beside a
        // "share/corvelle"), "bare bin" (a writable ".../bin" without one)
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("iniThere");
        QTest::addColumn<QString>("xdgConfig");  // "" unset, "rel" relative, "abs" absolute
        QTest::addColumn<bool>("portable");
        QTest::newRow("writable folder") << "writable" << false << "" << true;
        QTest::newRow("writable settings file") << "writable" << true << "abs" << true;
        QTest::newRow("installed, XDG unset") << "installed" << false << "" << false;
        QTest::newRow("installed, XDG set") << "installed" << true << "abs" << false;
        QTest::newRow("installed, XDG relative") << "installed" << false << "rel" << false;
        QTest::newRow("read-only folder") << "read-only" << false << "" << false;
        QTest::newRow("read-only, settings there") << "read-only" << true << "abs" << false;
        QTest::newRow("~/.local/bin") << "prefix bin" << false << "" << false;
        QTest::newRow("~/.local/bin, settings there") << "prefix bin" << true << "" << false;
        QTest::newRow("a bin folder of its own") << "bare bin" << false << "" << true;
    }
    void choice() {
        QFETCH(bool, iniThere);
        QFETCH(QString, program);
        QFETCH(QString, xdgConfig);
        QFETCH(bool, portable);
        test::TestDir t;
        const QString& kind = program;
        const std::string prog = kind == "prefix bin" || kind == "bare bin" ? "local/bin" : "prog";
        t.Dir(prog);
        t.Dir("home");
        if (kind == "prefix bin")
            t.Dir("local/share/corvelle");
        if (iniThere)
            t.File(prog + "/RUZO.INI", "[Corvelle]\r\n");
        bool mounted = false;
        if (kind == "read-only") {
            mounted = mount(t.Path("prog").c_str(), t.Path("prog").c_str(), nullptr, MS_BIND,
                            nullptr) == 0 &&
                      mount(nullptr, t.Path("prog").c_str(), nullptr,
                            MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
            if (!mounted)
                QSKIP("a read-only bind mount needs root (CI runs as root)");
        }
        LocationInputs in;
        in.programFolder = t.Path(prog);
        in.home = t.Path("home");
        const QString& xdg = xdgConfig;
        in.xdgConfigHome = xdg == "abs" ? t.Path("cfg") : xdg == "rel" ? "cfg" : "";
        in.xdgStateHome = xdg == "abs" ? t.Path("state") : "";
        in.installedBinFolder = kind == "installed" ? t.Path("prog") : "/usr/local/bin";
        in.installedDataFolder = t.Path("data");
        const FileLocations l = ChooseFileLocations(in);
        if (mounted)
            umount2(t.Path("prog").c_str(), MNT_DETACH);
        QCOMPARE(l.portable, portable);
        const std::string config = xdg == "abs" ? t.Path("cfg/") : t.Path("home/.config/");
        const std::string state = xdg == "abs" ? t.Path("state/") : t.Path("home/.local/state/");
        const std::string p = t.Path(prog + "/");
        if (l.portable) {
            QCOMPARE(l.settingsFolder, p);
            QCOMPARE(l.logFolder, p);
            QCOMPARE(l.markerFolders, std::vector<std::string>{p});
            QCOMPARE(l.settingsSeed, std::string());
        } else {
            QCOMPARE(l.settingsFolder, config + "corvelle/");
            QCOMPARE(l.logFolder, state + "corvelle/");
            QCOMPARE(l.markerFolders, (std::vector<std::string>{p, config + "corvelle/"}));
            // Settings beside a copy that cannot write them are read until it has its own.
            QCOMPARE(l.settingsSeed, iniThere ? p + "RUZO.INI" : std::string());
        }
        QCOMPARE(l.guideFolders, (std::vector<std::string>{p, p + "../share/corvelle/",
                                                           t.Path("data/")}));
    }

    void findsTheFirstThatHoldsIt() {
        test::TestDir t;
        t.Dir("a");
        t.File("b/NOSPLASH");
        t.File("c/guide.pdf", "%PDF");
        const std::vector<std::string> folders{t.Path("a/"), t.Path("b/"), t.Path("c/")};
        QCOMPARE(FindIn(folders, "NOSPLASH"), t.Path("b/NOSPLASH"));
        QCOMPARE(FindIn(folders, "guide.pdf"), t.Path("c/guide.pdf"));
        QCOMPARE(FindIn(folders, "missing"), std::string());
        t.File("a/guide.pdf", "%PDF beside the program");
        QCOMPARE(FindIn(folders, "guide.pdf"), t.Path("a/guide.pdf"));
    }
};

QTEST_APPLESS_MAIN(TestLocations)
#include "tst_locations.moc"
