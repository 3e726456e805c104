// The search's cursor over sub-folders: a hidden folder-list box without a window.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "util/error.h"

namespace corvelle {

class DirListBox {
  public:
    // Lists the folder's sub-folders (sorted byte by byte, hidden ones and links left out).
    // A folder that vanished is an error; one that cannot be read lists nothing.
    Error SetPath(const std::string& path);
    // The listed folder, without a trailing separator (the root stays "/").
    const std::string& Path() const;
    int ListCount() const;
    // Full path of the sub-folder at position i.
    std::string List(int i) const;
    // Forgets every listing; the next SetPath reads the disk again.
    void Refresh() { stack_.clear(); }

  private:
    // Listings along the path from the first folder to the current one: the walk goes one
    // level down or back up, so each folder is read once while it is open.
    std::vector<std::pair<std::string, std::vector<std::string>>> stack_;
};

}  // namespace corvelle
