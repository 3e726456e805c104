// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the window tests use it: loaded from a settings file in a fresh
// program folder, shown, and with Qt's model checker on the lists it shows.
#pragma once

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

class QAbstractItemModelTester;

namespace corvelle {
class frmMain;
}

namespace corvelle::test {

// The settings text that starts the window in `folder`.
std::string StartIn(const std::string& folder);

class RunningWindow {
  public:
    // An empty text leaves the program folder without a settings file.
    explicit RunningWindow(const std::string& ini = {});
    ~RunningWindow();
    RunningWindow(const RunningWindow&) = delete;
    RunningWindow& operator=(const RunningWindow&) = delete;

    // Exits through the exit command (which saves) and loads a new window from the folder.
    void Restart();

    // The texts of one column of the processing list, top to bottom.
    QStringList LogColumn(int column) const;
    // The entries of a toolbar button's drop-down ("btnBack", "btnNext").
    QStringList Menu(const char* key) const;
    // The rows of the file list.
    int Files() const;

    TestDir prog;
    std::unique_ptr<frmMain> w;
    bool loaded = false;  // what Form_Load returned
    bool ended = false;   // the exit command ended the "process"

  private:
    void Start();
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers_;
};

}  // namespace corvelle::test
