// SPDX-License-Identifier: GPL-3.0-or-later
// File-type classes by extension, and the list icon each class shows.
#pragma once

#include <string>
#include <string_view>

namespace corvelle {

// The characters after the last "." (as they stand); "" without a dot.
std::string FileExtension(std::string_view name);
// 0 to 10, or 99 for anything else. Extensions compare in upper case (ASCII letters only;
// other bytes compare as they are).
int FileTypeClass(std::string_view name);
// The list icon (1 to 9) of a class.
int FileIconIndex(int typeClass);

}  // namespace corvelle
