// SPDX-License-Identifier: GPL-3.0-or-later
// Times the candidate search on a folder: the engine alone, through the main window
// offscreen (--window) or shown on the display in DISPLAY (--shown). Prints rows, seconds,
// peak memory and resident bytes per row; --stop-after MS presses 検索中断 that long after
// the start and prints how long the press waited and how long the search then took to end.
#include <sys/resource.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "app/settings.h"
#include "bench/bench_window.h"
#include "platform/os/message_service.h"
#include "tidy/process_list.h"
#include "tidy/search.h"
#include "ui/frm_main.h"
#include "ui/tidy_panel.h"
#include "util/paths.h"

using namespace corvelle;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

long ResidentKib() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: bench_search MODE FOLDER [--window|--shown] [--stop-after MS]\n");
        return 2;
    }
    const int mode = std::atoi(argv[1]);
    const std::string folder = AddBackslash(argv[2]);
    bool window = false, shown = false;
    int stopAfter = -1;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0)
            window = true;
        else if (std::strcmp(argv[i], "--shown") == 0)
            window = shown = true;
        else if (std::strcmp(argv[i], "--stop-after") == 0 && i + 1 < argc)
            stopAfter = std::atoi(argv[++i]);
    }
    int rows = 0;
    double seconds = 0;
    long before = 0, after = 0;
    if (window) {
        if (!shown)
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        frmMain w;
        LoadBenchWindow(w);
        Settings().CurrentDirectory = folder;
        Settings().ShoriMode = static_cast<int16_t>(mode);
        MessageService::QueueAnswer(MsgAnswer::Ok);
        Clock::time_point pressed{}, due{};
        if (stopAfter >= 0) {
            QTimer::singleShot(stopAfter, &w, [&] {
                pressed = Clock::now();
                w.findChild<QPushButton*>(QStringLiteral("cmdSearchStop"))->click();
            });
        }
        before = ResidentKib();
        const auto t0 = Clock::now();
        due = t0 + std::chrono::milliseconds(stopAfter);
        w.cmdSearchStart_Click();
        const auto t1 = Clock::now();
        seconds = std::chrono::duration<double>(t1 - t0).count();
        after = ResidentKib();
        rows = w.Tidy().List().Count();
        if (stopAfter >= 0 && pressed != Clock::time_point{})
            std::printf("stop_wait_ms %.1f\nstop_to_end_ms %.1f\n", Ms(due, pressed),
                        Ms(pressed, t1));
    } else {
        SettingsRecord settings;
        settings.CurrentDirectory = folder;
        settings.ShoriMode = static_cast<int16_t>(mode);
        ProcessList list;
        list.Init();
        TidySearch search(settings, list);
        MessageService::QueueAnswer(MsgAnswer::Ok);
        before = ResidentKib();
        const auto t0 = Clock::now();
        search.SearchRun();
        seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        after = ResidentKib();
        rows = list.Count();
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("rows %d\nseconds %.3f\npeak_kib %ld\n", rows, seconds, ru.ru_maxrss);
    if (rows > 0)
        std::printf("bytes_per_row %.0f\n", (after - before) * 1024.0 / rows);
    return 0;
}
