// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/windows/win_base.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "util/paths.h"
#include "util/utf8.h"

namespace corvelle::win {

std::wstring Wide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = 0xFFFD;
        size_t len = 1;
        auto cont = [&](size_t k) {
            return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        };
        auto bits = [&](size_t k) { return static_cast<unsigned char>(s[i + k]) & 0x3Fu; };
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c < 0xE0 && cont(1)) {
            cp = ((c & 0x1Fu) << 6) | bits(1), len = 2;
        } else if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
            cp = ((c & 0x0Fu) << 12) | (bits(1) << 6) | bits(2), len = 3;
            if (cp < 0x800)
                cp = 0xFFFD;  // overlong; a surrogate stays (WTF-8)
        } else if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
            cp = ((c & 0x07u) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3), len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF)
                cp = 0xFFFD;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
    }
    return out;
}

std::string Narrow(std::wstring_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint16_t>(w[i]);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < w.size()) {
            const std::uint32_t lo = static_cast<std::uint16_t>(w[i + 1]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        // A lone surrogate is written as its three bytes (WTF-8), as any other code point.
        AppendUtf8(out, static_cast<char32_t>(cp));
    }
    return out;
}

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_LOCK_VIOLATION:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return EEXIST;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_CANT_RESOLVE_FILENAME:
            return ELOOP;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_LOCK_FAILED:
            return EWOULDBLOCK;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return ENOSYS;
        case ERROR_BUSY:
        case ERROR_SHARING_VIOLATION:  // another program has it open
        case ERROR_DELETE_PENDING:
            return EBUSY;
        default:
            return EIO;
    }
}

bool Fail(DWORD error) {
    errno = ErrnoOf(error);
    return false;
}

bool FailStatus(NTSTATUS status) {
    // A folder that is really a file: the Windows code for it is a generic one.
    if (status == static_cast<NTSTATUS>(0xC0000103L))  // STATUS_NOT_A_DIRECTORY
        errno = ENOTDIR;
    else if (status == static_cast<NTSTATUS>(0xC00000BAL))  // STATUS_FILE_IS_A_DIRECTORY
        errno = EISDIR;
    else
        errno = ErrnoOf(RtlNtStatusToDosError(status));
    return false;
}

int OpenAt(int dir, std::wstring_view name, ACCESS_MASK access, ULONG disposition, ULONG options,
           ULONG attributes, ULONG share) {
    // One component; "name:stream" reaches a file's named stream.
    if (name.empty() || name == L"." || name == L".." ||
        name.find_first_of(L"\\/") != std::wstring_view::npos) {
        errno = name.empty() ? ENOENT : EINVAL;
        return -1;
    }
    UNICODE_STRING us;
    us.Buffer = const_cast<wchar_t*>(name.data());
    us.Length = us.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES oa;
    InitializeObjectAttributes(&oa, &us, OBJ_CASE_INSENSITIVE, H(dir), nullptr);
    IO_STATUS_BLOCK io;
    HANDLE h = nullptr;
    const NTSTATUS st = NtCreateFile(
        &h, access | SYNCHRONIZE, &oa, &io, nullptr, attributes, share, disposition,
        options | kOpenReparsePoint | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT,
        nullptr, 0);
    if (st < 0) {
        FailStatus(st);
        return -1;
    }
    return Fd(h);
}

std::wstring LongPath(const std::string& path) {
    std::wstring w = Wide(path);
    for (wchar_t& c : w)
        if (c == L'/')
            c = L'\\';
    if (w.size() >= 2 && w[1] == L':' && (w.size() == 2 || w[2] == L'\\'))
        return L"\\\\?\\" + (w.size() == 2 ? w + L"\\" : w);
    if (w.rfind(L"\\\\", 0) == 0 && w.rfind(L"\\\\?\\", 0) != 0)
        return L"\\\\?\\UNC\\" + w.substr(2);
    return w;  // relative or already long: as given
}

int OpenPath(const std::string& path, ACCESS_MASK access, DWORD flags) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    HANDLE h = CreateFileW(LongPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                           flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Fail();
        return -1;
    }
    return Fd(h);
}

