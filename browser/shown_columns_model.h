// SPDX-License-Identifier: GPL-3.0-or-later
// The file list's columns as the views show them: the size key kept for sorting ("SizeDmy")
// is left out, so no view, header or screen reader meets its zero-padded numbers.
#pragma once

#include <QIdentityProxyModel>

namespace corvelle {

class ShownColumnsModel : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    // A shown column's column in the file list, and back (-1 for the hidden one).
    static int ListColumn(int shown);
    static int ShownColumn(int listColumn);

    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& idx) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
};

}  // namespace corvelle
