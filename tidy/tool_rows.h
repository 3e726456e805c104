// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the command-line tool, in the forms scripts read: CSV (RFC 4180 quoting, LF
// line ends), NUL-ended fields for xargs -0, and JSON Lines.
#pragma once

#include <string>

namespace corvelle {

struct ProcessRow;

enum class RowFormat { Csv, Null, Json };

// One row: "before,after,result\n" (a field holding a comma, a double quote, CR or LF in
// double quotes, inner quotes doubled); "before\0after\0result\0"; or one JSON object and
// "\n". Names are written as the bytes they are; in JSON a name that is not UTF-8 is written
// with U+FFFD for each bad byte and its bytes follow in base64 as "before_bytes" or
// "after_bytes". In JSON "error" is the row's failure for people (in Japanese or English) and
// "code" its token (both null for none).
std::string FormatToolRow(const ProcessRow& row, RowFormat format, bool japanese);

// Base64 (RFC 4648, with padding).
std::string Base64(const std::string& bytes);

}  // namespace corvelle
