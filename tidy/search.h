// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate search: a depth-first walk that examines each folder after its sub-folders
// and lists the folders that qualify under the processing mode.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tidy/dir_list.h"
#include "tidy/tidy_rules.h"

namespace corvelle {

struct SettingsRecord;
class ProcessList;

inline constexpr const char* kPanelGeneral = "pbgeneral";
inline constexpr const char* kPanelFileName = "pbFileName";

// What the window lends the search; any member may be left empty.
struct SearchUi {
    std::function<void()> yield;  // let the event queue run (the stop button among others)
    std::function<void(const char* panel, const std::string& text)> status;
    std::function<void(bool busy)> busy;
    std::function<void(int row)> ensureVisible;
    std::function<void(bool running)> buttons;  // start disabled / stop enabled while running
    std::function<void(const std::string& folder)> selectFolder;  // the tree's selection
    std::function<void()> autoSize;                               // fit the list's columns
    std::function<void()> walkEnded;  // the walk is over, "検索完了!" comes next
    std::function<void()> examined;   // one folder examined (once each)
};

class TidySearch {
  public:
    TidySearch(SettingsRecord& settings, ProcessList& list) : settings_(settings), list_(list) {}

    SearchUi ui;
    bool SearchRunning = false;
    DirListBox dirList;

    // Searches below the current folder, tells the user when it is done, re-selects the
    // start folder.
    void SearchRun();
    // Returns true when a stop was noticed at the start of this visit.
    bool FolderTreeSearch(const std::string& path, const std::string& parentPath);
    // Examines one folder (path ending in "/") and appends a row when it qualifies.
    void FolderNameSearch(const std::string& folder);
    void Stop() { SearchRunning = false; }

  private:
    void Status(const char* panel, const std::string& text);
    void Busy(bool busy);
    bool SetDirListPath(const std::string& path);
    // The path below the start folder, "/" between names.
    std::string Relative(const std::string& path) const;
    bool OldEnough(const FolderSummary& s, int mode) const;

    SettingsRecord& settings_;
    ProcessList& list_;
    TidyRules rules_;  // as they were when the search started
    std::int64_t cutOffNs_ = 0;
    std::string start_;
};

}  // namespace corvelle
