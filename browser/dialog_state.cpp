// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/dialog_state.h"

#include "app/settings.h"
#include "util/numbers.h"

namespace corvelle {

std::string MkDirParent;
std::string RenameSource;
std::string DestDirPath;
bool DestDirOk = false;

int DestDirCountOf(const SettingsRecord& rec) {
    int64_t n = 0;
    if (LenientInteger(rec.DestDirCount, 0, 10, n))
        return 0;
    return static_cast<int>(n);
}

void DestDirRemember(SettingsRecord& rec, const std::string& path) {
    int count = DestDirCountOf(rec);
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (rec.DestDir[static_cast<size_t>(i)] == path)
            found = i;
    if (found == 0)
        return;
    // Entries above the found one (or all but the last of ten) move one place down.
    const int from = found > 0 ? found : 9;
    for (int j = from; j >= 1; --j)
        rec.DestDir[static_cast<size_t>(j)] = rec.DestDir[static_cast<size_t>(j - 1)];
    rec.DestDir[0] = path;
    if (found < 0 && count < 10)
        rec.DestDirCount = std::to_string(++count);
}

}  // namespace corvelle
