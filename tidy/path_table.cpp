// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/path_table.h"

#include <stdexcept>

namespace corvelle {

PathTable::Node PathTable::Intern(std::string_view text) {
    if (text.empty())
        return kNone;
    Node parent = kNone;
    size_t depth = 0;
    size_t pos = 0;
    for (;;) {
        const size_t slash = text.find('/', pos);
        const std::string_view name = text.substr(
            pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        if (depth < last_.size() && Name(pieces_[last_[depth]]) == name) {
            parent = last_[depth];
        } else {
            last_.resize(depth);
            if (pieces_.size() >= kNone || names_.size() + name.size() > UINT32_MAX)
                throw std::length_error("path table full");
            pieces_.push_back({parent, static_cast<std::uint32_t>(names_.size()),
                               static_cast<std::uint32_t>(name.size())});
            names_.append(name);
            parent = static_cast<Node>(pieces_.size() - 1);
            last_.push_back(parent);
        }
        ++depth;
        if (slash == std::string_view::npos)
            break;
        pos = slash + 1;
    }
    last_.resize(depth);
    return parent;
}

void PathTable::AppendText(Node node, std::string& out) const {
    if (node == kNone)
        return;
    // The pieces from the last to the first, then written in order.
    Node chain[64];
    std::vector<Node> deep;
    size_t n = 0;
    for (Node at = node; at != kNone; at = pieces_[at].parent) {
        if (n < 64)
            chain[n++] = at;
        else
            deep.push_back(at);
    }
    for (size_t i = deep.size(); i-- > 0;) {
        out.append(Name(pieces_[deep[i]]));
        out += '/';
    }
    for (size_t i = n; i-- > 0;) {
        out.append(Name(pieces_[chain[i]]));
        if (i > 0)
            out += '/';
    }
}

std::string PathTable::Text(Node node) const {
    std::string out;
    AppendText(node, out);
    return out;
}

void PathTable::Clear() {
    pieces_.clear();
    pieces_.shrink_to_fit();
    names_.clear();
    names_.shrink_to_fit();
    last_.clear();
}

void PathTable::Compact() {
    pieces_.shrink_to_fit();
    names_.shrink_to_fit();
}

std::size_t PathTable::Bytes() const {
    return pieces_.capacity() * sizeof(Piece) + names_.capacity();
}

}  // namespace corvelle
