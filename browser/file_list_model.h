// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the file list's rows; names stay bytes in the list, texts here are for display.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <string>

namespace corvelle {

class FileList;

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    FileListModel(FileList& list, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Renames on disk; false keeps the old label.
    std::function<bool(int row, const std::string& newName)> RenameHandler;

    // Call around changes of the list (a load, a sort).
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void Reordered();

    // The type icon of an index 1 to 9, at 13 and 32 pixels.
    static const QIcon& TypeIcon(int index);

  private:
    FileList& list_;
};

}  // namespace corvelle
