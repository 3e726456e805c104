// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/process_log.h"

#include "platform/os/codec.h"
#include "platform/os/file_locations.h"
#include "platform/os/file_write.h"
#include "platform/os/folders.h"
#include "tidy/process_list.h"
#include "util/paths.h"

namespace corvelle {

std::string LogTextUtf8(const ProcessList& list) {
    std::string text;
    for (const ProcessRow& row : list.Rows())
        text += row.before + ',' + row.after + ',' + row.result + "\r\n";
    return text;
}

std::string LogText(const ProcessList& list) {
    if (!NamesAreBytes())
        return ToFileText(LogTextUtf8(list));
    std::string out;
    for (const ProcessRow& row : list.Rows()) {
        out += row.before;
        out += ',';
        out += row.IsDeleteRow() ? ToSystemText(row.after) : row.after;
        out += ',';
        out += ToSystemText(row.result);
        out += "\r\n";
    }
    return out;
}

bool SaveLog(const ProcessList& list, const std::string& path) {
    return WriteFileReplacing(path, LogText(list));
}

std::string LogFilePath() {
    if (!CurrentFileLocations().portable)
        MakeFolders(RemoveBackslash(CurrentFileLocations().logFolder));
    return CurrentFileLocations().logFolder + kLogFileName;
}

}  // namespace corvelle
