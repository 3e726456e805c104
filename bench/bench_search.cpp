// SPDX-License-Identifier: GPL-3.0-or-later
// Times the candidate search on a folder: the engine alone, or through the main window
// offscreen (--window). Prints rows, seconds and peak memory.
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/settings.h"
#include "bench/bench_window.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "tidy/process_list.h"
#include "tidy/search.h"
#include "ui/frm_main.h"
#include "ui/tidy_panel.h"
#include "util/paths.h"

using namespace corvelle;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_search MODE FOLDER [--window]\n");
        return 2;
    }
    const int mode = std::atoi(argv[1]);
    const std::string folder = AddBackslash(argv[2]);
    const bool window = argc > 3 && std::strcmp(argv[3], "--window") == 0;
    int rows = 0;
    double seconds = 0;
    if (window) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        frmMain w;
        LoadBenchWindow(w);
        Settings().CurrentDirectory = folder;
        Settings().ShoriMode = static_cast<int16_t>(mode);
        MessageService::QueueAnswer(MsgAnswer::Ok);
        const auto t0 = std::chrono::steady_clock::now();
        w.cmdSearchStart_Click();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rows = w.Tidy().List().Count();
    } else {
        SettingsRecord settings;
        settings.CurrentDirectory = folder;
        settings.ShoriMode = static_cast<int16_t>(mode);
        ProcessList list;
        list.Init();
        TidySearch search(settings, list);
        MessageService::QueueAnswer(MsgAnswer::Ok);
        const auto t0 = std::chrono::steady_clock::now();
        search.SearchRun();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rows = list.Count();
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("rows %d\nseconds %.3f\npeak_kib %ld\n", rows, seconds, ru.ru_maxrss);
    return 0;
}
