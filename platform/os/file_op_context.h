// What one running file operation keeps: answers given, the first failure, cancellation.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/os/file_op.h"

namespace corvelle::fileop {

class Context {
  public:
    Context(const FileOpRecord& rec, FileOpUi& ui) : rec_(rec), ui_(ui) {}

    // true to go ahead with replacing (or merging into) target.
    bool Confirm(const std::string& target, bool merge);
    void Fail(const std::string& item, int err);
    void FailWith(const std::string& item, const std::string& reason, int code);
    // false once the user has cancelled.
    bool Tick(const std::string& item);
    bool Cancelled() const { return cancelled_; }
    int Result() const;
    unsigned Flags() const { return rec_.fFlags; }

  private:
    const FileOpRecord& rec_;
    FileOpUi& ui_;
    bool yesToAll_ = false;
    bool cancelled_ = false;
    bool skipped_ = false;
    int firstError_ = 0;
};

// Identity of an item.
inline bool SameItem(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Copies or moves one entry of srcDir into dstDir under dstName; false when it did not
// fully take place (the source then still exists).
bool TransferEntry(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                   int dstDir, const std::string& dstPath, const std::string& dstName, bool move);
// Deletes an entry for good, never following links or crossing into another file system.
bool DeleteEntry(Context& ctx, int parentDir, const std::string& path, const std::string& name);

int ReadFailureFor(const std::string& sourcePath);

// Every entry of a folder handle, hidden ones included; false (err set) when it cannot be read.
bool ListEntries(int dir, std::vector<std::string>& names, int& err);

}  // namespace corvelle::fileop
