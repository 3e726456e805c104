// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/file_list_view.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>

#include "browser/shown_columns_model.h"
#include "platform/ui/sort_header.h"

namespace corvelle {
namespace {

// The in-place rename starts with the name selected without its extension, as file managers
// do, so typing replaces the name and keeps ".txt". The view selects the whole text after
// handing the editor its data, so the selection is made when the editor gets the focus.
class NameEditDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // In the icon views every name gets its whole grid cell: with uniform item sizes the view
    // would otherwise give every item the size of the first name, cutting longer ones short.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto* list = qobject_cast<const QListView*>(option.widget);
        if (list && list->wordWrap() && list->gridSize().isValid())
            return list->gridSize() - QSize(kCellGap, kCellGap);
        return QStyledItemDelegate::sizeHint(option, index);
    }
    static constexpr int kCellGap = 4;

  protected:
    // Names without spaces ("arrowhead_long_name.txt") may break anywhere, as file managers
    // wrap them: a zero-width space after every character offers the breaks (painting only;
    // the model's text is untouched).
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* list = qobject_cast<const QListView*>(option->widget);
        if (!list || !list->wordWrap())
            return;
        QString broken;
        broken.reserve(option->text.size() * 2);
        for (const QChar c : std::as_const(option->text)) {
            broken += c;
            if (!c.isHighSurrogate())
                broken += QChar(0x200B);
        }
        option->text = broken;
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        auto* edit = qobject_cast<QLineEdit*>(object);
        if (edit && event->type() == QEvent::FocusIn && !edit->property("stemSelected").toBool()) {
            edit->setProperty("stemSelected", true);
            const bool handled = QStyledItemDelegate::eventFilter(object, event);
            const qsizetype dot = edit->text().lastIndexOf(QLatin1Char('.'));
            if (dot > 0)
                edit->setSelection(0, static_cast<int>(dot));
            else
                edit->selectAll();
            return handled;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

}  // namespace

FileListView::FileListView(QWidget* parent)
    : QWidget(parent), list_(new QListView(this)), details_(new QTreeView(this)) {
    auto* stack = new QStackedLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(list_);
    stack->addWidget(details_);
    // Uniform sizes: a folder of 100,000 files lays out without measuring each name.
    list_->setUniformItemSizes(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setLayoutMode(QListView::Batched);
    list_->setBatchSize(2000);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    UseSortHeader(details_);
    details_->setRootIsDecorated(false);
    details_->setUniformRowHeights(true);
    details_->setItemsExpandable(false);
    details_->setAllColumnsShowFocus(true);
    details_->setEditTriggers(list_->editTriggers());
    auto* names = new NameEditDelegate(this);
    list_->setItemDelegate(names);
    details_->setItemDelegateForColumn(0, names);
    details_->header()->setMinimumSectionSize(0);
    details_->header()->setStretchLastSection(false);
    details_->header()->setSectionsClickable(true);
    details_->header()->setSortIndicatorShown(false);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(details_)}) {
        v->viewport()->setAcceptDrops(true);
        v->viewport()->installEventFilter(this);
    }
    connect(details_->header(), &QHeaderView::sectionClicked, this,
            [this](int s) { Q_EMIT HeaderClicked(ShownColumnsModel::ListColumn(s)); });
}

void FileListView::SetModel(QAbstractItemModel* model) {
    auto* shown = new ShownColumnsModel(this);
    shown->setSourceModel(model);
    list_->setModel(shown);
    details_->setModel(shown);
    // One selection for every view, so switching keeps it.
    QItemSelectionModel* old = details_->selectionModel();
    details_->setSelectionModel(list_->selectionModel());
    delete old;
}

int FileListView::SectionOf(int listColumn) {
    return ShownColumnsModel::ShownColumn(listColumn);
}

QHeaderView* FileListView::Header() const {
    return details_->header();
}

QAbstractItemView* FileListView::CurrentView() const {
    return mode_ == 3 ? static_cast<QAbstractItemView*>(details_) : list_;
}

void FileListView::SetItemWidth(int pixels) {
    itemWidth_ = pixels;
    if (mode_ != 3)
        ApplyListMode();
}

void FileListView::ApplyListMode() {
    const int small = 13;
    const int large = 32;
    switch (mode_) {
        case 0:
            list_->setViewMode(QListView::IconMode);
            // Set again: the list view's top-to-bottom flow would otherwise stay in force,
            // leaving the pane's width unused.
            list_->setFlow(QListView::LeftToRight);
            list_->setWrapping(true);
            list_->setIconSize(QSize(large, large));
            // Names up to two lines of a sensible width, as file managers show them.
            list_->setGridSize(QSize(std::clamp(itemWidth_ / 2 + 24, 96, 168),
                                     large + 2 * fontMetrics().height() + 10));
            list_->setWordWrap(true);
            break;
        case 1:
            list_->setViewMode(QListView::ListMode);
            list_->setFlow(QListView::LeftToRight);
            list_->setWrapping(true);
            list_->setIconSize(QSize(small, small));
            // Beside the icon, names of up to two lines.
            list_->setGridSize(QSize(std::min(itemWidth_, 220), 2 * fontMetrics().height() + 6));
            list_->setWordWrap(true);
            break;
        default:
            list_->setViewMode(QListView::ListMode);
            list_->setFlow(QListView::TopToBottom);
            list_->setWrapping(true);
            list_->setIconSize(QSize(small, small));
            list_->setGridSize(QSize(itemWidth_, fontMetrics().height() + 6));
            list_->setWordWrap(false);
            break;
    }
    list_->setMovement(QListView::Static);
    list_->setTextElideMode(Qt::ElideRight);
    // Static movement switches drops off; files from other programs are still welcome.
    list_->viewport()->setAcceptDrops(true);
}

void FileListView::SetView(int mode) {
    mode_ = mode;
    auto* stack = static_cast<QStackedLayout*>(layout());
    if (mode == 3) {
        stack->setCurrentWidget(details_);
    } else {
        ApplyListMode();
        stack->setCurrentWidget(list_);
    }
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDropEvent*>(event);
            if (CanDrop && CanDrop(e->mimeData()) && (e->possibleActions() & Qt::CopyAction)) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();  // the no-drop pointer
            }
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (CanDrop && CanDrop(e->mimeData())) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
                if (Drop)
                    Drop(e->mimeData());
            } else {
                e->ignore();
            }
            return true;
        }
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void FileListView::SelectFirst() {
    QAbstractItemModel* m = list_->model();
    if (!m || m->rowCount() == 0)
        return;
    const QModelIndex first = m->index(0, 0);
    list_->selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace corvelle
