#include "tidy/dir_list.h"

#include <cerrno>

#include "platform/os/enumeration.h"
#include "platform/os/folders.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::string Normal(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == kSep) p.pop_back();
    return p;
}

const std::string& Empty() {
    static const std::string empty;
    return empty;
}

}  // namespace

Error DirListBox::SetPath(const std::string& path) {
    const std::string p = Normal(path);
    for (size_t i = stack_.size(); i-- > 0;) {
        if (stack_[i].first == p) {
            stack_.resize(i + 1);
            return {};
        }
    }
    if (!stack_.empty() && PathParent(p) != AddBackslash(stack_.back().first))
        stack_.clear();
    std::vector<std::string> names;
    if (!FolderExists(p))
        return SystemError(ENOENT, p);
    // An unreadable folder simply has no sub-folders to offer.
    ListSubFolders(p, names);
    stack_.emplace_back(p, std::move(names));
    return {};
}

const std::string& DirListBox::Path() const {
    return stack_.empty() ? Empty() : stack_.back().first;
}

int DirListBox::ListCount() const {
    return stack_.empty() ? 0 : static_cast<int>(stack_.back().second.size());
}

std::string DirListBox::List(int i) const {
    if (stack_.empty() || i < 0 || i >= ListCount())
        return {};
    return AddBackslash(stack_.back().first) + stack_.back().second[static_cast<size_t>(i)];
}

}  // namespace corvelle
