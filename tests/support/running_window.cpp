// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/running_window.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QListView>
#include <QMenu>
#include <QTreeView>
#include <QtTest>

#include "browser/file_list_view.h"
#include "platform/os/folders.h"
#include "ui/frm_main.h"

namespace corvelle::test {

std::string StartIn(const std::string& folder) {
    return "CurrentDirectory=" + folder + "\r\n";
}

RunningWindow::RunningWindow(const std::string& ini) {
    SetProgramFolder(prog.Root());
    if (!ini.empty())
        prog.File("RUZO.INI", ini);
    Start();
}

RunningWindow::~RunningWindow() {
    testers_.clear();
    w.reset();
    SetProgramFolder({});
}

void RunningWindow::Start() {
    testers_.clear();
    w = std::make_unique<frmMain>();
    w->Terminate = [this] { ended = true; };
    loaded = w->Form_Load();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("window not exposed");
    // Every change the processing list and the file list make is checked against the rules
    // of Qt's item models.
    for (QAbstractItemModel* model : {w->lvwLog->model(), w->lvwFileName->Details()->model()})
        testers_.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::QtTest));
}

void RunningWindow::Restart() {
    w->mnuFileExit_Click();
    Start();
}

QStringList RunningWindow::LogColumn(int column) const {
    QStringList out;
    const QAbstractItemModel* m = w->lvwLog->model();
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, column).data().toString();
    return out;
}

QStringList RunningWindow::Menu(const char* key) const {
    QStringList out;
    for (QAction* a : w->ToolbarButton(QString::fromLatin1(key))->menu()->actions())
        out << a->text();
    return out;
}

int RunningWindow::Files() const {
    return w->lvwFileName->IconList()->model()->rowCount();
}

}  // namespace corvelle::test
