// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a small text file whole: written beside it and renamed over it, so a failure
// (a full disk, a read-only folder) leaves the earlier file as it was.
#pragma once

#include <cstddef>
#include <string>

namespace corvelle {

bool WriteFileReplacing(const std::string& path, const std::string& data);
// Writes all of data, going on after short writes and interruptions; errno says why not.
bool WriteAll(int fd, const char* data, size_t size);

}  // namespace corvelle
