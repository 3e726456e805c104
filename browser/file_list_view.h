// SPDX-License-Identifier: GPL-3.0-or-later
// The file list control: one model shown as large icons, small icons, a list or details.
#pragma once

#include <QWidget>
#include <functional>

class QMimeData;

class QAbstractItemModel;
class QAbstractItemView;
class QHeaderView;
class QListView;
class QTreeView;

namespace corvelle {

class FileListView : public QWidget {
    Q_OBJECT
  public:
    explicit FileListView(QWidget* parent = nullptr);
    void SetModel(QAbstractItemModel* model);
    // 0 large icons, 1 small icons, 2 list, 3 details.
    void SetView(int mode);
    int View() const { return mode_; }
    // Room for the widest name in the icon and list views.
    void SetItemWidth(int pixels);
    // The details view's header: one section per column of the file list but its sort key.
    QHeaderView* Header() const;
    // The header section of a file list column (-1 for the sort key "SizeDmy").
    static int SectionOf(int listColumn);
    QAbstractItemView* CurrentView() const;
    QListView* IconList() const { return list_; }
    QTreeView* Details() const { return details_; }
    void SelectFirst();

    // Drops from other programs: asked while dragging, told on the drop (copy only).
    std::function<bool(const QMimeData*)> CanDrop;
    std::function<void(const QMimeData*)> Drop;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  Q_SIGNALS:
    // The file list's column under the clicked section.
    void HeaderClicked(int column);

  private:
    void ApplyListMode();

    QListView* list_;
    QTreeView* details_;
    int mode_ = 2;
    int itemWidth_ = 120;
};

}  // namespace corvelle
