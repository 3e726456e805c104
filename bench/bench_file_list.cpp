// SPDX-License-Identifier: GPL-3.0-or-later
// Times FileNameLoad on a folder through the main window offscreen, and the switches between
// the four view modes. Prints seconds, peak memory and the slowest switch.
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "bench/bench_window.h"
#include "platform/os/folders.h"
#include "ui/frm_main.h"
#include "util/paths.h"

using namespace corvelle;

static double Since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_file_list FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    frmMain w;
    LoadBenchWindow(w);
    const std::string folder = AddBackslash(argv[1]);
    Settings().CurrentDirectory = folder;
    auto t0 = std::chrono::steady_clock::now();
    w.FileNameLoad(folder, true, false);
    QApplication::processEvents();  // the list lays itself out and paints
    const double load = Since(t0);
    double slowest = 0;
    for (int mode : {3, 0, 1, 2, 3}) {
        t0 = std::chrono::steady_clock::now();
        w.mnuViewListviewMode_Click(mode);
        QApplication::processEvents();
        slowest = std::max(slowest, Since(t0));
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("seconds %.3f\nswitch_ms %.0f\npeak_kib %ld\n", load, slowest * 1000, ru.ru_maxrss);
    return 0;
}
