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
#include "browser/folder_commands.h"
#include "platform/os/guarded_steps.h"
#include "platform/ui/busy_pointer.h"
#include "platform/ui/dir_tree.h"
#include "platform/ui/path_text.h"
#include "ui/frm_main.h"
#include "ui/keyed_status_bar.h"

namespace corvelle {

BrowserPanel::BrowserPanel(frmMain& w)
    : QObject(&w), w_(w), model_(new FileListModel(list_, this)) {
    w.lvwFileName->SetModel(model_);
    connect(w.lvwFileName, &FileListView::HeaderClicked, this,
            [this](int section) { lvwFileName_ColumnClick(section); });
    model_->RenameHandler = [this](int, const std::string& name) {
        bool cancel = false;
        w_.Commands().lvwFileName_AfterLabelEdit(&cancel, name);
        return !cancel;
    };
    if (QLabel* files = w.stbMain->Panel(QStringLiteral("files")))
        files->setToolTip(QStringLiteral("選択されたファイル数"));
}

void BrowserPanel::FileNameLoad(const std::string& dirName, bool initFlg, bool pathMode) {
    if (StartupInProgress)
        return;
    SetBusyPointer(true);
    model_->BeginReset();
    list_.Load(dirName, initFlg, pathMode);
    model_->EndReset();
    w_.lvwFileName->SelectFirst();
    // Names get the room the widest of them needs in the icon and list views.
    w_.lvwFileName->SetItemWidth(std::clamp(WidestText(0) + 13 + 16, 80, 400));
    FileColumnAutoSize();
    w_.stbMain->SetText(QStringLiteral("files"),
                        QString::fromStdString(FilesStatusText(list_.Count(), list_.Total())));
    SetBusyPointer(false);
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
    const QFontMetrics fm(w_.lvwFileName->font());
    int widest = 0;
    for (size_t k = 0; k < keep; ++k)
        widest = std::max(widest, fm.horizontalAdvance(PathToQString(
                                      FileList::Cell(list_.Row(bySize[k].second), column))));
    return widest;
}

void BrowserPanel::FileColumnAutoSize() {
    FileListView* view = w_.lvwFileName;
    if (view->View() == 3) {
        QHeaderView* header = view->Header();
        for (int c = 0; c < FileList::kColumns; ++c) {
            // The wider of the cells and the caption; "SizeDmy" stays hidden at width 0.
            int width = 0;
            if (c != 3) {
                const int caption = header->fontMetrics().horizontalAdvance(
                                        QString::fromLatin1(FileList::Caption(c))) +
                                    24;  // room for the sort indicator
                width = std::max(WidestText(c) + 12 + (c == 0 ? 13 + 8 : 0), caption);
            }
            header->resizeSection(c, width);
        }
    }
    view->CurrentView()->viewport()->update();
}

void BrowserPanel::lvwFileName_ColumnClick(int column) {
    list_.ColumnClick(column);
    model_->Reordered();
    QHeaderView* header = w_.lvwFileName->Header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, list_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void BrowserPanel::mnuViewListviewMode_Click(int index) {
    // A hand-edited mode outside the four falls back to the list.
    if (index < 0 || index > 3)
        index = 2;
    FileListView* view = w_.lvwFileName;
    w_.mnuViewListviewMode[static_cast<size_t>(view->View())]->setChecked(false);
    view->SetView(index);
    w_.mnuViewListviewMode[static_cast<size_t>(index)]->setChecked(true);
    w_.ToolbarButton(index + 10)->setChecked(true);
    Settings().ListViewMode = static_cast<int16_t>(index);
    FileColumnAutoSize();
}

void BrowserPanel::mnuViewRefresh_Click() {
    FileNameLoad(Settings().CurrentDirectory, true, false);
}

void BrowserPanel::DirImageToggle() {
    SettingsRecord& s = Settings();
    s.DirImageType = (s.DirImageType + 1) % 2;
    w_.dirTree->SetImageType(s.DirImageType);
    w_.dirTree->Redisplay();
}

}  // namespace corvelle
