// SPDX-License-Identifier: GPL-3.0-or-later
// The directory-tree control: the folder tree from "/", with a selected path and events.
#pragma once

#include <QWidget>
#include <string>

class QTreeView;
class QModelIndex;

namespace corvelle {

class DirTreeModel;

class DirTree : public QWidget {
    Q_OBJECT
  public:
    explicit DirTree(QWidget* parent = nullptr);
    // Trees made from now on show one folder as their only top (the guide's pictures show a
    // sample tree, not the machine's); empty: the system's roots.
    static void ShowOnlyBelow(const std::string& top);

    // The selection as a folder path ending in "/" ("" when nothing is selected).
    std::string Path() const;
    // Selects and reveals the folder. A folder that cannot be found still becomes the Path
    // (the deepest existing folder on its way is highlighted), so the owner can tell.
    void SetPath(const std::string& path);
    int ImageType() const;
    void SetImageType(int type);
    bool QuickMode() const;
    void SetQuickMode(bool quick);
    // Re-reads what has been read; keeps the selection while it exists, else its parent.
    void Redisplay();

    QTreeView* View() const { return view_; }

  signals:
    void PathChanged();
    void LabelEditStarting(bool* cancel);
    void LabelEditDone(bool* cancel, const std::string& newName);
    void TreeActivated();

  private:
    void OnCurrentChanged();
    void SelectIndex(const QModelIndex& index);

    DirTreeModel* model_;
    QTreeView* view_;
    std::string lastPath_;
    std::string missingPath_;  // a written Path that is not in the tree
    bool quiet_ = false;
};

}  // namespace corvelle
