// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/dir_tree.h"

#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/os/folders.h"
#include "platform/ui/dir_tree_model.h"
#include "util/paths.h"

namespace corvelle {
namespace {

// Asks the owner before a label edit begins.
class TreeView : public QTreeView {
  public:
    explicit TreeView(DirTree* owner) : QTreeView(owner), owner_(owner) {}

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (trigger & editTriggers()) {
            bool cancel = false;
            emit owner_->LabelEditStarting(&cancel);
            if (cancel)
                return false;
        }
        return QTreeView::edit(index, trigger, event);
    }

  private:
    DirTree* owner_;
};

std::string& TreeTop() {
    static std::string top;
    return top;
}

}  // namespace

void DirTree::ShowOnlyBelow(const std::string& top) {
    TreeTop() = top;
}

DirTree::DirTree(QWidget* parent) : QWidget(parent), model_(new DirTreeModel(this, TreeTop())) {
    view_ = new TreeView(this);
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    view_->setUniformRowHeights(true);
    view_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->header()->setStretchLastSection(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        missingPath_.clear();  // a real selection replaces a written path that was not found
        OnCurrentChanged();
    });
    connect(view_, &QTreeView::clicked, this, [this] { emit TreeActivated(); });
    model_->SetRenameHandler([this](const QModelIndex& index, const std::string& name) {
        SelectIndex(index);
        bool cancel = false;
        emit LabelEditDone(&cancel, name);
    });
    view_->expand(model_->index(0, 0, {}));
}

std::string DirTree::Path() const {
    if (!missingPath_.empty())
        return missingPath_;
    const QModelIndex cur = view_->currentIndex();
    return cur.isValid() ? model_->PathOf(cur) : std::string();
}

void DirTree::SelectIndex(const QModelIndex& index) {
    if (!index.isValid())
        return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) view_->expand(p);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
}

void DirTree::SetPath(const std::string& path) {
    const QModelIndex index = model_->IndexOf(path);
    const std::string wanted = AddBackslash(path);
    const std::string at = index.isValid() ? model_->PathOf(index) : std::string();
    const bool found =
        index.isValid() &&
        (at == wanted || (NamesIgnoreCase() && CompareIgnoringCase(at, wanted) == 0));
    // Highlight the folder (or the deepest one found on its way) without reporting that, then
    // report the path as written once.
    quiet_ = true;
    SelectIndex(index);
    quiet_ = false;
    missingPath_ = found ? std::string() : wanted;
    OnCurrentChanged();
}

int DirTree::ImageType() const {
    return model_->ImageType();
}
void DirTree::SetImageType(int type) {
    model_->SetImageType(type);
}
bool DirTree::QuickMode() const {
    return model_->QuickMode();
}
void DirTree::SetQuickMode(bool quick) {
    model_->SetQuickMode(quick);
}

void DirTree::Redisplay() {
    const std::string wanted = Path();
    model_->Refresh();
    // Keep the selection where it still exists, else move up to the nearest folder that does.
    std::string path = wanted;
    while (!path.empty() && !FolderExists(path)) path = PathParent(RemoveBackslash(path));
    if (!path.empty())
        SetPath(path);
}

void DirTree::OnCurrentChanged() {
    if (quiet_)
        return;
    const std::string now = Path();
    if (now == lastPath_)
        return;
    lastPath_ = now;
    emit PathChanged();
}

}  // namespace corvelle
