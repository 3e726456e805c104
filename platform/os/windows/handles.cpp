// SPDX-License-Identifier: GPL-3.0-or-later
// Folder handles on Windows: NtCreateFile relative to an open folder, one component at a
// time, never through a reparse point (a link, junction or mount point is an entry, as a
// mount is on Linux); identities from FileIdInfo.
#include "platform/os/handles.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/os/windows/win_base.h"
#include "util/paths.h"

namespace corvelle {
namespace {

using namespace win;

// The kind bits ItemInfo::mode carries (the POSIX values, so the two systems read alike).
constexpr std::uint32_t kFolderKind = 0040000;
constexpr std::uint32_t kFileKind = 0100000;
constexpr std::uint32_t kLinkKind = 0120000;
constexpr std::uint32_t kKindMask = 0170000;

constexpr unsigned char kListedFolder = 4;
constexpr unsigned char kListedFile = 8;
constexpr unsigned char kListedLink = 10;

bool UnderWine() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// The creation time tells a reused file number from the item itself, except under Wine,
// where it follows the item's last change (Linux keeps no birth time Wine could use).
bool CreationTimeIsBirth() {
    return !UnderWine();
}

// Wine loses the volume serial of a handle whose folder (or one above it) was renamed while
// it was open, and reports 0. Under Wine the serial each handle had when first asked is kept
// (an item opened from a folder without following reparse points is on the folder's volume).
class WineVolumes {
  public:
    static void Remember(int fd, std::uint64_t volume) {
        const std::lock_guard<std::mutex> lock(Mutex());
        Map()[fd] = volume;
    }
    static std::uint64_t Of(int fd) {
        const std::lock_guard<std::mutex> lock(Mutex());
        const auto it = Map().find(fd);
        return it == Map().end() ? 0 : it->second;
    }
    static void Forget(int fd) {
        const std::lock_guard<std::mutex> lock(Mutex());
        Map().erase(fd);
    }

  private:
    static std::mutex& Mutex() {
        static std::mutex m;
        return m;
    }
    static std::unordered_map<int, std::uint64_t>& Map() {
        static std::unordered_map<int, std::uint64_t> m;
        return m;
    }
};

std::uint32_t KindOf(DWORD attributes, DWORD tag) {
    if (IsLinkLike(attributes, tag))
        return kLinkKind;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolderKind : kFileKind;
}

// What the open item is, from its attributes and reparse tag alone: its identity is not
// asked (under Wine that costs a round trip to the mount manager for every folder walked).
// The reparse seam names items by number, so there the whole record is read.
bool KindOfHandle(int fd, std::uint32_t& kind) {
    if (ReparseHookSet()) {
        ItemInfo info;
        if (!InfoOf(fd, info))
            return false;
        kind = info.mode & kKindMask;
        return true;
    }
    FILE_ATTRIBUTE_TAG_INFO tagInfo;
    if (!GetFileInformationByHandleEx(H(fd), FileAttributeTagInfo, &tagInfo, sizeof tagInfo))
        return Fail();
    kind = KindOf(tagInfo.FileAttributes, tagInfo.ReparseTag);
    return true;
}

// A folder handle that is not a link, junction or mount point: the one way down.
UniqueFd CheckedFolder(int fd) {
    UniqueFd h(fd);
    ItemInfo info;
    if (!h.Valid() || !KindOfHandle(h.Get(), info.mode))
        return UniqueFd();
    if (info.IsLink()) {
        errno = ELOOP;
        return UniqueFd();
    }
    if (!info.IsDir()) {
        errno = ENOTDIR;
        return UniqueFd();
    }
    return h;
}

int OpenFolderHandleAt(int dir, const std::wstring& name) {
    int fd = OpenAt(dir, name, kFolderAccess, FILE_OPEN, FILE_DIRECTORY_FILE);
    // A folder the user may not change attributes of is still one to read.
    if (fd < 0 && errno == EACCES)
        fd = OpenAt(dir, name, kFolderAccess & ~(FILE_WRITE_ATTRIBUTES | READ_CONTROL), FILE_OPEN,
                    FILE_DIRECTORY_FILE);
    return fd;
}

}  // namespace

UniqueFd Duplicate(int fd) {
    HANDLE out = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), H(fd), GetCurrentProcess(), &out, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        Fail();
        return UniqueFd();
    }
    if (UnderWine())
        WineVolumes::Remember(Fd(out), WineVolumes::Of(fd));
    return UniqueFd(Fd(out));
}

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) {
        const int saved = errno;
        const DWORD savedWin = GetLastError();
        CloseHandle(H(fd_));
        if (UnderWine())
            WineVolumes::Forget(fd_);
        errno = saved;
        SetLastError(savedWin);
    }
    fd_ = fd;
}

