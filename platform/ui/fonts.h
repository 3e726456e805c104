// SPDX-License-Identifier: GPL-3.0-or-later
// The window fonts the program asks for, with the families this desktop has in their place.
#pragma once

class QFont;

namespace corvelle {

// "ＭＳ Ｐゴシック" -> its English name, Meiryo UI, IPAPGothic…; "Arial" -> Liberation Sans.
void InstallFontSubstitutes();
// The program's font: the desktop's UI font when its platform theme names one (with the house
// font "ＭＳ Ｐゴシック" behind it for Japanese glyphs), else the house font at 9 pt. Made the
// application's font, so message boxes and dialogs use it too. Not on the windows platform.
void InstallUiFont();
// The choice itself: the desktop's font, or the house font when that is no real choice.
QFont ChooseUiFont(const QFont& desktop, bool desktopIsFixedPitch);
// The program's font at a size given for the house font's 9 pt, scaled to the one in use.
QFont UiFont(double pointSize = 9);
// How much larger than the house 9 pt the font in use is (never below 1): the fixed layouts
// grow by it.
double UiFontScale();

}  // namespace corvelle
