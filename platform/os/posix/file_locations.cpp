// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/file_locations.h"

#include <unistd.h>

#include <cstdlib>

#include "build_config.h"
#include "platform/os/folders.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::string Folder(const std::string& path) {
    return AddBackslash(path.size() > 1 ? RemoveBackslash(path) : path);
}

// An XDG variable counts only when it holds an absolute path.
std::string XdgOr(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value[0] == kSep)
        return Folder(value);
    return Folder(AddBackslash(home) + fallback);
}

// An installed program's folder: a system one, where this build installs, or any ".../bin/"
// beside a "share/corvelle" (an installation under another prefix, ~/.local say).
bool InstalledFolder(const std::string& folder, const std::string& installedBin) {
    for (const char* f : {"/usr/bin/", "/bin/", "/usr/local/bin/", "/usr/sbin/", "/sbin/"})
        if (folder == f)
            return true;
    if (!installedBin.empty() && folder == Folder(installedBin))
        return true;
    return folder.ends_with("/bin/") && FolderExists(folder + "../share/corvelle");
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

FileLocations ChooseFileLocations(const LocationInputs& in) {
    FileLocations l;
    const std::string program = Folder(in.programFolder);
    const std::string ini = program + "RUZO.INI";
    // Writable settings beside the program, or a folder that lets us make them: portable.
    // An installed program's folder never is, even for root, who could write there.
    if (InstalledFolder(program, in.installedBinFolder))
        l.portable = false;
    else if (FileExists(ini))
        l.portable = access(ini.c_str(), W_OK) == 0;
    else
        l.portable = access(program.c_str(), W_OK) == 0;
    if (l.portable) {
        l.settingsFolder = l.logFolder = program;
        l.markerFolders = {program};
    } else {
        l.settingsFolder = XdgOr(in.xdgConfigHome, in.home, ".config") + "corvelle/";
        l.logFolder = XdgOr(in.xdgStateHome, in.home, ".local/state") + "corvelle/";
        l.markerFolders = {program, l.settingsFolder};
        // A copy's settings beside it that it cannot write (installed read-only) still count.
        if (FileExists(ini))
            l.settingsSeed = ini;
    }
    // Beside the program, then where an installation below the program's prefix puts it (a
    // package may use another prefix than the build did), then where this build installs it.
    l.guideFolders = {program, program + "../share/corvelle/"};
    if (!in.installedDataFolder.empty())
        l.guideFolders.push_back(Folder(in.installedDataFolder));
    return l;
}

LocationInputs CurrentLocationInputs() {
    LocationInputs in;
    in.programFolder = ProgramFolder();
    in.home = WindowsDirGet();
    in.xdgConfigHome = Env("XDG_CONFIG_HOME");
    in.xdgStateHome = Env("XDG_STATE_HOME");
    in.installedBinFolder = build::kInstalledBinFolder;
    in.installedDataFolder = build::kInstalledDataFolder;
    return in;
}

std::string JournalFolder() {
    const std::string state = Env("XDG_STATE_HOME");
    if (!state.empty() && state[0] == kSep)
        return AddBackslash(state) + "corvelle/journal";
    return AddBackslash(WindowsDirGet()) + ".local/state/corvelle/journal";
}

}  // namespace corvelle
