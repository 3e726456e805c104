// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/version_text.h"

#include "build_config.h"

namespace corvelle {

std::string VersionText(int major, int minor, int revision) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) +
           std::to_string(revision);
}

std::string ProgramVersionText() {
    return VersionText(build::kVersionMajor, build::kVersionMinor, build::kVersionRevision);
}

}  // namespace corvelle
