// Process-wide state flags.
#pragma once

namespace corvelle {

// True from the first step of the main window's load until the tree has been configured;
// the file-list loader and the search's folder check do nothing meanwhile.
extern bool StartupInProgress;

}  // namespace corvelle
