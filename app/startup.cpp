// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>

#include "platform/os/file_locations.h"
#include "platform/os/folders.h"
#include "platform/ui/session_end.h"
#include "ui/frm_main.h"
#include "ui/frm_splash.h"
#include "ui/tidy_panel.h"
#include "util/paths.h"

namespace corvelle {
namespace {

bool NoSplash() {
    return !FindIn(CurrentFileLocations().markerFolders, "NOSPLASH").empty();
}

}  // namespace

frmMain* Main() {
    if (!NoSplash()) {
        frmSplash* splash = LoadedSplash(true);
        splash->show();
        // Under a window manager the splash is mapped some time after show(): painting
        // before that paints nothing and it stays black for the whole load. Wait until it
        // is exposed (a fraction of a second at most), then paint it.
        QElapsedTimer waited;
        waited.start();
        while (splash->windowHandle() && !splash->windowHandle()->isExposed() &&
               waited.elapsed() < 400) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        splash->repaint();
        QApplication::processEvents();
    }
    auto* window = new frmMain;
    if (!window->Form_Load()) {
        window->Terminate();
        delete window;
        return nullptr;
    }
    // A splash the user already closed is gone; unloading it again does nothing.
    if (!NoSplash())
        UnloadSplash();
    window->show();
    // A run that a crash interrupted is offered for rollback before anything else.
    window->Tidy().RecoverInterruptedRuns();
    return window;
}

void CloseOnSessionEnd(frmMain* window) {
    CloseWhenSessionEnds(window);
}

}  // namespace corvelle
