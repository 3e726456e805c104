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

ExcludeProblem CheckExcludePattern(std::string_view p) {
    if (p.empty())
        return ExcludeProblem::Empty;
    if (p.front() == '/')
        return ExcludeProblem::LeadingSlash;
    if (p.back() == '/')
        return ExcludeProblem::TrailingSlash;
    if (p.find("**") != std::string_view::npos)
        return ExcludeProblem::DoubleStar;
    switch (CheckGlob(p)) {
        case GlobProblem::None:
            return ExcludeProblem::None;
        case GlobProblem::UnclosedSet:
            return ExcludeProblem::UnclosedSet;
        case GlobProblem::UnknownClass:
            return ExcludeProblem::UnknownClass;
        case GlobProblem::ClassInRange:
            return ExcludeProblem::ClassInRange;
        case GlobProblem::Collating:
            return ExcludeProblem::Collating;
        case GlobProblem::TrailingBackslash:
            return ExcludeProblem::TrailingBackslash;
    }
    return ExcludeProblem::None;
}

// Why an exclusion pattern is refused, in the user's language.
const char* ExcludeProblemText(ExcludeProblem why, bool japanese) {
    const auto say = [japanese](const char* ja, const char* en) { return japanese ? ja : en; };
    switch (why) {
        case ExcludeProblem::Empty:
            return say("空です", "it is empty");
        case ExcludeProblem::LeadingSlash:
            return say("FOLDER からのパスは / で始めません",
                       "paths below FOLDER do not start with /");
        case ExcludeProblem::TrailingSlash:
            return say("フォルダは名前で合わせます (末尾の / は不要です)",
                       "folders match by name (no trailing /)");
        case ExcludeProblem::DoubleStar:
            return say("** は使えません (* は / をまたぎません)",
                       "** is not supported (a * never crosses a /)");
        case ExcludeProblem::UnclosedSet:
            return say("[ が閉じていません ([ そのものは \\[ と書きます)",
                       "unclosed [ (write \\[ for the character)");
        case ExcludeProblem::UnknownClass:
            return say("知らない文字クラスです", "unknown character class");
        case ExcludeProblem::ClassInRange:
            return say("文字クラスは範囲の端になれません", "a character class cannot end a range");
        case ExcludeProblem::Collating:
            return say("[. .] と [= =] は使えません", "[. .] and [= =] are not supported");
        case ExcludeProblem::TrailingBackslash:
            return say("末尾の \\ が何も打ち消していません", "a trailing \\ escapes nothing");
        case ExcludeProblem::None:
            break;
    }
    return "";
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
