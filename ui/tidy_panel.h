// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's folder-tidy subsystem: mode options, the search buttons and the
// processing list.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "tidy/process_list.h"
#include "tidy/search.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTreeView;
class QWidget;

namespace corvelle {

class ProcessListModel;

// The controls the panel owns; the window creates and places them.
struct TidyControls {
    std::array<QRadioButton*, 2> optMode{};
    QCheckBox* chkSubFolderMode = nullptr;
    QPushButton* cmdSearchStart = nullptr;
    QPushButton* cmdSearchStop = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdLogSave = nullptr;
    QPushButton* cmdUndo = nullptr;
    QTreeView* lvwLog = nullptr;
};

// Reaches nothing outside its own controls: what the rest of the window must show or do
// is emitted, and the window connects it.
class TidyPanel : public QObject {
    Q_OBJECT
  public:
    // `owner` is the window its boxes and file operations belong to.
    TidyPanel(const TidyControls& controls, QWidget* owner);

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
    // Where the search's pacing reads the time (milliseconds); tests step it themselves.
    void SetClock(std::function<long long()> clock) { clock_ = std::move(clock); }

  Q_SIGNALS:
    // A keyed status-bar panel ("pbgeneral", "pbFileName") shows this text.
    void StatusTextChanged(const QString& panel, const QString& text);
    // The tree selects this folder (the search's start folder at its end).
    void FolderSelected(const std::string& folder);
    // The display tab at this position (1 or 2) is shown.
    void TabRequested(int position);
    // The disk changed under the tree.
    void TreeRedisplayRequested();
    // A long operation starts or ends (the hourglass).
    void BusyChanged(bool busy);

  private:
    void Measure(int row, int column);
    // True at most every showGapMs_: the search reports a folder at a time, faster than
    // anyone can read, and redrawing that often would slow it many times over.
    bool ShowDue(long long now);
    static constexpr long long kEventsEveryMs = 20;
    static constexpr long long kShowEveryMs = 100;
    void ShowProgress();
    // The status panels' texts as the search last set them, where they differ from what shows.
    void ShowStatus();
    void ShowBusy();

    TidyControls c_;
    QWidget* owner_;
    ProcessList list_;
    ProcessListModel* model_;
    TidySearch search_;
    std::array<int, 3> contentWidth_{};  // widest cell per column, kept as rows arrive
    std::array<std::string, 3> lastMeasured_;
    int maxGlyphWidth_ = 1;
    std::array<std::string, 2> pendingStatus_;
    std::array<std::string, 2> shownStatus_;
    long long lastShownMs_ = 0;
    long long lastEventsMs_ = 0;
    long long showGapMs_ = kShowEveryMs;
    std::function<long long()> clock_;
    bool pendingBusy_ = false;
    bool shownBusy_ = false;
    std::string journal_;  // the last run's journal, for Undo
};

}  // namespace corvelle
