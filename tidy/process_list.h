// SPDX-License-Identifier: GPL-3.0-or-later
// The processing list: the tidy plan and its record, rows held as bytes in the list's
// current order. The window shows it through a model; search and execution change it here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/os/file_id.h"
#include "util/error.h"

namespace corvelle {

inline constexpr const char* kDeleteMarker = "★空フォルダのため削除★";
inline constexpr const char* kResultSuccess = "成功";
inline constexpr const char* kResultFailure = "◆失敗!◆";

struct ProcessRow {
    std::string before;    // column "変更前"
    std::string after;     // column "変更後": receiving folder, or the delete marker
    std::string result;    // column "処理結果"
    bool checked = false;  // ticked: left out of execution
    // What the search saw, unseen by the user: execution acts only on these very folders.
    FileId beforeId;
    FileId afterId;  // raise rows: the receiving folder
    FolderMeta beforeMeta;
    FolderMeta parentMeta;  // the folder holding the before folder (times 0: not known)
    Error failure;          // why the row failed, after execution

    bool IsDeleteRow() const { return after == kDeleteMarker; }
};

class ProcessList {
  public:
    // What a view needs to stay in step.
    struct Listener {
        std::function<void()> reset;                       // rows or columns replaced
        std::function<void(int row)> inserted;             // one row inserted at row
        std::function<void(int row, int column)> changed;  // one cell changed
        std::function<void()> reordered;                   // same rows, new order
    };

    void SetListener(Listener l) { listener_ = std::move(l); }

    // Removes every row and (re)creates the three columns.
    void Init();
    bool HasColumns() const { return hasColumns_; }
    int Count() const { return static_cast<int>(rows_.size()) + passed_; }
    const ProcessRow& Row(int i) const { return rows_[static_cast<size_t>(i)]; }
    const std::vector<ProcessRow>& Rows() const { return rows_; }

    // Rows handed to `sink` as they come; unless `keep`, not kept: a preview that streams
    // holds no rows (Count() counts them still; Row() and Rows() have none of them).
    void PassRowsTo(std::function<void(const ProcessRow&)> sink, bool keep) {
        sink_ = std::move(sink);
        keepPassed_ = keep;
    }

    // Appends (or, while sorting is on, inserts in order); returns the row's position.
    int Append(const std::string& before, const std::string& after, const FileId& beforeId = {},
               const FileId& afterId = {}, const FolderMeta& beforeMeta = {},
               const FolderMeta& parentMeta = {0, 0, 0, 0, 0});
    // The folder the search started from (as opened) and its identity.
    void SetStart(const std::string& path, const FileId& id);
    const std::string& StartPath() const { return startPath_; }
    const FileId& StartId() const { return startId_; }
    void SetResult(int row, const std::string& result);
    void SetFailure(int row, const Error& failure);
    void SetChecked(int row, bool checked);

    // A header click: that column becomes the key, sorting is on, the order flips.
    void ColumnClick(int column);
    bool SortOn() const { return sortOn_; }
    int SortKey() const { return sortKey_; }
    bool Descending() const { return descending_; }
    static const std::string& Cell(const ProcessRow& row, int column);

  private:
    bool Less(const ProcessRow& a, const ProcessRow& b) const;
    void Sort();

    std::vector<ProcessRow> rows_;
    std::string startPath_;
    FileId startId_;
    bool hasColumns_ = false;
    bool sortOn_ = false;
    int sortKey_ = 0;
    bool descending_ = false;
    Listener listener_;
    std::function<void(const ProcessRow&)> sink_;
    bool keepPassed_ = false;
    int passed_ = 0;
};

}  // namespace corvelle
