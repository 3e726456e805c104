// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/dir_tree_model.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstring>

#include "platform/os/enumeration.h"
#include "platform/os/folders.h"
#include "platform/ui/path_text.h"
#include "util/paths.h"

namespace corvelle {

struct DirTreeModel::Node {
    std::string name;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> kids;
    bool listed = false;
    bool link = false;      // a link to a folder: shown, never entered
    bool revealed = false;  // hidden, shown because a path went through it
    int hasKids = -1;       // unknown until probed
    int row = 0;            // kept current: views ask for parents constantly
    void Renumber() {
        for (size_t i = 0; i < kids.size(); ++i) kids[i]->row = static_cast<int>(i);
    }
};

namespace {

// Folders as people sort them: letter case folded first, then the bytes.
bool NameLess(const std::string& a, const std::string& b) {
    const int c = CompareIgnoringCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

// A root keeps its separator ("/", "C:\\"); another top folder is named without it.
std::string RootName(const std::string& path) {
    const std::string bare = RemoveBackslash(path);
    return bare.empty() || bare.back() == ':' ? path : bare;
}

// The kid of that name: the same bytes, or where the system ignores letter case, the same
// letters.
template <class Kids>
auto FindKid(Kids& kids, const std::string& name) {
    auto it =
        std::find_if(kids.begin(), kids.end(), [&](const auto& k) { return k->name == name; });
    if (it == kids.end() && NamesIgnoreCase())
        it = std::find_if(kids.begin(), kids.end(),
                          [&](const auto& k) { return CompareIgnoringCase(k->name, name) == 0; });
    return it;
}

// Painted at 1x and 2x, so the folders stay sharp on a scaled screen.
QIcon FolderIcon(QColor body, QColor tab, bool open) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        if (scale > 1)
            p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(body.darker(160), 1.0 / scale + (scale > 1 ? 0.5 : 0)));
        p.setBrush(tab);
        p.drawRect(QRectF(1, 3, 6, 3));
        p.setBrush(body);
        if (open) {
            const QPointF pts[] = {{1, 5}, {12, 5}, {15, 14}, {3, 14}};
            p.drawRect(QRectF(1, 5, 12, 9));
            p.setBrush(body.lighter(120));
            p.drawPolygon(pts, 4);
        } else {
            p.drawRect(QRectF(1, 5, 14, 9));
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace

DirTreeModel::DirTreeModel(QObject* parent, const std::string& top)
    : QAbstractItemModel(parent), top_(new Node), systemRoots_(top.empty()) {
    // A root is named by its whole path: "/", "C:\\", or another top folder without its trailing
    // separator.
    for (const std::string& path : systemRoots_ ? FolderTreeRoots() : std::vector{top}) {
        auto root = std::make_unique<Node>();
        root->name = RootName(path);
        root->parent = top_.get();
        top_->kids.push_back(std::move(root));
    }
    top_->Renumber();
    top_->listed = true;
    // Set 0: plain grey-blue folders; set 1: classic yellow folders.
    closed_[0] = FolderIcon(QColor(120, 150, 190), QColor(90, 120, 160), false);
    open_[0] = FolderIcon(QColor(120, 150, 190), QColor(90, 120, 160), true);
    closed_[1] = FolderIcon(QColor(240, 200, 80), QColor(220, 170, 50), false);
    open_[1] = FolderIcon(QColor(240, 200, 80), QColor(220, 170, 50), true);
}

DirTreeModel::~DirTreeModel() = default;

DirTreeModel::Node* DirTreeModel::NodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : top_.get();
}

QModelIndex DirTreeModel::IndexFor(Node* node) const {
    if (!node || node == top_.get())
        return {};
    return createIndex(node->row, 0, node);
}

QModelIndex DirTreeModel::index(int row, int column, const QModelIndex& parent) const {
    Node* p = NodeAt(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(p->kids.size()))
        return {};
    return createIndex(row, 0, p->kids[static_cast<size_t>(row)].get());
}

QModelIndex DirTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    return IndexFor(NodeAt(child)->parent);
}

int DirTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(NodeAt(parent)->kids.size());
}

int DirTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant DirTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Node* n = NodeAt(index);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return PathToQString(n->name);
        case Qt::ToolTipRole:
            return PathToQString(PathOf(index));
        case Qt::DecorationRole: {
            const int set = imageType_ == 0 ? 0 : 1;
            return n->listed && !n->kids.empty() ? open_[set] : closed_[set];
        }
        default:
            return {};
    }
}

