// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tidy_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeView>
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "app/settings.h"
#include "platform/os/local_time.h"
#include "platform/os/message_service.h"
#include "platform/ui/path_text.h"
#include "platform/ui/qt_file_op_ui.h"
#include "tidy/execution.h"
#include "tidy/journal_store.h"
#include "tidy/process_log.h"
#include "tidy/undo.h"
#include "ui/process_list_model.h"

namespace corvelle {

TidyPanel::TidyPanel(const TidyControls& controls, QWidget* owner)
    : QObject(owner),
      c_(controls),
      owner_(owner),
      model_(new ProcessListModel(list_, this)),
      search_(Settings(), list_),
      clock_(MonotonicMs) {
    c_.lvwLog->setModel(model_);
    c_.lvwLog->setToolTip(QStringLiteral("チェックボックスをオンにすると処理対象外になります"));
    c_.lvwLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    c_.lvwLog->setSortingEnabled(false);
    c_.lvwLog->header()->setSectionsClickable(true);
    c_.lvwLog->header()->setStretchLastSection(false);
    c_.cmdSearchStart->setToolTip(QStringLiteral("検索を開始します"));
    c_.cmdSearchStop->setToolTip(QStringLiteral("検索を中断します"));

    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        contentWidth_.fill(0);
        lastMeasured_ = {};
        maxGlyphWidth_ = std::max(1, QFontMetrics(c_.lvwLog->font()).maxWidth());
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                for (int r = first; r <= last; ++r)
                    for (int c = 0; c < 3; ++c) Measure(r, c);
            });
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& tl, const QModelIndex& br) {
                for (int r = tl.row(); r <= br.row(); ++r)
                    for (int c = tl.column(); c <= br.column(); ++c) Measure(r, c);
            });
    connect(c_.lvwLog->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { lvwLog_ColumnClick(section); });
    for (int i = 0; i < 2; ++i)
        connect(c_.optMode[i], &QRadioButton::clicked, this, [this, i] { optMode_Click(i); });
    connect(c_.chkSubFolderMode, &QCheckBox::clicked, this, [this] { chkSubFolderMode_Click(); });
    connect(c_.cmdSearchStart, &QPushButton::clicked, this, [this] { cmdSearchStart_Click(); });
    connect(c_.cmdSearchStop, &QPushButton::clicked, this, [this] { cmdSearchStop_Click(); });
    connect(c_.cmdReplace, &QPushButton::clicked, this, [this] { cmdReplace_Click(); });
    connect(c_.cmdLogSave, &QPushButton::clicked, this, [this] { cmdLogSave_Click(); });
    connect(c_.cmdUndo, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
    c_.cmdUndo->setToolTip(QStringLiteral("最後に実行した処理を元に戻します"));
    c_.cmdReplace->setToolTip(QStringLiteral("現在表示中の置換処理を実行します"));
    c_.cmdLogSave->setToolTip(QStringLiteral("ログをファイルに保存"));

    SearchUi& ui = search_.ui;
    ui.yield = [this] {
        // The event queue runs every few tens of milliseconds: a press of 検索中断 is
        // answered at once to the eye, and at a hundred thousand folders running it at each
        // one would cost more than the walk itself.
        const long long now = clock_();
        if (now - lastEventsMs_ < kEventsEveryMs)
            return;
        // The rows, the newest in view and the pointer are brought up to date a few times a
        // second; whatever repaints now shows the folder being examined.
        if (ShowDue(now))
            ShowProgress();
        ShowStatus();
        QCoreApplication::processEvents();
        const long long done = clock_();
        lastEventsMs_ = done;
        // The window never takes more than a fifth of the time: when drawing is slow (a
        // remote display), the rows are shown less often.
        showGapMs_ = std::clamp(4 * (done - now), kShowEveryMs, 4 * kShowEveryMs);
    };
    ui.status = [this](const char* panel, const std::string& text) {
        const bool general = std::strcmp(panel, kPanelGeneral) == 0;
        pendingStatus_[general ? 0 : 1] = text;
        // Clearing shows at once; progress texts show before the window next repaints.
        if (text.empty()) {
            ShowStatus();
            ShowBusy();
        }
    };
    ui.busy = [this](bool busy) {
        // The search sets it around each folder, thousands of times a second: while it
        // runs, the hourglass shows at once and the normal pointer comes back when the
        // window is next brought up to date, or before a box (which clears the status).
        pendingBusy_ = busy;
        if (busy || !search_.SearchRunning)
            ShowBusy();
    };
    ui.ensureVisible = [this](int row) {
        // The first row (at the end) always; the newest row while searching, when the
        // event queue next runs.
        if (row != 0)
            return;
        model_->Flush();
        c_.lvwLog->scrollTo(model_->index(row, 0));
    };
    ui.buttons = [this](bool running) {
        model_->SetDeferInserts(running);
        c_.cmdSearchStart->setEnabled(!running);
        c_.cmdSearchStop->setEnabled(running);
        // A half-built plan can be neither carried out nor saved.
        if (running)
            c_.cmdReplace->setEnabled(false);
        c_.cmdLogSave->setEnabled(!running);
    };
    ui.walkEnded = [this] {
        ShowStatus();
        ShowBusy();
        model_->Flush();
        LogColumnAutoSize();
        if (model_->rowCount() > 0)
            c_.lvwLog->scrollTo(model_->index(model_->rowCount() - 1, 0));
        c_.lvwLog->viewport()->repaint();
    };
    ui.selectFolder = [this](const std::string& folder) { Q_EMIT FolderSelected(folder); };
    ui.autoSize = [this] {
        if (!search_.SearchRunning)
            LogColumnAutoSize();
    };
}

