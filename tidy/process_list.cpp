// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/process_list.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace corvelle {

namespace {

// A text's node and whether one trailing separator was left off (folder texts end in one:
// storing it as a bit, not a piece, saves a piece per row).
PathTable::Node Store(PathTable& table, const std::string& text, std::uint8_t& flags,
                      std::uint8_t slashFlag) {
    if (!text.empty() && text.back() == '/') {
        flags |= slashFlag;
        return table.Intern(std::string_view(text).substr(0, text.size() - 1));
    }
    return table.Intern(text);
}

}  // namespace

void ProcessList::Init() {
    rows_.clear();
    rows_.shrink_to_fit();
    seconds_.clear();
    seconds_.shrink_to_fit();
    failures_.clear();
    junks_.clear();
    results_.assign(1, std::string());
    paths_.Clear();
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

std::string ProcessList::Text(std::uint32_t node, bool slash) const {
    std::string out;
    paths_.AppendText(node, out);
    if (slash)
        out += '/';
    return out;
}

std::string ProcessList::Cell(int row, int column) const {
    const Record& r = rows_[static_cast<size_t>(row)];
    switch (column) {
        case 0:
            return Text(r.beforeText, r.flags & Record::kBeforeSlash);
        case 1:
            return (r.flags & Record::kMarker) ? std::string(kDeleteMarker)
                                               : Text(r.afterText, r.flags & Record::kAfterSlash);
        default:
            return results_[r.result];
    }
}

ProcessRow ProcessList::Row(int i) const {
    const Record& r = rows_[static_cast<size_t>(i)];
    const Ident& second = seconds_[r.second];
    ProcessRow row{Cell(i, 0),  Cell(i, 1),      results_[r.result], r.checked, r.before.Id(),
                   second.Id(), r.before.Meta(), second.Meta(),      {},        {}};
    if (r.failure != Record::kNoFailure)
        row.failure = failures_[r.failure];
    row.junk = Junk(i);
    return row;
}

const std::vector<JunkFile>& ProcessList::Junk(int row) const {
    static const std::vector<JunkFile> none;
    const Record& r = rows_[static_cast<size_t>(row)];
    return r.junk == Record::kNoJunk ? none : junks_[r.junk];
}

int ProcessList::Kept() const {
    return static_cast<int>(rows_.size());
}

bool ProcessList::Checked(int row) const {
    return rows_[static_cast<size_t>(row)].checked;
}

const Error* ProcessList::Failure(int row) const {
    const Record& r = rows_[static_cast<size_t>(row)];
    return r.failure == Record::kNoFailure ? nullptr : &failures_[r.failure];
}

size_t ProcessList::Bytes() const {
    size_t n = rows_.capacity() * sizeof(Record) + seconds_.capacity() * sizeof(Ident) +
               paths_.Bytes() + failures_.capacity() * sizeof(Error);
    for (const Error& e : failures_)
        n += e.description.capacity() + e.path.capacity() + e.detail.capacity();
    for (const std::vector<JunkFile>& j : junks_) n += j.capacity() * sizeof(JunkFile);
    return n;
}

bool ProcessList::Less(const std::string& x, const std::string& y) const {
    // Texts compare exactly, byte by byte.
    const int c = x.compare(y);
    return descending_ ? c > 0 : c < 0;
}

void ProcessList::Compact() {
    rows_.shrink_to_fit();
    seconds_.shrink_to_fit();
    paths_.Compact();
}

void ProcessList::SetStart(const std::string& path, const FileId& id) {
    startPath_ = path;
    startId_ = id;
}

ProcessList::Record ProcessList::MakeRecord(const std::string& before, const std::string& after,
                                            const FileId& beforeId, const FileId& afterId,
                                            const FolderMeta& beforeMeta,
                                            const FolderMeta& parentMeta) {
    Record r{Ident::Of(beforeId, beforeMeta), 0, PathTable::kNone, 0};
    r.beforeText = Store(paths_, before, r.flags, Record::kBeforeSlash);
    if (after == kDeleteMarker)
        r.flags |= Record::kMarker;
    else
        r.afterText = Store(paths_, after, r.flags, Record::kAfterSlash);
    // Rows of one folder share their parent's attributes: kept once.
    const Ident second = Ident::Of(afterId, parentMeta);
    if (seconds_.empty() || !(seconds_.back() == second))
        seconds_.push_back(second);
    r.second = static_cast<std::uint32_t>(seconds_.size() - 1);
    return r;
}

int ProcessList::Append(const std::string& before, const std::string& after, const FileId& beforeId,
                        const FileId& afterId, const FolderMeta& beforeMeta,
                        const FolderMeta& parentMeta, std::vector<JunkFile> junk) {
    if (sink_) {
        sink_(ProcessRow{
            before, after, {}, false, beforeId, afterId, beforeMeta, parentMeta, {}, junk});
        if (!keepPassed_)
            return passed_++;
    }
    Record r = MakeRecord(before, after, beforeId, afterId, beforeMeta, parentMeta);
    if (!junk.empty()) {
        r.junk = static_cast<std::uint32_t>(junks_.size());
        junks_.push_back(std::move(junk));
    }
    size_t pos = rows_.size();
    if (sortOn_) {
        const std::string& key = sortKey_ == 0 ? before : sortKey_ == 1 ? after : results_[0];
        size_t lo = 0, hi = rows_.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (Less(key, Cell(static_cast<int>(mid), sortKey_)))
                hi = mid;
            else
                lo = mid + 1;
        }
        pos = lo;
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(pos), r);
    if (listener_.inserted)
        listener_.inserted(static_cast<int>(pos));
    return static_cast<int>(pos);
}

void ProcessList::SetResult(int row, const std::string& result) {
    // Results take a handful of texts; each is kept once.
    auto it = std::find(results_.begin(), results_.end(), result);
    if (it == results_.end()) {
        if (results_.size() > UINT8_MAX)
            throw std::length_error("too many result texts");
        it = results_.insert(results_.end(), result);
    }
    rows_[static_cast<size_t>(row)].result = static_cast<std::uint8_t>(it - results_.begin());
    if (listener_.changed)
        listener_.changed(row, 2);
}

void ProcessList::SetFailure(int row, const Error& failure) {
    Record& r = rows_[static_cast<size_t>(row)];
    if (!failure && r.failure == Record::kNoFailure)
        return;
    if (r.failure != Record::kNoFailure) {
        failures_[r.failure] = failure;
        return;
    }
    r.failure = static_cast<std::uint32_t>(failures_.size());
    failures_.push_back(failure);
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
    // Each key built once, not twice per comparison.
    std::vector<std::string> keys(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) keys[i] = Cell(static_cast<int>(i), sortKey_);
    std::vector<std::uint32_t> order(rows_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return Less(keys[a], keys[b]); });
    keys = {};
    std::vector<Record> sorted;
    sorted.reserve(rows_.size());
    for (std::uint32_t i : order) sorted.push_back(rows_[i]);
    rows_.swap(sorted);
    if (listener_.reordered)
        listener_.reordered();
}

}  // namespace corvelle
