// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide settings record and its file "RUZO.INI".
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tidy/tidy_rules.h"
#include "util/error.h"

namespace corvelle {

inline constexpr const char* kSettingsFileName = "RUZO.INI";
inline constexpr int kDestDirSlots = 11;  // 0..10; slots 0..9 are stored

struct SettingsRecord {
    int32_t MainTop = 0;
    int32_t MainLeft = 0;
    int32_t MainHeight = 0;
    int32_t MainWidth = 0;
    int32_t SplitterMain = 5000;
    std::string CurrentDirectory;
    int32_t DirImageType = 1;
    bool DirQuickMode = false;
    int16_t ListViewMode = 2;
    std::array<std::string, kDestDirSlots> DestDir{};
    std::string DestDirCount = "0";
    bool SubFolderMode = true;
    bool FolderChangeMode = true;
    bool IgcMode = true;
    int16_t ShoriMode = 0;
    // The search's optional rules: lines after the last one above, which older copies skip.
    TidyRules Rules;
    // What the file held (or the start folder): written instead of a path with a CR in it,
    // which would end its line early and inject a line of its own.
    std::string StoredCurrentDirectory;
    std::array<std::string, kDestDirSlots> StoredDestDir{};
};

// The record the whole program shares.
SettingsRecord& Settings();

// Defaults from the primary screen (in twips) and the process's current folder.
void iniDataInit(SettingsRecord& rec, double screenWidthTw, double screenHeightTw,
                 const std::string& currentFolder);
// Reads the file over the record; a missing file is silent, other errors an OK-only box.
void iniFileLoad(SettingsRecord& rec, const std::string& path);
// The reading itself, over the file's bytes; the first failing conversion stops it.
Error iniTextLoad(SettingsRecord& rec, const std::string& data);
// The bytes iniFileSave writes.
std::string iniFileText(const SettingsRecord& rec);
// Writes the file; failures are silent and leave any earlier file whole.
void iniFileSave(const SettingsRecord& rec, const std::string& path);
// The settings file in the program's folder (or the user's, for an installed copy).
std::string SettingsFilePath();
// Where the settings are read from: that file, or, while it does not exist yet, a copy's
// settings beside the program that it cannot write.
std::string SettingsReadPath();

}  // namespace corvelle
