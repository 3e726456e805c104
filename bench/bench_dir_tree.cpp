// SPDX-License-Identifier: GPL-3.0-or-later
// Times expanding a folder with many sub-folders in the folder tree, offscreen.
#include <QApplication>
#include <QTreeView>
#include <chrono>
#include <cstdio>

#include "platform/ui/dir_tree.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_dir_tree FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    corvelle::DirTree tree;
    tree.resize(300, 600);
    tree.show();
    QApplication::processEvents();
    const auto t0 = std::chrono::steady_clock::now();
    tree.SetPath(argv[1]);
    tree.View()->expand(tree.View()->currentIndex());
    QApplication::processEvents();  // lays out and paints the rows
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("rows %d\nexpand_ms %.0f\n",
                tree.View()->model()->rowCount(tree.View()->currentIndex()), s * 1000);
    return 0;
}
