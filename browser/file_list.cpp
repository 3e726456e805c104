// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/file_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "util/file_types.h"
#include "util/numbers.h"

namespace corvelle {

std::string FormatGrouped(int64_t v) {
    const bool negative = v < 0;
    std::string digits = std::to_string(negative ? -v : v);
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        out += digits[i];
        if ((n - i - 1) % 3 == 0 && i + 1 < n)
            out += ',';
    }
    return negative ? "-" + out : out;
}

std::string FormatSizeDmy(int64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%011lld", static_cast<long long>(v));
    return buf;
}

std::string FormatFileDate(time_t t) {
    struct tm tm;
    localtime_r(&t, &tm);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string FilesStatusText(int64_t count, int64_t total) {
    return " " + std::to_string(count) + "Files  Total " + FormatGrouped(total) + "bytes";
}

const char* FileList::Caption(int column) {
    static const char* captions[kColumns] = {"FileName", "Size", "Date", "SizeDmy", "Ext"};
    return captions[column];
}

const std::string& FileList::Cell(const FileRow& row, int column) {
    switch (column) {
        case 0:
            return row.name;
        case 1:
            return row.size;
        case 2:
            return row.date;
        case 3:
            return row.sizeDmy;
        default:
            return row.ext;
    }
}

void FileList::Load(const std::string& folder, bool initFlg, bool pathMode) {
    if (initFlg)
        rows_.clear();
    total_ = 0;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return;
    }
    Currency total;
    while (const dirent* e = readdir(dir)) {
        if (e->d_type == DT_DIR)
            continue;  // also drops "." and ".."
        // The entry's own record: a link is listed with its own size and date.
        struct stat st;
        if (fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
            continue;
        struct stat target;
        if (S_ISLNK(st.st_mode) && fstatat(fd, e->d_name, &target, 0) == 0 &&
            S_ISDIR(target.st_mode))
            continue;  // a link to a folder is a folder here, as the folder tree shows it
        FileRow row;
        row.name = pathMode ? folder + e->d_name : e->d_name;
        row.icon = FileIconIndex(FileTypeClass(e->d_name));
        // Held as the fixed-point size the totals are built from.
        const uint64_t bytes = static_cast<uint64_t>(st.st_size);
        const Currency size = UnsignedLong(static_cast<int32_t>(bytes >> 32)) * HighDwordFactor() +
                              UnsignedLong(static_cast<int32_t>(bytes & 0xffffffffu));
        total = total + size;
        row.bytes = size.Whole();
        row.size = FormatGrouped(row.bytes);
        row.date = FormatFileDate(st.st_mtime);
        row.sizeDmy = FormatSizeDmy(row.bytes);
        row.ext = FileExtension(e->d_name);
        rows_.push_back(std::move(row));
    }
    closedir(dir);
    total_ = total.Whole();
    if (sorted_) {
        Sort();
    } else {
        // Until a header is clicked: name order, as the listings of the original platform
        // came, rather than the order the folder happens to hold its entries in.
        std::stable_sort(rows_.begin(), rows_.end(), [](const FileRow& a, const FileRow& b) {
            const int c = strcasecmp(a.name.c_str(), b.name.c_str());
            return c != 0 ? c < 0 : a.name < b.name;
        });
    }
}

void FileList::ColumnClick(int column) {
    sortKey_ = column == 1 ? 3 : column;
    sorted_ = true;
    descending_ = !descending_;
    Sort();
}

void FileList::Sort() {
    const int key = sortKey_;
    const bool desc = descending_;
    // Texts compare without regard to letter case, as file managers here do.
    std::stable_sort(rows_.begin(), rows_.end(), [key, desc](const FileRow& a, const FileRow& b) {
        const int c = strcasecmp(Cell(a, key).c_str(), Cell(b, key).c_str());
        return desc ? c > 0 : c < 0;
    });
}

}  // namespace corvelle
