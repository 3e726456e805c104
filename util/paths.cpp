// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/paths.h"

namespace corvelle {

std::string AddBackslash(std::string_view text) {
    std::string out(text);
    if (out.empty() || out.back() != kSep)
        out += kSep;
    return out;
}

bool IsAbsolutePath(std::string_view path) {
#ifdef _WIN32
    const auto sep = [](char c) { return c == '\\' || c == '/'; };
    return (path.size() >= 3 && path[1] == ':' && sep(path[2])) ||
           (path.size() >= 2 && sep(path[0]) && sep(path[1]));
#else
    return !path.empty() && path[0] == kSep;
#endif
}

std::string NormalizePath(std::string_view path, char sep) {
    // The root: a drive ("C:\\"), a share ("\\\\server\\share\\") or the separator.
    size_t rootEnd = 0;
    const bool windows = sep == '\\';
    if (windows && path.size() >= 2 && path[1] == ':') {
        rootEnd = 2;
    } else if (windows && path.size() >= 2 && path[0] == sep && path[1] == sep) {
        const size_t server = path.find(sep, 2);
        const size_t share = server == std::string_view::npos ? server : path.find(sep, server + 1);
        rootEnd = share == std::string_view::npos ? path.size() : share;
    }
    std::string out(path.substr(0, rootEnd));
    out += sep;
    const size_t keep = out.size();
    const bool trailing = path.size() > rootEnd + 1 && path.back() == sep;
    size_t at = rootEnd;
    while (at < path.size()) {
        size_t end = path.find(sep, at);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (out.size() > keep) {
                out.pop_back();  // this part's separator
                out.resize(out.rfind(sep) + 1);
            }
            continue;
        }
        out.append(part);
        out += sep;
    }
    if (!trailing && out.size() > keep)
        out.pop_back();
    return out;
}

std::string PercentEncode(std::string_view bytes, bool (*keep)(unsigned char)) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c != '%' && keep(c)) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string RemoveBackslash(std::string_view text) {
    if (!text.empty() && text.back() == kSep)
        text.remove_suffix(1);
    return std::string(text);
}

int StrSplit(std::string_view text, char separator, std::vector<std::string>& pieces) {
    pieces.clear();
    size_t previous = 0;
    for (size_t p = text.find(separator); p != std::string_view::npos;
         p = text.find(separator, previous)) {
        pieces.emplace_back(text.substr(previous, p - previous));
        previous = p + 1;
    }
    pieces.emplace_back(text.substr(previous));
    return static_cast<int>(pieces.size());
}

std::string PathLeaf(std::string_view path) {
    // Equivalent to the last piece of StrSplit, without a piece limit.
    const size_t p = path.rfind(kSep);
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string PathParent(std::string_view path) {
    return std::string(path.substr(0, path.size() - PathLeaf(path).size()));
}

std::string NullTrim(std::string_view text) {
    const size_t p = text.find('\0');
    return std::string(p == std::string_view::npos ? text : text.substr(0, p));
}

std::string NullCut(std::string_view text) {
    return NullTrim(text);
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    };
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (const int d = lower(a[i]) - lower(b[i]); d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace corvelle