bool DirEntryRaw::ListedAsFolder() const {
    return type == kListedFolder;
}

bool DirEntryRaw::KindUnlisted() const {
    return false;  // every listing says what an entry is
}

bool ItemInfo::IsDir() const {
    return (mode & kKindMask) == kFolderKind;
}

bool ItemInfo::IsLink() const {
    return (mode & kKindMask) == kLinkKind;
}

bool ItemInfo::IsFile() const {
    return (mode & kKindMask) == kFileKind && !mountRoot;
}

bool InfoOf(int fd, ItemInfo& info) {
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(H(fd), FileBasicInfo, &basic, sizeof basic))
        return Fail();
    info = ItemInfo{};
    FILE_ID_INFO id;
    if (GetFileInformationByHandleEx(H(fd), FileIdInfo, &id, sizeof id)) {
        info.id.volume = id.VolumeSerialNumber;
        std::uint64_t halves[2];
        static_assert(sizeof halves == sizeof id.FileId);
        std::memcpy(halves, &id.FileId, sizeof halves);
        info.id.number = halves[0];
        info.id.numberHigh = halves[1];
    } else {
        BY_HANDLE_FILE_INFORMATION bh;
        if (!GetFileInformationByHandle(H(fd), &bh))
            return Fail();
        info.id.volume = bh.dwVolumeSerialNumber;
        info.id.number = (std::uint64_t{bh.nFileIndexHigh} << 32) | bh.nFileIndexLow;
    }
    if (UnderWine()) {
        if (info.id.volume != 0)
            WineVolumes::Remember(fd, info.id.volume);
        else
            info.id.volume = WineVolumes::Of(fd);
    }
    if (CreationTimeIsBirth())
        info.id.birth = static_cast<std::uint64_t>(UnixNs(basic.CreationTime.QuadPart));
    FILE_ATTRIBUTE_TAG_INFO tagInfo = {};
    if (IsReparse(basic.FileAttributes) &&
        !GetFileInformationByHandleEx(H(fd), FileAttributeTagInfo, &tagInfo, sizeof tagInfo))
        tagInfo.ReparseTag = 0x20000000;  // a tag that cannot be read: taken for a link
    DWORD tag = tagInfo.ReparseTag;
    const DWORD attributes = SeenAttributes(basic.FileAttributes, info.id.number, tag);
    info.mode = KindOf(attributes, tag);
    // A junction or folder link stands where a mount would: never entered.
    info.mountRootKnown = true;
    info.mountRoot = IsLinkLike(attributes, tag) && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    info.meta.mode = attributes & kRestorable;
    info.placeholder = IsPlaceholder(attributes);
    info.meta.atimeNs = UnixNs(basic.LastAccessTime.QuadPart);
    info.meta.mtimeNs = UnixNs(basic.LastWriteTime.QuadPart);
    info.changeNs = UnixNs(basic.ChangeTime.QuadPart);
    FILE_STANDARD_INFO standard;
    if (!info.IsDir() &&
        GetFileInformationByHandleEx(H(fd), FileStandardInfo, &standard, sizeof standard))
        info.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    return true;
}

UniqueFd OpenFileAt(int dir, const std::string& name) {
    UniqueFd fd(OpenAt(dir, Wide(name), GENERIC_READ, FILE_OPEN, FILE_NON_DIRECTORY_FILE));
    ItemInfo info;
    if (fd.Valid() && (!InfoOf(fd.Get(), info) || info.IsLink())) {
        fd.Reset();
        errno = ELOOP;
    }
    return fd;
}

bool InfoAt(int dir, const std::string& name, ItemInfo& info) {
    const UniqueFd fd(OpenAt(dir, Wide(name), FILE_READ_ATTRIBUTES, FILE_OPEN, 0));
    if (!fd.Valid() || !InfoOf(fd.Get(), info))
        return false;
    if (info.id.volume == 0 && UnderWine())
        info.id.volume = WineVolumes::Of(dir);
    return true;
}

