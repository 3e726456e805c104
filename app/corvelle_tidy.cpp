// SPDX-License-Identifier: GPL-3.0-or-later
// corvelle-tidy: the folder tidy job for scripts, with no window.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/folders.h"
#include "tidy/tidy_tool.h"

namespace {

// The tool speaks Japanese where the user's locale is Japanese ("ja_JP.UTF-8" here,
// "Japanese_Japan.932" on Windows), English elsewhere.
bool LocaleIsJapanese() {
#ifdef LC_MESSAGES
    const char* name = std::setlocale(LC_MESSAGES, nullptr);
#else
    const char* name = std::setlocale(LC_CTYPE, nullptr);
#endif
    return name && (std::strncmp(name, "ja", 2) == 0 || std::strncmp(name, "Japanese", 8) == 0);
}

}  // namespace

int main(int argc, char** argv) {
    // The user's language and character set; numbers keep the C locale's form.
    std::setlocale(LC_CTYPE, "");
#ifdef LC_MESSAGES
    std::setlocale(LC_MESSAGES, "");
#endif
    corvelle::PrepareStandardStreams();
    return corvelle::TidyToolMain(corvelle::ProgramArguments(argc, argv), stdout, stderr,
                                  LocaleIsJapanese());
}