bool TidyPanel::ShowDue(long long now) {
    if (now - lastShownMs_ < showGapMs_)
        return false;
    lastShownMs_ = now;
    return true;
}

void TidyPanel::ShowProgress() {
    model_->Flush();
    LogColumnAutoSize();
    if (model_->rowCount() > 0)
        c_.lvwLog->scrollTo(model_->index(model_->rowCount() - 1, 0));
    ShowStatus();
    ShowBusy();
}

void TidyPanel::ShowBusy() {
    if (shownBusy_ == pendingBusy_)
        return;
    shownBusy_ = pendingBusy_;
    Q_EMIT BusyChanged(shownBusy_);
}

void TidyPanel::ShowStatus() {
    const char* panels[] = {kPanelGeneral, kPanelFileName};
    for (size_t i = 0; i < 2; ++i) {
        if (pendingStatus_[i] == shownStatus_[i])
            continue;
        shownStatus_[i] = pendingStatus_[i];
        Q_EMIT StatusTextChanged(QString::fromLatin1(panels[i]), PathToQString(shownStatus_[i]));
    }
}

void TidyPanel::optMode_Click(int index) {
    Settings().ShoriMode = static_cast<int16_t>(index);
}

void TidyPanel::chkSubFolderMode_Click() {
    Settings().SubFolderMode = c_.chkSubFolderMode->isChecked();
}

void TidyPanel::cmdSearchStart_Click() {
    LogListInit();
    Q_EMIT TabRequested(2);
    search_.SearchRun();
    ShowBusy();
    model_->SetDeferInserts(false);
    pendingStatus_ = {};
    shownStatus_ = {};
    LogColumnAutoSize();
    c_.cmdReplace->setEnabled(true);
    c_.cmdUndo->setEnabled(false);
}

void TidyPanel::cmdSearchStop_Click() {
    search_.Stop();
}

void TidyPanel::cmdReplace_Click() {
    Q_EMIT BusyChanged(true);
    ExecutionUi ui;
    ui.owner = OwnerOf(owner_);
    ui.status = [this](const std::string& text) {
        Q_EMIT StatusTextChanged(QString::fromLatin1(kPanelFileName), PathToQString(text));
    };
    journal_.clear();
    ui.journalWritten = [this](const std::string& path) { journal_ = path; };
    ExecuteList(list_, ui);
    LogColumnAutoSize();
    Q_EMIT BusyChanged(false);
    MessageService::Show("処理完了!", MsgIcon::Information, MsgButtons::Ok);
    Q_EMIT StatusTextChanged(QString::fromLatin1(kPanelFileName), {});
    c_.cmdReplace->setEnabled(false);
    c_.cmdUndo->setEnabled(true);
    Q_EMIT TreeRedisplayRequested();
}

