// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/program_start.h"

#include <cstdlib>

namespace corvelle {

bool DesktopAvailable() {
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    return (qpa && *qpa) || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

std::vector<std::string> WindowProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace corvelle
