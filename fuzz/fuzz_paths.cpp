// SPDX-License-Identifier: GPL-3.0-or-later
// The path helpers on any bytes, with the properties their callers rely on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tidy/journal.h"
#include "util/paths.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string p(reinterpret_cast<const char*>(data), size);
    const std::string with = AddBackslash(p);
    if (with.empty() || with.back() != '/' ||
        RemoveBackslash(with) != (p.empty() || p.back() != '/' ? p : RemoveBackslash(p)))
        std::abort();
    std::vector<std::string> pieces;
    size_t seps = 0;
    for (char c : p) seps += c == '/';
    if (StrSplit(p, '/', pieces) != static_cast<int>(seps + 1))
        std::abort();
    if (p.find('/') != std::string::npos && PathParent(p) + PathLeaf(p) != p)
        std::abort();
    if (NullTrim(p).find('\0') != std::string::npos)
        std::abort();
    std::string back;
    if (!JournalUnescape(JournalEscape(p), back) || back != p)
        std::abort();
    return 0;
}
