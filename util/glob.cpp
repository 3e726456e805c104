// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/glob.h"

#include <cstddef>

namespace corvelle {
namespace {

unsigned char Fold(unsigned char c, bool fold) {
    return fold && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// A POSIX class name ("digit" of "[:digit:]") holds c, in the C locale's ASCII sense.
// `known` is false for a name that is no class (such a set matches nothing, as in glibc).
bool InClass(std::string_view name, unsigned char c, bool& known) {
    const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
    const bool digit = c >= '0' && c <= '9';
    const bool punct = c > 0x20 && c < 0x7F && !upper && !lower && !digit;
    known = true;
    if (name == "alpha")
        return upper || lower;
    if (name == "digit")
        return digit;
    if (name == "alnum")
        return upper || lower || digit;
    if (name == "upper")
        return upper;
    if (name == "lower")
        return lower;
    if (name == "space")
        return c == ' ' || (c >= '\t' && c <= '\r');
    if (name == "blank")
        return c == ' ' || c == '\t';
    if (name == "punct")
        return punct;
    if (name == "print")
        return c >= 0x20 && c < 0x7F;
    if (name == "graph")
        return c > 0x20 && c < 0x7F;
    if (name == "cntrl")
        return c < 0x20 || c == 0x7F;
    if (name == "xdigit")
        return digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    known = false;
    return false;
}

// A set at p[0] == '['; `end` is set past it. false when the set is not closed (then "[" is
// an ordinary byte). A set naming an unknown class matches nothing.
bool InSet(std::string_view p, unsigned char c, bool fold, size_t& end, bool& matched) {
    size_t i = 1;
    const bool negate = i < p.size() && (p[i] == '!' || p[i] == '^');
    if (negate)
        ++i;
    matched = false;
    bool unknownClass = false;
    const unsigned char fc = Fold(c, fold);
    for (bool first = true; i < p.size(); first = false) {
        if (p[i] == ']' && !first) {
            end = i + 1;
            matched = !unknownClass && matched != negate;
            return true;
        }
        if (p[i] == '[' && i + 1 < p.size() && p[i + 1] == ':') {
            const size_t close = p.find(":]", i + 2);
            if (close != std::string_view::npos) {
                bool known = true;
                const std::string_view name = p.substr(i + 2, close - i - 2);
                if (InClass(name, c, known) || (fold && InClass(name, fc, known)) ||
                    (fold && c >= 'a' && c <= 'z' &&
                     InClass(name, static_cast<unsigned char>(c - 'a' + 'A'), known)))
                    matched = true;
                if (!known)
                    unknownClass = true;
                i = close + 2;
                continue;
            }
        }
        unsigned char lo = static_cast<unsigned char>(p[i]);
        if (lo == '\\' && i + 1 < p.size())
            lo = static_cast<unsigned char>(p[++i]);
        ++i;
        unsigned char hi = lo;
        if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
            hi = static_cast<unsigned char>(p[i + 1]);
            if (hi == '\\' && i + 2 < p.size())
                hi = static_cast<unsigned char>(p[++i + 1]);
            i += 2;
        }
        if ((c >= lo && c <= hi) || (fold && fc >= Fold(lo, true) && fc <= Fold(hi, true)))
            matched = true;
    }
    return false;
}

}  // namespace

bool GlobMatch(std::string_view p, std::string_view t, GlobOptions o) {
    // The usual greedy match with one remembered star: linear for patterns without sets.
    size_t pi = 0, ti = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (ti < t.size()) {
        const unsigned char c = static_cast<unsigned char>(t[ti]);
        const bool sep = o.path && c == '/';
        if (pi < p.size()) {
            const char pc = p[pi];
            if (pc == '*') {
                starP = ++pi;
                starT = ti;
                continue;
            }
            if (pc == '?' && !sep) {
                ++pi, ++ti;
                continue;
            }
            size_t end = 0;
            bool inSet = false;
            if (pc == '[' && InSet(p.substr(pi), c, o.foldCase, end, inSet)) {
                if (inSet && !sep) {
                    pi += end, ++ti;
                    continue;
                }
            } else {
                unsigned char lit = static_cast<unsigned char>(pc);
                size_t step = 1;
                if (pc == '\\' && pi + 1 == p.size())
                    return false;  // a "\" that escapes nothing: the pattern matches nothing
                if (pc == '\\')
                    lit = static_cast<unsigned char>(p[pi + 1]), step = 2;
                if (pc != '?' && Fold(lit, o.foldCase) == Fold(c, o.foldCase)) {
                    pi += step, ++ti;
                    continue;
                }
            }
        }
        // Back to the last star, which takes one more byte (never a "/" in a path).
        if (starP == std::string_view::npos || (o.path && t[starT] == '/'))
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

GlobProblem CheckGlob(std::string_view p) {
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == '\\') {
            if (++i == p.size())
                return GlobProblem::TrailingBackslash;
            continue;
        }
        if (p[i] != '[')
            continue;
        size_t end = 0;
        bool matched = false;
        if (!InSet(p.substr(i), 'a', false, end, matched))
            return GlobProblem::UnclosedSet;
        const std::string_view set = p.substr(i + 1, end - 2);
        for (size_t k = 0; k < set.size(); ++k) {
            if (set.substr(k, 2) == "[." || set.substr(k, 2) == "[=")
                return GlobProblem::Collating;
            if (set.substr(k, 3) == "-[:")
                return GlobProblem::ClassInRange;
            if (set.substr(k, 2) == "[:") {
                const size_t close = set.find(":]", k + 2);
                bool known = close != std::string_view::npos;
                if (known)
                    InClass(set.substr(k + 2, close - k - 2), 'a', known);
                if (!known)
                    return GlobProblem::UnknownClass;
            }
        }
        i += end - 1;
    }
    return GlobProblem::None;
}

}  // namespace corvelle
