// SPDX-License-Identifier: GPL-3.0-or-later
// The main window for a benchmark: loaded offscreen with its settings in a scratch folder,
// so a run never touches the program's own RUZO.INI.
#pragma once

#include <QApplication>
#include <cstdlib>

#include "platform/os/folders.h"
#include "ui/frm_main.h"

inline void LoadBenchWindow(corvelle::frmMain& w) {
    char tmpl[] = "/tmp/corvelle-bench-XXXXXX";
    corvelle::SetProgramFolder(mkdtemp(tmpl));
    w.Terminate = [] {};
    w.Form_Load();
    w.show();
    QApplication::processEvents();
}
