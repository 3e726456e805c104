// SPDX-License-Identifier: GPL-3.0-or-later
// Paths as bytes in every widget: a name that is not UTF-8 is shown, edited, chosen, stored
// and acted on as the very bytes the file system holds.
#include <QAbstractItemModel>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>

#include "app/settings.h"
#include "browser/dialog_state.h"
#include "browser/file_list_view.h"
#include "browser/frm_dest_dir_select.h"
#include "browser/frm_mk_dir.h"
#include "browser/frm_rename.h"
#include "platform/os/codec.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/modal_service.h"
#include "platform/ui/path_text.h"
#include "tests/support/running_window.h"
#include "tests/support/scripted_file_op_ui.h"
#include "tests/support/test_dir.h"
#include "tests/support/tidy_run.h"
#include "ui/frm_main.h"

using namespace corvelle;

namespace {

QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

class TestPathText : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageService::ResetScript(); }

    // Files dropped from a file manager arrive as file:// addresses; the copy gets the path.
    void droppedAddress_data() {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<char>("sep");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("linux") << QByteArray("file:///home/u/a%20b.txt") << '/'
                               << QByteArray("/home/u/a b.txt");
        QTest::newRow("linux, not UTF-8")
            << QByteArray("file:///t/caf%E9") << '/' << QByteArray("/t/caf\xe9");
        QTest::newRow("linux, comma and hash")
            << QByteArray("file:///t/a,b%23c") << '/' << QByteArray("/t/a,b#c");
        QTest::newRow("drive") << QByteArray("file:///C:/Data/%E5%86%99%E7%9C%9F") << '\\'
                               << QByteArray("C:\\Data\\写真");
        QTest::newRow("drive root") << QByteArray("file:///D:/") << '\\' << QByteArray("D:\\");
        QTest::newRow("network") << QByteArray("file://server/share/x.txt") << '\\'
                                 << QByteArray("\\\\server\\share\\x.txt");
        QTest::newRow("web page") << QByteArray("https://example.org/x") << '\\' << QByteArray();
    }
    void droppedAddress() {
        QFETCH(QByteArray, address);
        QFETCH(char, sep);
        QFETCH(QByteArray, path);
        QCOMPARE(Bytes(LocalPathOfUrl(QUrl::fromEncoded(address), sep)), path);
    }

    void roundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("chars");  // QString length: one unit per escaped byte
        QTest::newRow("ascii") << QByteArray("/home/u/file.txt") << 16;
        QTest::newRow("japanese") << QByteArray("/写真/2019") << 8;
        QTest::newRow("latin-1") << QByteArray("caf\xe9") << 4;
        QTest::newRow("cut sequence") << QByteArray("\xe3\x81") << 2;
        QTest::newRow("lone continuation") << QByteArray("a\x80z") << 3;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << 2;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << 3;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << 4;
        QTest::newRow("four-byte emoji") << QByteArray("\xf0\x9f\x93\x81") << 2;
        QTest::newRow("ff fe") << QByteArray("\xff\xfe") << 2;
    }
    void roundTrip() {
        QFETCH(int, chars);
        QFETCH(QByteArray, bytes);
        const std::string path(bytes.constData(), static_cast<size_t>(bytes.size()));
        const QString text = PathToQString(path);
        QCOMPARE(text.size(), chars);
        QCOMPARE(Bytes(QStringToPath(text)), bytes);
        // Through the widgets that hold paths.
        QLineEdit edit;
        edit.setText(text);
        QCOMPARE(Bytes(QStringToPath(edit.text())), bytes);
        QComboBox combo;
        combo.setEditable(true);
        combo.addItem(text);
        QCOMPARE(Bytes(QStringToPath(combo.currentText())), bytes);
        combo.setEditText(text);
        QCOMPARE(Bytes(QStringToPath(combo.currentText())), bytes);
    }

    // A recent destination whose name is not UTF-8 is copied to, and stored, by its bytes.
    void destinationDialogKeepsBytes_data() {
        QTest::addColumn<QByteArray>("name");
        if (NamesAreBytes()) {
            QTest::newRow("latin-1") << QByteArray("Bild\xe9r");
            QTest::newRow("broken utf-8") << QByteArray("x\xe3\x81y");
        } else {  // Windows names are Unicode: the names outside the code page instead
            QTest::newRow("korean") << QByteArray("사진");
            QTest::newRow("emoji") << QByteArray("x😀");
        }
    }
    void destinationDialogKeepsBytes() {
        QFETCH(QByteArray, name);
        const std::string folder(name.constData(), static_cast<size_t>(name.size()));
        test::TestDir d;
        d.File("src/f", "content");
        d.Dir(folder);
        test::ScriptedFileOpUi ui;
        {
            test::RunningWindow r(test::FileText(test::StartIn(d.Path("src/")) +
                                                 "DestDir 0=" + d.Path(folder + "/") + "\r\n"));
            frmMain& w = *r.w;
            // The recent entry, chosen from the list as it stands.
            QueueModalScript([](QDialog& dlg) {
                auto& dest = static_cast<frmDestDirSelect&>(dlg);
                dest.cboDestDir->setCurrentIndex(0);
                dest.cmdOk->click();
            });
            MessageService::QueueAnswer(MsgAnswer::Ok);
            w.mnuFileFolderCopy_Click();
            QCOMPARE(d.Read(folder + "/src/f"), std::string("content"));
            QCOMPARE(d.Snapshot().size(),
                     size_t(5));  // src, src/f, folder, folder/src, folder/src/f
            // Picked in the dialog's tree: the box shows the bytes, OK hands them back.
            frmDestDirSelect dlg(w.dirTree);
            dlg.DestDirTree->SetPath(d.Path(folder));
            QCOMPARE(Bytes(QStringToPath(dlg.cboDestDir->currentText())),
                     Bytes(d.Path(folder + "/")));
            dlg.cmdOk->click();
            QCOMPARE(Bytes(DestDirPath), Bytes(d.Path(folder + "/")));
            w.mnuFileExit_Click();
            const std::string stored = r.prog.Read("RUZO.INI");
            const std::string text = NamesAreBytes() ? stored : FromFileText(stored);
            QVERIFY(text.find("DestDir 0=" + d.Path(folder + "/") + "\r\n") != std::string::npos);
        }
    }

    // The rename dialog, the new-folder dialog and the in-place file rename take such names.
    void editorsKeepBytes() {
        const std::string bad = "n\xff\xfe";
        test::TestDir d;
        d.File("a.txt", "A");
        d.Dir("sub");
        test::ScriptedFileOpUi ui;
        test::RunningWindow r(test::StartIn(d.Root()));
        frmMain& w = *r.w;
        QueueModalScript([&](QDialog& dlg) {
            auto& mk = static_cast<frmMkDir&>(dlg);
            mk.txtNewDirName->setText(PathToQString(bad + "dir"));
            mk.cmdOk->click();
        });
        w.mnuFileFolderCreate_Click();
        QVERIFY(d.Exists(bad + "dir"));
        QAbstractItemModel* m = w.lvwFileName->IconList()->model();
        int row = 0;
        while (row < m->rowCount() && m->index(row, 0).data().toString() != "a.txt") ++row;
        QVERIFY(row < m->rowCount());
        QVERIFY(m->setData(m->index(row, 0), PathToQString(bad + ".txt"), Qt::EditRole));
        QCOMPARE(d.Read(bad + ".txt"), std::string("A"));
        QCOMPARE(Bytes(QStringToPath(m->index(row, 0).data().toString())), Bytes(bad + ".txt"));
    }
};

QTEST_MAIN(TestPathText)
#include "tst_path_text.moc"
