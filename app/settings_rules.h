// SPDX-License-Identifier: GPL-3.0-or-later
// The search rules in the settings file: lines after the last of the older keys, so a copy
// that does not know them skips them and still reads everything else.
//
//   TidyJunk=True|False             junk files count as empty
//   TidyJunkName=<pattern>          one line per name (none: the offered list)
//   TidyNested=True|False           nested empty folders in one pass
//   TidyExclude=True|False          leave excluded folders out
//   TidyExcludePattern=<pattern>    one line per pattern (none: the offered list)
//   TidyOlderThan=<days>            0 for any age, in the number layout of the other numbers
#pragma once

#include <string>

#include "tidy/tidy_rules.h"
#include "util/error.h"

namespace corvelle {

// Reads one line into the rules; the first name or pattern line replaces the offered list.
class RulesReader {
  public:
    explicit RulesReader(TidyRules& rules) : rules_(rules) {}
    Error Line(const std::string& line);

  private:
    TidyRules& rules_;
    bool names_ = false;
    bool patterns_ = false;
};

// The lines, each ending in `nl`; none while the rules are as offered.
std::string RulesLines(const TidyRules& rules, const std::string& nl);

}  // namespace corvelle
