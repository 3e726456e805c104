// SPDX-License-Identifier: GPL-3.0-or-later
// The system code page for the program's own texts in files. On Linux names are bytes and
// paths are never converted; on Windows names are Unicode and go into files as any text.
#pragma once

#include <string>
#include <string_view>

namespace corvelle {

enum class CodePage { Utf8, Cp932 };

// The system's own: UTF-8 on Linux, the ANSI code page on Windows (932 where it is Japanese).
CodePage DefaultCodePage();
// The one in use (DefaultCodePage until set).
CodePage SystemCodePage();
// Tests force CP932 to prove the Japanese texts encode as the Windows build wrote them.
void SetSystemCodePage(CodePage page);

// UTF-8 program text to the system code page; a character the page lacks becomes "?".
std::string ToSystemText(std::string_view utf8);
// Back to UTF-8; bytes that do not decode are kept as they are.
std::string FromSystemText(std::string_view text);

// True where file names are bytes to keep as they are (Linux); false where they are Unicode
// text (Windows).
bool NamesAreBytes();

// Text in the system code page exactly when every character of it fits there.
bool FitsSystemText(std::string_view utf8);
// A text file people and other programs read back (the settings file, the log) whose names
// are Unicode: in the system code page when all of it fits, else UTF-8 behind a byte-order
// mark, so that no name is lost. FromFileText reads either.
std::string ToFileText(std::string_view utf8);
std::string FromFileText(std::string_view bytes);

}  // namespace corvelle
