// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/folders.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/os/windows/win_base.h"
#include "util/paths.h"

// clang-format off
#include <shellapi.h>  // needs windows.h first
// clang-format on

namespace corvelle {

using namespace win;

namespace {

DWORD AttributesOf(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(LongPath(path).c_str());
}

DriveKind KindOfDrive(char letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
    switch (GetDriveTypeW(root)) {
        case DRIVE_FIXED:
            return DriveKind::Fixed;
        case DRIVE_REMOVABLE:
            return DriveKind::Removable;
        case DRIVE_REMOTE:
            return DriveKind::Network;
        case DRIVE_CDROM:
            return DriveKind::Optical;
        case DRIVE_RAMDISK:
            return DriveKind::RamDisk;
        default:
            return DriveKind::Unknown;
    }
}

}  // namespace

bool NamesIgnoreCase() {
    return true;
}

std::vector<std::string> FolderTreeRoots() {
    return DriveRoots(GetLogicalDrives(), KindOfDrive);
}

std::string ExecutableFolder() {
    std::wstring buf(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0 || n >= buf.size())
        return CurrentFolder();
    buf.resize(n);
    return PathParent(Narrow(buf));
}

bool MakeFolders(const std::string& path) {
    // Past the drive ("C:\") or the share ("\\server\share\"), one level at a time.
    size_t start = 1;
    if (path.size() >= 3 && path[1] == ':')
        start = 3;
    else if (path.rfind("\\\\", 0) == 0)
        start = path.find('\\', path.find('\\', 2) + 1);
    for (size_t pos = start; pos != std::string::npos && pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == kSep || path[pos] == '/') {
            const std::string part = path.substr(0, pos);
            if (!CreateDirectoryW(LongPath(part).c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                return Fail();
        }
    }
    return true;
}

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

namespace {

UINT g_consoleCodePage = 0;

void RestoreConsoleCodePage() {
    // Handlers run before the streams' last flush: what is still buffered goes out in UTF-8
    // first.
    std::fflush(stdout);
    std::fflush(stderr);
    if (g_consoleCodePage != 0)
        SetConsoleOutputCP(g_consoleCodePage);
}

}  // namespace

void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A console shows UTF-8 while the program runs, and gets its own code page back after.
    if (g_consoleCodePage == 0 && (g_consoleCodePage = GetConsoleOutputCP()) != 0) {
        SetConsoleOutputCP(CP_UTF8);
        std::atexit(RestoreConsoleCodePage);
    }
    for (std::FILE* stream : {stdout, stderr}) {
        if (!_isatty(_fileno(stream)))
            continue;
        // The C library hands a console one byte at a time, which splits every Japanese
        // character: whole lines go in one write instead.
        std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
        // The progress line ends in "ESC[K", which the console reads only when asked to.
        const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
        DWORD mode = 0;
        if (GetConsoleMode(h, &mode))
            SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

void UseParentConsole() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out != nullptr && out != INVALID_HANDLE_VALUE) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    PrepareStandardStreams();
}

bool MayHaveSubfolders(const std::string&) {
    return true;  // NTFS keeps no count of sub-folders: the listing tells
}

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

bool IsStreamed(std::FILE* stream) {
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    const DWORD type = GetFileType(h);
    return type == FILE_TYPE_PIPE || IsTerminal(stream) || type == FILE_TYPE_UNKNOWN;
}

std::string CurrentFolder() {
    std::wstring buf(32768, L'\0');
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
    if (n == 0 || n >= buf.size())
        return {};
    buf.resize(n);
    return AddBackslash(Narrow(buf));
}

bool FileExists(const std::string& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(const std::string& path) {
    const DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirCanChange(const std::string& folder, const std::string& back) {
    const bool ok = !folder.empty() && SetCurrentDirectoryW(Wide(folder).c_str());
    if (!back.empty())
        SetCurrentDirectoryW(Wide(back).c_str());
    return ok;
}

std::string WindowsDirGet() {
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    return profile ? Narrow(profile) : std::string();
}

}  // namespace corvelle
