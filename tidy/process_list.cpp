// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/process_list.h"

#include <algorithm>

namespace corvelle {

void ProcessList::Init() {
    rows_.clear();
    passed_ = 0;
    startPath_.clear();
    startId_ = {};
    hasColumns_ = true;
    if (listener_.reset)
        listener_.reset();
}

const std::string& ProcessList::Cell(const ProcessRow& row, int column) {
    switch (column) {
        case 0:
            return row.before;
        case 1:
            return row.after;
        default:
            return row.result;
    }
}

bool ProcessList::Less(const ProcessRow& a, const ProcessRow& b) const {
    const std::string& x = Cell(a, sortKey_);
    const std::string& y = Cell(b, sortKey_);
    // Texts compare exactly, byte by byte.
    const int c = x.compare(y);
    return descending_ ? c > 0 : c < 0;
}

void ProcessList::SetStart(const std::string& path, const FileId& id) {
    startPath_ = path;
    startId_ = id;
}

int ProcessList::Append(const std::string& before, const std::string& after, const FileId& beforeId,
                        const FileId& afterId, const FolderMeta& beforeMeta,
                        const FolderMeta& parentMeta) {
    ProcessRow row{before, after, {}, false, beforeId, afterId, beforeMeta, parentMeta, {}};
    if (sink_) {
        sink_(row);
        if (!keepPassed_)
            return passed_++;
    }
    size_t pos = rows_.size();
    if (sortOn_) {
        pos =
            static_cast<size_t>(std::upper_bound(rows_.begin(), rows_.end(), row,
                                                 [this](const ProcessRow& a, const ProcessRow& b) {
                                                     return Less(a, b);
                                                 }) -
                                rows_.begin());
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(row));
    if (listener_.inserted)
        listener_.inserted(static_cast<int>(pos));
    return static_cast<int>(pos);
}

void ProcessList::SetResult(int row, const std::string& result) {
    rows_[static_cast<size_t>(row)].result = result;
    if (listener_.changed)
        listener_.changed(row, 2);
}

void ProcessList::SetFailure(int row, const Error& failure) {
    rows_[static_cast<size_t>(row)].failure = failure;
}

void ProcessList::SetChecked(int row, bool checked) {
    rows_[static_cast<size_t>(row)].checked = checked;
    if (listener_.changed)
        listener_.changed(row, 0);
}

void ProcessList::ColumnClick(int column) {
    sortKey_ = column;
    sortOn_ = true;
    descending_ = !descending_;
    Sort();
}

void ProcessList::Sort() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [this](const ProcessRow& a, const ProcessRow& b) { return Less(a, b); });
    if (listener_.reordered)
        listener_.reordered();
}

}  // namespace corvelle
