#include "ui/process_list_model.h"

#include "tidy/process_list.h"

namespace corvelle {

ProcessListModel::ProcessListModel(ProcessList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    ProcessList::Listener l;
    l.reset = [this] {
        beginResetModel();
        endResetModel();
    };
    l.inserted = [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    };
    l.changed = [this](int row, int column) {
        emit dataChanged(index(row, column), index(row, column));
    };
    l.reordered = [this] {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    };
    list_.SetListener(std::move(l));
}

int ProcessListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.Count();
}

int ProcessListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !list_.HasColumns() ? 0 : 3;
}

QString ProcessListModel::Caption(int column) {
    static const char* captions[] = {"変更前", "変更後", "処理結果"};
    return QString::fromUtf8(captions[column]);
}

QString ProcessListModel::DisplayText(int row, int column) const {
    return QString::fromUtf8(ProcessList::Cell(list_.Row(row), column));
}

QVariant ProcessListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.Count())
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return DisplayText(index.row(), index.column());
        case Qt::CheckStateRole:
            if (index.column() == 0)
                return list_.Row(index.row()).checked ? Qt::Checked : Qt::Unchecked;
            return {};
        default:
            return {};
    }
}

bool ProcessListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0)
        return false;
    list_.SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant ProcessListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return Caption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ProcessListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

}  // namespace corvelle
