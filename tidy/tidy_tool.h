// The command-line tidy tool: the window's search and execution without a window.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace corvelle {

inline constexpr const char* kTidyUsage =
    "usage: corvelle-tidy [--mode raise|empty] [--no-subfolders] [--execute] [--log FILE] "
    "FOLDER\n";

// Exit status: 0 no row failed, 1 some row failed, 2 usage error (nothing touched).
int TidyToolMain(const std::vector<std::string>& args, FILE* out, FILE* err);

}  // namespace corvelle
