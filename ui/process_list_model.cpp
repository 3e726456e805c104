// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/process_list_model.h"

#include <QStringList>

#include "platform/ui/path_text.h"
#include "tidy/process_list.h"

namespace corvelle {

ProcessListModel::ProcessListModel(ProcessList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    ProcessList::Listener l;
    l.reset = [this] {
        beginResetModel();
        shown_ = list_.Count();
        endResetModel();
    };
    l.inserted = [this](int row) {
        const int count = list_.Count();
        if (defer_ && row == count - 1 && row >= shown_)
            return;
        if (shown_ < count - 1) {
            // Rows were waiting and this one landed among them: show the list afresh.
            beginResetModel();
            shown_ = count;
            endResetModel();
            return;
        }
        beginInsertRows({}, row, row);
        ++shown_;
        endInsertRows();
    };
    l.changed = [this](int row, int column) {
        Flush();
        emit dataChanged(index(row, column), index(row, column));
    };
    l.reordered = [this] {
        Flush();
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    };
    list_.SetListener(std::move(l));
}

void ProcessListModel::SetDeferInserts(bool defer) {
    if (!defer)
        Flush();
    defer_ = defer;
}

void ProcessListModel::Flush() {
    const int count = list_.Count();
    if (count <= shown_)
        return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

int ProcessListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ProcessListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !list_.HasColumns() ? 0 : 3;
}

QString ProcessListModel::Caption(int column) {
    static const char* captions[] = {"変更前", "変更後", "処理結果"};
    return QString::fromUtf8(captions[column]);
}

QString ProcessListModel::DisplayText(int row, int column) const {
    return PathToQString(list_.Cell(row, column));
}

QVariant ProcessListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.Count())
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return DisplayText(index.row(), index.column());
        case Qt::CheckStateRole:
            if (index.column() == 0)
                return list_.Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ToolTipRole:
            // A failed row says why where it says that it failed.
            if (index.column() == 2)
                if (const Error* failure = list_.Failure(index.row()); failure && *failure)
                    return PathToQString(ErrorMessage(*failure));
            // A row that removes junk files first names them.
            if (const std::vector<JunkFile>& junk = list_.Junk(index.row()); !junk.empty()) {
                QStringList names;
                for (const JunkFile& j : junk) names << PathToQString(j.name);
                return QStringLiteral("不要ファイルも削除します: ") +
                       names.join(QStringLiteral(", "));
            }
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
