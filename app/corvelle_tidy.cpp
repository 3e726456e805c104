// SPDX-License-Identifier: GPL-3.0-or-later
// corvelle-tidy: the folder tidy job for scripts, with no window.
#include <cstdio>
#include <string>
#include <vector>

#include "tidy/tidy_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return corvelle::TidyToolMain(args, stdout, stderr);
}
