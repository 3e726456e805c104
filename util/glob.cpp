// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/glob.h"

#include <cstddef>

namespace corvelle {
namespace {

unsigned char Fold(unsigned char c, bool fold) {
    return fold && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// A set at p[0] == '['; `end` is set past it. false when the set is not closed (then "[" is
// an ordinary byte).
bool InSet(std::string_view p, unsigned char c, bool fold, size_t& end, bool& matched) {
    size_t i = 1;
    const bool negate = i < p.size() && (p[i] == '!' || p[i] == '^');
    if (negate)
        ++i;
    matched = false;
    const unsigned char fc = Fold(c, fold);
    for (bool first = true; i < p.size(); first = false) {
        if (p[i] == ']' && !first) {
            end = i + 1;
            matched = matched != negate;
            return true;
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
                if (pc == '\\' && pi + 1 < p.size())
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

}  // namespace corvelle
