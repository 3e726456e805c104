// SPDX-License-Identifier: GPL-3.0-or-later
// Where run journals live ($XDG_STATE_HOME/corvelle/journal, by default
// ~/.local/state/corvelle/journal) and how they are written so that a crash cannot lose them.
#pragma once

#include <string>
#include <vector>

#include "platform/os/handles.h"
#include "tidy/journal.h"

namespace corvelle {

std::string JournalFolder();

// One journal file being written. Records are appended without a sync each; Sync makes
// everything so far durable.
class JournalFile {
  public:
    // A new journal holding the plan, durable (file and folder) before this returns.
    Error Create(const RunJournal& plan);
    // An existing journal, to append to.
    Error Open(const std::string& path);
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

Error LoadJournal(const std::string& path, RunJournal& j);

struct JournalListing {
    std::string path;
    RunJournal journal;  // its start folder and date; the rows only when read whole
    Error error;         // why it could not be read
    long rows = -1;      // -1 when not read whole
    bool undoBegun = false;
    bool Interrupted() const {
        return !error && !journal.undone && (!journal.finished || undoBegun);
    }
};
// Every journal in the folder, newest first. Without `whole` only a journal's first lines and
// its last line are read: enough to tell finished, interrupted and undone runs apart.
std::vector<JournalListing> ListJournals(bool whole = false);
// Removes finished runs older than 30 days or beyond the newest 50; never an interrupted one.
void PruneJournals();

}  // namespace corvelle
