// SPDX-License-Identifier: GPL-3.0-or-later
// What the folder commands and their dialogs hand each other, and the recent destinations.
#pragma once

#include <string>

namespace corvelle {

struct SettingsRecord;

extern std::string MkDirParent;   // where the new-folder dialog creates its folder
extern std::string RenameSource;  // the old path or name of what is being renamed
extern std::string DestDirPath;   // the destination chosen, ending in "/"
extern bool DestDirOk;            // true only when a destination was confirmed

// A confirmed destination moves to the front of the recent list (ten at most).
void DestDirRemember(SettingsRecord& rec, const std::string& destDirPath);
int DestDirCountOf(const SettingsRecord& rec);

}  // namespace corvelle
