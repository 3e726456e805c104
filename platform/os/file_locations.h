// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's own files live. A copy that can write its settings beside itself keeps
// everything there (a portable copy): "RUZO.INI", "RUZO.LOG", "NOSPLASH". An installed copy
// (in /usr/bin, say) cannot, so its settings go to $XDG_CONFIG_HOME/corvelle and its log to
// $XDG_STATE_HOME/corvelle. The choice is made once and serves reading and writing alike.
#pragma once

#include <string>
#include <vector>

namespace corvelle {

struct FileLocations {
    bool portable = true;
    std::string settingsFolder;  // ends in "/"
    std::string logFolder;       // ends in "/"
    // Read when the settings folder has no settings file yet: one beside the program that
    // the program cannot write ("" when there is none). Writing goes to the settings folder.
    std::string settingsSeed;
    std::vector<std::string> markerFolders;  // where "NOSPLASH" is looked for
    std::vector<std::string> guideFolders;   // where "guide.pdf" is looked for, in order
};

struct LocationInputs {
    std::string programFolder;
    std::string home;
    std::string xdgConfigHome;  // as the environment has them ("" when unset)
    std::string xdgStateHome;
    std::string appData;              // Windows: %APPDATA%
    std::string installedBinFolder;   // where an installation puts the program
    std::string installedDataFolder;  // and its own data (the guide)
};

FileLocations ChooseFileLocations(const LocationInputs& in);
// What this process's environment says.
LocationInputs CurrentLocationInputs();
// The choice for this process, made at the first call (again after SetProgramFolder).
const FileLocations& CurrentFileLocations();
void ForgetFileLocations();

// The first folder of the list that holds `name`, joined with it; "" when none does.
// Where run journals live: $XDG_STATE_HOME/corvelle/journal (by default
// ~/.local/state/corvelle/journal); %LOCALAPPDATA%\Corvelle\journal on Windows.
std::string JournalFolder();

std::string FindIn(const std::vector<std::string>& folders, const std::string& name);

}  // namespace corvelle
