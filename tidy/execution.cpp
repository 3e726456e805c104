#include "tidy/execution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "platform/os/enumeration.h"
#include "shellops/sh_file_lib.h"
#include "tidy/process_list.h"
#include "util/paths.h"

namespace corvelle {
namespace {

bool IsRealFolder(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entries of a folder, up to `most` of them; false when it cannot be listed.
bool FirstEntries(const std::string& folder, size_t most, std::vector<std::string>& names) {
    names.clear();
    return !EnumerateFolder(folder, [&](const DirEntry& e) {
        names.push_back(e.name);
        return names.size() <= most;
    });
}

bool DeleteRow(const std::string& before, OwnerHandle owner) {
    // Still a real folder? The removal itself takes only an empty one, so a file that
    // arrives at any moment keeps its folder.
    if (!IsRealFolder(RemoveBackslash(before)))
        return false;
    return ShFileDeleteEmptyFolder(owner, before) == 0;
}

bool RaiseRow(const std::string& before, const std::string& after, OwnerHandle owner) {
    const std::string parent = AddBackslash(after);
    const std::string name = PathLeaf(RemoveBackslash(before));
    std::vector<std::string> names;
    // The after folder must still hold exactly the before folder, a real folder.
    if (name.empty() || RemoveBackslash(before) != parent + name || !IsRealFolder(after) ||
        !FirstEntries(after, 1, names) || names.size() != 1 || names[0] != name ||
        !IsRealFolder(parent + name))
        return false;
    std::string source = parent + name;
    // An entry named like the folder itself would have to land where the folder still
    // stands: move the folder aside first, so the whole content comes up.
    struct stat st;
    if (lstat((AddBackslash(source) + name).c_str(), &st) == 0) {
        static std::atomic<unsigned> counter{0};
        const std::string aside = parent + ".corvelle-raise-" + std::to_string(getpid()) + "-" +
                                  std::to_string(++counter);
        if (ShFileRename(owner, source, aside) != 0)
            return false;
        source = aside;
    }
    if (ShFileMove(owner, AddBackslash(source) + "*", parent) != 0)
        return false;
    // The emptied folder goes; whether that works does not change the row's success.
    ShFileDeleteEmptyFolder(owner, source);
    return true;
}

}  // namespace

bool ExecuteRow(const ProcessRow& row, OwnerHandle owner) {
    return row.IsDeleteRow() ? DeleteRow(row.before, owner)
                             : RaiseRow(row.before, row.after, owner);
}

int ExecuteList(ProcessList& list, const ExecutionUi& ui) {
    int failed = 0;
    const int count = list.Count();
    for (int i = 0; i < count; ++i) {
        const ProcessRow& row = list.Row(i);
        if (!row.checked) {
            const bool ok = ExecuteRow(row, ui.owner);
            list.SetResult(i, ok ? kResultSuccess : kResultFailure);
            if (!ok)
                ++failed;
        }
        if (ui.status)
            ui.status(list.Row(i).before + "処理中");
    }
    return failed;
}

}  // namespace corvelle
