// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/startup.h"
#include "build_config.h"
#include "platform/os/folders.h"
#include "platform/ui/fonts.h"
#include "platform/ui/program_start.h"
#include "platform/ui/qt_file_op_ui.h"
#include "platform/ui/qt_message_box.h"
#include "platform/ui/resources.h"
#include "platform/ui/translation.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            std::strcmp(argv[i], "-h") == 0)
            corvelle::UseParentConsole();
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("corvelle %s\n", corvelle::build::kVersion);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "usage: corvelle [FOLDER]\n"
                "Corvelle, the folder tidy tool with a window (Japanese).\n"
                "  FOLDER     start with the folder tree on FOLDER\n"
                "  -h, --help print this help and exit\n"
                "  --version  print the version and exit\n"
                "The same tidy job without a window: corvelle-tidy --help\n");
            return 0;
        }
    }
    // Without a desktop Qt would abort; say what is needed instead.
    if (!corvelle::DesktopAvailable()) {
        corvelle::UseParentConsole();
        std::fprintf(stderr,
                     "Corvelle needs a desktop (X11 or Wayland): no display was found.\n"
                     "Corvelle を起動するにはデスクトップ環境が必要です。\n");
        return 1;
    }
    QApplication app(argc, argv);
    // What Qt left of the arguments; the folder's bytes are taken as they are.
    for (const std::string& arg : corvelle::WindowProgramArguments(argc, argv)) {
        if (!arg.empty() && arg[0] != '-') {
            corvelle::StartFolderArgument = arg;
            break;
        }
    }
    QApplication::setApplicationName(QStringLiteral("Corvelle"));
    // The window's identity on the desktop: Wayland's app_id names the desktop entry (X11's
    // WM_CLASS "Corvelle" is its StartupWMClass), and the icon docks and task bars show.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Corvelle"));
    corvelle::EnsureResources();
    QIcon icon;
    for (int size : {16, 32, 64, 256})
        icon.addFile(QStringLiteral(":/app/corvelle-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    corvelle::InstallQtJapanese();
    corvelle::InstallQtMessageBoxes();
    corvelle::InstallQtFileOpUi();
    corvelle::InstallFontSubstitutes();
    corvelle::InstallUiFont();
    corvelle::frmMain* window = corvelle::Main();
    if (!window)
        return 1;
    corvelle::CloseOnSessionEnd(window);
    return app.exec();
}
