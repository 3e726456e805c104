// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <QWindow>
#include <csignal>

#include "platform/os/file_locations.h"
#include "platform/os/folders.h"
#include "ui/frm_main.h"
#include "ui/frm_splash.h"
#include "ui/tidy_panel.h"
#include "util/paths.h"

namespace corvelle {
namespace {

bool NoSplash() {
    return !FindIn(CurrentFileLocations().markerFolders, "NOSPLASH").empty();
}

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &c, 1);
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
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char c;
        [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], &c, 1);
        window->close();
    });
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

}  // namespace corvelle