bool SplitPath(const std::string& raw, std::string& parent, std::string& leaf) {
    std::string path = raw;
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    const size_t cut = path.find_last_of("\\/");
    leaf = cut == std::string::npos ? path : path.substr(cut + 1);
    if (cut == std::string::npos) {
        // "C:" is a drive, "name" lies in the current folder.
        parent = leaf.size() == 2 && leaf[1] == ':' ? std::string() : std::string(".");
        return !parent.empty();
    }
    parent = path.substr(0, cut + 1);
    // "C:\x" has the parent "C:\"; "\\server\share" has none.
    if (parent.size() >= 2 && parent[0] == '\\' && parent[1] == '\\' &&
        parent.find_first_of("\\/", 2) == cut)
        return false;
    return !leaf.empty() && leaf != "." && leaf != ".." && !(leaf.size() == 2 && leaf[1] == ':');
}

std::int64_t UnixNs(std::int64_t fileTime) {
    return fileTime == 0 ? 0 : (fileTime - 116444736000000000LL) * 100;
}

std::int64_t FileTimeOf(std::int64_t unixNs) {
    return unixNs / 100 + 116444736000000000LL;
}

bool ListFolder(int dir, const std::function<bool(const Listed&)>& each) {
    alignas(8) static thread_local char buf[64 * 1024];
    FILE_INFO_BY_HANDLE_CLASS cls = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(H(dir), cls, buf, sizeof buf)) {
            const DWORD err = GetLastError();
            if (err == ERROR_NO_MORE_FILES)
                return true;
            return Fail(err);
        }
        cls = FileIdBothDirectoryInfo;
        for (size_t off = 0;;) {
            const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buf + off);
            const std::wstring_view name(e->FileName, e->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                Listed l;
                l.name = Narrow(name);
                l.id = static_cast<std::uint64_t>(e->FileId.QuadPart);
                // For a reparse point the listing's EA size field holds its tag.
                l.tag = IsReparse(e->FileAttributes) ? e->EaSize : 0;
                l.attributes = SeenAttributes(e->FileAttributes, l.id, l.tag);
                l.bytes = e->EndOfFile.QuadPart;
                l.mtimeNs = UnixNs(e->LastWriteTime.QuadPart);
                if (!each(l))
                    return true;
            }
            if (e->NextEntryOffset == 0)
                break;
            off += e->NextEntryOffset;
        }
    }
}

bool RenameAt(int fromDir, const std::string& from, int toDir, const std::string& to,
              bool replace) {
    const int fd =
        OpenAt(fromDir, Wide(from), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_OPEN, 0);
    if (fd < 0)
        return false;
    const std::wstring target = Wide(to);
    if (target.empty() || target == L"." || target == L".." ||
        target.find_first_of(L"\\/") != std::wstring::npos) {
        CloseHandle(H(fd));
        errno = EINVAL;
        return false;
    }
    std::vector<unsigned char> buf(sizeof(FILE_RENAME_INFORMATION) +
                                   target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buf.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = H(toDir);
    info->FileNameLength = static_cast<ULONG>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.data(), info->FileNameLength);
    IO_STATUS_BLOCK io;
    const NTSTATUS st = NtSetInformationFile(H(fd), &io, info, static_cast<ULONG>(buf.size()),
                                             FileRenameInformation);
    CloseHandle(H(fd));
    return st >= 0 || FailStatus(st);
}

namespace {

std::function<SeenAs(std::uint64_t)>& ReparseHook() {
    static std::function<SeenAs(std::uint64_t)> hook;
    return hook;
}

}  // namespace

void SetReparseHook(std::function<SeenAs(std::uint64_t)> hook) {
    ReparseHook() = std::move(hook);
}

bool ReparseHookSet() {
    return static_cast<bool>(ReparseHook());
}

DWORD SeenAttributes(DWORD attributes, std::uint64_t number, DWORD& tag) {
    if (ReparseHook()) {
        const SeenAs seen = ReparseHook()(number);
        attributes |= seen.attributes;
        if (seen.tag) {
            attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
            tag = seen.tag;
        }
    }
    return attributes;
}

