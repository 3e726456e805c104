// SPDX-License-Identifier: GPL-3.0-or-later
// How run journals (in JournalFolder()) are written so that a crash cannot lose them, and
// which ones are trusted: only the user's own, in the user's own folder.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/os/file_locations.h"
#include "platform/os/handles.h"
#include "tidy/journal.h"

namespace corvelle {

// A journal is refused when larger than this, and so is a line longer than kMaxJournalLine.
inline constexpr long long kMaxJournalBytes = 2LL << 30;
inline constexpr size_t kMaxJournalLine = size_t{1} << 20;

// One journal file being written. Records are appended without a sync each; Sync makes
// everything so far durable. While the object lives the journal is locked: no Undo of it
// can run elsewhere, and listings show it as in use.
class JournalFile {
  public:
    // A new journal holding the plan, durable (file and folder) before this returns.
    Error Create(const RunJournal& plan);
    // An existing journal, to undo: checked as the user's own, locked, and read.
    Error Open(const std::string& path, RunJournal& j);
    // Buffered: progress marks need no sync each (recovery finds entries by identity).
    void Append(const std::string& record);
    bool Sync();
    ~JournalFile() { Flush(); }
    const std::string& Path() const { return path_; }

  private:
    bool Flush();

    std::string pending_;
    UniqueFd fd_;
    UniqueFd dir_;
    std::string path_;
};

// The file beside an earlier version's journal that keeps the contents of the junk files its
// run removed.
std::string KeptPathOf(const std::string& journalPath);
// A junk file's contents from there, checked against the journal's record of them.
class KeptContents {
  public:
    explicit KeptContents(std::string journalPath) : journal_(std::move(journalPath)) {}
    Error Read(const JunkFile& junk, std::string& contents);

  private:
    std::string journal_;
    UniqueFd fd_;
};

// Reads a journal that is the user's own (see OpenTrustedJournal).
Error LoadJournal(const std::string& path, RunJournal& j);

// Opens a journal for reading (or appending) only when it is a regular file owned by the
// user, writable by nobody else, and not larger than kMaxJournalBytes; a link, a FIFO or a
// device is never opened for real. The error says why a journal is refused.
Error OpenTrustedJournal(const std::string& path, bool append, UniqueFd& fd);

struct JournalListing {
    std::string path;
    RunJournal journal;  // its start folder and date; the rows only when read whole
    Error error;         // why it could not be read or is not trusted
    long rows = -1;      // -1 when not read whole
    bool undoBegun = false;
    bool inUse = false;  // a run or an Undo of it is going on now
    // The run never reached its end: it waits to be put back or forgotten.
    bool Interrupted() const { return !error && !inUse && !journal.finished && !journal.undone; }
    // A finished run that an Undo could not put back whole.
    bool UndoIncomplete() const {
        return !error && journal.finished && undoBegun && !journal.undone;
    }
};
// Every journal in the folder, newest first. Without `whole` only a journal's first lines and
// its last lines are read: enough to tell finished, interrupted and undone runs apart.
std::vector<JournalListing> ListJournals(bool whole = false);
// Removes finished runs older than 30 days or beyond the newest 50; never an interrupted one.
void PruneJournals();
// Drops a journal that is the user's own (the user keeps the tree as it is).
Error ForgetJournal(const std::string& path);

}  // namespace corvelle
