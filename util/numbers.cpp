// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace corvelle {

Currency UnsignedLong(int32_t v) {
    int64_t x = v;
    if (x < 0)
        x += 4294967296LL;
    return Currency::FromInt(x);
}

Currency HighDwordFactor() {
    return Currency::FromInt(4294967296LL);
}

double RoundHalfEven(double v) {
    const double fl = std::floor(v);
    const double diff = v - fl;
    if (diff < 0.5)
        return fl;
    if (diff > 0.5)
        return fl + 1;
    return std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Parses &H / &O integers starting at text[i] == '&'; returns false when not such a prefix.
bool ParseRadix(std::string_view text, size_t& i, bool skipBlanks, double& out) {
    if (i + 1 >= text.size() || text[i] != '&')
        return false;
    const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    if (k != 'H' && k != 'O')
        return false;
    const int base = k == 'H' ? 16 : 8;
    i += 2;
    double v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (skipBlanks && IsBlank(c))
            continue;
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)) && d < 0)
            d = std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        if (d < 0 || d >= base)
            break;
        v = v * base + d;
    }
    out = v;
    return true;
}

// The decimal grammar shared by both readers: sign, digits with one point, E/D exponent.
// Returns the number of characters consumed as a number (0: no number).
size_t ParseDecimal(std::string_view text, size_t i, bool skipBlanks, double& out) {
    std::string buf;
    const size_t start = i;
    auto skip = [&] {
        while (skipBlanks && i < text.size() && IsBlank(text[i])) ++i;
    };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        buf += text[i++];
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (skipBlanks && IsBlank(c))
            continue;
        if (std::isdigit(static_cast<unsigned char>(c))) {
            buf += c;
            digits = true;
        } else if (c == '.' && !point) {
            buf += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    skip();
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        size_t j = i + 1;
        std::string exp = "e";
        while (skipBlanks && j < text.size() && IsBlank(text[j])) ++j;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exp += text[j++];
        bool expDigits = false;
        for (; j < text.size(); ++j) {
            if (skipBlanks && IsBlank(text[j]))
                continue;
            if (!std::isdigit(static_cast<unsigned char>(text[j])))
                break;
            exp += text[j];
            expDigits = true;
        }
        if (expDigits) {
            buf += exp;
            i = j;
        }
    }
    // The decimal point is "." whatever the user's locale says (strtod would follow it).
    const char* first = buf.data() + (buf[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(first, buf.data() + buf.size(), out);
    if (r.ec == std::errc::result_out_of_range) {
        const bool tiny = buf.find("e-") != std::string::npos;
        out = tiny ? 0.0 : (buf[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    return i - start;
}

}  // namespace

double LenientValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    double v = 0;
    if (ParseRadix(text, i, true, v))
        return v;
    return ParseDecimal(text, i, true, v) ? v : 0.0;
}

namespace {

// The whole text, blanks around it allowed, as one number.
Error StrictNumber(std::string_view text, double& v) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    const std::string_view core = text.substr(b, e - b);
    size_t i = 0;
    bool ok = false;
    if (ParseRadix(core, i, false, v)) {
        ok = i == core.size() && core.size() > 2;
    } else {
        ok = !core.empty() && ParseDecimal(core, 0, false, v) == core.size();
    }
    return ok ? Error{} : MakeError(kErrTypeMismatch);
}

}  // namespace

Error StrictInteger(std::string_view text, int64_t lo, int64_t hi, int64_t& out) {
    double v = 0;
    if (Error err = StrictNumber(text, v))
        return err;
    const double r = RoundHalfEven(v);
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi)))
        return MakeError(kErrOverflow);
    out = static_cast<int64_t>(r);
    return {};
}

Error StrictBoolean(std::string_view text, bool& out) {
    std::string lower;
    for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "true" || lower == "false") {
        out = lower == "true";
        return {};
    }
    double v = 0;
    if (Error err = StrictNumber(text, v))
        return err;
    out = v != 0.0;
    return {};
}

Error LenientInteger(std::string_view text, int64_t lo, int64_t hi, int64_t& out) {
    const double r = RoundHalfEven(LenientValue(text));
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi)))
        return MakeError(kErrOverflow);
    out = static_cast<int64_t>(r);
    return {};
}

std::string FormatIniNumber(int64_t v) {
    return (v < 0 ? std::string() : std::string(" ")) + std::to_string(v) + " ";
}

std::string FormatBoolean(bool v) {
    return v ? "True" : "False";
}

}  // namespace corvelle
