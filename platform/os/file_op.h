// SPDX-License-Identifier: GPL-3.0-or-later
// The file operation behind the shell wrappers: copy, move, delete (or trash) and rename
// over byte paths with POSIX calls. It never follows a link, never replaces an item without
// an answer (or the no-confirmation flag), and deletes a source only after its copy is whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/error.h"

namespace corvelle {

// Operation codes.
inline constexpr unsigned FO_MOVE = 1;
inline constexpr unsigned FO_COPY = 2;
inline constexpr unsigned FO_DELETE = 3;
inline constexpr unsigned FO_RENAME = 4;
// Flags.
inline constexpr unsigned FOF_NOCONFIRMATION = 0x10;  // answer yes to every question
inline constexpr unsigned FOF_ALLOWUNDO = 0x40;       // delete to the Trash
inline constexpr unsigned FOF_NOERRORUI = 0x400;      // no error dialog

using OwnerHandle = std::uintptr_t;

struct FileOpRecord {
    OwnerHandle hwnd = 0;
    unsigned wFunc = 0;
    std::string pFrom;  // one path; its last component is acted on itself, never followed
    std::string pTo;    // copy and move: the destination folder; rename: the new path
    unsigned fFlags = 0;
    // The raise: move exactly the listed entries of the folder pFrom, never "whatever it holds
    // now" (and "*" is a name like any other). Entries move by rename only and all or none: a
    // failure puts back those already moved.
    bool listedEntries = false;
    std::vector<std::string> entries{};
    // Open folders for pFrom (listedEntries) and pTo, used instead of resolving the paths again;
    // the paths then only name them in messages. -1: resolve the path.
    int fromDir = -1;
    int toDir = -1;
};

// Result codes: 0 only when everything asked for took place.
inline constexpr int kOpOk = 0;
inline constexpr int kOpSameItem = 0x71;        // source and destination are the same item
inline constexpr int kOpIntoItself = 0x76;      // a folder into itself or its own sub-folder
inline constexpr int kOpBadRequest = 0x7C;      // unknown operation or unusable path
inline constexpr int kOpCancelled = 0x4C7;      // the user cancelled (question or progress)
inline constexpr int kOpNotAll = 0x20000;       // the user answered "No" for some item
inline constexpr int kOpTrashFailed = 0x30000;  // the item could not go to the Trash; it stays
inline constexpr int kOpNotPutBack = 0x40000;   // a failed move of every entry left some moved
inline constexpr int kOpSystemBase = 0x10000;   // + errno of the first failure

// The window side of an operation: questions, errors and progress. Tests script it; the
// command-line tool answers "No" and writes errors to standard error.
class FileOpUi {
  public:
    enum class Answer { Yes, YesToAll, No, Cancel };
    virtual ~FileOpUi() = default;
    // target exists: replace it (merge, when both are folders)?
    virtual Answer AskReplace(const std::string& target, bool merge) = 0;
    // One item failed: the error names it, the operation and the cause.
    virtual void ShowError(const Error& error) = 0;
    // The destination folder of a copy or move is missing: make it?
    virtual bool AskCreateFolder(const std::string& folder) { return !folder.empty(); }
    // The item is a cloud file that is only a name until read: copying it downloads it. Go on?
    virtual Answer AskDownload(const std::string&) { return Answer::No; }
    // The item has no Trash (the error says why): delete it for good? Default: no.
    virtual bool AskDeletePermanently(const Error&) { return false; }
    // Called often while working; false when the user pressed Cancel. Bytes copied so far of
    // the total (total -1 while nothing is being copied).
    virtual bool Progress(const std::string& item, long long done, long long total) = 0;
    virtual void Finished() {}
};

class NoWindowFileOpUi : public FileOpUi {
  public:
    Answer AskReplace(const std::string&, bool) override { return Answer::No; }
    void ShowError(const Error& error) override;
    bool Progress(const std::string&, long long, long long) override { return true; }
};

FileOpUi& CurrentFileOpUi();
void SetFileOpUi(FileOpUi* ui);  // nullptr: back to the window-less one

// Carries the record out with the current window services. The error's number is the
// shell's result code (kOp… above, 0 when everything took place): the wrappers return it.
Error FileOperation(const FileOpRecord& rec);

// Test seam: makes reading a source file fail with an errno value (0: no failure).
void SetReadFailureHook(int (*hook)(const std::string& sourcePath));

}  // namespace corvelle
