// SPDX-License-Identifier: GPL-3.0-or-later
// Path texts that share their beginnings: each text is a chain of pieces cut at "/", each
// piece stored once with the piece before it. A plan of a million rows under a few
// thousand folders keeps each folder's name once; texts are built again when asked for,
// byte for byte as they were given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

class PathTable {
  public:
    using Node = std::uint32_t;
    static constexpr Node kNone = UINT32_MAX;  // the empty text

    // Any bytes; a text sharing its beginning with the one stored last shares its nodes.
    Node Intern(std::string_view text);
    std::string Text(Node node) const;
    void AppendText(Node node, std::string& out) const;
    void Clear();
    void Compact();  // lets go of room kept for texts to come
    std::size_t Bytes() const;

  private:
    struct Piece {
        Node parent;  // kNone: the text's first piece
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::string_view Name(const Piece& p) const { return {names_.data() + p.offset, p.length}; }

    std::vector<Piece> pieces_;
    std::string names_;
    std::vector<Node> last_;  // the pieces of the text stored last, first to last
};

}  // namespace corvelle