bool DirTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !renameHandler_)
        return false;
    const std::string name = QStringToPath(value.toString());
    if (name == NodeAt(index)->name)
        return false;
    // The handler changes the disk and this model; it runs after the editor has closed.
    const QPersistentModelIndex where(index);
    QMetaObject::invokeMethod(
        this,
        [this, where, name] {
            if (where.isValid())
                renameHandler_(where, name);
        },
        Qt::QueuedConnection);
    return false;
}

Qt::ItemFlags DirTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (NodeAt(index)->parent != top_.get())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DirTreeModel::hasChildren(const QModelIndex& parent) const {
    Node* n = NodeAt(parent);
    if (n->listed)
        return !n->kids.empty();
    if (n->link)
        return false;
    if (quick_)
        return true;
    if (n->hasKids < 0) {
        // One question instead of a listing, for every row of a big folder.
        n->hasKids = MayHaveSubfolders(PathOf(parent)) ? 1 : 0;
    }
    return n->hasKids == 1;
}

bool DirTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node* n = NodeAt(parent);
    return !n->listed && !n->link;
}

void DirTreeModel::fetchMore(const QModelIndex& parent) {
    Node* n = NodeAt(parent);
    if (n->listed || n->link)
        return;
    // Asked from a slot that is being told of an insert or a removal: the reading waits until
    // that change is over, so that no change ever starts inside another.
    if (announcing_ > 0) {
        const QPersistentModelIndex where(parent);
        QMetaObject::invokeMethod(
            this, [this, where] { fetchMore(where); }, Qt::QueuedConnection);
        return;
    }
    List(n, true);
}

void DirTreeModel::EndInsert() {
    ++announcing_;
    endInsertRows();
    --announcing_;
}

void DirTreeModel::EndRemove() {
    ++announcing_;
    endRemoveRows();
    --announcing_;
}

std::string DirTreeModel::PathOf(const QModelIndex& index) const {
    std::vector<const Node*> chain;
    for (const Node* n = NodeAt(index); n && n != top_.get(); n = n->parent) chain.push_back(n);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path.append((*it)->name);
        if (path.back() != kSep)
            path.push_back(kSep);
    }
    return path;
}

void DirTreeModel::List(Node* node, bool notify) {
    const std::string path = PathOf(IndexFor(node));
    std::vector<std::unique_ptr<Node>> kids;
    EnumerateFolder(path, [&](const DirEntry& e) {
        if (e.hidden)
            return true;
        bool link = false;
        if (e.kind == EntryKind::Folder ||
            (e.kind == EntryKind::Link && IsFolderOrLinkToFolder(path + e.name, link))) {
            auto k = std::make_unique<Node>();
            k->name = e.name;
            k->parent = node;
            k->link = e.kind == EntryKind::Link;
            kids.push_back(std::move(k));
        }
        return true;
    });
    std::sort(kids.begin(), kids.end(),
              [](const auto& a, const auto& b) { return NameLess(a->name, b->name); });
    node->listed = true;
    node->hasKids = kids.empty() ? 0 : 1;
    if (kids.empty())
        return;
    if (notify)
        beginInsertRows(IndexFor(node), 0, static_cast<int>(kids.size()) - 1);
    node->kids = std::move(kids);
    node->Renumber();
    if (notify)
        EndInsert();
}

void DirTreeModel::Merge(Node* node) {
    const std::string path = PathOf(IndexFor(node));
    std::vector<std::string> names;
    std::vector<std::string> hidden;
    std::vector<bool> links;
    EnumerateFolder(path, [&](const DirEntry& e) {
        bool link = false;
        if ((e.kind == EntryKind::Folder ||
             (e.kind == EntryKind::Link && IsFolderOrLinkToFolder(path + e.name, link)))) {
            names.push_back(e.name);
            if (e.hidden)
                hidden.push_back(e.name);
        }
        return true;
    });
    std::sort(names.begin(), names.end());
    const auto isHidden = [&](const std::string& name) {
        return std::find(hidden.begin(), hidden.end(), name) != hidden.end();
    };
    const QModelIndex parentIndex = IndexFor(node);
    // Drop vanished folders (and hidden ones nobody asked to reveal).
    for (int row = static_cast<int>(node->kids.size()) - 1; row >= 0; --row) {
        const Node* k = node->kids[static_cast<size_t>(row)].get();
        const bool present = std::binary_search(names.begin(), names.end(), k->name);
        if (present && (!isHidden(k->name) || k->revealed))
            continue;
        beginRemoveRows(parentIndex, row, row);
        node->kids.erase(node->kids.begin() + row);
        node->Renumber();
        EndRemove();
    }
    // Add new ones at their sorted places.
    for (const std::string& name : names) {
        if (isHidden(name))
            continue;
        auto pos = std::lower_bound(
            node->kids.begin(), node->kids.end(), name,
            [](const auto& k, const std::string& n) { return NameLess(k->name, n); });
        if (pos != node->kids.end() && (*pos)->name == name)
            continue;
        const int row = static_cast<int>(pos - node->kids.begin());
        auto k = std::make_unique<Node>();
        k->name = name;
        k->parent = node;
        bool link = false;
        IsFolderOrLinkToFolder(path + name, link);
        k->link = link;
        beginInsertRows(parentIndex, row, row);
        node->kids.insert(node->kids.begin() + row, std::move(k));
        node->Renumber();
        EndInsert();
    }
    node->hasKids = node->kids.empty() ? 0 : 1;
    for (auto& k : node->kids) {
        if (k->listed)
            Merge(k.get());
        else
            k->hasKids = -1;
    }
}

