// SPDX-License-Identifier: GPL-3.0-or-later
// The file list of a folder: one row per file, texts ready for the five columns, and the
// list's sort state (kept across loads).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace corvelle {

struct FileRow {
    std::string name;     // column "FileName" (bytes as the file system holds them)
    std::string size;     // "Size": "1,234"
    std::string date;     // "Date": "2006/03/09 07:05:02"
    std::string sizeDmy;  // "SizeDmy": "00000001234"
    std::string ext;      // "Ext"
    int icon = 9;         // 1 to 9
    int64_t bytes = 0;
};

// "#,###,###,##0" and "00000000000".
std::string FormatGrouped(int64_t v);
std::string FormatSizeDmy(int64_t v);
// Local time, "2006/03/09 07:05:02".
std::string FormatFileDate(time_t t);
// " 3Files  Total 1,234bytes"
std::string FilesStatusText(int64_t count, int64_t total);

class FileList {
  public:
    static constexpr int kColumns = 5;
    static const char* Caption(int column);

    // Lists the files of folder (ending in "/"): folders are skipped; a link is listed as
    // itself, its own size and date (a link to a folder is skipped). With pathMode the row
    // text is folder + name. A folder that cannot be read gives no rows. Rows come in name
    // order until the first header click.
    void Load(const std::string& folder, bool initFlg, bool pathMode);

    int Count() const { return static_cast<int>(rows_.size()); }
    const FileRow& Row(int i) const { return rows_[static_cast<size_t>(i)]; }
    int64_t Total() const { return total_; }
    static const std::string& Cell(const FileRow& row, int column);
    // A renamed file keeps its row; only its label changes.
    void SetName(int row, const std::string& name) { rows_[static_cast<size_t>(row)].name = name; }

    // A header click: the key column ("Size" sorts by "SizeDmy"), sorting on, order flipped.
    void ColumnClick(int column);
    bool Sorted() const { return sorted_; }
    int SortKey() const { return sortKey_; }
    bool Descending() const { return descending_; }

  private:
    void Sort();

    std::vector<FileRow> rows_;
    int64_t total_ = 0;
    bool sorted_ = false;
    int sortKey_ = 0;
    bool descending_ = false;
};

}  // namespace corvelle
