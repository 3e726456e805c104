// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/os/handles.h"
#include "util/paths.h"

namespace corvelle {

std::string ExecutableFolder() {
    std::string buf(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return CurrentFolder();
    buf.resize(static_cast<size_t>(n));
    return PathParent(buf);
}

bool MakeFolders(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == kSep) {
            if (mkdir(path.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void PrepareStandardStreams() {
    // Bytes pass as they are, and a terminal shows whatever the locale says.
}

void UseParentConsole() {
    // Every program has the terminal it was started from.
}

bool MayHaveSubfolders(const std::string& path) {
    struct stat st;
    return !(stat(path.c_str(), &st) == 0 && st.st_nlink == 2);
}

bool NamesIgnoreCase() {
    return false;
}

std::vector<std::string> FolderTreeRoots() {
    return {"/"};
}

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

bool IsStreamed(std::FILE* stream) {
    struct stat st;
    if (fstat(fileno(stream), &st) != 0)
        return true;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || isatty(fileno(stream));
}

std::string CurrentFolder() {
    std::string buf(PATH_MAX, '\0');
    if (!getcwd(buf.data(), buf.size()))
        return {};
    return AddBackslash(NullTrim(buf));
}

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DirCanChange(const std::string& folder, const std::string& back) {
    const bool ok = !folder.empty() && chdir(folder.c_str()) == 0;
    if (!back.empty() && chdir(back.c_str()) != 0) {
        // The folder to return to vanished; the caller's view of the current folder stays.
    }
    return ok;
}

std::string WindowsDirGet() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

}  // namespace corvelle
