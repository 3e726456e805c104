// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/test_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace corvelle::test {
namespace {

void MakeParents(const std::string& path) {
    for (size_t p = path.find('/', 1); p != std::string::npos; p = path.find('/', p + 1))
        mkdir(path.substr(0, p).c_str(), 0755);
}

std::vector<std::string> NamesAt(int fd) {
    std::vector<std::string> names;
    const int dup = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* d = dup >= 0 ? fdopendir(dup) : nullptr) {
        while (const dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    } else if (dup >= 0) {
        close(dup);
    }
    return names;
}

std::string ReadAt(int dir, const std::string& name) {
    std::string out;
    const int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return out;
    char buf[65536];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    close(fd);
    return out;
}

// Through folder handles, so trees deeper than PATH_MAX are seen whole.
void Walk(int dir, const std::string& rel, std::map<std::string, std::string>& out) {
    for (const std::string& n : NamesAt(dir)) {
        const std::string r = rel.empty() ? n : rel + "/" + n;
        struct stat st;
        if (fstatat(dir, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            out[r] = "<dir>";
            const int sub = openat(dir, n.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                Walk(sub, r, out);
                close(sub);
            }
        } else if (S_ISLNK(st.st_mode)) {
            char buf[4096];
            const ssize_t k = readlinkat(dir, n.c_str(), buf, sizeof buf);
            out[r] = "-> " + std::string(buf, k > 0 ? static_cast<size_t>(k) : 0);
        } else if (S_ISFIFO(st.st_mode)) {
            out[r] = "<fifo>";
        } else {
            out[r] = ReadAt(dir, n);
        }
    }
}

void RemoveAt(int dir, const std::string& name) {
    struct stat st;
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        unlinkat(dir, name.c_str(), 0);
        return;
    }
    (void)!fchmodat(dir, name.c_str(), 0755, 0);
    const int sub = openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0) {
        for (const std::string& n : NamesAt(sub)) RemoveAt(sub, n);
        close(sub);
    }
    unlinkat(dir, name.c_str(), AT_REMOVEDIR);
}

}  // namespace

TestDir::TestDir(const std::string& base) {
    std::string tmpl = base + "/corvelle-test-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed in " + base);
    root_ = tmpl + "/";
}

std::string TestDir::Path(const std::string& rel) const {
    return root_ + rel;
}

TestDir::~TestDir() {
    RemoveTree(root_.substr(0, root_.size() - 1));
}

void TestDir::File(const std::string& rel, const std::string& content, time_t mtime) {
    MakeParents(Path(rel));
    WriteFileBytes(Path(rel), content.empty() ? rel : content);
    if (mtime)
        Touch(rel, mtime);
}

void TestDir::Touch(const std::string& rel, time_t mtime) const {
    struct timespec ts[2] = {{mtime, 0}, {mtime, 0}};
    utimensat(AT_FDCWD, Path(rel).c_str(), ts, AT_SYMLINK_NOFOLLOW);
}

void TestDir::Dir(const std::string& rel) {
    MakeParents(Path(rel) + "/");
}

void TestDir::Link(const std::string& rel, const std::string& target) {
    MakeParents(Path(rel));
    if (symlink(target.c_str(), Path(rel).c_str()) != 0)
        throw std::runtime_error("symlink");
}

void TestDir::Fifo(const std::string& rel) {
    MakeParents(Path(rel));
    if (mkfifo(Path(rel).c_str(), 0644) != 0)
        throw std::runtime_error("mkfifo");
}

bool TestDir::Exists(const std::string& rel) const {
    struct stat st;
    return lstat(Path(rel).c_str(), &st) == 0;
}

std::string TestDir::Read(const std::string& rel) const {
    return ReadFileBytes(Path(rel));
}

std::map<std::string, std::string> TestDir::Snapshot(const std::string& sub) const {
    std::map<std::string, std::string> out;
    const std::string top = root_ + sub;
    const int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        Walk(fd, "", out);
        close(fd);
    }
    return out;
}

std::string Slashed(std::string path) {
    return path;
}

std::string RootFolder() {
    return "/";
}

std::string OtherVolume() {
    return "/dev/shm";
}

bool CanMakeLinks() {
    return true;
}

bool TrashIsFreedesktop() {
    return true;
}

bool NoGeneratedNames(const std::map<std::string, std::string>& snapshot) {
    for (const auto& [rel, content] : snapshot)
        if (rel.find("corvelle-") != std::string::npos)
            return false;
    return true;
}

void RemoveTree(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    const std::string parent = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : p.substr(0, slash);
    const int fd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    RemoveAt(fd, p.substr(slash + 1));
    close(fd);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace corvelle::test
