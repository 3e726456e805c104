// SPDX-License-Identifier: GPL-3.0-or-later
// The system code page for the program's own texts in files. Paths are never converted.
#pragma once

#include <string>
#include <string_view>

namespace corvelle {

enum class CodePage { Utf8, Cp932 };

CodePage SystemCodePage();
// Tests force CP932 to prove the Japanese texts encode as the Windows build wrote them.
void SetSystemCodePage(CodePage page);

// UTF-8 program text to the system code page; a character the page lacks becomes "?".
std::string ToSystemText(std::string_view utf8);
// Back to UTF-8; bytes that do not decode are kept as they are.
std::string FromSystemText(std::string_view text);

}  // namespace corvelle
