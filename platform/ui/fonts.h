// SPDX-License-Identifier: GPL-3.0-or-later
// The window fonts the program asks for, with the families this desktop has in their place.
#pragma once

class QFont;

namespace corvelle {

// "ＭＳ Ｐゴシック" -> its English name, Meiryo UI, IPAPGothic…; "Arial" -> Liberation Sans.
void InstallFontSubstitutes();
QFont UiFont(double pointSize = 9);

}  // namespace corvelle
