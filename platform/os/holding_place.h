// SPDX-License-Identifier: GPL-3.0-or-later
// Where a tidy run keeps what it takes away (junk files) until an Undo: a folder of the
// user's own on the same file system, reached by rename alone, so an item there is still the
// very item it was (bytes, hard links, extended attributes, ACLs, owner, mode, times).
// Here a folder of the run in the freedesktop.org Trash of that file system (the desktop lists
// it, and emptying the Trash lets the junk go); on Windows a private folder beside the run
// journals, on the same volume only.
#pragma once

#include <map>
#include <string>

#include "platform/os/handles.h"
#include "util/error.h"

namespace corvelle {

struct HoldingPlace {
    UniqueFd folder;        // the items go here
    UniqueFd info;          // per-item info files of a Trash (earlier versions held items so)
    std::string path;       // the folder's path: journaled, and named in messages
    FileId id;              // the folder's identity: journaled
    std::string topPrefix;  // a mount's own Trash names items relative to its top
    // The next free "name.N" to try for a name, so that a run holding ten thousand
    // "Thumbs.db" tries each number once, not all of them each time.
    std::map<std::string, int> nextSuffix;
    // A place of its own (one per run): its parent and name there, and where its own info
    // file is, so that it goes once it is empty.
    UniqueFd parent;
    std::string leaf;
    UniqueFd parentInfo;
};

// The holding place for the items of dir's file system; `folderPath` is dir's path and
// `runFolder` the folder the run tidies (where a desktop that restores the place puts it).
Error OpenHoldingPlace(int dir, const std::string& folderPath, const std::string& runFolder,
                       HoldingPlace& place);
// A place a journal names, again: only a real folder of the user's that nobody else may
// write to and that has the journaled identity.
Error ReopenHoldingPlace(const std::string& path, const FileId& id, HoldingPlace& place);
// Moves dir's entry `name` (at `path`) into the place by rename, never replacing and never
// copying; `held` is its name there.
Error MoveToHolding(HoldingPlace& place, int dir, const std::string& name, const std::string& path,
                    std::string& held);
// Moves it back to dir's entry `name`, never replacing; false with errno set.
bool MoveFromHolding(HoldingPlace& place, const std::string& held, int dir,
                     const std::string& name);
// Removes a place of the run's own once nothing is left in it.
void ReleaseHoldingPlace(HoldingPlace& place);

}  // namespace corvelle
