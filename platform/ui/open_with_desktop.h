// SPDX-License-Identifier: GPL-3.0-or-later
// The system's own way to open a document or a web address (one implementation per system).
#pragma once

#include <string>

class QWidget;

namespace corvelle {

// True when the system took the target: web addresses go to the browser, paths to the program
// associated with them. Otherwise `reason` says why, in Japanese.
bool OpenWithDesktop(QWidget* owner, const std::string& target, std::string& reason);

// Why the opener could not open a target, from its result: xdg-open's exit status on Linux,
// ShellExecute's code (32 or less) on Windows.
std::string OpenerExitReason(int code);

}  // namespace corvelle
