// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes and modal dialogs as a Japanese user meets them: Qt's own texts in
// Japanese, boxes wide enough for their title, dialogs without minimise buttons, and the
// new-folder dialog showing where the focus went.
#include <QCheckBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "browser/frm_mk_dir.h"
#include "browser/frm_rename.h"
#include "platform/os/message_service.h"
#include "platform/ui/fonts.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/qt_file_op_ui.h"
#include "platform/ui/qt_message_box.h"
#include "platform/ui/translation.h"
#include "ui/frm_about.h"
#include "ui/frm_search_options.h"

using namespace corvelle;

class TestDialogs : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void standardButtonsSpeakJapanese_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << QStringLiteral("キャンセル");
        QTest::newRow("Abort") << int(QMessageBox::Abort) << QStringLiteral("中止");
        QTest::newRow("Retry") << int(QMessageBox::Retry) << QStringLiteral("再試行");
        QTest::newRow("Ignore") << int(QMessageBox::Ignore) << QStringLiteral("無視");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << QStringLiteral("はい");
        QTest::newRow("No") << int(QMessageBox::No) << QStringLiteral("いいえ");
    }
    void standardButtonsSpeakJapanese() {
        QFETCH(int, button);
        QFETCH(QString, text);
        QVERIFY2(InstallQtJapanese(), "qtbase_ja.qm (Debian's qt6-translations-l10n) is missing");
        QMessageBox box;
        const auto which = static_cast<QMessageBox::StandardButton>(button);
        box.setStandardButtons(which);
        QVERIFY(box.button(which)->text().startsWith(text));
    }

    void progressShowsBytesAndPercent() {
        QCOMPARE(ProgressText("/t/big.iso", 750000000, 1500000000),
                 QStringLiteral("/t/big.iso\n750,000,000 / 1,500,000,000 バイト (50%)"));
        QCOMPARE(ProgressText("/t/x", 0, -1), QStringLiteral("/t/x"));
    }

    void narrowBoxStillFitsItsTitle() {
        QMessageBox plain(QMessageBox::Information, QStringLiteral("Corvelle"),
                          QStringLiteral("検索完了!"), QMessageBox::Ok);
        QMessageBox widened(QMessageBox::Information, QStringLiteral("Corvelle"),
                            QStringLiteral("検索完了!"), QMessageBox::Ok);
        WidenForTitle(widened);
        const int title = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
                              .horizontalAdvance(QStringLiteral("Corvelle"));
        QVERIFY(widened.sizeHint().width() >= title + 160);
        QVERIFY(widened.sizeHint().width() >= plain.sizeHint().width());
    }

    void modalDialogsCannotBeMinimised() {
        frmMkDir mk;
        frmRename rename;
        for (QDialog* d : {static_cast<QDialog*>(&mk), static_cast<QDialog*>(&rename)}) {
            QVERIFY(!(d->windowFlags() & Qt::WindowMinimizeButtonHint));
            QVERIFY(!(d->windowFlags() & Qt::WindowMaximizeButtonHint));
            QVERIFY(d->windowTitle().trimmed().isEmpty());  // and not the program's name
        }
        frmAbout about(nullptr);
        QueueModalScript([](QDialog& d) {
            QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
            d.reject();
        });
        ShowModal(about);
    }

    // The search options: what the rules are when it opens, written back only on OK, and a
    // rule that is on never left without names.
    void searchOptionsDialog_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel changes nothing") << "junk,cancel" << false << "";
        QTest::newRow("ok writes the rules") << "junk,nested,days,ok" << true << "";
        QTest::newRow("junk with no names")
            << "junk,clear-junk,ok" << false << "不要ファイルの名前を入力してください";
        QTest::newRow("exclusions with no names")
            << "exclude,clear-exclude,ok" << false << "検索しないフォルダの名前を入力してください";
        QTest::newRow("a list of one's own") << "exclude,own-exclude,ok" << true << "";
    }
    void searchOptionsDialog() {
        QFETCH(QString, action);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        TidyRules rules;
        const TidyRules offered = rules;
        frmSearchOptions d(rules);
        QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(d.windowTitle(), QStringLiteral("検索オプション"));
        QCOMPARE(d.cmdCancel->text(), QStringLiteral("キャンセル"));
        // Off as offered: the boxes wait for their rule.
        QVERIFY(!d.chkJunk->isChecked() && !d.txtJunkNames->isEnabled());
        QVERIFY(!d.txtExclude->isEnabled() && !d.spnDays->isEnabled());
        QCOMPARE(d.txtJunkNames->text().toStdString(), JoinPatterns(DefaultJunkNames()));
        MessageService::ResetScript();
        for (const QString& a : action.split(',')) {
            if (a == "junk")
                d.chkJunk->setChecked(true);
            if (a == "nested")
                d.chkNested->setChecked(true);
            if (a == "exclude")
                d.chkExclude->setChecked(true);
            if (a == "days") {
                d.chkOlderThan->setChecked(true);
                d.spnDays->setValue(45);
            }
            if (a == "clear-junk")
                d.txtJunkNames->clear();
            if (a == "clear-exclude")
                d.txtExclude->setText(" , ");  // nothing but separators and blanks
            if (a == "own-exclude")
                d.txtExclude->setText("build/cache, a\\,b ");
            if (a == "ok")
                d.cmdOk->click();
            if (a == "cancel")
                d.cmdCancel->click();
        }
        QCOMPARE(d.result() == QDialog::Accepted, accepted);
        const auto& shown = MessageService::Shown();
        QCOMPARE(shown.empty() ? QString() : QString::fromStdString(shown[0].text), message);
        if (!accepted) {
            QVERIFY(rules == offered);
            return;
        }
        QCOMPARE(rules.junk, action.contains("junk"));
        QCOMPARE(rules.nested, action.contains("nested"));
        QCOMPARE(rules.olderThanDays, action.contains("days") ? 45 : 0);
        if (action.contains("own-exclude"))
            QCOMPARE(rules.excludePatterns, (std::vector<std::string>{"build/cache", "a,b"}));
    }

    // The desktop's UI font is used where it is a real choice, with the house font behind it
    // for Japanese; Qt's generic default and fixed-pitch faces give way to the house font.
    void uiFontFollowsTheDesktop_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("fixedPitch");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("chosenSize");
        QTest::newRow("GTK: DejaVu Serif 16")
            << "DejaVu Serif" << 16.0 << false << "DejaVu Serif" << 16.0;
        QTest::newRow("KDE: Noto Sans 10") << "Noto Sans" << 10.0 << false << "Noto Sans" << 10.0;
        QTest::newRow("Qt's generic default")
            << "Sans Serif" << 9.0 << false << "ＭＳ Ｐゴシック" << 9.0;
        QTest::newRow("a fixed-pitch face")
            << "IPAGothic" << 12.0 << true << "ＭＳ Ｐゴシック" << 9.0;
    }
    void uiFontFollowsTheDesktop() {
        QFETCH(QString, desktop);
        QFETCH(double, size);
        QFETCH(bool, fixedPitch);
        QFETCH(QString, family);
        QFETCH(double, chosenSize);
        QFont d(desktop);
        d.setPointSizeF(size);
        const QFont f = ChooseUiFont(d, fixedPitch);
        QCOMPARE(f.families().value(0), family);
        QCOMPARE(f.pointSizeF(), chosenSize);
        if (family != QStringLiteral("ＭＳ Ｐゴシック"))
            QCOMPARE(f.families().value(1), QStringLiteral("ＭＳ Ｐゴシック"));
    }

    // Installed, it is every window's font, message boxes' too, and never fixed-pitch.
    void installedFontIsProportional() {
        InstallFontSubstitutes();
        InstallUiFont();
        QVERIFY(!QFontInfo(QApplication::font()).fixedPitch());
        QMessageBox box;
        QCOMPARE(box.font(), QApplication::font());
        QCOMPARE(UiFont(12).pointSizeF(), QApplication::font().pointSizeF() * 12 / 9);
    }

    void enterShowsTheFocusOnOk() {
        frmMkDir mk;
        mk.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mk));
        mk.txtNewDirName->setFocus();
        QTest::keyClick(mk.txtNewDirName, Qt::Key_Return);
        QCOMPARE(mk.focusWidget(), mk.cmdOk);
        // The keyboard moved it: the style draws the focus frame.
        QVERIFY(mk.testAttribute(Qt::WA_KeyboardFocusChange));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
