// SPDX-License-Identifier: GPL-3.0-or-later
// The chosen locations, kept until the program's folder moves; the same on every system.
#include "platform/os/file_locations.h"

#include <memory>

#include "platform/os/folders.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::unique_ptr<FileLocations>& Chosen() {
    static std::unique_ptr<FileLocations> chosen;
    return chosen;
}

}  // namespace

const FileLocations& CurrentFileLocations() {
    if (!Chosen())
        Chosen() = std::make_unique<FileLocations>(ChooseFileLocations(CurrentLocationInputs()));
    return *Chosen();
}

void ForgetFileLocations() {
    Chosen().reset();
}

std::string FindIn(const std::vector<std::string>& folders, const std::string& name) {
    for (const std::string& f : folders)
        if (FileExists(AddBackslash(f) + name))
            return AddBackslash(f) + name;
    return {};
}

}  // namespace corvelle
