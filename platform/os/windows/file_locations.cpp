// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: settings and log beside the program when its folder is writable (portable), else
// in %APPDATA%\Corvelle; run journals always in %LOCALAPPDATA%\Corvelle\journal.
#include "platform/os/file_locations.h"

#include "platform/os/folders.h"
#include "platform/os/windows/win_base.h"
#include "util/paths.h"

namespace corvelle {
namespace {

using namespace win;

std::string Env(const wchar_t* name) {
    const wchar_t* v = _wgetenv(name);
    return v ? Narrow(v) : std::string();
}

// Windows' access checks are in the ACL, not in attributes: a file made and removed again
// is the one true test of a folder.
bool FolderWritable(const std::string& folder) {
    const std::string probe =
        folder + ".corvelle-write-test-" + std::to_string(GetCurrentProcessId());
    HANDLE h = CreateFileW(LongPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

bool FileWritable(const std::string& path) {
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

}  // namespace

FileLocations ChooseFileLocations(const LocationInputs& in) {
    FileLocations l;
    const std::string program = AddBackslash(in.programFolder);
    const std::string ini = program + "RUZO.INI";
    l.portable = FileExists(ini) ? FileWritable(ini) : FolderWritable(program);
    if (l.portable) {
        l.settingsFolder = l.logFolder = program;
        l.markerFolders = {program};
    } else {
        const std::string base = AddBackslash(
            in.appData.empty() ? AddBackslash(in.home) + "AppData\\Roaming" : in.appData);
        l.settingsFolder = l.logFolder = base + "Corvelle\\";
        l.markerFolders = {program, l.settingsFolder};
        if (FileExists(ini))
            l.settingsSeed = ini;
    }
    l.guideFolders = {program};
    return l;
}

LocationInputs CurrentLocationInputs() {
    LocationInputs in;
    in.programFolder = ProgramFolder();
    in.home = WindowsDirGet();
    in.appData = Env(L"APPDATA");
    return in;
}

std::string JournalFolder() {
    std::string base = Env(L"LOCALAPPDATA");
    if (base.empty())
        base = AddBackslash(WindowsDirGet()) + "AppData\\Local";
    return AddBackslash(base) + "Corvelle\\journal";
}

}  // namespace corvelle