bool OtherMount(const ItemInfo& outer, const ItemInfo& inner) {
    return inner.mountRoot || inner.id.volume != outer.id.volume;
}

UniqueFd OpenFolderPath(const std::string& path) {
    int fd = OpenPath(path, kFolderAccess, 0);
    if (fd < 0 && errno == EACCES)
        fd = OpenPath(path, kFolderAccess & ~(FILE_WRITE_ATTRIBUTES | READ_CONTROL), 0);
    UniqueFd h(fd);
    ItemInfo info;
    if (h.Valid() && InfoOf(h.Get(), info) && !info.IsDir() && !info.IsLink()) {
        errno = ENOTDIR;
        return UniqueFd();
    }
    return h;
}

UniqueFd OpenParentOf(const std::string& path, std::string& leaf) {
    std::string parent;
    if (!SplitPath(path, parent, leaf)) {
        errno = EINVAL;
        return UniqueFd();
    }
    return OpenFolderPath(parent);
}

UniqueFd OpenBeneath(int root, const std::string& rel) {
    ItemInfo top;
    if (!InfoOf(root, top))
        return UniqueFd();
    UniqueFd cur = Duplicate(root);
    if (rel.empty())
        return cur;
    if (rel[0] == '\\' || rel[0] == '/' || (rel.size() >= 2 && rel[1] == ':')) {
        errno = EXDEV;
        return UniqueFd();
    }
    size_t pos = 0;
    while (cur.Valid() && pos <= rel.size()) {
        size_t end = rel.find_first_of("\\/", pos);
        if (end == std::string::npos)
            end = rel.size();
        const std::string piece = rel.substr(pos, end - pos);
        pos = end + 1;
        if (piece.empty() || piece == ".")
            continue;
        if (piece == "..") {
            errno = EXDEV;
            return UniqueFd();
        }
        UniqueFd next = OpenFolderAt(cur.Get(), piece);
        ItemInfo info;
        if (!next.Valid() || !InfoOf(next.Get(), info))
            return UniqueFd();
        if (OtherMount(top, info)) {
            errno = EXDEV;
            return UniqueFd();
        }
        cur = std::move(next);
    }
    return cur;
}

UniqueFd OpenFolderAt(int dir, const std::string& name) {
    return CheckedFolder(OpenFolderHandleAt(dir, Wide(name)));
}

bool ReadEntries(int dir, std::vector<DirEntryRaw>& entries, int& err) {
    const bool ok = ListFolder(dir, [&](const Listed& l) {
        const unsigned char type = IsLinkLike(l.attributes, l.tag)             ? kListedLink
                                   : (l.attributes & FILE_ATTRIBUTE_DIRECTORY) ? kListedFolder
                                                                               : kListedFile;
        entries.push_back(DirEntryRaw{l.name, type, l.id, IsHiddenAttribute(l.attributes)});
        return true;
    });
    err = ok ? 0 : errno;
    return ok;
}

bool ReadFreshEntries(int dir, std::vector<DirEntryRaw>& entries, int& err, bool) {
    return ReadEntries(dir, entries, err);
}

// Another volume is reached only through a mount point, a name surrogate that is never
// entered: a folder opened from its parent is on the parent's volume, with nothing to compare
// (under Wine each identity costs a round trip to the mount manager).
FileSystemTraits TraitsOfSystem(int) {
    return {false, true};
}

UniqueFd OpenSubFolder(int dir, const std::string& name) {
    return OpenFolderAt(dir, name);
}

bool FolderWithin(int inner, const FileId& outer) {
    // Up the folder's own final path, comparing identities.
    std::wstring buf(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(H(inner), buf.data(), static_cast<DWORD>(buf.size()),
                                              FILE_NAME_NORMALIZED);
    // Unknown is taken as inside: the copy or move is refused rather than risked.
    if (n == 0 || n >= buf.size())
        return true;
    buf.resize(n);
    std::string path = Narrow(buf);
    for (;;) {
        const UniqueFd fd(OpenPath(path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT));
        ItemInfo info;
        if (fd.Valid() && InfoOf(fd.Get(), info) && info.id.SameNumber(outer))
            return true;
        std::string parent, leaf;
        if (!SplitPath(path, parent, leaf) || parent.size() >= path.size())
            return false;
        path = parent;
    }
}

void RaiseOpenFileLimit() {
    // Windows has no such limit on handles.
}

}  // namespace corvelle
