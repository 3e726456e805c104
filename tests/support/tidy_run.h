// SPDX-License-Identifier: GPL-3.0-or-later
// Running the tidy engine as the window and the tool do, for tests.
#pragma once

#include <string>
#include <vector>

#include "tidy/tidy_rules.h"

namespace corvelle {
class ProcessList;
}

namespace corvelle::test {

// Run journals go to a fresh folder while this lives ($XDG_STATE_HOME, %LOCALAPPDATA%), and
// so does the Trash that holds junk files ($XDG_DATA_HOME): on the trees' own file system.
class JournalHome {
  public:
    explicit JournalHome(const std::string& folder);
    ~JournalHome();
    JournalHome(const JournalHome&) = delete;
    JournalHome& operator=(const JournalHome&) = delete;

  private:
    struct Saved {
        bool set;
        std::string value;
    };
    Saved saved_[3];
};

// The bytes the program writes to RUZO.INI and RUZO.LOG for this text: the names' own bytes
// here; on Windows the code page, or UTF-8 with a byte order mark when a name does not fit.
std::string FileText(const std::string& utf8);

// Rules as the tests write them: "junk" or "junk=NAME", "nested", "exclude=P;P", "older=N",
// separated by ",".
TidyRules Rules(const std::string& text);

// Searches below root (ending in "/") in the mode; message boxes are scripted.
void SearchInto(const std::string& root, int mode, ProcessList& list, bool subFolders = true,
                const TidyRules& rules = {});
// Executes the list with its journal; returns the journal's path ("" when none was written)
// and the number of rows that failed in `failed`.
std::string ExecuteJournaled(ProcessList& list, int* failed = nullptr);
// corvelle-tidy with its output captured.
int RunTool(const std::vector<std::string>& args, std::string* out = nullptr,
            std::string* err = nullptr);

}  // namespace corvelle::test
