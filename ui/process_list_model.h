// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the processing list; the rows stay bytes in the list, texts here are for display.
#pragma once

#include <QAbstractTableModel>

namespace corvelle {

class ProcessList;

class ProcessListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    ProcessListModel(ProcessList& list, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // While deferring, rows appended at the end reach the view in batches at Flush(); a
    // search appending a row per folder would otherwise relayout the view every time.
    void SetDeferInserts(bool defer);
    void Flush();

    static QString Caption(int column);
    // A cell as shown: bytes that are not UTF-8 appear as replacement marks.
    QString DisplayText(int row, int column) const;

  private:
    ProcessList& list_;
    int shown_ = 0;  // rows the view knows of
    bool defer_ = false;
};

}  // namespace corvelle
