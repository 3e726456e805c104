// SPDX-License-Identifier: GPL-3.0-or-later
// The code-page conversion on any bytes, both pages: no crash; UTF-8 Japanese program
// texts survive a trip through CP932.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/os/codec.h"

using namespace corvelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (CodePage page : {CodePage::Utf8, CodePage::Cp932}) {
        SetSystemCodePage(page);
        (void)FromSystemText(ToSystemText(text));
        (void)ToSystemText(FromSystemText(text));
    }
    SetSystemCodePage(CodePage::Cp932);
    const std::string known = "★空フォルダのため削除★◆失敗!◆成功";
    if (FromSystemText(ToSystemText(known)) != known)
        std::abort();
    SetSystemCodePage(CodePage::Utf8);
    return 0;
}
