// SPDX-License-Identifier: GPL-3.0-or-later
// The processing list: the tidy plan and its record, rows held as bytes in the list's
// current order. The window shows it through a model; search and execution change it here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/os/file_id.h"
#include "tidy/path_table.h"
#include "tidy/tidy_rules.h"
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
    // Junk files the folder held (the examined folder's: a delete row's own, a raise row's
    // after folder's); they go before the row acts.
    std::vector<JunkFile> junk;

    bool IsDeleteRow() const { return after == kDeleteMarker; }
};

// The rows as the list holds them: a fixed-size record each, the path texts in a shared
// table, the result as an index into the few texts results take, a failure's error only on
// failed rows. ProcessRow above is a row rebuilt from it.
class ProcessList {
  public:
    // What a view needs to stay in step.
    struct Listener {
        std::function<void()> reset;                       // rows or columns replaced
        std::function<void(int row)> inserted;             // one row inserted at row
        std::function<void(int row, int column)> changed;  // one cell changed
        std::function<void()> reordered;                   // same rows, new order
    };

    // Rows one after the other, each rebuilt as it is reached.
    class Range {
      public:
        class Iterator {
          public:
            Iterator(const ProcessList& l, int i) : l_(&l), i_(i) {}
            ProcessRow operator*() const { return l_->Row(i_); }
            Iterator& operator++() {
                ++i_;
                return *this;
            }
            bool operator!=(const Iterator& o) const { return i_ != o.i_; }

          private:
            const ProcessList* l_;
            int i_;
        };
        explicit Range(const ProcessList& l) : l_(l) {}
        Iterator begin() const { return {l_, 0}; }
        Iterator end() const { return {l_, l_.Kept()}; }
        size_t size() const { return static_cast<size_t>(l_.Kept()); }
        bool empty() const { return l_.Kept() == 0; }

      private:
        const ProcessList& l_;
    };

    void SetListener(Listener l) { listener_ = std::move(l); }

    // Removes every row and (re)creates the three columns.
    void Init();
    bool HasColumns() const { return hasColumns_; }
    int Count() const { return Kept() + passed_; }
    int Kept() const;  // rows held (Count() less the rows passed on)
    ProcessRow Row(int i) const;
    // The row's junk files (none without the junk rule).
    const std::vector<JunkFile>& Junk(int row) const;
    Range Rows() const { return Range(*this); }
    // One cell's text, built from the row's record.
    std::string Cell(int row, int column) const;
    bool Checked(int row) const;
    const Error* Failure(int row) const;
    // What the list holds, in bytes (its records, texts and failures).
    size_t Bytes() const;
    // Lets go of room kept for rows to come (a search calls it when its walk ends).
    void Compact();

    // Rows handed to `sink` as they come; unless `keep`, not kept: a preview that streams
    // holds no rows (Count() counts them still; Row() and Rows() have none of them).
    void PassRowsTo(std::function<void(const ProcessRow&)> sink, bool keep) {
        sink_ = std::move(sink);
        keepPassed_ = keep;
    }

    // Appends (or, while sorting is on, inserts in order); returns the row's position.
    int Append(const std::string& before, const std::string& after, const FileId& beforeId = {},
               const FileId& afterId = {}, const FolderMeta& beforeMeta = {},
               const FolderMeta& parentMeta = {0, 0, 0, 0, 0}, std::vector<JunkFile> junk = {});
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

    // Packed to 4 bytes: a million rows save eight bytes each over natural alignment.
#pragma pack(push, 4)
    // An identity with a folder's attributes: 68 bytes where FileId and FolderMeta side by side
    // take 72.
    struct Ident {
        std::uint64_t volume, number, numberHigh, mount, birth;
        std::int64_t atimeNs, mtimeNs;
        std::uint32_t mode, uid, gid;

        static Ident Of(const FileId& id, const FolderMeta& m) {
            return {id.volume, id.number, id.numberHigh, id.mount, id.birth,
                    m.atimeNs, m.mtimeNs, m.mode,        m.uid,    m.gid};
        }
        FileId Id() const { return {volume, number, mount, birth, numberHigh}; }
        FolderMeta Meta() const { return {mode, uid, gid, atimeNs, mtimeNs}; }
        bool operator==(const Ident& o) const {
            return volume == o.volume && number == o.number && numberHigh == o.numberHigh &&
                   mount == o.mount && birth == o.birth && atimeNs == o.atimeNs &&
                   mtimeNs == o.mtimeNs && mode == o.mode && uid == o.uid && gid == o.gid;
        }
    };

    struct Record {
        Ident before;              // the before folder's identity and attributes
        std::uint32_t beforeText;  // path table nodes
        std::uint32_t afterText;   // kNone with kMarker: the delete marker
        std::uint32_t second;      // seconds_: the after folder's identity, the parent's meta
        std::uint32_t failure = kNoFailure;
        std::uint32_t junk = kNoJunk;  // junks_
        std::uint8_t result = 0;       // results_
        bool checked = false;
        std::uint8_t flags = 0;

        static constexpr std::uint32_t kNoFailure = UINT32_MAX;
        static constexpr std::uint32_t kNoJunk = UINT32_MAX;
        static constexpr std::uint8_t kBeforeSlash = 1;  // the text ends in one more "/"
        static constexpr std::uint8_t kAfterSlash = 2;
        static constexpr std::uint8_t kMarker = 4;
    };
#pragma pack(pop)

  private:
    Record MakeRecord(const std::string& before, const std::string& after, const FileId& beforeId,
                      const FileId& afterId, const FolderMeta& beforeMeta,
                      const FolderMeta& parentMeta);
    std::string Text(std::uint32_t node, bool slash) const;
    bool Less(const std::string& x, const std::string& y) const;
    void Sort();

    std::vector<Record> rows_;
    std::vector<Ident> seconds_;  // after folders' identities with the parents' attributes
    std::vector<std::string> results_{std::string()};
    std::vector<Error> failures_;
    std::vector<std::vector<JunkFile>> junks_;
    PathTable paths_;
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

static_assert(sizeof(ProcessList::Record) <= 92);

}  // namespace corvelle
