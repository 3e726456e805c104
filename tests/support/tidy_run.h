// SPDX-License-Identifier: GPL-3.0-or-later
// Running the tidy engine as the window and the tool do, for tests.
#pragma once

#include <string>
#include <vector>

namespace corvelle {
class ProcessList;
}

namespace corvelle::test {

// Searches below root (ending in "/") in the mode; message boxes are scripted.
void SearchInto(const std::string& root, int mode, ProcessList& list, bool subFolders = true);
// corvelle-tidy with its output captured.
int RunTool(const std::vector<std::string>& args, std::string* out = nullptr,
            std::string* err = nullptr);

}  // namespace corvelle::test
