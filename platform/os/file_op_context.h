// SPDX-License-Identifier: GPL-3.0-or-later
// What one running file operation keeps: answers given, the first failure, cancellation.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/file_op.h"
#include "platform/os/handles.h"
#include "util/error.h"

namespace corvelle::fileop {

class Context {
  public:
    Context(const FileOpRecord& rec, FileOpUi& ui) : rec_(rec), ui_(ui) {}
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // true to go ahead with replacing (or merging into) target.
    bool Confirm(const std::string& target, bool merge);
    // true to go ahead with copying a cloud file that only its reading downloads.
    bool ConfirmDownload(const std::string& item);
    void Fail(const std::string& item, int err);
    void FailWith(const std::string& item, const std::string& reason, int code);
    void Fail(Error error);
    // false once the user has cancelled.
    bool Tick(const std::string& item, long long copied = 0);
    // The bytes a copy will write, for the progress display (-1: not known).
    void SetTotal(long long bytes) { total_ = bytes; }
    bool TotalKnown() const { return total_ >= 0; }
    // "コピー", "移動", … : what messages say failed.
    const char* OpName() const;
    bool Cancelled() const { return cancelled_; }
    void Cancel() { cancelled_ = true; }
    // The operation's outcome: its first failure, or a cancel or a skip; none when all of
    // it took place.
    Error Outcome() const;
    unsigned Flags() const { return rec_.fFlags; }
    // Hard links within one copied tree: the copy made of a source inode, to link again.
    int CopyOf(std::uint64_t volume, std::uint64_t number) const;
    void RememberCopy(std::uint64_t volume, std::uint64_t number, UniqueFd fd);

  private:
    const FileOpRecord& rec_;
    FileOpUi& ui_;
    // An answer taken: true to go ahead; "to all" remembered in toAll.
    bool Take(FileOpUi::Answer answer, bool& toAll);
    bool yesToAll_ = false;
    bool downloadAll_ = false;
    bool cancelled_ = false;
    bool skipped_ = false;
    Error first_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, UniqueFd> copies_;
    long long total_ = -1;
    long long done_ = 0;
};

// The bytes of the regular files of dir's entry `name` and below (links not followed).
long long TreeBytes(int dir, const std::string& name);

// Copies or moves one entry of srcDir into dstDir under dstName; false when it did not
// fully take place (the source then still exists).
bool TransferEntry(Context& ctx, int srcDir, const std::string& srcPath, const std::string& name,
                   int dstDir, const std::string& dstPath, const std::string& dstName, bool move);
// Deletes an entry for good, never following links or crossing into another file system.
bool DeleteEntry(Context& ctx, int parentDir, const std::string& path, const std::string& name);

int ReadFailureFor(const std::string& sourcePath);

}  // namespace corvelle::fileop