void TidyPanel::cmdLogSave_Click() {
    SaveLog(list_, LogFilePath());
}

namespace {

// "2026/12/09 06:57 に開始、3000 行中 218 行を処理済み": what the user can recognise a run by.
std::string InterruptedRunText(const JournalListing& l) {
    RunJournal j;
    const bool read = !LoadJournal(l.path, j);
    std::string date = l.journal.date.substr(0, 16);
    for (char& c : date) c = c == '-' ? '/' : c == 'T' ? ' ' : c;
    size_t done = 0;
    for (const auto& [index, mark] : j.done) done += mark == RowMark::Done ? 1 : 0;
    return l.journal.startPath + "\n(" + date + " に開始、" +
           (read
                ? std::to_string(j.rows.size()) + " 行中 " + std::to_string(done) + " 行を処理済み)"
                : std::string("記録を読めません)"));
}

// The reasons of rows that could not be put back, a few of them, for one message.
class UndoReport {
  public:
    void Add(const std::string& reason) {
        if (++count_ <= 10)
            text_ += "\n" + reason;
    }
    void ShowIfAny() const {
        if (count_ == 0)
            return;
        std::string text =
            "元に戻せなかった行があります(" + std::to_string(count_) + " 行):" + text_;
        if (count_ > 10)
            text += "\n…";
        MessageService::Show(text, MsgIcon::Exclamation, MsgButtons::Ok);
    }

  private:
    int count_ = 0;
    std::string text_;
};

// "Undo完了!" only when every row came back; else how many did not, as a warning.
void ShowUndoOutcome(int failed, const Error& error, const UndoReport& report) {
    if (failed < 0)
        MessageService::Show(ErrorMessage(error), MsgIcon::Exclamation, MsgButtons::Ok);
    else if (failed > 0)
        report.ShowIfAny();
    else
        MessageService::Show("Undo完了!", MsgIcon::Information, MsgButtons::Ok);
}

}  // namespace

void TidyPanel::cmdUndo_Click() {
    Q_EMIT BusyChanged(true);
    UndoReport report;
    UndoUi ui;
    // A row is where the run found it unless the list was sorted since: then every row is
    // looked up by its text, through an index made once.
    std::unordered_multimap<std::string, int> byText;
    ui.row = [&](const JournalRow& r, bool ok, const Error& e) {
        const char* result = ok ? kUndoSuccess : kUndoFailure;
        if (!list_.SortOn() && r.index < list_.Count() && list_.Cell(r.index, 0) == r.before) {
            list_.SetResult(r.index, result);
        } else {
            if (byText.empty())
                for (int i = 0; i < list_.Count(); ++i) byText.emplace(list_.Cell(i, 0), i);
            const auto [from, to] = byText.equal_range(r.before);
            for (auto it = from; it != to; ++it) list_.SetResult(it->second, result);
        }
        if (!ok)
            report.Add(ErrorMessage(e));
    };
    ui.status = [this](const std::string& text) {
        Q_EMIT StatusTextChanged(QString::fromLatin1(kPanelFileName), PathToQString(text));
    };
    Error error = MakeError(kErrNotUndoable);
    const int failed = journal_.empty() ? -1 : UndoJournal(journal_, ui, error);
    LogColumnAutoSize();
    Q_EMIT BusyChanged(false);
    ShowUndoOutcome(failed, error, report);
    Q_EMIT StatusTextChanged(QString::fromLatin1(kPanelFileName), {});
    // Rows that could not be put back can be tried again from here.
    c_.cmdUndo->setEnabled(failed > 0);
    Q_EMIT TreeRedisplayRequested();
}

