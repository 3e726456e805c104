// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8, strictly: one step of decoding and one of encoding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvelle {

// Length of the well-formed UTF-8 sequence at p (1..4) with its code point in cp, or 0 (an
// overlong form, a surrogate, a value past U+10FFFF or a cut sequence).
size_t Utf8Length(const unsigned char* p, size_t left, char32_t& cp);
void AppendUtf8(std::string& out, char32_t cp);
// True when every byte belongs to a well-formed sequence.
bool IsValidUtf8(std::string_view text);

}  // namespace corvelle
