// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/enumeration.h"

#include <cerrno>

#include "platform/os/handles.h"
#include "platform/os/windows/win_base.h"

namespace corvelle {

using namespace win;

Error EnumerateFolder(const std::string& folder, const std::function<bool(const DirEntry&)>& each) {
    if (const int err = EnumerationFailureFor(folder))
        return SystemError(err, folder);
    const UniqueFd dir = OpenFolderPath(folder);
    if (!dir.Valid())
        return SystemError(errno, folder);
    DirEntry entry;
    const bool ok = ListFolder(dir.Get(), [&](const Listed& l) {
        entry.name = l.name;
        entry.kind = IsLinkLike(l.attributes, l.tag)             ? EntryKind::Link
                     : (l.attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder
                                                                 : EntryKind::File;
        entry.hidden = IsHiddenAttribute(l.attributes);
        return each(entry);
    });
    return ok ? Error{} : SystemError(errno, folder);
}

bool ListFiles(const std::string& folder, std::vector<FileEntry>& files) {
    const UniqueFd dir = OpenFolderPath(folder);
    if (!dir.Valid())
        return false;
    // A link to a folder is a folder here, as the folder tree shows it.
    return ListFolder(dir.Get(), [&](const Listed& l) {
        if (!(l.attributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(
                {l.name, static_cast<unsigned long long>(l.bytes), l.mtimeNs / 1000000000});
        return true;
    });
}

}  // namespace corvelle
