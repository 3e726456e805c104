// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/file_types.h"

#include <initializer_list>

namespace corvelle {

std::string FileExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

int FileTypeClass(std::string_view name) {
    std::string ext = FileExtension(name);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    struct Row {
        int cls;
        std::initializer_list<const char*> exts;
    };
    static const Row table[] = {
        {0, {"WMF", "BMP",  "RLE", "JPG", "JPE",  "JPEG", "TIF", "TIFF", "MPT",   "TGA",
             "PNG", "PSD",  "PCX", "DCX", "EPS",  "MAC",  "IMG", "MSP",  "WPG",   "RAS",
             "PCT", "PCD",  "FPX", "CMP", "ICA",  "FXS",  "FAX", "CAL",  "AFP",   "CIN",
             "WMZ", "DJVU", "CUT", "FLC", "IFF",  "JBG",  "PSP", "PBM",  "PTOCA", "SCT",
             "SGI", "SFF",  "CLP", "EMF", "WBMP", "XWD",  "XPM", "ITG",  "SMP",   "XBM"}},
        {1, {"ICO"}},
        {2, {"RTF"}},
        {3, {"INI", "TXT", "BAT", "LOG"}},
        {4, {"RMI", "MID"}},
        {5, {"AU", "WAV", "AIFF", "AIF", "MP3", "WMA"}},
        {6, {"MOV", "AVI", "MPG", "MPEG", "QT", "WMV"}},
        {7, {"GIF"}},
        {8, {"HTML", "HTM"}},
        {9, {"CUR"}},
        {10, {"ANI"}},
    };
    for (const Row& row : table)
        for (const char* e : row.exts)
            if (ext == e)
                return row.cls;
    return 99;
}

int FileIconIndex(int typeClass) {
    switch (typeClass) {
        case 0:
        case 7:
            return 1;
        case 1:
            return 2;
        case 2:
        case 3:
            return 3;
        case 4:
            return 4;
        case 5:
            return 5;
        case 6:
            return 6;
        case 8:
            return 7;
        case 9:
        case 10:
            return 8;
        default:
            return 9;
    }
}

}  // namespace corvelle
