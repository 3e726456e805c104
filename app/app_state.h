// SPDX-License-Identifier: GPL-3.0-or-later
// Process-wide state flags.
#pragma once

#include <string>

namespace corvelle {

// True from the first step of the main window's load until the tree has been configured;
// the file-list loader and the search's folder check do nothing meanwhile.
extern bool StartupInProgress;

// A folder named on the command line (a file manager's "Open with"): the window starts there
// instead of the stored folder. Empty: none.
extern std::string StartFolderArgument;

}  // namespace corvelle
