// SPDX-License-Identifier: GPL-3.0-or-later
// Windows ends a session with WM_QUERYENDSESSION, which Qt hands on as a request to save.
#include "platform/ui/session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

namespace corvelle {

void CloseWhenSessionEnds(QWidget* window) {
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                     [window](QSessionManager&) { window->close(); });
}

}  // namespace corvelle
