// SPDX-License-Identifier: GPL-3.0-or-later
// Number helpers: fixed-point sizes, rounding and the text conversions of the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/error.h"

namespace corvelle {

// A 64-bit fixed-point decimal with four places (value x 10000).
struct Currency {
    int64_t raw = 0;
    static Currency FromInt(int64_t v) { return Currency{v * 10000}; }
    int64_t Whole() const { return raw / 10000; }
    friend Currency operator+(Currency a, Currency b) { return Currency{a.raw + b.raw}; }
    friend Currency operator*(Currency a, Currency b) { return Currency{a.raw / 10000 * b.raw}; }
    friend bool operator==(Currency a, Currency b) = default;
};

// A 32-bit word read as unsigned.
Currency UnsignedLong(int32_t v);
Currency HighDwordFactor();

// Nearest integer, ties to even.
double RoundHalfEven(double v);

// Reads the leading number of text, skipping blanks, tabs and line feeds anywhere; 0 when none.
double LenientValue(std::string_view text);

// The whole text as an integer in [lo, hi]; fractions rounded half to even.
// Type mismatch for anything that is not a number, overflow outside the range.
Error StrictInteger(std::string_view text, int64_t lo, int64_t hi, int64_t& out);
// "True"/"False" in any case, or a number (0 false).
Error StrictBoolean(std::string_view text, bool& out);
// A lenient number rounded to an integer in [lo, hi]; overflow outside.
Error LenientInteger(std::string_view text, int64_t lo, int64_t hi, int64_t& out);

// " 1620 " / "-60 ": sign place, digits, one trailing blank.
std::string FormatIniNumber(int64_t v);
std::string FormatBoolean(bool v);

}  // namespace corvelle
