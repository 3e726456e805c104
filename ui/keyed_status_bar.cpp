// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/keyed_status_bar.h"

#include <QLabel>

namespace corvelle {

KeyedStatusBar::KeyedStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
}

void KeyedStatusBar::AddPanel(const QString& key, int stretch, int minimumWidth) {
    auto* label = new QLabel(this);
    label->setObjectName(key);
    label->setMinimumWidth(minimumWidth);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    addWidget(label, stretch);
    panels_.emplace_back(key, label);
}

QLabel* KeyedStatusBar::Panel(const QString& key) const {
    for (const auto& [k, label] : panels_)
        if (k == key)
            return label;
    return nullptr;
}

QString KeyedStatusBar::Text(const QString& key) const {
    const QLabel* l = Panel(key);
    return l ? l->text() : QString();
}

void KeyedStatusBar::SetText(const QString& key, const QString& text) {
    if (QLabel* l = Panel(key)) {
        l->setText(text);
        l->repaint();
    }
}

}  // namespace corvelle
