// SPDX-License-Identifier: GPL-3.0-or-later
// Junk files on their way out and back: read whole while still the very file the search saw,
// removed only as that file, made again byte for byte with their attributes by Undo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tidy/tidy_rules.h"
#include "util/error.h"

namespace corvelle {

// FNV-1a over the contents: a kept copy is checked by it before it is put back.
std::uint64_t ContentHash(std::string_view bytes);

// dir's junk file, still the one the search saw (identity, size, modification time), read
// whole. `folder` is the folder's path, for messages.
Error ReadJunk(int dir, const JunkFile& junk, const std::string& folder, std::string& contents);

// Removes the folder's junk files, each only while it is still the file the search saw
// (it steps aside under a work name, is checked there, then goes). On failure the ones
// already removed are made again from `contents` and the error says why.
Error RemoveJunk(int dir, const std::vector<JunkFile>& junk,
                 const std::vector<std::string>& contents, const std::string& folder);

// Makes the junk file again from its contents, with its attributes and times. A file already
// under the name counts when it is the very file or holds exactly these bytes; anything else
// there stays, and false says so in `why`.
bool PutJunkBack(int dir, const JunkFile& junk, const std::string& contents, std::string& why);

// Every one of them; the reasons of those that could not be put back, one line each.
std::string PutAllJunkBack(int dir, const std::vector<JunkFile>& junk,
                           const std::vector<std::string>& contents, const std::string& folder);

// Whether any of them is missing from dir.
bool JunkMissing(int dir, const std::vector<JunkFile>& junk);

}  // namespace corvelle
