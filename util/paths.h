// SPDX-License-Identifier: GPL-3.0-or-later
// Path and text helpers over byte strings. The separator is "/", the root is "/"; on Windows
// the separator is "\\".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvelle {

#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// True for a path that does not depend on the current folder: "/…"; on Windows "X:\…" or
// "\\server\…".
bool IsAbsolutePath(std::string_view path);
// An absolute path without "." and ".." components or doubled separators, worked out on the
// text alone (links are not resolved; ".." at the root stays there); a trailing separator is
// kept. The root is "/", or on Windows "X:\\" or "\\\\server\\share\\".
std::string NormalizePath(std::string_view path, char sep = kSep);
// Text ending in exactly the separator it already had, or one more; "" gives "/".
std::string AddBackslash(std::string_view text);
// Text without one trailing separator.
std::string RemoveBackslash(std::string_view text);
// Pieces between separators; always separators + 1 pieces.
int StrSplit(std::string_view text, char separator, std::vector<std::string>& pieces);
// Text after the last separator (any depth).
std::string PathLeaf(std::string_view path);
// Path without its last component, the trailing separator kept.
std::string PathParent(std::string_view path);
// Bytes for which keep() is false (and "%") written as %XX, upper-case hex.
std::string PercentEncode(std::string_view bytes, bool (*keep)(unsigned char));
// <0, 0, >0 as a comes before, with or after b when ASCII letters are compared without their
// case (other bytes as they are), as the C library's strcasecmp does.
int CompareIgnoringCase(std::string_view a, std::string_view b);
// Text before the first NUL.
std::string NullTrim(std::string_view text);
std::string NullCut(std::string_view text);

}  // namespace corvelle
