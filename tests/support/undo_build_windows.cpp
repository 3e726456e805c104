// SPDX-License-Identifier: GPL-3.0-or-later
// Trees for the Undo tests on Windows: folders keep their attributes and times.
#include <QStringList>

#include "platform/os/windows/win_base.h"
#include "tests/support/test_dir.h"
#include "tests/support/undo_run.h"

namespace corvelle::test {

std::map<std::string, std::string> Attributes(const TestDir& t) {
    std::map<std::string, std::string> out;
    for (const auto& [rel, content] : t.Snapshot()) {
        WIN32_FILE_ATTRIBUTE_DATA d;
        if (content == "<dir>" &&
            GetFileAttributesExW(win::LongPath(t.Path(rel)).c_str(), GetFileExInfoStandard, &d))
            out[rel] = std::to_string(d.dwFileAttributes) + " " +
                       std::to_string(d.ftLastWriteTime.dwHighDateTime) + "." +
                       std::to_string(d.ftLastWriteTime.dwLowDateTime);
    }
    return out;
}

void Build(TestDir& t, const QStringList& spec) {
    for (const QString& e : spec) {
        const std::string rel = e.mid(2).section('=', 0, 0).toStdString();
        if (e.startsWith("d:"))
            t.Dir(rel);
        if (e.startsWith("f:"))
            t.File(rel, "content of " + rel);
    }
    // "m:" modes have no meaning here and are left out; "a:" sets folder attributes.
    for (const QString& e : spec)
        if (e.startsWith("a:"))
            SetFileAttributesW(
                win::LongPath(t.Path(e.mid(2).section('=', 0, 0).toStdString())).c_str(),
                e.section('=', 1).toUInt() | FILE_ATTRIBUTE_DIRECTORY);
    // Folder times are set last, deepest first, so that nothing touches them afterwards.
    std::vector<std::string> folders;
    for (const auto& [rel, content] : t.Snapshot())
        if (content == "<dir>")
            folders.push_back(rel);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        HANDLE h = CreateFileW(win::LongPath(t.Path(*it)).c_str(), FILE_WRITE_ATTRIBUTES, 7,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        const std::int64_t a = win::FileTimeOf(1500000000LL * 1000000000 + 100);
        const std::int64_t m = win::FileTimeOf(1600000000LL * 1000000000 + 200);
        const FILETIME at{static_cast<DWORD>(a), static_cast<DWORD>(a >> 32)};
        const FILETIME mt{static_cast<DWORD>(m), static_cast<DWORD>(m >> 32)};
        SetFileTime(h, nullptr, &at, &mt);
        CloseHandle(h);
    }
}

const char* CannotBuild(const QStringList& spec) {
    if (spec.filter("o:").size() > 0)
        return "owners are POSIX's here";
    for (const QString& e : spec)
        if (e.contains(QChar::ReplacementCharacter))
            return "names are Unicode on Windows: bytes that are not UTF-8 make none";
    return nullptr;
}

}  // namespace corvelle::test
