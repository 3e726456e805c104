// SPDX-License-Identifier: GPL-3.0-or-later
// The ANSI code page of Windows: 932 on the systems the program is made for.
#include "platform/os/codec.h"

#include "platform/os/windows/win_base.h"

namespace corvelle {

bool NamesAreBytes() {
    return false;
}

CodePage DefaultCodePage() {
    return GetACP() == 932 ? CodePage::Cp932 : CodePage::Utf8;
}

std::string ToSystemText(std::string_view utf8) {
    if (SystemCodePage() == CodePage::Utf8)
        return std::string(utf8);
    const std::wstring w = win::Wide(utf8);
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::string FromSystemText(std::string_view text) {
    if (SystemCodePage() == CodePage::Utf8 || text.empty())
        return std::string(text);
    const int n =
        MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return win::Narrow(w);
}

}  // namespace corvelle
