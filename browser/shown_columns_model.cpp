// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/shown_columns_model.h"

namespace corvelle {
namespace {

constexpr int kHidden = 3;  // "SizeDmy"

}  // namespace

int ShownColumnsModel::ListColumn(int shown) {
    return shown >= kHidden ? shown + 1 : shown;
}

int ShownColumnsModel::ShownColumn(int listColumn) {
    if (listColumn == kHidden)
        return -1;
    return listColumn > kHidden ? listColumn - 1 : listColumn;
}

int ShownColumnsModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !sourceModel())
        return 0;
    const int n = sourceModel()->columnCount();
    return n > kHidden ? n - 1 : n;
}

QModelIndex ShownColumnsModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() ||
        column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex ShownColumnsModel::parent(const QModelIndex&) const {
    return {};  // a flat list
}

QModelIndex ShownColumnsModel::sibling(int row, int column, const QModelIndex&) const {
    return index(row, column);
}

QModelIndex ShownColumnsModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || !sourceModel())
        return {};
    return sourceModel()->index(proxyIndex.row(), ListColumn(proxyIndex.column()));
}

QModelIndex ShownColumnsModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid())
        return {};
    const int column = ShownColumn(sourceIndex.column());
    return column < 0 ? QModelIndex() : createIndex(sourceIndex.row(), column);
}

QVariant ShownColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!sourceModel())
        return {};
    return sourceModel()->headerData(orientation == Qt::Horizontal ? ListColumn(section) : section,
                                     orientation, role);
}

}  // namespace corvelle
