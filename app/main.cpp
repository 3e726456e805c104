#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/ui/fonts.h"
#include "platform/ui/qt_file_op_ui.h"
#include "platform/ui/qt_message_box.h"
#include "platform/ui/translation.h"

int main(int argc, char** argv) {
    // Without a desktop Qt would abort; say what is needed instead.
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if ((!qpa || !*qpa) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "Corvelle needs a desktop (X11 or Wayland): no display was found.\n"
                     "Corvelle を起動するにはデスクトップ環境が必要です。\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvelle"));
    corvelle::InstallQtJapanese();
    corvelle::InstallQtMessageBoxes();
    corvelle::InstallQtFileOpUi();
    corvelle::InstallFontSubstitutes();
    corvelle::frmMain* window = corvelle::Main();
    if (!window)
        return 1;
    corvelle::CloseOnSessionEnd(window);
    return app.exec();
}
