// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/codec.h"

#include <iconv.h>

#include <cerrno>

namespace corvelle {
namespace {

std::string Convert(std::string_view in, const char* to, const char* from, bool keepBad) {
    iconv_t cd = iconv_open(to, from);
    // iconv says "cannot" with (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr)
        return std::string(in);
    std::string out;
    std::string chunk(4 * in.size() + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = chunk.data();
        size_t dstLeft = chunk.size();
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(chunk.data(), chunk.size() - dstLeft);
        if (rc == static_cast<size_t>(-1) && (errno == EILSEQ || errno == EINVAL)) {
            out += keepBad ? *src : '?';
            ++src;
            --srcLeft;
        } else if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            break;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

bool NamesAreBytes() {
    return true;
}

CodePage DefaultCodePage() {
    return CodePage::Utf8;  // the program's texts as the locale writes them
}

std::string ToSystemText(std::string_view utf8) {
    if (SystemCodePage() == CodePage::Utf8)
        return std::string(utf8);
    return Convert(utf8, "CP932", "UTF-8", false);
}

std::string FromSystemText(std::string_view text) {
    if (SystemCodePage() == CodePage::Utf8)
        return std::string(text);
    return Convert(text, "UTF-8", "CP932", true);
}

}  // namespace corvelle
