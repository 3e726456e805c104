// SPDX-License-Identifier: GPL-3.0-or-later
// What the start of the window program asks of the system (one implementation per system).
#pragma once

#include <string>
#include <vector>

namespace corvelle {

// False when no desktop can be reached (Linux without X11 or Wayland), where Qt would abort.
bool DesktopAvailable();
// The arguments Qt left for the program, as path bytes (after the QApplication is made): on
// Linux the bytes as given, on Windows UTF-8 from the wide command line.
std::vector<std::string> WindowProgramArguments(int argc, char** argv);

}  // namespace corvelle
