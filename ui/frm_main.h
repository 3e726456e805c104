// The main window: control tree, start-up and shutdown. Subsystems live in their own files.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>

#include "util/error.h"

class QStatusBar;
class QMenu;
class QAction;

namespace corvelle {

class DirTree;

// True from the first step of the load until the tree has been configured.
extern bool StartupInProgress;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the load steps; false when the user chose Abort in a start-up error box.
    bool Form_Load();
    void mnuFileExit_Click();
    void iniDataWrite();

    // How the process ends; tests replace it.
    std::function<void()> Terminate;

    // Controls.
    DirTree* dirTree = nullptr;
    QStatusBar* stbMain = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuFileExit = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Form_QueryUnload();
    Error FormLayoutRestore();
    Error ControlStateRestore();

    double splitterLeft_ = 5000;  // twips
};

}  // namespace corvelle
