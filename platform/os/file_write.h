// SPDX-License-Identifier: GPL-3.0-or-later
// Small text files read and written whole. A file is replaced by writing beside it and
// renaming over it, so a failure (a full disk, a read-only folder) leaves the earlier file as
// it was.
#pragma once

#include <cstddef>
#include <string>

#include "util/error.h"

namespace corvelle {

// The whole file; kErrFileNotFound when there is none, the system's error otherwise.
Error ReadWholeFile(const std::string& path, std::string& data);
bool WriteFileReplacing(const std::string& path, const std::string& data);
// Writes all of data, going on after short writes and interruptions; errno says why not.
bool WriteAll(int fd, const char* data, size_t size);

}  // namespace corvelle
