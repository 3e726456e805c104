// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>
#include <clocale>

#include "app/settings.h"
#include "platform/os/codec.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "tests/support/test_dir.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

SettingsRecord Defaults() {
    SettingsRecord r;
    iniDataInit(r, 28800, 16200, test::RootFolder());
    return r;
}

// Loads text as RUZO.INI; returns the record and the boxes shown.
SettingsRecord Load(const std::string& text, std::vector<MessageRequest>* shown = nullptr) {
    test::TestDir t;
    test::WriteFileBytes(t.Path(kSettingsFileName), text);
    MessageService::ResetScript();
    SettingsRecord r = Defaults();
    iniFileLoad(r, t.Path(kSettingsFileName));
    if (shown)
        *shown = MessageService::Shown();
    MessageService::ResetScript();
    return r;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void defaultsFromScreen() {
        const SettingsRecord r = Defaults();
        QCOMPARE(r.MainHeight, 11340);
        QCOMPARE(r.MainWidth, 20160);
        QCOMPARE(r.MainTop, 2430);
        QCOMPARE(r.MainLeft, 4320);
        QCOMPARE(r.SplitterMain, 5000);
        QCOMPARE(r.DirImageType, 1);
        QCOMPARE(r.ListViewMode, int16_t(2));
        QCOMPARE(r.DestDirCount, std::string("0"));
        QVERIFY(r.SubFolderMode && r.FolderChangeMode && r.IgcMode && !r.DirQuickMode);
        QCOMPARE(r.ShoriMode, int16_t(0));
        SettingsRecord odd;
        iniDataInit(odd, 1001, 1001, "/x");
        QCOMPARE(odd.MainHeight, 700);  // floor, not round
        QCOMPARE(odd.MainTop, 150);
        QCOMPARE(odd.CurrentDirectory, std::string("/x") + kSep);
    }

    void missingFileIsSilent() {
        test::TestDir t;
        MessageService::ResetScript();
        SettingsRecord r = Defaults();
        iniFileLoad(r, t.Path("RUZO.INI"));
        QVERIFY(MessageService::Shown().empty());
        QCOMPARE(iniFileText(r), iniFileText(Defaults()));
    }

    void readMainTop_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("mainTop");
        QTest::newRow("abc") << QByteArray("MainTop=abc\r\n") << 0;
        QTest::newRow("writer layout") << QByteArray("MainTop= 1620 \r\n") << 1620;
        QTest::newRow("2.5 to even") << QByteArray("MainTop=2.5\r\n") << 2;
        QTest::newRow("3.5 to even") << QByteArray("MainTop=3.5\r\n") << 4;
        QTest::newRow("lower-case key") << QByteArray("maintop=7\r\n") << 2430;
        QTest::newRow("blank before key") << QByteArray(" MainTop=7\r\n") << 2430;
        QTest::newRow("repeated key, last wins") << QByteArray("MainTop=1\r\nMainTop=2\r\n") << 2;
        QTest::newRow("lone CR ends a line") << QByteArray("MainTop=5\rMainLeft=6\r") << 5;
        QTest::newRow("lone LF stays in the line") << QByteArray("MainTop=1\n2\r\n") << 12;
        QTest::newRow("no final line end") << QByteArray("MainTop= 33") << 33;
        QTest::newRow("empty file") << QByteArray("") << 2430;
        QTest::newRow("section only") << QByteArray("[Corvelle]\r\n") << 2430;
    }
    void readMainTop() {
        QFETCH(int, mainTop);
        QFETCH(QByteArray, file);
        std::vector<MessageRequest> shown;
        const SettingsRecord r = Load(file.toStdString(), &shown);
        QCOMPARE(r.MainTop, mainTop);
        QVERIFY(shown.empty());
    }

    void conversionErrorsStopTheReading_data() {
        QTest::addColumn<QByteArray>("badLine");
        QTest::newRow("letter for DirImageType") << QByteArray("DirImageType=a");
        QTest::newRow("ShoriMode word") << QByteArray("ShoriMode=one");
        QTest::newRow("boolean word") << QByteArray("SubFolderMode=yes");
        QTest::newRow("beyond 32 bits") << QByteArray("MainWidth=99999999999");
        QTest::newRow("ListViewMode beyond 16 bits") << QByteArray("ListViewMode=70000");
    }
    void conversionErrorsStopTheReading() {
        QFETCH(QByteArray, badLine);
        std::vector<MessageRequest> shown;
        const SettingsRecord r = Load(
            "MainTop= 100 \r\n" + badLine.toStdString() + "\r\nMainLeft= 200 \r\nIgcMode=False\r\n",
            &shown);
        QCOMPARE(r.MainTop, 100);    // before the bad line: read
        QCOMPARE(r.MainLeft, 4320);  // after it: default
        QVERIFY(r.IgcMode);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].buttons, MsgButtons::Ok);
        QCOMPARE(shown[0].icon, MsgIcon::Exclamation);
    }

    void booleansAndNumbers() {
        const SettingsRecord r = Load(
            "DirQuickMode=TRUE\r\nSubFolderMode=0\r\nFolderChangeMode=false\r\n"
            "ShoriMode= 1 \r\nDirImageType= 0 \r\nListViewMode= 3 \r\nSplitterMain=-60 \r\n");
        QVERIFY(r.DirQuickMode);
        QVERIFY(!r.SubFolderMode);
        QVERIFY(!r.FolderChangeMode);
        QCOMPARE(r.ShoriMode, int16_t(1));
        QCOMPARE(r.DirImageType, 0);
        QCOMPARE(r.ListViewMode, int16_t(3));
        QCOMPARE(r.SplitterMain, -60);
    }

    void destinationSlots() {
        SettingsRecord r = Load(
            "DestDir 2=/two/\r\nDestDir 5=/five/\r\nDestDir7=/no blank/\r\n"
            "DestDir 10=/ten/\r\n");
        QCOMPARE(r.DestDirCount, std::string("6"));
        QCOMPARE(r.DestDir[2], std::string("/two/"));
        QCOMPARE(r.DestDir[5], std::string("/five/"));
        for (int i : {0, 1, 3, 4, 7, 10}) QVERIFY(r.DestDir[i].empty());
        const std::string text = iniFileText(r);
        QVERIFY(text.find("DestDir 2=/two/\r\nDestDir 5=/five/\r\nSubFolderMode=") !=
                std::string::npos);
        QVERIFY(text.find("DestDir 0") == std::string::npos);
        // A count reaching beyond the stored slots never reads past them.
        r.DestDirCount = "40";
        r.DestDir[9] = "/nine/";
        QVERIFY(iniFileText(r).find("DestDir 9=/nine/\r\n") != std::string::npos);
    }

    void currentDirectoryMustBeEnterable() {
        test::TestDir t;
        t.Dir("real");
        const std::string cwd = CurrentFolder();
        SettingsRecord r = Load("CurrentDirectory=" + t.Path("real/") + "\r\n");
        QCOMPARE(r.CurrentDirectory, t.Path("real/"));
        r = Load("CurrentDirectory=" + t.Path("gone/") + "\r\n");
        QCOMPARE(r.CurrentDirectory, test::RootFolder());
        r = Load("CurrentDirectory=//server/share/\r\n");
        QCOMPARE(r.CurrentDirectory, test::RootFolder());
        // A relative path is not taken, even where it could be entered from here.
        QVERIFY(DirCanChange(t.Root(), {}));
        r = Load("CurrentDirectory=real\r\n");
        QVERIFY(DirCanChange(cwd, {}));
        QCOMPARE(r.CurrentDirectory, test::RootFolder());
        QCOMPARE(CurrentFolder(), cwd);
    }

    // A folder name holding a CR or LF cannot be stored on one line, whatever its source:
    // the file keeps what it had, and a start folder with one is not written at all.
    void pathWithLineBreakNotWritten_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("bad");
        for (const char* source : {"tree selection", "recent destination", "start folder"}) {
            QTest::addRow("%s, CR", source) << source << QByteArray("x\rDirImageType=7");
            QTest::addRow("%s, LF", source) << source << QByteArray("x\nShoriMode=7");
            QTest::addRow("%s, CR LF", source) << source << QByteArray("x\r\nMainTop=1");
        }
    }
    void pathWithLineBreakNotWritten() {
        QFETCH(QString, source);
        QFETCH(QByteArray, bad);
        test::TestDir t;
        t.Dir("real");
        const std::string evil = t.Path(bad.toStdString() + "/");
        SettingsRecord r;
        std::string wantCurrent = t.Path("real/");
        if (source == "start folder") {
            // No stored CurrentDirectory: the start folder is the default.
            iniDataInit(r, 28800, 16200, evil);
            wantCurrent.clear();
        } else {
            r = Load("CurrentDirectory=" + t.Path("real/") + "\r\nDestDir 0=/d/\r\n");
        }
        if (source == "tree selection")
            r.CurrentDirectory = evil;
        r.DestDir[0] = source == "recent destination" ? evil : "/d/";
        r.DestDir[1] = "/fine/";
        r.DestDirCount = "2";
        const std::string text = iniFileText(r);
        QVERIFY2(text.find("CurrentDirectory=" + wantCurrent + "\r\n") != std::string::npos,
                 text.c_str());
        QVERIFY(text.find("DestDir 1=/fine/\r\n") != std::string::npos);
        // Every CR and every LF is part of a line end.
        long ends = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
            ++ends;
        QCOMPARE(std::count(text.begin(), text.end(), '\r'), ends);
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), ends);
        // Read back, nothing was injected and no box is shown.
        std::vector<MessageRequest> shown;
        const SettingsRecord back = Load(text, &shown);
        QVERIFY(shown.empty());
        QCOMPARE(back.MainTop, r.MainTop);
        QCOMPARE(back.ShoriMode, r.ShoriMode);
        QCOMPARE(back.DirImageType, r.DirImageType);
    }

    // The decimal point is "." whatever the locale: under a comma-decimal one too.
    void numbersIgnoreTheLocale() {
        // Linux's name for it, then the Windows C library's.
        if (!setlocale(LC_ALL, "de_DE.UTF-8") && !setlocale(LC_ALL, "German_Germany.1252"))
            QSKIP("no German locale here (scripts/setup-deps.sh makes one)");
        const SettingsRecord r = Load("MainTop=3.5\r\nListViewMode=2.6\r\nMainLeft=-1.5E1\r\n");
        setlocale(LC_ALL, "C.UTF-8");
        QCOMPARE(r.MainTop, 4);
        QCOMPARE(r.ListViewMode, int16_t(3));
        QCOMPARE(r.MainLeft, -15);
    }

    void writerBytes() {
        SettingsRecord r = Defaults();
        r.MainTop = 1620;
        r.MainLeft = -60;
        r.CurrentDirectory = "/home/u/";
        r.DestDir[0] = "/d0/";
        r.DestDir[1] = "";
        r.DestDir[2] = "/d2/";
        r.DestDirCount = "3";
        r.ShoriMode = 1;
        r.IgcMode = false;
        const std::string expected =
            "[Corvelle]\r\nMainTop= 1620 \r\nMainLeft=-60 \r\nMainHeight= 11340 \r\n"
            "MainWidth= 20160 \r\nSplitterMain= 5000 \r\nCurrentDirectory=/home/u/\r\n"
            "DirImageType= 1 \r\nDirQuickMode=False\r\nListViewMode= 2 \r\n"
            "DestDir 0=/d0/\r\nDestDir 2=/d2/\r\nSubFolderMode=True\r\n"
            "FolderChangeMode=True\r\nIgcMode=False\r\nShoriMode= 1 \r\n";
        test::TestDir t;
        iniFileSave(r, t.Path("RUZO.INI"));
        QCOMPARE(QByteArray::fromStdString(t.Read("RUZO.INI")),
                 QByteArray::fromStdString(expected));
        QVERIFY(!t.Exists("RUZO.INI.tmp"));
    }

    // The search rules: extra lines after the last key, only when not as offered.
    void rulesWrittenAfterTheLastKey() {
        SettingsRecord r = Defaults();
        r.CurrentDirectory = "/home/u/";
        r.Rules.junk = true;
        r.Rules.junkNames = {"Thumbs.db", "._*"};
        r.Rules.exclude = true;
        r.Rules.excludePatterns = {".git", "build/cache", "bad\rname"};
        r.Rules.olderThanDays = 30;
        test::TestDir t;
        iniFileSave(r, t.Path("RUZO.INI"));
        const std::string text = t.Read("RUZO.INI");
        const std::string tail =
            "ShoriMode= 0 \r\nTidyJunk=True\r\nTidyJunkName=Thumbs.db\r\nTidyJunkName=._*\r\n"
            "TidyNested=False\r\nTidyExclude=True\r\nTidyExcludePattern=.git\r\n"
            "TidyExcludePattern=build/cache\r\nTidyOlderThan= 30 \r\n";
        QVERIFY2(text.size() > tail.size() && text.substr(text.size() - tail.size()) == tail,
                 text.c_str());
        std::vector<MessageRequest> shown;
        const SettingsRecord back = Load(text, &shown);
        QVERIFY(shown.empty());
        TidyRules expected = r.Rules;
        expected.excludePatterns.pop_back();  // a line break would have broken the file
        QVERIFY(back.Rules == expected);
    }

    void rulesRead_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("message");
        QTest::addColumn<QString>("rules");  // junk|nested|exclude|days|names|patterns
        const QString offered = "0|0|0|0|" +
                                QString::fromStdString(JoinPatterns(DefaultJunkNames())) + "|" +
                                QString::fromStdString(JoinPatterns(DefaultExcludePatterns()));
        QTest::newRow("none: as offered") << "" << false << offered;
        QTest::newRow("unknown keys are skipped") << "TidyFuture=1\r\nOther=x\r\n"
                                                  << false << offered;
        QTest::newRow("keys in another case are not keys")
            << "tidyjunk=True\r\n TidyNested=True\r\n"
            << false << offered;
        QTest::newRow("names replace the offered list")
            << "TidyJunk=true\r\nTidyJunkName=a\r\nTidyJunkName=b,c\r\n"
            << false
            << "1|0|0|0|a,b\\,c|" + QString::fromStdString(JoinPatterns(DefaultExcludePatterns()));
        QTest::newRow("an empty name line is skipped") << "TidyJunkName=\r\n" << false << offered;
        QTest::newRow("days read leniently") << "TidyOlderThan= 1 2 \r\nTidyNested=1\r\n"
                                             << false << QString(offered).replace(0, 7, "0|1|0|12");
        QTest::newRow("a word for a boolean stops the reading")
            << "TidyJunk=yes\r\nTidyNested=True\r\n"
            << true << offered;
        QTest::newRow("days beyond a hundred years") << "TidyOlderThan= 36501 \r\n"
                                                     << true << offered;
    }
    void rulesRead() {
        QFETCH(QString, lines);
        QFETCH(bool, message);
        QFETCH(QString, rules);
        std::vector<MessageRequest> shown;
        const SettingsRecord r =
            Load("[Corvelle]\r\nShoriMode= 1 \r\n" + lines.toStdString(), &shown);
        QCOMPARE(shown.size(), size_t(message ? 1 : 0));
        QCOMPARE(r.ShoriMode, int16_t(1));  // what came before is kept either way
        const TidyRules& R = r.Rules;
        const QString got = QString("%1|%2|%3|%4|")
                                .arg(int(R.junk))
                                .arg(int(R.nested))
                                .arg(int(R.exclude))
                                .arg(R.olderThanDays) +
                            QString::fromStdString(JoinPatterns(R.junkNames)) + "|" +
                            QString::fromStdString(JoinPatterns(R.excludePatterns));
        QCOMPARE(got, rules);
    }

    void folderNamesRoundTrip_data() {
        QTest::addColumn<bool>("cp932");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("fits");  // every character has a Shift-JIS code
        const QByteArray photo = "写真フォルダ", korean = "한국어", emoji = "絵文字😀";
        QTest::newRow("japanese, utf-8") << false << photo << true;
        QTest::newRow("japanese, cp932") << true << photo << true;
        QTest::newRow("korean, cp932") << true << korean << false;
        QTest::newRow("emoji, cp932") << true << emoji << false;
    }
    void folderNamesRoundTrip() {
        QFETCH(bool, cp932);
        QFETCH(QByteArray, name);
        QFETCH(bool, fits);
        SetSystemCodePage(cp932 ? CodePage::Cp932 : CodePage::Utf8);
        test::TestDir t;
        t.Dir(name.toStdString());
        SettingsRecord r = Defaults();
        r.CurrentDirectory = t.Path(name.toStdString() + "/");
        r.DestDir[0] = t.Path(name.toStdString() + "/");
        r.DestDirCount = "1";
        iniFileSave(r, t.Path("RUZO.INI"));
        const std::string text = t.Read("RUZO.INI");
        const std::string line = "CurrentDirectory=" + r.CurrentDirectory + "\r\n";
        const bool bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
        if (NamesAreBytes() || !cp932) {
            // Paths are written as the file system holds them.
            QVERIFY(text.find(line) != std::string::npos);
            QVERIFY(!bom);
        } else if (fits) {
            // All in Shift-JIS: "写真" is 8E CA 90 5E there.
            QVERIFY(text.find("\x8e\xca\x90\x5e") != std::string::npos);
            QVERIFY(!bom);
        } else {
            // A name the code page cannot hold: the file is UTF-8, and says so.
            QVERIFY(bom);
            QVERIFY(text.find(line) != std::string::npos);
        }
        SettingsRecord back = Defaults();
        iniFileLoad(back, t.Path("RUZO.INI"));
        QCOMPARE(back.CurrentDirectory, r.CurrentDirectory);
        QCOMPARE(back.DestDir[0], r.DestDir[0]);
        QCOMPARE(iniFileText(back), iniFileText(r));
        SetSystemCodePage(CodePage::Utf8);
    }

    // The choice itself, the same on every system.
    void fileTextInTheCodePageOnlyWhenAllFits_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("written");
        const QByteArray bom = "\xEF\xBB\xBF";
        QTest::newRow("ascii") << QByteArray("C:\\a,b\r\n") << QByteArray("C:\\a,b\r\n");
        QTest::newRow("japanese") << QByteArray("写真") << QByteArray("\x8e\xca\x90\x5e");
        QTest::newRow("korean") << QByteArray("写真한") << bom + "写真한";
        QTest::newRow("emoji") << QByteArray("x😀") << bom + "x😀";
        // A lone surrogate of a Windows name, as the program holds it (WTF-8).
        QTest::newRow("lone surrogate") << QByteArray("a\xED\xA0\x80") << bom + "a\xED\xA0\x80";
    }
    void fileTextInTheCodePageOnlyWhenAllFits() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, written);
        SetSystemCodePage(CodePage::Cp932);
        const std::string out = ToFileText(text.toStdString());
        const std::string back = FromFileText(out);
        SetSystemCodePage(CodePage::Utf8);
        QCOMPARE(QByteArray::fromStdString(out), written);
        QCOMPARE(QByteArray::fromStdString(back), text);
        QCOMPARE(ToFileText(text.toStdString()), text.toStdString());  // UTF-8 systems: as is
    }

    void codecEncodesProgramTexts() {
        SetSystemCodePage(CodePage::Cp932);
        // "成功" in Shift-JIS.
        QCOMPARE(QByteArray::fromStdString(ToSystemText("成功")), QByteArray("\x90\xac\x8c\xf7"));
        QCOMPARE(FromSystemText(ToSystemText("◆失敗!◆")), std::string("◆失敗!◆"));
        SetSystemCodePage(CodePage::Utf8);
        QCOMPARE(ToSystemText("成功"), std::string("成功"));
    }

    void writeFailureIsSilentAndKeepsOldFile() {
        test::TestDir t;
        t.Dir("RUZO.INI");  // a folder where the file should be
        MessageService::ResetScript();
        iniFileSave(Defaults(), t.Path("RUZO.INI"));
        QVERIFY(MessageService::Shown().empty());
        QVERIFY(!t.Exists("RUZO.INI.tmp"));
        iniFileSave(Defaults(), t.Path("missing-folder/RUZO.INI"));
        QVERIFY(MessageService::Shown().empty());
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
