// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/sort_header.h"

#include <QImage>
#include <QPainter>
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

namespace {

// Whether the style draws Qt's ascending order ("SortDown") as ▲: looked at once per style,
// by painting the arrow and comparing its top and bottom rows (the styles disagree).
bool AscendingDrawnUp(const QStyle* style, const QWidget* widget) {
    static const QStyle* lastStyle = nullptr;
    static bool up = false;
    if (style == lastStyle)
        return up;
    QImage img(24, 24, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QStyleOptionHeader opt;
    opt.rect = QRect(4, 4, 16, 16);
    opt.sortIndicator = QStyleOptionHeader::SortDown;
    opt.palette.setColor(QPalette::ButtonText, Qt::black);
    opt.palette.setColor(QPalette::Text, Qt::black);
    opt.palette.setColor(QPalette::WindowText, Qt::black);
    style->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &opt, &p, widget);
    p.end();
    int first = -1, last = -1;
    for (int y = 0; y < img.height(); ++y) {
        int n = 0;
        for (int x = 0; x < img.width(); ++x) n += qGray(img.pixel(x, y)) < 160;
        if (n == 0)
            continue;
        if (first < 0)
            first = n;
        last = n;
    }
    lastStyle = style;
    up = first >= 0 && first < last;
    return up;
}

}  // namespace

void SortHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (AscendingDrawnUp(style(), this))
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
