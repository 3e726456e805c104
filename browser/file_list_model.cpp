// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/file_list_model.h"

#include <array>

#include "browser/file_list.h"
#include "platform/ui/path_text.h"

namespace corvelle {

FileListModel::FileListModel(FileList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

const QIcon& FileListModel::TypeIcon(int index) {
    static const std::array<QIcon, 10> icons = [] {
        std::array<QIcon, 10> out;
        for (int i = 1; i <= 9; ++i) {
            out[static_cast<size_t>(i)].addFile(QStringLiteral(":/icons/type%1-13.png").arg(i));
            out[static_cast<size_t>(i)].addFile(QStringLiteral(":/icons/type%1-32.png").arg(i));
        }
        return out;
    }();
    return icons[static_cast<size_t>(index >= 1 && index <= 9 ? index : 9)];
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.Count();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FileList::kColumns;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.Count())
        return {};
    const FileRow& row = list_.Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            // Names that are not UTF-8 show with replacement marks; the bytes stay in the list.
            return PathToQString(FileList::Cell(row, index.column()));
        case Qt::EditRole:
            if (index.column() == 0)
                return PathToQString(row.name);  // the editor starts from the current name
            return {};
        case Qt::DecorationRole:
            if (index.column() == 0)
                return TypeIcon(row.icon);
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == 1)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < FileList::kColumns) {
        if (role == Qt::DisplayRole)
            return QString::fromLatin1(FileList::Caption(section));
        if (role == Qt::TextAlignmentRole && section == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != 0 || !RenameHandler)
        return false;
    const std::string name = QStringToPath(value.toString());
    if (name == list_.Row(index.row()).name)
        return false;
    if (!RenameHandler(index.row(), name))
        return false;
    list_.SetName(index.row(), name);
    emit dataChanged(index, index);
    return true;
}

void FileListModel::Reordered() {
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

}  // namespace corvelle
