// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry procedure.
#pragma once

namespace corvelle {

class frmMain;

// Shows the splash unless "NOSPLASH" is present, loads and shows the main window.
// Returns the window, or nullptr when start-up was aborted.
frmMain* Main();
// The end of a desktop session (SIGTERM, SIGHUP) closes the main window like the close box.
void CloseOnSessionEnd(frmMain* window);

}  // namespace corvelle
