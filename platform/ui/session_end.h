// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop session ending (logout, shutdown: SIGTERM or SIGHUP on Linux, the end-session
// message on Windows) closes a window the ordinary way, so that its settings are saved as on
// a click of its close box.
#pragma once

class QWidget;

namespace corvelle {

void CloseWhenSessionEnds(QWidget* window);

}  // namespace corvelle
