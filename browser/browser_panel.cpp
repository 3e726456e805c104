// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browser_panel.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <vector>

#include "app/app_state.h"
#include "app/settings.h"
#include "browser/file_list_model.h"
#include "browser/file_list_view.h"
#include "platform/ui/path_text.h"

namespace corvelle {

BrowserPanel::BrowserPanel(FileListView* lvwFileName, QObject* parent)
    : QObject(parent), view_(lvwFileName), model_(new FileListModel(list_, this)) {
    view_->SetModel(model_);
    connect(view_, &FileListView::HeaderClicked, this,
            [this](int section) { lvwFileName_ColumnClick(section); });
    model_->RenameHandler = [this](int row, const std::string& name) {
        if (row < 0 || row >= list_.Count())
            return false;
        bool cancel = false;
        Q_EMIT FileLabelEdited(&cancel, list_.Row(row).name, name);
        return !cancel;
    };
}

void BrowserPanel::FileNameLoad(const std::string& dirName, bool initFlg, bool pathMode) {
    if (StartupInProgress)
        return;
    Q_EMIT BusyChanged(true);
    model_->BeginReset();
    list_.Load(dirName, initFlg, pathMode);
    model_->EndReset();
    view_->SelectFirst();
    // Names get the room the widest of them needs in the icon and list views.
    view_->SetItemWidth(std::clamp(WidestText(0) + 13 + 16, 80, 400));
    FileColumnAutoSize();
    Q_EMIT StatusTextChanged(QStringLiteral("files"),
                             QString::fromStdString(FilesStatusText(list_.Count(), list_.Total())));
    Q_EMIT BusyChanged(false);
}

// The widest cell of a column. Only the longest texts are measured: with 100,000 rows,
// measuring every cell would cost more than the load.
int BrowserPanel::WidestText(int column) const {
    const int n = list_.Count();
    std::vector<std::pair<size_t, int>> bySize;
    bySize.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) bySize.emplace_back(FileList::Cell(list_.Row(i), column).size(), i);
    const size_t keep = std::min<size_t>(bySize.size(), 48);
    std::partial_sort(bySize.begin(), bySize.begin() + static_cast<std::ptrdiff_t>(keep),
                      bySize.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    const QFontMetrics fm(view_->font());
    int widest = 0;
    for (size_t k = 0; k < keep; ++k)
        widest = std::max(widest, fm.horizontalAdvance(PathToQString(
                                      FileList::Cell(list_.Row(bySize[k].second), column))));
    return widest;
}

void BrowserPanel::FileColumnAutoSize() {
    if (view_->View() == 3) {
        QHeaderView* header = view_->Header();
        for (int c = 0; c < FileList::kColumns; ++c) {
            // The wider of the cells and the caption; "SizeDmy" is not shown at all.
            const int section = FileListView::SectionOf(c);
            if (section < 0)
                continue;
            const int caption = header->fontMetrics().horizontalAdvance(
                                    QString::fromLatin1(FileList::Caption(c))) +
                                24;  // room for the sort indicator
            header->resizeSection(section,
                                  std::max(WidestText(c) + 12 + (c == 0 ? 13 + 8 : 0), caption));
        }
    }
    view_->CurrentView()->viewport()->update();
}

void BrowserPanel::lvwFileName_ColumnClick(int column) {
    list_.ColumnClick(column);
    model_->Reordered();
    QHeaderView* header = view_->Header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(FileListView::SectionOf(column),
                             list_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void BrowserPanel::mnuViewListviewMode_Click(int index) {
    // A hand-edited mode outside the four falls back to the list.
    if (index < 0 || index > 3)
        index = 2;
    view_->SetView(index);
    Q_EMIT ViewModeApplied(index);
    Settings().ListViewMode = static_cast<int16_t>(index);
    FileColumnAutoSize();
}

void BrowserPanel::mnuViewRefresh_Click() {
    FileNameLoad(Settings().CurrentDirectory, true, false);
}

}  // namespace corvelle
