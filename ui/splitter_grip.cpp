// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/splitter_grip.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

namespace corvelle {

QCursor SplitterCursor() {
    QBitmap shape(32, 32), mask(32, 32);
    for (QBitmap* b : {&shape, &mask}) b->fill(Qt::color0);
    auto draw = [](QBitmap& b, int grow) {
        QPainter p(&b);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::color1);
        // Two bars around the hot spot's column.
        p.drawRect(9 - grow, 3 - grow, 2 + 2 * grow, 17 + 2 * grow);
        p.drawRect(12 - grow, 3 - grow, 2 + 2 * grow, 17 + 2 * grow);
        // Arrows pointing out.
        const QPoint left[] = {{1 - grow, 11}, {6 + grow, 6 - grow}, {6 + grow, 16 + grow}};
        const QPoint right[] = {{21 + grow, 11}, {16 - grow, 6 - grow}, {16 - grow, 16 + grow}};
        p.drawPolygon(left, 3);
        p.drawPolygon(right, 3);
    };
    draw(shape, 0);
    draw(mask, 1);
    return QCursor(shape, mask, 11, 11);
}

SplitterGrip::SplitterGrip(QWidget* parent) : QWidget(parent) {
    setCursor(SplitterCursor());
    setAttribute(Qt::WA_NoSystemBackground);
}

void SplitterGrip::mousePressEvent(QMouseEvent*) {
    if (MouseDown)
        MouseDown();
}

void SplitterGrip::mouseMoveEvent(QMouseEvent* event) {
    if (MouseMove)
        MouseMove(event->position().toPoint().x());
}

void SplitterGrip::mouseReleaseEvent(QMouseEvent*) {
    if (MouseUp)
        MouseUp();
}

}  // namespace corvelle
