// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/file_list.h"

#include <algorithm>
#include <cstdio>

#include "platform/os/enumeration.h"
#include "platform/os/local_time.h"
#include "util/file_types.h"
#include "util/numbers.h"
#include "util/paths.h"

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
    // The year without padding, the rest two digits each.
    std::string text = LocalTimeTextOf(static_cast<long long>(t), "%Y/%m/%d %H:%M:%S");
    while (text.size() > 1 && text[0] == '0') text.erase(0, 1);
    return text;
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
    std::vector<FileEntry> files;
    if (!ListFiles(folder, files))
        return;
    Currency total;
    for (const FileEntry& e : files) {
        FileRow row;
        row.name = pathMode ? folder + e.name : e.name;
        row.icon = FileIconIndex(FileTypeClass(e.name));
        // Held as the fixed-point size the totals are built from.
        const Currency size =
            UnsignedLong(static_cast<int32_t>(e.bytes >> 32)) * HighDwordFactor() +
            UnsignedLong(static_cast<int32_t>(e.bytes & 0xffffffffu));
        total = total + size;
        row.bytes = size.Whole();
        row.size = FormatGrouped(row.bytes);
        row.date = FormatFileDate(e.mtime);
        row.sizeDmy = FormatSizeDmy(row.bytes);
        row.ext = FileExtension(e.name);
        rows_.push_back(std::move(row));
    }
    total_ = total.Whole();
    if (sorted_) {
        Sort();
    } else {
        // Until a header is clicked: name order, as the listings of the original platform
        // came, rather than the order the folder happens to hold its entries in.
        std::stable_sort(rows_.begin(), rows_.end(), [](const FileRow& a, const FileRow& b) {
            const int c = CompareIgnoringCase(a.name, b.name);
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
        const int c = CompareIgnoringCase(Cell(a, key), Cell(b, key));
        return desc ? c > 0 : c < 0;
    });
}

}  // namespace corvelle
