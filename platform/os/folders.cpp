// SPDX-License-Identifier: GPL-3.0-or-later
// The folder helpers that are the same on every system.
#include "platform/os/folders.h"

#include <cerrno>
#include <vector>

#include "platform/os/file_locations.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/message_service.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}

}  // namespace

std::string ProgramFolder() {
    if (!ProgramFolderOverride().empty())
        return ProgramFolderOverride();
    return ExecutableFolder();
}

void SetProgramFolder(const std::string& folder) {
    ProgramFolderOverride() = folder.empty() ? folder : AddBackslash(folder);
    ForgetFileLocations();  // the program's files follow it
}

std::vector<std::string> DriveRoots(unsigned long mask, DriveKind (*kindOf)(char letter)) {
    std::vector<std::string> roots;
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('A' + i);
        if (!((mask >> i) & 1u))
            continue;
        const DriveKind kind = kindOf(letter);
        if (kind == DriveKind::Fixed || kind == DriveKind::Removable)
            roots.push_back(std::string(1, letter) + ":\\");
    }
    return roots;
}

bool IsFolderOrLinkToFolder(const std::string& path, bool& link) {
    std::string leaf;
    const UniqueFd parent = OpenParentOf(path, leaf);
    ItemInfo info;
    if (!parent.Valid() || !InfoAt(parent.Get(), leaf, info)) {
        // The root has no parent to ask: it is a folder when it can be opened as one.
        link = false;
        return OpenFolderPath(path).Valid();
    }
    link = info.IsLink();
    return link ? FolderExists(path) : info.IsDir();
}

Error MakeFolderIn(const std::string& parent, const std::string& rawName) {
    // "new/" is the folder new; "sub/new" makes new inside the existing sub.
    std::string name = rawName;
    while (name.size() > 1 && name.back() == kSep) name.pop_back();
    std::vector<std::string> pieces;
    StrSplit(name, kSep, pieces);
    for (const std::string& p : pieces) {
        if (parent.empty() || p.empty() || p == "." || p == "..")
            return MakeError(kErrPathFile);
    }
    UniqueFd dir = OpenFolderPath(parent);
    if (!dir.Valid())
        return SystemError(errno, parent);
    std::string reached = RemoveBackslash(parent);
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        reached += kSep + pieces[i];
        dir = OpenFolderAt(dir.Get(), pieces[i]);
        if (!dir.Valid()) {
            const int err = errno;
            if (err == ENOENT)
                return Error{kErrPathNotFound, reached + ": 途中のフォルダがありません"};
            return SystemError(err, reached);
        }
    }
    if (!MakeFolderAt(dir.Get(), pieces.back()))
        return SystemError(errno, AddBackslash(parent) + name);
    return {};
}

int MkDirIn(const std::string& parent, const std::string& name) {
    if (const Error err = MakeFolderIn(parent, name)) {
        MessageService::Show(err.description, MsgIcon::Exclamation, MsgButtons::Ok);
        return 99;
    }
    return 0;
}

}  // namespace corvelle
