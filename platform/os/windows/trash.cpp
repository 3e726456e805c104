// SPDX-License-Identifier: GPL-3.0-or-later
// The recycle bin through the shell, after the item was checked by handle: the path the
// shell gets must still name the very item the caller opened.
#include "platform/os/trash.h"

#include <cerrno>

#include "platform/os/file_locations.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/holding_place.h"
#include "platform/os/own_files.h"
#include "platform/os/windows/win_base.h"
#include "util/paths.h"

// clang-format off
#include <shellapi.h>  // needs windows.h first
// clang-format on

namespace corvelle {

using namespace win;

namespace {

Error NoTrash(const std::string& path, const std::string& why) {
    Error e = KindError(kErrNoTrash, path);
    e.detail = "\n(" + why + ")";
    return e;
}

}  // namespace

Error MoveToTrashAt(int dir, const std::string& leaf, const std::string& path) {
    ItemInfo parent, item, named;
    if (!InfoOf(dir, parent) || !InfoAt(dir, leaf, item))
        return SystemError(errno, path);
    const UniqueFd byPath(OpenPath(path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!byPath.Valid() || !InfoOf(byPath.Get(), named))
        return SystemError(errno, path);
    if (!named.id.SameNumber(item.id))
        return SystemError(EAGAIN, path);  // the path leads elsewhere now
    // A network share has no recycle bin: the shell would delete for good.
    const std::wstring wide = LongPath(path);
    const bool drive = wide.size() >= 7 && wide.rfind(LR"(\\?\)", 0) == 0 && wide[5] == L':';
    const std::wstring root = drive ? wide.substr(4, 2) + L"\\" : std::wstring();
    if (!drive || GetDriveTypeW(root.c_str()) == DRIVE_REMOTE)
        return NoTrash(path, "ネットワーク上の項目にはごみ箱がありません");
    // The shell wants a plain path, twice NUL-terminated.
    std::wstring from = Wide(path);
    for (wchar_t& c : from)
        if (c == L'/')
            c = L'\\';
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    // Without questions, but warned when the item would be destroyed rather than recycled.
    op.fFlags =
        FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT | FOF_NOERRORUI;
    const int rc = SHFileOperationW(&op);
    if (rc != 0 || op.fAnyOperationsAborted) {
        Error e = SystemError(rc == 0 ? ECANCELED : EIO, path);
        e.detail = "\n(SHFileOperation: " + std::to_string(rc) + ")";
        return e;
    }
    ItemInfo after;
    if (InfoAt(dir, leaf, after) && after.id.SameNumber(item.id))
        return SystemError(EIO, path);  // the shell said yes but the item stayed
    return {};
}

// The recycle bin takes items by copy where it likes: junk is held in a private folder beside
// the run journals instead, and only for items on that folder's own volume.
Error OpenHoldingPlace(int dir, const std::string& folderPath, const std::string&,
                       HoldingPlace& place) {
    ItemInfo folder, info;
    if (!InfoOf(dir, folder))
        return SystemError(errno, folderPath);
    const std::string path = PathParent(RemoveBackslash(JournalFolder())) + "kept";
    UniqueFd fd;
    if (Error e = OpenOwnFolder(path, true, fd))
        return e;
    if (!InfoOf(fd.Get(), info))
        return SystemError(errno, path);
    if (info.id.volume != folder.id.volume) {
        Error e = SystemError(EXDEV, folderPath);
        e.detail = "\n(" + path + " と同じドライブにありません)";
        return e;
    }
    place.folder = std::move(fd);
    place.path = path;
    place.id = info.id;
    return {};
}

Error ReopenHoldingPlace(const std::string& path, const FileId& id, HoldingPlace& place) {
    place = HoldingPlace{};
    UniqueFd fd;
    ItemInfo info;
    if (Error e = OpenOwnFolder(path, false, fd))
        return e;
    if (!InfoOf(fd.Get(), info))
        return SystemError(errno, path);
    if (info.id != id)
        return KindError(kErrFolderReplaced, path);
    place.folder = std::move(fd);
    place.path = path;
    place.id = id;
    return {};
}

bool MoveFromHolding(HoldingPlace& place, const std::string& held, int dir,
                     const std::string& name) {
    return RenameNoReplace(place.folder.Get(), held, dir, name);
}

// The place is shared by the runs (a private folder of the user's): it stays.
void ReleaseHoldingPlace(HoldingPlace&) {}

}  // namespace corvelle
