// SPDX-License-Identifier: GPL-3.0-or-later
// The code page the program's files use, and text files with Unicode names in them: the code
// page when it can hold them, else UTF-8.
#include "platform/os/codec.h"

namespace corvelle {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

CodePage& Current() {
    static CodePage page = DefaultCodePage();
    return page;
}

}  // namespace

CodePage SystemCodePage() {
    return Current();
}

void SetSystemCodePage(CodePage page) {
    Current() = page;
}

bool FitsSystemText(std::string_view utf8) {
    return SystemCodePage() == CodePage::Utf8 || FromSystemText(ToSystemText(utf8)) == utf8;
}

std::string ToFileText(std::string_view utf8) {
    if (SystemCodePage() == CodePage::Utf8)
        return std::string(utf8);
    if (FitsSystemText(utf8))
        return ToSystemText(utf8);
    return std::string(kBom) + std::string(utf8);
}

std::string FromFileText(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom)
        return std::string(bytes.substr(kBom.size()));
    return FromSystemText(bytes);
}

}  // namespace corvelle
