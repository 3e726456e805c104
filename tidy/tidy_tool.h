// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tidy tool: the window's search and execution without a window.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace corvelle {

// The tool's usage text in the user's language.
std::string TidyUsage(bool japanese);

// Exit status: 0 every row done (every row put back, for --undo) and every folder read; 1 a
// row failed or a folder could not be read; 2 usage error or refusal (nothing touched).
// `japanese`: the tool's own messages in Japanese, else English.
int TidyToolMain(const std::vector<std::string>& args, FILE* out, FILE* err, bool japanese = false);

}  // namespace corvelle
