// SPDX-License-Identifier: GPL-3.0-or-later
// "Version " + major + "." + minor + revision (2, 3, 4 give "Version 2.34").
#pragma once

#include <string>

namespace corvelle {

std::string VersionText(int major, int minor, int revision);
// The program's own version.
std::string ProgramVersionText();

}  // namespace corvelle
