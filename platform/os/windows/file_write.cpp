// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/file_write.h"

#include <cerrno>

#include "platform/os/handles.h"
#include "platform/os/windows/win_base.h"

namespace corvelle {

using namespace win;

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        DWORD n = 0;
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!WriteFile(H(fd), data, want, &n, nullptr))
            return Fail();
        data += n, size -= n;
    }
    return true;
}

Error ReadWholeFile(const std::string& path, std::string& data) {
    const UniqueFd fd(OpenPath(path, GENERIC_READ, 0));
    if (!fd.Valid())
        return errno == ENOENT ? MakeError(kErrFileNotFound) : SystemError(errno, path);
    BY_HANDLE_FILE_INFORMATION bh;
    if (GetFileInformationByHandle(H(fd.Get()), &bh) &&
        (bh.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return SystemError(EISDIR, path);
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(H(fd.Get()), buf, sizeof buf, &n, nullptr)) {
            Fail();
            return SystemError(errno, path);
        }
        if (n == 0)
            break;
        data.append(buf, n);
    }
    return {};
}

bool WriteFileReplacing(const std::string& path, const std::string& data) {
    std::string parent, leaf;
    if (!SplitPath(path, parent, leaf)) {
        errno = EINVAL;
        return false;
    }
    // A name of our own, made only when new: a file of the user's is never truncated.
    static unsigned counter = 0;
    std::string tmp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int tries = 0; h == INVALID_HANDLE_VALUE && tries < 100; ++tries) {
        tmp = parent + "." + leaf + "." + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++counter) + ".tmp";
        h = CreateFileW(LongPath(tmp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        // A folder that allows no new file but a writable target: write the target itself.
        if (err == ERROR_ACCESS_DENIED) {
            const UniqueFd in(OpenPath(path, GENERIC_WRITE, FILE_FLAG_OPEN_REPARSE_POINT));
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(data.size());
            return in.Valid() && WriteAll(in.Get(), data.data(), data.size()) &&
                   SetFilePointerEx(H(in.Get()), end, nullptr, FILE_BEGIN) &&
                   SetEndOfFile(H(in.Get())) && FlushFileBuffers(H(in.Get()));
        }
        return Fail(err);
    }
    bool ok = WriteAll(Fd(h), data.data(), data.size()) && (FlushFileBuffers(h) || Fail());
    CloseHandle(h);
    ok = ok && (MoveFileExW(LongPath(tmp).c_str(), LongPath(path).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
                Fail());
    if (!ok) {
        const int err = errno;
        DeleteFileW(LongPath(tmp).c_str());
        errno = err;
    }
    return ok;
}

}  // namespace corvelle
