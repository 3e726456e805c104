// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's folder-tidy subsystem: mode options, the search buttons and the
// processing list.
#pragma once

#include <QObject>
#include <array>
#include <string>

#include "tidy/process_list.h"
#include "tidy/search.h"

namespace corvelle {

class frmMain;
class ProcessListModel;

class TidyPanel : public QObject {
    Q_OBJECT
  public:
    explicit TidyPanel(frmMain& w);

    ProcessList& List() { return list_; }
    TidySearch& Search() { return search_; }
    ProcessListModel* Model() const { return model_; }

    void optMode_Click(int index);
    void chkSubFolderMode_Click();
    void cmdSearchStart_Click();
    void cmdSearchStop_Click();
    void LogListInit();
    void LogColumnAutoSize();
    void lvwLog_ColumnClick(int column);
    void cmdReplace_Click();
    void cmdLogSave_Click();
    void cmdUndo_Click();
    // Offers to put back runs that a crash or a kill interrupted (at start-up).
    void RecoverInterruptedRuns();

  private:
    void Measure(int row, int column);
    // True at most every few tens of milliseconds: the search reports a folder at a time,
    // faster than anyone can read, and redrawing that often would slow it many times over.
    bool ShowDue();
    void ShowProgress();

    frmMain& w_;
    ProcessList list_;
    ProcessListModel* model_;
    TidySearch search_;
    std::array<int, 3> contentWidth_{};  // widest cell per column, kept as rows arrive
    std::array<std::string, 3> lastMeasured_;
    int maxGlyphWidth_ = 1;
    std::array<std::string, 2> pendingStatus_;
    long long lastShownMs_ = 0;
    long long lastEventsMs_ = 0;
    std::string journal_;  // the last run's journal, for Undo
};

}  // namespace corvelle
