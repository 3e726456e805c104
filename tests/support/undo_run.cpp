// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/undo_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "tests/support/test_dir.h"

namespace corvelle::test {

std::map<std::string, std::string> Attributes(const TestDir& t) {
    std::map<std::string, std::string> out;
    for (const auto& [rel, content] : t.Snapshot()) {
        struct stat st;
        if (content == "<dir>" && lstat(t.Path(rel).c_str(), &st) == 0)
            out[rel] = std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + ":" +
                       std::to_string(st.st_gid) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                       std::to_string(st.st_mtim.tv_nsec);
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
        if (e.startsWith("m:"))
            chmod(t.Path(rel).c_str(), e.section('=', 1).toUInt(nullptr, 8));
        if (e.startsWith("o:"))
            (void)!lchown(t.Path(rel).c_str(), e.section('=', 1).toUInt(), e.section('=', 1).toUInt());
    }
    // Folder times are set last, deepest first, so that nothing touches them afterwards.
    std::vector<std::string> folders;
    for (const auto& [rel, content] : t.Snapshot())
        if (content == "<dir>")
            folders.push_back(rel);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const struct timespec ts[2] = {{1500000000, 111}, {1600000000, 222}};
        utimensat(AT_FDCWD, t.Path(*it).c_str(), ts, AT_SYMLINK_NOFOLLOW);
    }
}

const char* CannotBuild(const QStringList& spec) {
    if (spec.filter("a:").size() > 0)
        return "file attributes are Windows'";
    if (geteuid() != 0 && spec.filter("o:").size() > 0)
        return "giving folders to another user needs root (CI runs as root)";
    return nullptr;
}

}  // namespace corvelle::test
