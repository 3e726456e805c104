// SPDX-License-Identifier: GPL-3.0-or-later
// How a tidy row reaches the folders it names: from the start folder's handle, one component
// at a time, never through a link or onto another mount, identities checked. Execution,
// the journal's plan and Undo all go through here.
#pragma once

#include <string>

#include "platform/os/file_id.h"
#include "platform/os/handles.h"
#include "util/error.h"

namespace corvelle {

class RowAccess {
  public:
    RowAccess(std::string startPath, const FileId& startId)
        : startPath_(std::move(startPath)), startId_(startId) {}

    // Lets go of the start folder (a folder held open is not removed at once everywhere); the
    // next row opens and checks it again.
    void ReleaseStart() {
        start_.Reset();
        tried_ = false;
        startProblem_ = {};
    }
    // The start folder was made again (by an Undo): it is this one now.
    void SetStartId(const FileId& id) { startId_ = id; }

    // The folder a row text names, resolved now (never from an earlier row's answer); its
    // identity must be `id` when that is known. `info` receives what it is.
    UniqueFd Folder(const std::string& text, const FileId& id, Error& error,
                    ItemInfo* info = nullptr);
    // The folder holding the one a row text names, and that one's name in it. For the start
    // folder itself, its parent is opened as the user gave the path.
    UniqueFd Parent(const std::string& text, std::string& leaf, Error& error,
                    ItemInfo* info = nullptr);
    // dir's entry `name` is a real folder on dir's mount, with identity `id`. dirInfo may be
    // null: it is then read only if the kernel cannot tell a mount root by itself.
    static bool IsFolderAt(int dir, const ItemInfo* dirInfo, const std::string& name,
                           const FileId& id, const std::string& path, Error& error);
    // What a failed call at path means for a row: a link or a file in a folder's place and
    // another mount have kinds of their own.
    static Error Because(const std::string& path, int err);

  private:
    bool OpenStart(Error& error);
    bool Relative(const std::string& text, std::string& rel) const;

    std::string startPath_;
    FileId startId_;
    UniqueFd start_;
    Error startProblem_;
    bool tried_ = false;
};

// Text without its trailing separator (the root stays "/").
std::string RowPath(const std::string& text);

}  // namespace corvelle
