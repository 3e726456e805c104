// SPDX-License-Identifier: GPL-3.0-or-later
// The folder tree under the system's roots ("/"; each drive on Windows) or under one other top
// folder, as a lazily read model over byte paths.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvelle {

class DirTreeModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    // `top` is the one top-level row; empty: the system's roots, as the window shows them. A
    // smaller tree lets a checker walk every folder.
    explicit DirTreeModel(QObject* parent = nullptr, const std::string& top = {});
    ~DirTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // "/a/b/" ("C:\\a\\b\\") for the folder at index.
    std::string PathOf(const QModelIndex& index) const;
    // The index of a folder path, reading and revealing (even hidden) folders on the way;
    // the deepest existing folder when the path goes on past it.
    QModelIndex IndexOf(const std::string& path);
    // Re-reads every folder already read; kept nodes keep their indexes.
    void Refresh();

    void SetImageType(int type);
    int ImageType() const { return imageType_; }
    void SetQuickMode(bool quick) { quick_ = quick; }
    bool QuickMode() const { return quick_; }
    // Called with the folder index and the edited name (bytes); the model itself keeps the
    // old label, the handler renames on disk and redisplays.
    void SetRenameHandler(std::function<void(const QModelIndex&, const std::string&)> h) {
        renameHandler_ = std::move(h);
    }

    struct Node;

  private:
    Node* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexFor(Node* node) const;
    void List(Node* node, bool notify);
    void Merge(Node* node);
    void EndInsert();
    void EndRemove();

    Node* RootFor(const std::string& path) const;
    void MergeRoots();

    std::unique_ptr<Node> top_;  // invisible; its children are the roots
    bool systemRoots_ = false;
    int imageType_ = 1;
    bool quick_ = false;
    int announcing_ = 0;  // inside the end of an insert or a removal
    QIcon closed_[2], open_[2];
    std::function<void(const QModelIndex&, const std::string&)> renameHandler_;
};

}  // namespace corvelle
