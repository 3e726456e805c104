// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/tidy_rules.h"

#include "util/glob.h"

namespace corvelle {

TidyRules::TidyRules() : junkNames(DefaultJunkNames()), excludePatterns(DefaultExcludePatterns()) {}

std::vector<std::string> DefaultJunkNames() {
    return {"Thumbs.db", "ehthumbs.db", "desktop.ini", ".DS_Store", ".directory", "._*"};
}

std::vector<std::string> DefaultExcludePatterns() {
    // Version control, build output, and folders a system keeps for itself.
    return {".git", "node_modules", "$RECYCLE.BIN", "System Volume Information",
            ".svn", ".hg",          "__pycache__",  "lost+found"};
}

bool MatchesJunkPattern(const TidyRules& rules, std::string_view name, bool& appleDouble) {
    for (const std::string& p : rules.junkNames) {
        if (GlobMatch(p, name, {.path = true, .foldCase = true})) {
            appleDouble = p.size() > 2 && p.compare(0, 2, "._") == 0 && name.size() > 2;
            return true;
        }
    }
    return false;
}

bool IsExcluded(const TidyRules& rules, std::string_view name, std::string_view relative) {
    if (!rules.exclude)
        return false;
    for (const std::string& p : rules.excludePatterns) {
        const bool path = p.find('/') != std::string::npos;
        if (path ? GlobMatch(p, relative, {.path = true}) : GlobMatch(p, name, {.path = true}))
            return true;
    }
    return false;
}

std::int64_t AgeCutOffNs(const TidyRules& rules, std::int64_t nowNs) {
    if (rules.olderThanDays <= 0)
        return 0;
    return nowNs - std::int64_t{rules.olderThanDays} * 86400 * 1000000000LL;
}

std::string JoinPatterns(const std::vector<std::string>& patterns) {
    std::string out;
    for (const std::string& p : patterns) {
        if (!out.empty())
            out += ',';
        for (const char c : p) {
            if (c == ',')
                out += '\\';
            out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitPatterns(std::string_view text) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ',') {
            cur += ',';
            ++i;
        } else if (text[i] == ',') {
            if (!cur.empty())
                out.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += text[i];
        }
    }
    if (!cur.empty())
        out.push_back(std::move(cur));
    return out;
}

}  // namespace corvelle
