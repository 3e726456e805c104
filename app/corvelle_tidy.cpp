// SPDX-License-Identifier: GPL-3.0-or-later
// corvelle-tidy: the folder tidy job for scripts, with no window.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/folders.h"
#include "tidy/tidy_tool.h"

int main(int argc, char** argv) {
    corvelle::PrepareStandardStreams();
    return corvelle::TidyToolMain(corvelle::ProgramArguments(argc, argv), stdout, stderr);
}
