// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings_rules.h"

#include "util/numbers.h"

namespace corvelle {
namespace {

bool Value(const std::string& line, std::string_view key, std::string& value) {
    if (line.compare(0, key.size(), key) != 0)
        return false;
    value = line.substr(key.size());
    return true;
}

// A pattern that would end its line early is not written.
bool OneLine(const std::string& s) {
    return !s.empty() && s.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

Error RulesReader::Line(const std::string& line) {
    std::string v;
    if (Value(line, "TidyJunk=", v))
        return StrictBoolean(v, rules_.junk);
    if (Value(line, "TidyNested=", v))
        return StrictBoolean(v, rules_.nested);
    if (Value(line, "TidyExclude=", v))
        return StrictBoolean(v, rules_.exclude);
    if (Value(line, "TidyJunkName=", v) && !v.empty()) {
        if (!names_)
            rules_.junkNames.clear();
        names_ = true;
        rules_.junkNames.push_back(v);
    }
    if (Value(line, "TidyExcludePattern=", v) && !v.empty()) {
        if (!patterns_)
            rules_.excludePatterns.clear();
        patterns_ = true;
        rules_.excludePatterns.push_back(v);
    }
    if (Value(line, "TidyOlderThan=", v)) {
        // Read leniently, kept within what a user can ask for.
        int64_t days = 0;
        if (Error e = LenientInteger(v, 0, kMaxAgeDays, days))
            return e;
        rules_.olderThanDays = static_cast<int>(days);
    }
    return {};
}

std::string RulesLines(const TidyRules& rules, const std::string& nl) {
    // Rules as offered leave the file exactly as it always was.
    if (rules == TidyRules{})
        return {};
    std::string out = "TidyJunk=" + FormatBoolean(rules.junk) + nl;
    for (const std::string& n : rules.junkNames)
        if (OneLine(n))
            out += "TidyJunkName=" + n + nl;
    out += "TidyNested=" + FormatBoolean(rules.nested) + nl;
    out += "TidyExclude=" + FormatBoolean(rules.exclude) + nl;
    for (const std::string& p : rules.excludePatterns)
        if (OneLine(p))
            out += "TidyExcludePattern=" + p + nl;
    out += "TidyOlderThan=" + FormatIniNumber(rules.olderThanDays) + nl;
    return out;
}

}  // namespace corvelle
