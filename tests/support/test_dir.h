// SPDX-License-Identifier: GPL-3.0-or-later
// Builds folder trees for tests in a fresh temporary folder, removed at the end.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

namespace corvelle::test {

class TestDir {
  public:
    explicit TestDir(const std::string& base = "/tmp");
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    // The root, ending in the separator.
    const std::string& Root() const { return root_; }
    // rel ("a/b") below the root, with the system's separator.
    std::string Path(const std::string& rel) const;

    // Parents are made as needed. Content defaults to the name; mtime 0 keeps "now".
    void File(const std::string& rel, const std::string& content = {}, time_t mtime = 0);
    void Dir(const std::string& rel);
    // Gives an existing file or folder this modification (and access) time.
    void Touch(const std::string& rel, time_t mtime) const;
    void Link(const std::string& rel, const std::string& target);
    void Fifo(const std::string& rel);

    bool Exists(const std::string& rel) const;
    std::string Read(const std::string& rel) const;
    // Relative path -> content (files), "<dir>" (folders), "-> target" (links), "<fifo>".
    // Below sub (default: the whole tree), hidden entries included, links not followed.
    std::map<std::string, std::string> Snapshot(const std::string& sub = {}) const;

  private:
    std::string root_;
};

// A path as the tests write it: "/" for the system's separator.
std::string Slashed(std::string path);
// The top of the file system: "/", or "C:\" on Windows.
std::string RootFolder();
// A folder on another file system than the temporary folder's, for TestDir's base.
std::string OtherVolume();
// Whether this system's tests can make links (Wine makes none a Windows program sees).
bool CanMakeLinks();
// Whether deleted items go to a freedesktop Trash the tests can look into ($XDG_DATA_HOME);
// on Windows the recycle bin is the shell's.
bool TrashIsFreedesktop();

// True when no entry of the tree bears a name the program generates for itself.
bool NoGeneratedNames(const std::map<std::string, std::string>& snapshot);

// Removes a tree without following links.
void RemoveTree(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace corvelle::test
