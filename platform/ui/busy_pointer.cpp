// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/busy_pointer.h"

#include <QApplication>
#include <QCursor>

namespace corvelle {
namespace {
bool g_busy = false;
}

void SetBusyPointer(bool busy) {
    if (busy == g_busy)
        return;
    g_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace corvelle
