// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QFile>
#include <QtTest>
#include <algorithm>

#include "build_config.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/shell_open.h"
#include "tests/support/test_dir.h"
#include "ui/frm_about.h"
#include "ui/frm_main.h"
#include "ui/frm_splash.h"
#include "ui/help_commands.h"
#include "util/paths.h"
#include "util/version_text.h"

using namespace corvelle;

class TestHelp : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }
    void cleanup() {
        SetShellOpenBackend(nullptr);
        SetProgramFolder({});
    }

    void versionText_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("2.3.4") << 2 << 3 << 4 << "Version 2.34";
        QTest::newRow("1.0.0") << 1 << 0 << 0 << "Version 1.00";
        QTest::newRow("10.12.5") << 10 << 12 << 5 << "Version 10.125";
    }
    void versionText() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(VersionText(major, minor, revision)), text);
        QCOMPARE(ProgramVersionText(),
                 VersionText(build::kVersionMajor, build::kVersionMinor, build::kVersionRevision));
    }

    void guidePath() {
        // Written with "/": the system's separator stands there.
        const auto sys = [](std::string p) {
            std::replace(p.begin(), p.end(), '/', kSep);
            return p;
        };
        QCOMPARE(GuidePath(test::RootFolder()), test::RootFolder() + "guide.pdf");
        QCOMPARE(GuidePath(sys("/opt/my programs/corvelle/")),
                 sys("/opt/my programs/corvelle/guide.pdf"));
        QCOMPARE(GuidePath(sys("/opt/corvelle")), sys("/opt/corvelle/guide.pdf"));
    }

    void helpMenu() {
        frmMain w;
        QStringList captions;
        for (QAction* a : w.mnuHelp->actions()) captions << a->text();
        QCOMPARE(captions, (QStringList{"ユーザーズガイドの表示(&G)", "作者ホームページの表示(&H)",
                                        "寄付について(&D)", "バージョン情報(&A)"}));
    }

    void guide() {
        test::TestDir prog("/tmp");
        test::TestDir spaced;
        spaced.Dir("my programs");
        std::vector<std::string> opened;
        SetShellOpenBackend([&](const std::string& t) {
            opened.push_back(t);
            return true;
        });
        frmMain w;
        SetProgramFolder(prog.Root());
        w.mnuHelpDoc->trigger();  // missing
        QCOMPARE(MessageService::Shown().size(), size_t(1));
        QCOMPARE(MessageService::Shown()[0].text,
                 std::string("ドキュメントファイルが見つかりません"));
        QCOMPARE(MessageService::Shown()[0].icon, MsgIcon::Exclamation);
        QVERIFY(opened.empty());
        prog.Dir("guide.pdf");  // a folder of that name counts as present
        w.mnuHelpDoc->trigger();
        QCOMPARE(opened, std::vector<std::string>{prog.Path("guide.pdf")});
        SetProgramFolder(spaced.Path("my programs"));
        spaced.File("my programs/guide.pdf", "%PDF");
        w.mnuHelpDoc->trigger();
        QCOMPARE(opened.back(), spaced.Path("my programs/guide.pdf"));
    }

    void donationOpensAfterTheNote() {
        std::vector<std::string> events;
        MessageService::SetBackend([&](const MessageRequest&) {
            events.emplace_back("note");
            return MsgAnswer::Ok;
        });
        SetShellOpenBackend([&](const std::string& t) {
            events.push_back("open " + t);
            return true;
        });
        frmMain w;
        w.mnuHelpDonation->trigger();
        MessageService::SetBackend(nullptr);
        QCOMPARE(events,
                 (std::vector<std::string>{"note", std::string("open ") + build::kDonationUrl}));
        const MessageRequest& note = MessageService::Shown().back();
        QCOMPARE(note.text,
                 std::string("本ソフトはフリーウェアですのでご自由にお使いいただけます。\n"
                             "開発にご支援いただける場合には次に表示されるリンクからオン"
                             "ラインショッピング等をお願いします。"));
        QCOMPARE(note.icon, MsgIcon::None);
        QCOMPARE(note.buttons, MsgButtons::Ok);
        w.mnuHelpHomepage->trigger();
        QCOMPARE(events.back(), std::string("open ") + build::kHomepageUrl);
    }

    // With no stand-in, the system itself is asked; a document that is not there is not
    // opened, and that is reported, not taken for success.
    void theSystemIsAskedAndItsRefusalReported() {
#ifndef _WIN32
        QSKIP("the desktop's opener starts before it looks at the file: Windows only");
#endif
        SetShellOpenBackend(nullptr);
        test::TestDir t;
        std::string reason;
        QVERIFY(ShellOpen(nullptr, "\"" + t.Path("no such guide.pdf") + "\"", &reason) <= 32);
        QVERIFY(!reason.empty());
    }

    // Linux: xdg-open's exit status decides (an opener that finds no program exits 3); one
    // still running after a while is showing the page.
    void theOpenersExitStatusCounts_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("reason");
        QTest::newRow("opened") << "exit 0" << true << "";
        QTest::newRow("no program for it") << "exit 3" << false
                                           << "開くためのアプリケーションが見つかりません";
        QTest::newRow("no such file") << "exit 2" << false << "ファイルが見つかりません";
        QTest::newRow("still showing it") << "exec sleep 5" << true << "";
    }
    void theOpenersExitStatusCounts() {
#ifdef _WIN32
        QSKIP("xdg-open is Linux's opener");
#endif
        QFETCH(QString, script);
        QFETCH(bool, opened);
        QFETCH(QString, reason);
        test::TestDir bin;
        bin.File("xdg-open", "#!/bin/sh\necho \"$1\" >\"$(dirname \"$0\")/asked\"\n" +
                                 script.toStdString() + "\n");
        QFile::setPermissions(QString::fromStdString(bin.Path("xdg-open")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.Root()) + ":" + path);
        SetShellOpenBackend(nullptr);
        std::string why;
        const int result = ShellOpen(nullptr, build::kHomepageUrl, &why);
        // And from the menu: the box says why.
        frmMain w;
        MessageService::ResetScript();
        w.mnuHelpHomepage->trigger();
        qputenv("PATH", path);
        QCOMPARE(result > 32, opened);
        QCOMPARE(QString::fromStdString(why), reason);
        QCOMPARE(bin.Read("asked"), std::string(build::kHomepageUrl) + "\n");
        if (opened) {
            QVERIFY(MessageService::Shown().empty());
        } else {
            QCOMPARE(MessageService::Shown().size(), size_t{1});
            const std::string& text = MessageService::Shown().back().text;
            QVERIFY2(text.find("作者ホームページを開けませんでした") != std::string::npos &&
                         text.find(reason.toStdString()) != std::string::npos,
                     text.c_str());
        }
    }

    // Without a viewer or browser, each help command says what it could not open.
    void nothingToOpenWithIsTold_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("target");
        QTest::newRow("guide") << 0 << "guide.pdf";
        QTest::newRow("home page") << 1 << QString::fromUtf8(build::kHomepageUrl);
        QTest::newRow("donation") << 2 << QString::fromUtf8(build::kDonationUrl);
    }
    void nothingToOpenWithIsTold() {
        QFETCH(QString, target);
        test::TestDir prog;
        prog.File("guide.pdf", "%PDF");
        SetProgramFolder(prog.Root());
        SetShellOpenBackend([](const std::string&) { return false; });
        frmMain w;
        QFETCH(int, command);
        MessageService::ResetScript();
        (command == 0   ? w.mnuHelpDoc
         : command == 1 ? w.mnuHelpHomepage
                        : w.mnuHelpDonation)
            ->trigger();
        const MessageRequest& box = MessageService::Shown().back();
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        QVERIFY2(box.text.find("を開けませんでした") != std::string::npos, box.text.c_str());
        QVERIFY(box.text.find(target.toStdString()) != std::string::npos);
        SetProgramFolder({});
    }

    void aboutTwice() {
        frmMain w;
        QStringList seen;
        for (int i = 0; i < 2; ++i) {
            QueueModalScript([&](QDialog& d) {
                auto& about = static_cast<frmAbout&>(d);
                QCOMPARE(about.windowTitle(), QStringLiteral("バージョン情報"));
                seen << about.lblApName->text() + "|" + about.lblVersion->text();
                QVERIFY(!about.picBanner->pixmap().isNull());
                QCOMPARE(about.picBanner->pixmap().size(), QSize(192, 57));
                about.cmdOk->click();
            });
            w.mnuHelpAbout->trigger();
        }
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], seen[1]);
        QCOMPARE(seen[0], QString("Corvelle|") + QString::fromStdString(ProgramVersionText()));
        frmSplash* splash = LoadedSplash(false);
        QVERIFY(splash);                // loaded for the banner...
        QVERIFY(!splash->isVisible());  // ...and never shown
    }

    void splashClosesOnKeyAndFrameClick() {
        frmSplash* s = LoadedSplash(true);
        QCOMPARE(s->lblVersion->text(), QString::fromStdString(ProgramVersionText()));
        QVERIFY(s->picLogo->isHidden());
        s->show();
        QTest::mouseClick(s->imgLogo, Qt::LeftButton);  // the image does not count
        QCOMPARE(LoadedSplash(false), s);
        QTest::mouseClick(s->Frame1, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!LoadedSplash(false));
        frmSplash* again = LoadedSplash(true);
        again->show();
        QTest::keyClick(again, Qt::Key_A);
        QVERIFY(!LoadedSplash(false));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
