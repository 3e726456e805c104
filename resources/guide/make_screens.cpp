// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: pictures of the real window for the user's guide (and the README and the
// AppStream metadata), taken from the program itself on a sample tree, so they never show a
// window that no longer exists. Offscreen unless QT_QPA_PLATFORM names a platform (the
// Windows build runs it under Wine with the windows platform, for the Windows pictures).
//   make_screens OUTPUT_FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QDirIterator>
#include <QHashFunctions>
#include <QLockFile>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "app/settings.h"
#include "browser/frm_dest_dir_select.h"
#include "platform/os/codec.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/fonts.h"
#include "platform/ui/path_text.h"
#include "platform/ui/qt_message_box.h"
#include "platform/ui/translation.h"
#include "ui/frm_main.h"
#include "ui/tab_strip.h"
#include "ui/tidy_panel.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

void Put(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text.data(), static_cast<qint64>(text.size()));
}

// A path as the program holds it: bytes, with the system's separator.
std::string Native(const QString& path) {
    return QStringToPath(QDir::toNativeSeparators(path));
}

bool Save(QWidget& w, const QString& file) {
    QApplication::processEvents();
    const bool ok = w.grab().save(file);
    if (!ok)
        std::fprintf(stderr, "make_screens: cannot write %s\n", qPrintable(file));
    return ok;
}

// Every file and folder below `root` gets a fixed time, folders after their contents: one
// day apart in the order of their paths, from 2024-04-01 09:30 UTC.
void FixTimes(const QString& root) {
    QStringList paths;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) paths << it.next();
    paths.sort();
    const auto start = std::chrono::sys_days{std::chrono::year{2024} / 4 / 1} +
                       std::chrono::hours{9} + std::chrono::minutes{30};
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
        const std::chrono::sys_seconds when = start + std::chrono::days{i};
        std::error_code ignored;
        std::filesystem::last_write_time(
            std::filesystem::path(paths[i].toStdU16String()),
            std::filesystem::file_time_type::clock::from_sys(when), ignored);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QHashSeed::setDeterministicGlobalSeed();
    qputenv("TZ", "UTC");
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_screens OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    InstallQtJapanese();
    InstallFontSubstitutes();
    // The same pictures from every build: a fixed place and fixed times shown in one zone,
    // a tree that shows the sample and nothing of the machine, Qt's hashing fixed.
    const QString place = QDir::tempPath() + "/corvelle-guide";
    QLockFile lock(place + ".lock");
    lock.lock();
    QDir(place).removeRecursively();
    struct Cleanup {
        QString place;
        ~Cleanup() { QDir(place).removeRecursively(); }
    } cleanup{place};
    const QString root = place + "/home/写真の整理";
    // A sample tree: lone sub-folders to raise, empty folders, ordinary files.
    Put(root + "/2019年/夏休み/取り込み/IMG_0001.JPG", "jpeg");
    Put(root + "/2019年/夏休み/取り込み/IMG_0002.JPG", "jpeg");
    Put(root + "/2020年/正月/DCIM/IMG_0101.JPG", "jpeg");
    Put(root + "/2020年/正月/DCIM/動画.mp4", "mp4");
    Put(root + "/2021年/memo.txt", "memo");
    Put(root + "/2021年/旅行/ホテル/予約.pdf", "pdf");
    Put(root + "/README.txt", "readme");
    QDir().mkpath(root + "/2021年/空のフォルダ");
    FixTimes(root);
    DirTree::ShowOnlyBelow(Native(place + "/home"));
    // The run's journal stays in the sample folder (Linux and Windows places).
    qputenv("XDG_STATE_HOME", (place + "/state").toLocal8Bit());
    qputenv("LOCALAPPDATA", QByteArray::fromStdString(Native(place + "/state")));
    SetProgramFolder(Native(place + "/program"));
    QDir().mkpath(place + "/program");
    const std::string ini =
        "[Corvelle]\r\nMainTop= 600 \r\nMainLeft= 600 \r\nMainHeight= 7800 \r\n"
        "MainWidth= 12600 \r\nSplitterMain= 4800 \r\nCurrentDirectory=" +
        AddBackslash(Native(root)) + "\r\nListViewMode= 3 \r\nShoriMode= 0 \r\n";
    Put(place + "/program/RUZO.INI", NamesAreBytes() ? ini : ToFileText(ini));
    // Every box is answered OK; the first one ("検索完了!") is pictured as the program shows it.
    bool boxTaken = false;
    bool ok = true;
    MessageService::SetBackend([&](const MessageRequest& req) {
        if (!boxTaken) {
            boxTaken = true;
            auto box = MakeMessageBox(req);
            box->show();
            ok &= Save(*box, out + "/message.png");
        }
        return MsgAnswer::Ok;
    });

    frmMain w;
    w.Terminate = [] {};
    if (!w.Form_Load())
        return 1;
    w.show();
    // The view mode is applied after the first paint.
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    w.dirTree->SetPath(AddBackslash(Native(root)));
    ok &= Save(w, out + "/main-window.png");
    w.cmdSearchStart_Click();
    ok &= Save(w, out + "/processing.png");
    {
        frmDestDirSelect dest(w.dirTree);
        dest.show();
        ok &= Save(dest, out + "/destination.png");
    }
    w.Tidy().cmdReplace_Click();
    ok &= Save(w, out + "/executed.png");
    w.Tidy().cmdUndo_Click();
    ok &= Save(w, out + "/undo.png");
    MessageService::SetBackend(nullptr);
    return ok ? 0 : 1;
}
