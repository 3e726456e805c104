// SPDX-License-Identifier: GPL-3.0-or-later
// The processing log "RUZO.LOG": one line per row, before,after,result, CR LF.
#pragma once

#include <string>

namespace corvelle {

class ProcessList;

inline constexpr const char* kLogFileName = "RUZO.LOG";

// Paths as held; the program's own texts (marker, results) in the system code page. Where
// names are Unicode (Windows) all of it is in the code page when it fits, else UTF-8 behind a
// byte-order mark.
std::string LogText(const ProcessList& list);
// The same lines, all in UTF-8.
std::string LogTextUtf8(const ProcessList& list);
// Replaces the file; false (and the earlier file kept) on failure.
bool SaveLog(const ProcessList& list, const std::string& path);
std::string LogFilePath();

}  // namespace corvelle
