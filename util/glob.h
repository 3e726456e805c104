// SPDX-License-Identifier: GPL-3.0-or-later
// Shell patterns matched on bytes as fnmatch(3) matches them in the C locale: "*" any run of
// bytes, "?" one byte, "[...]" one byte of a set ("[!...]" or "[^...]" any other; ranges as
// "a-z", classes as "[:digit:]"), "\" takes the next byte as it is. With `path` as with
// FNM_PATHNAME. Where glibc differs: "*\/" matches here as "*/" does (glibc never matches it).
#pragma once

#include <string_view>

namespace corvelle {

struct GlobOptions {
    bool path = false;      // "*", "?" and sets never match a "/"
    bool foldCase = false;  // ASCII letters match either case
};

bool GlobMatch(std::string_view pattern, std::string_view text, GlobOptions options = {});

// What makes a pattern mean something other than it seems (the C library's matchers disagree
// on these, or match nothing at all).
enum class GlobProblem {
    None,
    TrailingBackslash,  // a "\" at the end escapes nothing
    UnclosedSet,        // "[ab" (a "[" byte is written "\[")
    UnknownClass,       // "[[:digits:]]"
    ClassInRange,       // "[a-[:digit:]]"
    Collating,          // "[[.a.]]", "[[=a=]]": not supported
};
GlobProblem CheckGlob(std::string_view pattern);

}  // namespace corvelle
