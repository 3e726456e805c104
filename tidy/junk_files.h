// SPDX-License-Identifier: GPL-3.0-or-later
// Junk files on their way out and back. A junk file is moved, never copied: into the holding
// place of its own file system just before its row acts, so it stays the very file (bytes,
// hard links, extended attributes, owner, mode, times), and back by identity when its row
// fails or is undone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/os/handles.h"
#include "platform/os/holding_place.h"
#include "tidy/tidy_rules.h"
#include "util/error.h"

namespace corvelle {

// The item is still the junk file the search saw: the same plain file, size, modification
// and change time.
bool StillJunk(const ItemInfo& info, const JunkFile& junk);

// Moves dir's junk files into `place`, each only while it is still the file the search saw;
// `held` gets their names there. On failure the ones already moved come back and the error
// says why. `folder` is dir's path, for messages.
Error HoldJunk(int dir, const std::vector<JunkFile>& junk, HoldingPlace& place,
               const std::string& folder, std::vector<std::string>& held);

// Moves held junk files back into dir (dir invalid: the folder is gone); the ones that stay,
// one line each with where they are.
std::string ReturnJunk(int dir, const std::vector<JunkFile>& junk,
                       const std::vector<std::string>& held, HoldingPlace& place,
                       const std::string& folder);

// FNV-1a over the contents: a copy kept by an earlier version is checked by it.
std::uint64_t ContentHash(std::string_view bytes);

// Makes a junk file of an earlier version's run again from its kept contents, with its
// attributes and times. A file already under the name counts when it is the very file or
// holds exactly these bytes; anything else there stays, and false says so in `why`.
bool PutJunkBack(int dir, const JunkFile& junk, const std::string& contents, std::string& why);

// Whether any of them is missing from dir.
bool JunkMissing(int dir, const std::vector<JunkFile>& junk);

}  // namespace corvelle
