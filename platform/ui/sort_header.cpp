// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/sort_header.h"

#include <QStyle>
#include <QStyleOptionHeader>
#include <QTreeView>

namespace corvelle {

SortHeader::SortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    // What QTreeView's own header has.
    setSectionsClickable(true);
    setSectionsMovable(true);
    setStretchLastSection(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void SortHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    // Qt hands ascending order to the style as "SortDown": the Windows styles draw that as ▲,
    // the others (Fusion, the desktops') as ▼.
    if (style()->name().startsWith(QLatin1String("windows"), Qt::CaseInsensitive))
        return;
    if (option->sortIndicator == QStyleOptionHeader::SortDown)
        option->sortIndicator = QStyleOptionHeader::SortUp;
    else if (option->sortIndicator == QStyleOptionHeader::SortUp)
        option->sortIndicator = QStyleOptionHeader::SortDown;
}

void UseSortHeader(QTreeView* view) {
    view->setHeader(new SortHeader(view));
}

}  // namespace corvelle
