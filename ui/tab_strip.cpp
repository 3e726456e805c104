// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tab_strip.h"

#include <QPainter>
#include <QStyleOptionFrame>
#include <QTabBar>

namespace corvelle {

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    connect(bar_, &QTabBar::currentChanged, this, [this] { Q_EMIT Click(); });
}

void TabStrip::AddTab(const QString& caption, const QString& key, const QString& toolTip) {
    const int i = bar_->addTab(caption);
    bar_->setTabData(i, key);
    bar_->setTabToolTip(i, toolTip);
    bar_->resize(bar_->sizeHint());
}

int TabStrip::SelectedPosition() const {
    return bar_->currentIndex() + 1;
}
void TabStrip::SelectPosition(int position) {
    bar_->setCurrentIndex(position - 1);
}
QString TabStrip::Key(int position) const {
    return bar_->tabData(position - 1).toString();
}

QMargins TabStrip::ClientMargins() const {
    return QMargins(2, bar_->sizeHint().height() + 2, 2, 2);
}

void TabStrip::resizeEvent(QResizeEvent*) {
    bar_->setGeometry(0, 0, std::min(width(), bar_->sizeHint().width()), bar_->sizeHint().height());
}

void TabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect =
        QRect(0, bar_->sizeHint().height() - 1, width(), height() - bar_->sizeHint().height() + 1);
    frame.lineWidth = 1;
    frame.frameShape = QFrame::StyledPanel;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
}

}  // namespace corvelle
