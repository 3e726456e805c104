// SPDX-License-Identifier: GPL-3.0-or-later
// The one twips conversion: 1440 twips per inch at the screen's logical resolution.
#pragma once

#include <QRect>

#include "util/twrect.h"

class QWidget;

namespace corvelle {

double TwipsPerPixelX(const QWidget* w = nullptr);
double TwipsPerPixelY(const QWidget* w = nullptr);
int TwipsToPixelsX(double twips, const QWidget* w = nullptr);
int TwipsToPixelsY(double twips, const QWidget* w = nullptr);
double PixelsToTwipsX(int px, const QWidget* w = nullptr);
double PixelsToTwipsY(int px, const QWidget* w = nullptr);
// Places a widget from twips; negative sizes become empty.
QRect TwipsToRect(const TwRect& r, const QWidget* w = nullptr);
TwRect RectToTwips(const QRect& r, const QWidget* w = nullptr);
void PlaceTw(QWidget* widget, const TwRect& r);

}  // namespace corvelle
