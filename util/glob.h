// SPDX-License-Identifier: GPL-3.0-or-later
// Shell patterns matched on bytes: "*" any run of bytes, "?" one byte, "[...]" one byte of a
// set ("[!...]" or "[^...]" any other; ranges as "a-z"), "\" takes the next byte as it is.
#pragma once

#include <string_view>

namespace corvelle {

struct GlobOptions {
    bool path = false;      // "*", "?" and sets never match a "/"
    bool foldCase = false;  // ASCII letters match either case
};

bool GlobMatch(std::string_view pattern, std::string_view text, GlobOptions options = {});

}  // namespace corvelle
