// SPDX-License-Identifier: GPL-3.0-or-later
// The search's cursor over sub-folders: a hidden folder-list box without a window. It holds
// one open handle per level of the walk, so each folder is opened from its parent's handle
// (never through a link, any depth) and read exactly once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/os/file_id.h"
#include "platform/os/handles.h"
#include "tidy/tidy_rules.h"
#include "util/error.h"

namespace corvelle {

// What the folder check needs of one listing.
struct FolderSummary {
    int folders = 0;   // sub-folders, hidden ones included (mounts are not among them)
    int others = 0;    // files, links, special files, mounts; an unreadable folder counts one
    std::string lone;  // the first sub-folder's name
    FileId id;         // the folder itself
    FolderMeta meta;
    FileId loneId;  // that sub-folder, when it is the only entry
    FolderMeta loneMeta;
    // With the junk rule: files that count as junk (not among `others`); their identities
    // and attributes once described (one that is then no plain file counts as an other).
    std::vector<JunkFile> junk;
    int qualified = 0;  // sub-folders the search listed (nested rows)
};

class DirListBox {
  public:
    DirListBox();
    ~DirListBox();
    DirListBox(const DirListBox&) = delete;
    DirListBox& operator=(const DirListBox&) = delete;

    // Lists the folder's sub-folders (sorted byte by byte, hidden ones, links and mounts left
    // out). A folder that cannot be opened is an error; one that cannot be read lists nothing.
    Error SetPath(const std::string& path);
    enum class Entered { Yes, Mount, Failed };
    // Goes down into sub-folder i of the current folder. A mount is not entered (it then
    // counts as an entry of the current folder); a failure leaves the cursor where it was.
    Entered Enter(int i, Error& err);
    // The listed folder, without a trailing separator (the root stays "/").
    const std::string& Path() const;
    int ListCount() const;
    // Full path of the sub-folder at position i.
    std::string List(int i) const;
    // The current folder's listing, for the folder check (null before the first SetPath):
    // its counts and first sub-folder; id, meta and the lone sub-folder's identity only
    // once Described() (a folder that cannot then be described no longer qualifies).
    const FolderSummary* Summary() const;
    const FolderSummary* Described();
    // The folder above the current one, its identity and attributes read (null at the first
    // folder).
    const FolderSummary* ParentDescribed();
    // Forgets every listing; the next SetPath reads the disk again.
    void Refresh();
    // The rules listings follow from the next SetPath on (null: none).
    void SetRules(const TidyRules* rules) { rules_ = rules; }
    // The current folder was listed: one more of its parent's sub-folders qualified.
    void CountQualified();

    // A summary of any folder read afresh, opened as given.
    static Error Examine(const std::string& path, FolderSummary& summary,
                         const TidyRules* rules = nullptr);

  private:
    struct Level;
    static bool Identify(Level& l);
    static void Describe(Level& l);
    std::vector<std::unique_ptr<Level>> stack_;
    FileSystemTraits traits_;
    const TidyRules* rules_ = nullptr;
};

}  // namespace corvelle