bool DeletedAtOnce(int fd) {
    struct {
        ULONG flags;
    } ex = {0x1 | 0x2 | 0x10};  // DELETE | POSIX_SEMANTICS | IGNORE_READONLY_ATTRIBUTE
    IO_STATUS_BLOCK io;
    const NTSTATUS st =
        NtSetInformationFile(H(fd), &io, &ex, sizeof ex, static_cast<FILE_INFORMATION_CLASS>(64));
    if (st >= 0)
        return true;
    // Refused as unknown (older systems, FAT, Wine): the caller falls back.
    if (st == static_cast<NTSTATUS>(0xC000000DL) || st == static_cast<NTSTATUS>(0xC00000BBL) ||
        st == static_cast<NTSTATUS>(0xC0000003L)) {
        errno = ENOSYS;
        return false;
    }
    return FailStatus(st);
}

bool DeleteByHandle(int fd) {
    // POSIX semantics where the system has them (the name goes at once), a read-only item
    // included as on Linux; else the classic class, the read-only attribute taken off first.
    if (DeletedAtOnce(fd))
        return true;
    FILE_DISPOSITION_INFO classic = {TRUE};
    if (SetFileInformationByHandle(H(fd), FileDispositionInfo, &classic, sizeof classic))
        return true;
    const DWORD err = GetLastError();
    FILE_BASIC_INFO basic;
    if (err != ERROR_ACCESS_DENIED ||
        !GetFileInformationByHandleEx(H(fd), FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return Fail(err);
    FILE_BASIC_INFO writable = {};
    const DWORD rest = basic.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    writable.FileAttributes = rest ? rest : FILE_ATTRIBUTE_NORMAL;  // 0 would mean "unchanged"
    if (!SetFileInformationByHandle(H(fd), FileBasicInfo, &writable, sizeof writable))
        return Fail(err);
    if (SetFileInformationByHandle(H(fd), FileDispositionInfo, &classic, sizeof classic))
        return true;
    const DWORD again = GetLastError();
    FILE_BASIC_INFO back = {};
    back.FileAttributes = basic.FileAttributes;
    SetFileInformationByHandle(H(fd), FileBasicInfo, &back, sizeof back);
    return Fail(again);
}

}  // namespace corvelle::win

#include <aclapi.h>
#include <sddl.h>

namespace corvelle::win {
namespace {

// The SID of the user running the program.
const std::vector<unsigned char>& UserSid() {
    static const std::vector<unsigned char> sid = [] {
        std::vector<unsigned char> out;
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return out;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<unsigned char> buf(size);
        if (size && GetTokenInformation(token, TokenUser, buf.data(), size, &size)) {
            const auto* user = reinterpret_cast<const TOKEN_USER*>(buf.data());
            const DWORD len = GetLengthSid(user->User.Sid);
            const auto* bytes = static_cast<const unsigned char*>(user->User.Sid);
            out.assign(bytes, bytes + len);
        }
        CloseHandle(token);
        return out;
    }();
    return sid;
}

bool IsUser(PSID sid) {
    const auto& me = UserSid();
    return !me.empty() && EqualSid(sid, const_cast<unsigned char*>(me.data()));
}

// SYSTEM and the Administrators may change anything anyway.
bool IsSystemOrAdmins(PSID sid) {
    return IsWellKnownSid(sid, WinLocalSystemSid) ||
           IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           IsWellKnownSid(sid, WinCreatorOwnerSid) || IsWellKnownSid(sid, WinCreatorOwnerRightsSid);
}

constexpr ACCESS_MASK kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                  FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER |
                                  GENERIC_WRITE | GENERIC_ALL;

}  // namespace

bool UserAlone(int fd) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(H(fd), SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return false;
    bool alone = owner && IsUser(owner) && dacl;  // no DACL: everyone may do anything
    for (DWORD i = 0; alone && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace))
            break;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & kChanging) && !IsUser(sid) && !IsSystemOrAdmins(sid))
            alone = false;
    }
    LocalFree(sd);
    return alone;
}

}  // namespace corvelle::win