void DirTreeModel::MergeRoots() {
    // Drives come and go (a USB stick); the ones still there keep their nodes.
    const std::vector<std::string> now = FolderTreeRoots();
    for (int row = static_cast<int>(top_->kids.size()) - 1; row >= 0; --row) {
        const std::string& name = top_->kids[static_cast<size_t>(row)]->name;
        if (std::find(now.begin(), now.end(), name) != now.end())
            continue;
        beginRemoveRows({}, row, row);
        top_->kids.erase(top_->kids.begin() + row);
        top_->Renumber();
        EndRemove();
    }
    for (size_t i = 0; i < now.size(); ++i) {
        const auto row = static_cast<int>(i);
        if (i < top_->kids.size() && top_->kids[i]->name == now[i])
            continue;
        auto root = std::make_unique<Node>();
        root->name = now[i];
        root->parent = top_.get();
        beginInsertRows({}, row, row);
        top_->kids.insert(top_->kids.begin() + row, std::move(root));
        top_->Renumber();
        EndInsert();
    }
}

void DirTreeModel::Refresh() {
    if (systemRoots_)
        MergeRoots();
    for (auto& root : top_->kids) {
        if (root->listed)
            Merge(root.get());
        emit dataChanged(IndexFor(root.get()), IndexFor(root.get()));
    }
}

DirTreeModel::Node* DirTreeModel::RootFor(const std::string& path) const {
    for (const auto& root : top_->kids) {
        const std::string rootPath = PathOf(IndexFor(root.get()));
        const std::string_view head = std::string_view(path).substr(0, rootPath.size());
        if (head == rootPath || (NamesIgnoreCase() && CompareIgnoringCase(head, rootPath) == 0))
            return root.get();
    }
    return nullptr;
}

QModelIndex DirTreeModel::IndexOf(const std::string& path) {
    if (path.empty())
        return {};
    const std::string wanted = AddBackslash(path);
    Node* node = RootFor(wanted);
    if (!node)
        return {};
    const std::string topPath = PathOf(IndexFor(node));
    std::vector<std::string> parts;
    StrSplit(wanted.substr(topPath.size()), kSep, parts);
    for (const std::string& part : parts) {
        if (part.empty() || part == ".")
            continue;
        if (!node->listed)
            List(node, true);
        auto it = FindKid(node->kids, part);
        if (it == node->kids.end()) {
            bool link = false;
            const std::string full = PathOf(IndexFor(node)) + part;
            if (part == ".." || !IsFolderOrLinkToFolder(full, link))
                break;
            // A hidden folder (or one made since the last read) shown because it was asked for.
            auto k = std::make_unique<Node>();
            k->name = part;
            k->parent = node;
            k->link = link;
            k->revealed = true;
            auto pos = std::lower_bound(
                node->kids.begin(), node->kids.end(), part,
                [](const auto& a, const std::string& n) { return NameLess(a->name, n); });
            const int row = static_cast<int>(pos - node->kids.begin());
            beginInsertRows(IndexFor(node), row, row);
            it = node->kids.insert(pos, std::move(k));
            node->Renumber();
            EndInsert();
        }
        node = it->get();
    }
    return IndexFor(node);
}

void DirTreeModel::SetImageType(int type) {
    imageType_ = type;
    // Every row the views may show changes at once, not only the root.
    std::vector<Node*> parents{top_.get()};
    while (!parents.empty()) {
        Node* n = parents.back();
        parents.pop_back();
        if (n->kids.empty())
            continue;
        emit dataChanged(IndexFor(n->kids.front().get()), IndexFor(n->kids.back().get()),
                         {Qt::DecorationRole});
        for (const auto& kid : n->kids) parents.push_back(kid.get());
    }
}

}  // namespace corvelle
