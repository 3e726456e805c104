// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/settings_rules.h"
#include "platform/os/codec.h"
#include "platform/os/file_locations.h"
#include "platform/os/file_write.h"
#include "platform/os/folders.h"
#include "platform/os/message_service.h"
#include "util/error.h"
#include "util/numbers.h"
#include "util/paths.h"

namespace corvelle {

SettingsRecord& Settings() {
    static SettingsRecord rec;
    return rec;
}

void iniDataInit(SettingsRecord& rec, double screenWidthTw, double screenHeightTw,
                 const std::string& currentFolder) {
    rec.MainHeight = static_cast<int32_t>(std::floor(screenHeightTw * 0.7));
    rec.MainWidth = static_cast<int32_t>(std::floor(screenWidthTw * 0.7));
    rec.MainTop = static_cast<int32_t>(std::floor(screenHeightTw * 0.15));
    rec.MainLeft = static_cast<int32_t>(std::floor(screenWidthTw * 0.15));
    rec.SplitterMain = 5000;
    rec.CurrentDirectory = AddBackslash(currentFolder);
    rec.StoredCurrentDirectory = rec.CurrentDirectory;
    rec.DirImageType = 1;
    rec.DirQuickMode = false;
    rec.ListViewMode = 2;
    rec.DestDirCount = "0";
    rec.SubFolderMode = true;
    rec.FolderChangeMode = true;
    rec.IgcMode = true;
    rec.ShoriMode = 0;
    rec.Rules = TidyRules{};
}

namespace {

constexpr int64_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kI16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kI16Max = std::numeric_limits<int16_t>::max();

bool StartsWith(const std::string& line, std::string_view key) {
    return line.compare(0, key.size(), key) == 0;
}

// One line against every key in order; the first failing conversion stops the reading.
Error ReadLine(SettingsRecord& rec, const std::string& line) {
    int64_t n = 0;
    struct Measure {
        const char* key;
        int32_t* field;
    };
    const Measure measures[] = {{"MainTop=", &rec.MainTop},
                                {"MainLeft=", &rec.MainLeft},
                                {"MainHeight=", &rec.MainHeight},
                                {"MainWidth=", &rec.MainWidth},
                                {"SplitterMain=", &rec.SplitterMain}};
    for (const Measure& m : measures) {
        if (!StartsWith(line, m.key))
            continue;
        if (Error e = LenientInteger(line.substr(strlen(m.key)), kI32Min, kI32Max, n))
            return e;
        *m.field = static_cast<int32_t>(n);
    }
    if (const std::string k = "CurrentDirectory="; StartsWith(line, k)) {
        const std::string value = line.substr(k.size());
        // Only a full path: a relative one would depend on where the program was started.
        if (IsAbsolutePath(value) && DirCanChange(value, CurrentFolder()))
            rec.CurrentDirectory = rec.StoredCurrentDirectory = value;
    }
    if (const std::string k = "DirImageType="; StartsWith(line, k)) {
        if (Error e = StrictInteger(line.substr(k.size()), kI32Min, kI32Max, n))
            return e;
        rec.DirImageType = static_cast<int32_t>(n);
    }
    if (const std::string k = "DirQuickMode="; StartsWith(line, k)) {
        if (Error e = StrictBoolean(line.substr(k.size()), rec.DirQuickMode))
            return e;
    }
    if (const std::string k = "ListViewMode="; StartsWith(line, k)) {
        if (Error e = LenientInteger(line.substr(k.size()), kI16Min, kI16Max, n))
            return e;
        rec.ListViewMode = static_cast<int16_t>(n);
    }
    for (int i = 0; i <= 9; ++i) {
        const std::string k = "DestDir " + std::to_string(i) + "=";
        if (line.compare(0, 10, k) == 0) {
            rec.DestDir[i] = rec.StoredDestDir[i] = line.substr(10);
            rec.DestDirCount = std::to_string(i + 1);
        }
    }
    struct Flag {
        const char* key;
        bool* field;
    };
    const Flag flags[] = {{"SubFolderMode=", &rec.SubFolderMode},
                          {"FolderChangeMode=", &rec.FolderChangeMode},
                          {"IgcMode=", &rec.IgcMode}};
    for (const Flag& f : flags) {
        if (!StartsWith(line, f.key))
            continue;
        if (Error e = StrictBoolean(line.substr(strlen(f.key)), *f.field))
            return e;
    }
    if (const std::string k = "ShoriMode="; StartsWith(line, k)) {
        if (Error e = StrictInteger(line.substr(k.size()), kI16Min, kI16Max, n))
            return e;
        rec.ShoriMode = static_cast<int16_t>(n);
    }
    return {};
}

}  // namespace

Error iniTextLoad(SettingsRecord& rec, const std::string& data) {
    // Lines end at CR LF or a lone CR; a lone LF stays inside the line.
    Error err;
    RulesReader rules(rec.Rules);
    for (size_t pos = 0; !err && pos < data.size();) {
        size_t cr = data.find('\r', pos);
        if (cr == std::string::npos)
            cr = data.size();
        const std::string line = data.substr(pos, cr - pos);
        err = ReadLine(rec, line);
        if (!err)
            err = rules.Line(line);
        pos = cr + 1;
        if (cr + 1 < data.size() && data[cr + 1] == '\n')
            ++pos;
    }
    return err;
}

void iniFileLoad(SettingsRecord& rec, const std::string& path) {
    std::string data;
    Error err = ReadWholeFile(path, data);
    if (!err)
        err = iniTextLoad(rec, NamesAreBytes() ? data : FromFileText(data));
    if (err && err.number != kErrFileNotFound)
        MessageService::Show(err.description, MsgIcon::Exclamation, MsgButtons::Ok);
}

namespace {

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// A path with a CR or LF would end its line early and inject a line of its own: what the file
// held (or the start folder) is written instead, and nothing when that is no better.
std::string OneLine(const std::string& value, const std::string& stored) {
    if (!HasLineBreak(value))
        return value;
    return HasLineBreak(stored) ? std::string() : stored;
}

}  // namespace

std::string iniFileText(const SettingsRecord& rec) {
    const std::string nl = "\r\n";
    std::string out = "[Corvelle]" + nl;
    out += "MainTop=" + FormatIniNumber(rec.MainTop) + nl;
    out += "MainLeft=" + FormatIniNumber(rec.MainLeft) + nl;
    out += "MainHeight=" + FormatIniNumber(rec.MainHeight) + nl;
    out += "MainWidth=" + FormatIniNumber(rec.MainWidth) + nl;
    out += "SplitterMain=" + FormatIniNumber(rec.SplitterMain) + nl;
    out += "CurrentDirectory=" + OneLine(rec.CurrentDirectory, rec.StoredCurrentDirectory) + nl;
    out += "DirImageType=" + FormatIniNumber(rec.DirImageType) + nl;
    out += "DirQuickMode=" + FormatBoolean(rec.DirQuickMode) + nl;
    out += "ListViewMode=" + FormatIniNumber(rec.ListViewMode) + nl;
    int64_t last = -1;
    if (!LenientInteger(rec.DestDirCount, kI16Min, kI16Max, last))
        --last;
    // Only real slots: a count beyond them must not read past the array.
    if (last > 9)
        last = 9;
    for (int64_t i = 0; i <= last; ++i) {
        const std::string& dest = OneLine(rec.DestDir[i], rec.StoredDestDir[i]);
        if (!dest.empty())
            out += "DestDir " + std::to_string(i) + "=" + dest + nl;
    }
    out += "SubFolderMode=" + FormatBoolean(rec.SubFolderMode) + nl;
    out += "FolderChangeMode=" + FormatBoolean(rec.FolderChangeMode) + nl;
    out += "IgcMode=" + FormatBoolean(rec.IgcMode) + nl;
    out += "ShoriMode=" + FormatIniNumber(rec.ShoriMode) + nl;
    return out + RulesLines(rec.Rules, nl);
}

void iniFileSave(const SettingsRecord& rec, const std::string& path) {
    // Failures are silent; the earlier file then stays whole.
    const std::string text = iniFileText(rec);
    WriteFileReplacing(path, NamesAreBytes() ? text : ToFileText(text));
}

std::string SettingsFilePath() {
    // An installed copy's folder is made the first time it is needed.
    if (!CurrentFileLocations().portable)
        MakeFolders(RemoveBackslash(CurrentFileLocations().settingsFolder));
    return CurrentFileLocations().settingsFolder + kSettingsFileName;
}

std::string SettingsReadPath() {
    const std::string path = SettingsFilePath();
    const std::string& seed = CurrentFileLocations().settingsSeed;
    return seed.empty() || FileExists(path) ? path : seed;
}

}  // namespace corvelle
