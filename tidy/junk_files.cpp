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

bool Same(const ItemInfo& info, const JunkFile& junk) {
    return info.IsFile() && info.id == junk.id && info.size == junk.size &&
           info.meta.mtimeNs == junk.meta.mtimeNs;
}

// Where a junk file steps aside before it goes: named by its identity, so that an Undo after
// a crash finds it there.
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

}  // namespace

std::uint64_t ContentHash(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

Error ReadJunk(int dir, const JunkFile& junk, const std::string& folder, std::string& contents) {
    const std::string path = AddBackslash(folder) + junk.name;
    const UniqueFd fd = OpenFileAt(dir, junk.name);
    ItemInfo info;
    if (!fd.Valid() || !InfoOf(fd.Get(), info))
        return errno == ENOENT || errno == ELOOP ? KindError(kErrJunkChanged, path)
                                                 : RowAccess::Because(path, errno);
    if (!Same(info, junk))
        return KindError(kErrJunkChanged, path);
    if (!ReadAll(fd.Get(), junk.size, contents))
        return RowAccess::Because(path, errno);
    if (contents.size() != junk.size)
        return KindError(kErrJunkChanged, path);
    return {};
}

Error RemoveJunk(int dir, const std::vector<JunkFile>& junk,
                 const std::vector<std::string>& contents, const std::string& folder) {
    const std::string base = AddBackslash(folder);
    for (size_t i = 0; i < junk.size(); ++i) {
        const JunkFile& j = junk[i];
        const std::string aside = AsideName(j);
        Error error;
        ItemInfo info;
        if (!RenameNoReplace(dir, j.name, dir, aside)) {
            error = errno == ENOENT ? KindError(kErrJunkChanged, base + j.name)
                                    : RowAccess::Because(base + j.name, errno);
        } else {
            Seam("junk:aside", base + j.name);
            if (!InfoAt(dir, aside, info) || !Same(info, j)) {
                error = KindError(kErrJunkChanged, base + j.name);
                if (!RenameNoReplace(dir, aside, dir, j.name))
                    error.detail += "\n" + base + j.name + " は " + base + aside + " にあります";
            } else if (!RemoveFileAt(dir, aside)) {
                error = RowAccess::Because(base + j.name, errno);
                RenameNoReplace(dir, aside, dir, j.name);
            }
        }
        if (error) {
            // What went already comes back.
            const std::vector<JunkFile> gone(junk.begin(), junk.begin() + static_cast<long>(i));
            error.detail += PutAllJunkBack(dir, gone, contents, folder);
            return error;
        }
    }
    return {};
}

bool PutJunkBack(int dir, const JunkFile& junk, const std::string& contents, std::string& why) {
    ItemInfo there;
    // Still aside (the run died before removing it): it only steps back.
    if (InfoAt(dir, AsideName(junk), there) && Same(there, junk) &&
        !InfoAt(dir, junk.name, there) && RenameNoReplace(dir, AsideName(junk), dir, junk.name))
        return true;
    if (InfoAt(dir, junk.name, there)) {
        if (Same(there, junk))
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

std::string PutAllJunkBack(int dir, const std::vector<JunkFile>& junk,
                           const std::vector<std::string>& contents, const std::string& folder) {
    std::string stays;
    for (size_t i = 0; i < junk.size(); ++i) {
        std::string why;
        if (i >= contents.size() || !PutJunkBack(dir, junk[i], contents[i], why))
            stays += "\n" + AddBackslash(folder) + junk[i].name + ": " +
                     (why.empty() ? "戻せませんでした" : why);
    }
    return stays;
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
