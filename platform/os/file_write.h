// Replacing a small text file whole: written beside it and renamed over it, so a failure
// (a full disk, a read-only folder) leaves the earlier file as it was.
#pragma once

#include <string>

namespace corvelle {

bool WriteFileReplacing(const std::string& path, const std::string& data);

}  // namespace corvelle
