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

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

void Walk(const std::string& root, const std::string& rel,
          std::map<std::string, std::string>& out) {
    for (const std::string& n : Names(root + rel)) {
        const std::string r = rel.empty() ? n : rel + "/" + n;
        struct stat st;
        if (lstat((root + r).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            out[r] = "<dir>";
            Walk(root, r, out);
        } else if (S_ISLNK(st.st_mode)) {
            char buf[4096];
            const ssize_t k = readlink((root + r).c_str(), buf, sizeof buf);
            out[r] = "-> " + std::string(buf, k > 0 ? static_cast<size_t>(k) : 0);
        } else if (S_ISFIFO(st.st_mode)) {
            out[r] = "<fifo>";
        } else {
            out[r] = ReadFileBytes(root + r);
        }
    }
}

}  // namespace

TestDir::TestDir(const std::string& base) {
    std::string tmpl = base + "/corvelle-test-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed in " + base);
    root_ = tmpl + "/";
}

TestDir::~TestDir() {
    RemoveTree(root_.substr(0, root_.size() - 1));
}

void TestDir::File(const std::string& rel, const std::string& content, time_t mtime) {
    MakeParents(Path(rel));
    WriteFileBytes(Path(rel), content.empty() ? rel : content);
    if (mtime) {
        struct timespec ts[2] = {{mtime, 0}, {mtime, 0}};
        utimensat(AT_FDCWD, Path(rel).c_str(), ts, AT_SYMLINK_NOFOLLOW);
    }
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
    Walk(root_ + (sub.empty() ? "" : sub + "/"), "", out);
    return out;
}

void RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0755);
        for (const std::string& n : Names(path)) RemoveTree(path + "/" + n);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
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
