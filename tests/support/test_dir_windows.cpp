// SPDX-License-Identifier: GPL-3.0-or-later
// Test trees on Windows: in the temporary folder, with the wide calls (names of any
// character), "/" in relative paths standing for the separator.
#include <stdexcept>
#include <vector>

#include "platform/os/windows/win_base.h"
#include "tests/support/test_dir.h"

namespace corvelle::test {
namespace {

using win::LongPath;
using win::Narrow;

std::string Native(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void MakeParents(const std::string& path) {
    for (size_t p = path.find('\\', 3); p != std::string::npos; p = path.find('\\', p + 1))
        CreateDirectoryW(LongPath(path.substr(0, p)).c_str(), nullptr);
}

std::vector<std::pair<std::string, DWORD>> NamesIn(const std::string& folder) {
    std::vector<std::pair<std::string, DWORD>> out;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileExW(LongPath(folder + "\\*").c_str(), FindExInfoBasic, &d,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do {
        const std::wstring n = d.cFileName;
        if (n != L"." && n != L"..")
            out.emplace_back(Narrow(n), d.dwFileAttributes);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return out;
}

void Walk(const std::string& folder, const std::string& rel,
          std::map<std::string, std::string>& out) {
    for (const auto& [n, attributes] : NamesIn(folder)) {
        const std::string r = rel.empty() ? n : rel + "/" + n;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            out[r] = "-> ?";
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[r] = "<dir>";
            Walk(folder + "\\" + n, r, out);
        } else {
            out[r] = ReadFileBytes(folder + "\\" + n);
        }
    }
}

}  // namespace

TestDir::TestDir(const std::string& base) {
    std::string folder = base;
    if (folder == "/tmp") {
        wchar_t tmp[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, tmp);
        folder = Narrow(std::wstring(tmp, n));
    }
    folder = Native(folder);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    for (unsigned i = GetTickCount() ^ GetCurrentProcessId();; ++i) {
        const std::string candidate = folder + "\\corvelle-test-" + std::to_string(i % 1000000);
        if (CreateDirectoryW(LongPath(candidate).c_str(), nullptr)) {
            root_ = candidate + "\\";
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot make a test folder in " + folder);
    }
}

std::string TestDir::Path(const std::string& rel) const {
    return Native(root_ + rel);
}

TestDir::~TestDir() {
    RemoveTree(root_.substr(0, root_.size() - 1));
}

void TestDir::File(const std::string& rel, const std::string& content, time_t mtime) {
    const std::string path = Native(Path(rel));
    MakeParents(path);
    WriteFileBytes(path, content.empty() ? rel : content);
    if (mtime)
        Touch(rel, mtime);
}

void TestDir::Touch(const std::string& rel, time_t mtime) const {
    // Backup semantics: a folder opens too.
    HANDLE h = CreateFileW(LongPath(Native(Path(rel))).c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const std::int64_t ft = win::FileTimeOf(static_cast<std::int64_t>(mtime) * 1000000000);
    FILETIME t{static_cast<DWORD>(ft), static_cast<DWORD>(ft >> 32)};
    SetFileTime(h, nullptr, &t, &t);
    CloseHandle(h);
}

void TestDir::Dir(const std::string& rel) {
    MakeParents(Native(Path(rel)) + "\\");
}

void TestDir::Link(const std::string&, const std::string&) {
    // Wine makes no links or junctions a Windows program could see as such.
    throw std::runtime_error("links are not made on Windows");
}

void TestDir::Fifo(const std::string&) {
    throw std::runtime_error("Windows has no FIFOs");
}

bool TestDir::Exists(const std::string& rel) const {
    return GetFileAttributesW(LongPath(Native(Path(rel))).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestDir::Read(const std::string& rel) const {
    return ReadFileBytes(Native(Path(rel)));
}

std::map<std::string, std::string> TestDir::Snapshot(const std::string& sub) const {
    std::map<std::string, std::string> out;
    std::string top = Native(root_ + sub);
    while (!top.empty() && top.back() == '\\') top.pop_back();
    Walk(top, "", out);
    return out;
}

std::string Slashed(std::string path) {
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string RootFolder() {
    return "C:\\";
}

std::string OtherVolume() {
    // Under Wine the Linux root is drive Z:, and /dev/shm is a file system of its own;
    // the temporary folder lies in the Wine prefix, on C:.
    return "Z:\\dev\\shm";
}

bool CanMakeLinks() {
    return false;
}

bool TrashIsFreedesktop() {
    return false;
}

bool NoGeneratedNames(const std::map<std::string, std::string>& snapshot) {
    for (const auto& [rel, content] : snapshot)
        if (rel.find("corvelle-") != std::string::npos)
            return false;
    return true;
}

void RemoveTree(const std::string& raw) {
    const std::string path = Native(raw);
    const DWORD a = GetFileAttributesW(LongPath(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(LongPath(path).c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        for (const auto& entry : NamesIn(path)) RemoveTree(path + "\\" + entry.first);
        RemoveDirectoryW(LongPath(path).c_str());
    } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(LongPath(path).c_str());
    } else {
        DeleteFileW(LongPath(path).c_str());
    }
}

std::string ReadFileBytes(const std::string& path) {
    std::string out;
    HANDLE h = CreateFileW(LongPath(Native(path)).c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(h);
    return out;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(LongPath(Native(path)).c_str(), GENERIC_WRITE, 7, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
}

}  // namespace corvelle::test
