// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/junk_files.h"

#include <cerrno>

#include "platform/os/file_write.h"
#include "platform/os/folder_changes.h"
#include "platform/os/handles.h"
#include "platform/os/own_files.h"
#include "platform/os/test_seam.h"
#include "tidy/row_access.h"
#include "util/paths.h"

namespace corvelle {
namespace {

// Where an earlier version's run left a junk file aside before it went: named by its
// identity, so that an Undo after a crash finds it there.
std::string AsideName(const JunkFile& junk) {
    return "corvelle-junk-" + std::to_string(junk.id.number);
}

bool ReadAll(int fd, std::uint64_t size, std::string& out) {
    out.assign(static_cast<size_t>(size) + 1, '\0');
    size_t got = 0;
    for (;;) {
        const long n = ReadSome(fd, out.data() + got, out.size() - got);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
        if (got == out.size())
            break;  // longer than it was: changed
    }
    out.resize(got);
    return true;
}

// The very file, whatever happened to its change time since (a rename moves it on).
bool SameFile(const ItemInfo& info, const JunkFile& junk) {
    return info.IsFile() && info.id == junk.id && info.size == junk.size &&
           info.meta.mtimeNs == junk.meta.mtimeNs;
}

}  // namespace

bool StillJunk(const ItemInfo& info, const JunkFile& junk) {
    return SameFile(info, junk) && info.changeNs == junk.changeNs;
}

Error HoldJunk(int dir, const std::vector<JunkFile>& junk, HoldingPlace& place,
               const std::string& folder, std::vector<std::string>& held) {
    const std::string base = AddBackslash(folder);
    held.clear();
    for (const JunkFile& j : junk) {
        ItemInfo info;
        Error error;
        std::string name;
        if (!InfoAt(dir, j.name, info) || !StillJunk(info, j)) {
            error = errno == ENOENT || info.id.Known() ? KindError(kErrJunkChanged, base + j.name)
                                                       : RowAccess::Because(base + j.name, errno);
        } else if (!(error = MoveToHolding(place, dir, j.name, base + j.name, name))) {
            held.push_back(name);
            Seam("junk:held", base + j.name);
            // What moved must be what was checked: another file swapped in between goes back.
            if (!InfoAt(place.folder.Get(), name, info) || !SameFile(info, j))
                error = KindError(kErrJunkChanged, base + j.name);
        }
        if (error) {
            error.detail += ReturnJunk(dir, junk, held, place, folder);
            held.clear();
            return error;
        }
    }
    return {};
}

std::string ReturnJunk(int dir, const std::vector<JunkFile>& junk,
                       const std::vector<std::string>& held, HoldingPlace& place,
                       const std::string& folder) {
    std::string stays;
    for (size_t i = 0; i < held.size() && i < junk.size(); ++i) {
        if (dir < 0 || !MoveFromHolding(place, held[i], dir, junk[i].name))
            stays += "\n" + AddBackslash(folder) + junk[i].name + " は " +
                     AddBackslash(place.path) + held[i] + " にあります";
    }
    return stays;
}

std::uint64_t ContentHash(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

bool PutJunkBack(int dir, const JunkFile& junk, const std::string& contents, std::string& why) {
    ItemInfo there;
    // Still aside (the run died before removing it): it only steps back.
    if (InfoAt(dir, AsideName(junk), there) && SameFile(there, junk) &&
        !InfoAt(dir, junk.name, there) && RenameNoReplace(dir, AsideName(junk), dir, junk.name))
        return true;
    if (InfoAt(dir, junk.name, there)) {
        if (SameFile(there, junk))
            return true;
        std::string held;
        const UniqueFd fd = there.IsFile() ? OpenFileAt(dir, junk.name) : UniqueFd();
        if (fd.Valid() && there.size == contents.size() && ReadAll(fd.Get(), there.size, held) &&
            held == contents)
            return true;  // put back by an earlier attempt
        why = ErrorMessage(MakeError(kErrNameTaken));
        return false;
    }
    if (ContentHash(contents) != junk.hash || contents.size() != junk.size) {
        why = "保存した内容が壊れています";
        return false;
    }
    UniqueFd fd = MakeFileAt(dir, junk.name);
    if (!fd.Valid() || !WriteAll(fd.Get(), contents.data(), contents.size())) {
        why = ErrorMessage(SystemError(errno));
        if (fd.Valid()) {
            fd.Reset();
            RemoveFileAt(dir, junk.name);
        }
        return false;
    }
    SetFileAttributesAndTimes(fd.Get(), junk.meta);
    return true;
}

bool JunkMissing(int dir, const std::vector<JunkFile>& junk) {
    for (const JunkFile& j : junk) {
        ItemInfo info;
        if (!InfoAt(dir, j.name, info))
            return true;
    }
    return false;
}

}  // namespace corvelle
