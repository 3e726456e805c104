// SPDX-License-Identifier: GPL-3.0-or-later
// The processing log "RUZO.LOG": one line per row, before,after,result, CR LF.
#pragma once

#include <string>

namespace corvelle {

class ProcessList;

inline constexpr const char* kLogFileName = "RUZO.LOG";

// Paths as held; the program's own texts (marker, results) in the system code page.
std::string LogText(const ProcessList& list);
// Replaces the file; false (and the earlier file kept) on failure.
bool SaveLog(const ProcessList& list, const std::string& path);
std::string LogFilePath();

}  // namespace corvelle
