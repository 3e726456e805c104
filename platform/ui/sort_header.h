// SPDX-License-Identifier: GPL-3.0-or-later
// A column header whose sort arrow points up for ascending order, as Windows and the desktops
// show it (Qt's own header leaves the direction to the style, and the styles disagree).
#pragma once

#include <QHeaderView>

class QTreeView;

namespace corvelle {

class SortHeader : public QHeaderView {
  public:
    explicit SortHeader(QWidget* parent);

  protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
};

// Gives the view a SortHeader; call before configuring its header.
void UseSortHeader(QTreeView* view);

}  // namespace corvelle