void TidyPanel::RecoverInterruptedRuns() {
    bool changed = false;
    for (const JournalListing& l : ListJournals()) {
        if (!l.Interrupted())
            continue;
        const std::string ask =
            "前回の処理が中断されました。元に戻しますか？\n\n" + InterruptedRunText(l);
        if (MessageService::Show(ask, MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok) {
            // Never asked forever: the user may keep the tree as it is.
            const std::string keep =
                "元に戻さず、今の状態のままにしますか？\n(OK で処理の記録を破棄します。"
                "キャンセルなら次回の起動時にもう一度確認します)\n\n" +
                l.journal.startPath;
            if (MessageService::Show(keep, MsgIcon::Question, MsgButtons::OkCancel) ==
                MsgAnswer::Ok) {
                if (const Error e = ForgetJournal(l.path))
                    MessageService::Show(ErrorMessage(e), MsgIcon::Exclamation, MsgButtons::Ok);
            }
            continue;
        }
        Q_EMIT BusyChanged(true);
        UndoReport report;
        UndoUi ui;
        ui.row = [&](const JournalRow&, bool ok, const Error& e) {
            if (!ok)
                report.Add(ErrorMessage(e));
        };
        Error error;
        const int failed = UndoJournal(l.path, ui, error);
        Q_EMIT BusyChanged(false);
        ShowUndoOutcome(failed, error, report);
        changed = true;
    }
    if (changed)
        Q_EMIT TreeRedisplayRequested();
}

void TidyPanel::LogListInit() {
    list_.Init();
    // Each column starts as wide as the list itself.
    for (int c = 0; c < 3; ++c) c_.lvwLog->header()->resizeSection(c, c_.lvwLog->width());
}

void TidyPanel::Measure(int row, int column) {
    // Shaping text is the dear part of a search through the window: a cell is measured at
    // most once, and not at all when even its widest possible rendering (every byte as wide
    // as the font's widest glyph) cannot beat the widest cell so far, or when it repeats the
    // cell measured last (the delete marker on every row).
    const std::string text = list_.Cell(row, column);
    const size_t c = static_cast<size_t>(column);
    if (text.empty() || text == lastMeasured_[c] ||
        static_cast<long long>(text.size()) * maxGlyphWidth_ <= contentWidth_[c])
        return;
    lastMeasured_[c] = text;
    const int width = QFontMetrics(c_.lvwLog->font()).horizontalAdvance(PathToQString(text));
    if (width > contentWidth_[c])
        contentWidth_[c] = width;
}

void TidyPanel::LogColumnAutoSize() {
    QHeaderView* header = c_.lvwLog->header();
    if (model_->columnCount() == 3) {
        const QFontMetrics hfm(header->font());
        const int pad = 2 * c_.lvwLog->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
        const int check = c_.lvwLog->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
        std::array<int, 3> wanted{}, least{};
        for (size_t c = 0; c < 3; ++c) {
            const int content = contentWidth_[c] + (c == 0 ? check : 0);
            least[c] = hfm.horizontalAdvance(ProcessListModel::Caption(static_cast<int>(c))) + 16;
            wanted[c] = std::max(content + pad, least[c]);
        }
        // The result column stays in view: the two path columns give up what is missing,
        // never below their headers; the after column first (its marker is the same on every
        // delete row), so the folder each row is about stays readable longest.
        const int room = c_.lvwLog->viewport()->width();
        int excess = room > 0 ? wanted[0] + wanted[1] + wanted[2] - room : 0;
        for (size_t c : {size_t{1}, size_t{0}}) {
            const int give = std::clamp(wanted[c] - least[c], 0, std::max(0, excess));
            wanted[c] -= give;
            excess -= give;
        }
        for (int c = 0; c < 3; ++c) {
            if (header->sectionSize(c) != wanted[static_cast<size_t>(c)])
                header->resizeSection(c, wanted[static_cast<size_t>(c)]);
        }
    }
    c_.lvwLog->viewport()->update();
}

void TidyPanel::lvwLog_ColumnClick(int column) {
    list_.ColumnClick(column);
    c_.lvwLog->header()->setSortIndicatorShown(true);
    c_.lvwLog->header()->setSortIndicator(
        column, list_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace corvelle
