#include "ui/tidy_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeView>

#include "app/settings.h"
#include "platform/ui/busy_pointer.h"
#include "platform/ui/dir_tree.h"
#include "ui/frm_main.h"
#include "ui/keyed_status_bar.h"
#include "ui/process_list_model.h"
#include "ui/tab_strip.h"

namespace corvelle {

TidyPanel::TidyPanel(frmMain& w)
    : QObject(&w), w_(w), model_(new ProcessListModel(list_, this)), search_(Settings(), list_) {
    w.lvwLog->setModel(model_);
    w.lvwLog->setToolTip(QStringLiteral("チェックボックスをオンにすると処理対象外になります"));
    w.lvwLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    w.lvwLog->setSortingEnabled(false);
    w.lvwLog->header()->setSectionsClickable(true);
    w.lvwLog->header()->setStretchLastSection(false);
    w.cmdSearchStart->setToolTip(QStringLiteral("検索を開始します"));
    w.cmdSearchStop->setToolTip(QStringLiteral("検索を中断します"));

    connect(model_, &QAbstractItemModel::modelReset, this, [this] { contentWidth_.fill(0); });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first) {
        for (int c = 0; c < 3; ++c) Measure(first, c);
    });
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& tl, const QModelIndex& br) {
                for (int r = tl.row(); r <= br.row(); ++r)
                    for (int c = tl.column(); c <= br.column(); ++c) Measure(r, c);
            });
    connect(w.lvwLog->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { lvwLog_ColumnClick(section); });
    for (int i = 0; i < 2; ++i)
        connect(w.optMode[i], &QRadioButton::clicked, this, [this, i] { optMode_Click(i); });
    connect(w.chkSubFolderMode, &QCheckBox::clicked, this, [this] { chkSubFolderMode_Click(); });
    connect(w.cmdSearchStart, &QPushButton::clicked, this, [this] { cmdSearchStart_Click(); });
    connect(w.cmdSearchStop, &QPushButton::clicked, this, [this] { cmdSearchStop_Click(); });

    SearchUi& ui = search_.ui;
    ui.yield = [] { QCoreApplication::processEvents(); };
    ui.status = [this](const char* panel, const std::string& text) {
        w_.stbMain->SetText(QString::fromLatin1(panel), QString::fromUtf8(text));
    };
    ui.busy = [](bool busy) { SetBusyPointer(busy); };
    ui.ensureVisible = [this](int row) { w_.lvwLog->scrollTo(model_->index(row, 0)); };
    ui.buttons = [this](bool running) {
        w_.cmdSearchStart->setEnabled(!running);
        w_.cmdSearchStop->setEnabled(running);
    };
    ui.selectFolder = [this](const std::string& folder) { w_.dirTree->SetPath(folder); };
    ui.autoSize = [this] { LogColumnAutoSize(); };
}

void TidyPanel::optMode_Click(int index) {
    Settings().ShoriMode = static_cast<int16_t>(index);
}

void TidyPanel::chkSubFolderMode_Click() {
    Settings().SubFolderMode = w_.chkSubFolderMode->isChecked();
}

void TidyPanel::cmdSearchStart_Click() {
    LogListInit();
    w_.tabDisplay->SelectPosition(2);
    search_.SearchRun();
    w_.cmdReplace->setEnabled(true);
    w_.cmdUndo->setEnabled(false);
}

void TidyPanel::cmdSearchStop_Click() {
    search_.Stop();
}

void TidyPanel::LogListInit() {
    list_.Init();
    // Each column starts as wide as the list itself.
    for (int c = 0; c < 3; ++c) w_.lvwLog->header()->resizeSection(c, w_.lvwLog->width());
}

void TidyPanel::Measure(int row, int column) {
    const QFontMetrics fm(w_.lvwLog->font());
    const int width = fm.horizontalAdvance(model_->DisplayText(row, column));
    if (width > contentWidth_[static_cast<size_t>(column)])
        contentWidth_[static_cast<size_t>(column)] = width;
}

void TidyPanel::LogColumnAutoSize() {
    QHeaderView* header = w_.lvwLog->header();
    if (model_->columnCount() == 3) {
        const QFontMetrics hfm(header->font());
        const int pad = 2 * w_.lvwLog->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
        const int check = w_.lvwLog->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
        for (int c = 0; c < 3; ++c) {
            const int content = contentWidth_[static_cast<size_t>(c)] + (c == 0 ? check : 0);
            const int head = hfm.horizontalAdvance(ProcessListModel::Caption(c)) + 16;
            header->resizeSection(c, std::max(content + pad, head));
        }
    }
    w_.lvwLog->viewport()->update();
}

void TidyPanel::lvwLog_ColumnClick(int column) {
    list_.ColumnClick(column);
    w_.lvwLog->header()->setSortIndicatorShown(true);
    w_.lvwLog->header()->setSortIndicator(
        column, list_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace corvelle
