// SPDX-License-Identifier: GPL-3.0-or-later
// The search's optional rules: junk files that do not stop a folder from counting as empty,
// nested empty folders in one pass, folders never listed nor entered, a minimum age. All
// off by default; then the search lists exactly what it always did.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/file_id.h"

namespace corvelle {

struct TidyRules {
    bool junk = false;
    std::vector<std::string> junkNames;  // patterns, ASCII letters in either case
    bool nested = false;                 // delete mode only
    bool exclude = false;
    std::vector<std::string> excludePatterns;  // a name, or with a "/" a path below the start
    int olderThanDays = 0;                     // 0: any age

    TidyRules();
    bool operator==(const TidyRules&) const = default;
};

// The longest minimum age a user can ask for (a hundred years).
inline constexpr int kMaxAgeDays = 36500;
// A file larger than this is never taken for junk: no thumbnail cache is that large.
inline constexpr std::uint64_t kMaxJunkBytes = std::uint64_t{64} << 20;

std::vector<std::string> DefaultJunkNames();
std::vector<std::string> DefaultExcludePatterns();

// A junk file of the folder as the search saw it; execution and Undo check it by all of this.
struct JunkFile {
    std::string name;
    FileId id;
    FolderMeta meta;
    std::uint64_t size = 0;
    std::int64_t changeNs = 0;  // its change time: any change at all moves it on
    // Where the run holds it until Undo (a folder on its own file system, by identity).
    std::string holdPath;
    FileId holdId;
    // Journals of earlier versions kept a copy of the contents beside the journal instead
    // (holdPath empty): from `kept` on, checked by `hash`.
    std::uint64_t kept = 0;
    std::uint64_t hash = 0;
};

// True when `name` matches a junk pattern; `appleDouble` when that pattern is one ("._…")
// whose file only counts as junk while the item it belongs to is missing.
bool MatchesJunkPattern(const TidyRules& rules, std::string_view name, bool& appleDouble);

// The walk leaves the folder out: `relative` is its path below the start folder, "/" between
// the names.
bool IsExcluded(const TidyRules& rules, std::string_view name, std::string_view relative);

// What keeps an exclusion pattern from ever naming the folder it seems to name: the front ends
// refuse such a pattern and say why.
enum class ExcludeProblem {
    None,
    Empty,
    LeadingSlash,   // "/a": paths are relative to the start folder
    TrailingSlash,  // "a/": folders are matched by name
    DoubleStar,     // "**/a": a "*" never crosses a "/"
    UnclosedSet,    // the rest as CheckGlob finds them
    UnknownClass,
    ClassInRange,
    Collating,
    TrailingBackslash,
};
ExcludeProblem CheckExcludePattern(std::string_view pattern);
// Why, for people.
const char* ExcludeProblemText(ExcludeProblem why, bool japanese);

// Modified before the cut-off (nanoseconds since 1970) that `now` gives.
std::int64_t AgeCutOffNs(const TidyRules& rules, std::int64_t nowNs);
inline bool OldEnough(std::int64_t mtimeNs, std::int64_t cutOffNs) {
    return cutOffNs == 0 || mtimeNs < cutOffNs;
}

// Texts for one line or one argument: names separated by "," (a "," in a name as "\,").
std::string JoinPatterns(const std::vector<std::string>& patterns);
std::vector<std::string> SplitPatterns(std::string_view text);

}  // namespace corvelle
