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
    bool Create(const RunJournal& plan, std::string& error);
    // An existing journal, to append to.
    bool Open(const std::string& path, std::string& error);
    void Append(const std::string& record);
    bool Sync();
    const std::string& Path() const { return path_; }

  private:
    UniqueFd fd_;
    UniqueFd dir_;
    std::string path_;
};

bool LoadJournal(const std::string& path, RunJournal& j, std::string& error);

struct JournalListing {
    std::string path;
    RunJournal journal;  // as read; empty when it could not be
    std::string error;   // why it could not be read
    bool Interrupted() const {
        return error.empty() && !journal.undone && (!journal.finished || !journal.undo.empty());
    }
};
// Every journal in the folder, newest first.
std::vector<JournalListing> ListJournals();
// Removes finished runs older than 30 days or beyond the newest 50; never an interrupted one.
void PruneJournals();

}  // namespace corvelle
