// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QtTest>
#include <csignal>

#include "app/app_state.h"
#include "app/settings.h"
#include "app/startup.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/shell_open.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "ui/frm_main.h"
#include "ui/frm_splash.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

// One run of the program in the given program folder: load, show, close.
void RunOnce(bool minimise = false) {
    frmMain w;
    bool ended = false;
    w.Terminate = [&] { ended = true; };
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    if (minimise)
        w.showMinimized();
    w.close();
    QVERIFY(ended);
}

bool SplashVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmSplash*>(w) && w->isVisible())
            return true;
    return false;
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    void closeWritesSettingsByteForByte() {
        test::TestDir prog;
        test::TestDir data;
        data.Dir("フォルダ");
        SetProgramFolder(prog.Root());
        const std::string ini = test::FileText(
            "[Corvelle]\r\nMainTop= 1500 \r\nMainLeft= 1800 \r\nMainHeight= 7200 \r\n"
            "MainWidth= 9600 \r\nSplitterMain= 5000 \r\nCurrentDirectory=" +
            data.Path("フォルダ/") +
            "\r\nDirImageType= 0 \r\nDirQuickMode=False\r\nListViewMode= 2 \r\n"
            "DestDir 0=/x/\r\nSubFolderMode=False\r\nFolderChangeMode=True\r\nIgcMode=True\r\n"
            "ShoriMode= 0 \r\n");
        prog.File("RUZO.INI", ini);
        // Five runs in a row leave the geometry (and everything else) as it was.
        for (int run = 0; run < 5; ++run) {
            RunOnce();
            QCOMPARE(QByteArray::fromStdString(prog.Read("RUZO.INI")),
                     QByteArray::fromStdString(ini));
        }
        QVERIFY(MessageService::Shown().empty());
        SetProgramFolder({});
    }

    void treeStartsOnTheStoredFolder() {
        test::TestDir prog;
        test::TestDir data;
        data.Dir("start");
        SetProgramFolder(prog.Root());
        prog.File("RUZO.INI",
                  "CurrentDirectory=" + data.Path("start/") + "\r\nDirImageType= 0 \r\n");
        frmMain w;
        w.Terminate = [] {};
        QVERIFY(w.Form_Load());
        QCOMPARE(w.dirTree->Path(), data.Path("start/"));
        QCOMPARE(w.dirTree->ImageType(), 0);
        QVERIFY(!StartupInProgress);
        SetProgramFolder({});
    }

    // A folder named on the command line: the tree starts there; one that cannot be opened
    // is said so and the stored folder is used.
    void folderArgument_data() {
        QTest::addColumn<QString>("argument");  // "dir", "missing", "file", "bytes"
        QTest::addColumn<bool>("taken");
        QTest::newRow("existing folder") << "dir" << true;
        QTest::newRow("missing folder") << "missing" << false;
        QTest::newRow("a file") << "file" << false;
        QTest::newRow("not UTF-8") << "bytes" << true;
    }
    void folderArgument() {
        QFETCH(QString, argument);
        QFETCH(bool, taken);
        test::TestDir prog;
        test::TestDir data;
        data.Dir("stored");
        data.Dir("given");
        data.Dir("n\xff\xfe");
        data.File("plain.txt");
        SetProgramFolder(prog.Root());
        prog.File("RUZO.INI", "CurrentDirectory=" + data.Path("stored/") + "\r\n");
        const QString& a = argument;
        StartFolderArgument = a == "dir"       ? data.Path("given")
                              : a == "missing" ? data.Path("nowhere")
                              : a == "file"    ? data.Path("plain.txt")
                                               : data.Path("n\xff\xfe");
        MessageService::QueueAnswer(MsgAnswer::Ok);
        frmMain w;
        w.Terminate = [] {};
        QVERIFY(w.Form_Load());
        const std::string expected =
            taken ? AddBackslash(StartFolderArgument) : data.Path("stored/");
        QCOMPARE(w.dirTree->Path(), expected);
        QCOMPARE(MessageService::Shown().size(), size_t(taken ? 0 : 1));
        if (!taken)
            QVERIFY(MessageService::Shown()[0].text.find(StartFolderArgument) != std::string::npos);
        StartFolderArgument.clear();
        SetProgramFolder({});
    }

    void noFileGivesCompleteFileAtExit() {
        test::TestDir prog;
        SetProgramFolder(prog.Root());
        RunOnce();
        const std::string text = prog.Read("RUZO.INI");
        QVERIFY(text.rfind("[Corvelle]\r\nMainTop=", 0) == 0);
        QVERIFY(text.find("\r\nShoriMode= 0 \r\n") != std::string::npos);
        QVERIFY(MessageService::Shown().empty());
        SetProgramFolder({});
    }

    void minimisedWindowKeepsStoredGeometry() {
        test::TestDir prog;
        SetProgramFolder(prog.Root());
        prog.File("RUZO.INI",
                  "MainTop= 1500 \r\nMainLeft= 1500 \r\nMainHeight= 6000 \r\n"
                  "MainWidth= 9000 \r\n");
        RunOnce(true);
        const std::string text = prog.Read("RUZO.INI");
        QVERIFY(text.find("MainTop= 1500 \r\nMainLeft= 1500 \r\nMainHeight= 6000 \r\n"
                          "MainWidth= 9000 \r\n") != std::string::npos);
        SetProgramFolder({});
    }

    void splashMarker_data() {
        QTest::addColumn<int>("marker");  // 0 none, 1 file, 2 folder
        QTest::newRow("no marker") << 0;
        QTest::newRow("marker file") << 1;
        QTest::newRow("marker folder") << 2;
    }
    void splashMarker() {
        QFETCH(int, marker);
        test::TestDir prog;
        SetProgramFolder(prog.Root());
        if (marker == 1)
            prog.File("NOSPLASH", "x");
        if (marker == 2)
            prog.Dir("NOSPLASH");
        bool splashDuringLoad = false;
        frmMain* w = Main();
        QVERIFY(w);
        w->Terminate = [] {};
        // The splash was created only without the marker, and is gone once the window shows.
        for (QObject* o : QApplication::topLevelWidgets())
            if (qobject_cast<frmSplash*>(o))
                splashDuringLoad = true;
        QCOMPARE(splashDuringLoad, marker == 0);
        QVERIFY(!SplashVisible());
        QVERIFY(w->isVisible());
        delete w;
        SetProgramFolder({});
    }

    void sessionEndSavesLikeClose_data() {
#ifdef _WIN32
        QSKIP("Windows ends a session with a message to the window, not a signal");
#else
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
#endif
    }
    void sessionEndSavesLikeClose() {
        QFETCH(int, signal);
        test::TestDir prog;
        SetProgramFolder(prog.Root());
        frmMain w;
        bool ended = false;
        w.Terminate = [&] { ended = true; };
        QVERIFY(w.Form_Load());
        w.show();
        CloseOnSessionEnd(&w);
        raise(signal);
        QTRY_VERIFY(ended);
        QVERIFY(prog.Exists("RUZO.INI"));
        SetProgramFolder({});
    }

    void shellOpenUnwrapsQuotes() {
        std::vector<std::string> opened;
        SetShellOpenBackend([&](const std::string& t) {
            opened.push_back(t);
            return t != "/missing";
        });
        QCOMPARE(ShellOpen(nullptr, "\"/a b/guide.pdf\""), 33);
        QCOMPARE(ShellOpen(nullptr, "https://example.invalid/"), 33);
        QCOMPARE(ShellOpen(nullptr, "/missing"), 2);
        QCOMPARE(opened, (std::vector<std::string>{"/a b/guide.pdf", "https://example.invalid/",
                                                   "/missing"}));
        SetShellOpenBackend(nullptr);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
