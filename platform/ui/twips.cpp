// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/ui/fonts.h"

namespace corvelle {
namespace {

// Pixels per inch of the layout: the screen's, grown with a desktop font larger than the house
// 9 pt, so that the fixed layouts keep room for their captions.
double Dpi(const QWidget* w, bool x) {
    const QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const double dpi = s ? (x ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY()) : 96.0;
    return (dpi > 0 ? dpi : 96.0) * UiFontScale();
}

}  // namespace

double TwipsPerPixelX(const QWidget* w) {
    return 1440.0 / Dpi(w, true);
}
double TwipsPerPixelY(const QWidget* w) {
    return 1440.0 / Dpi(w, false);
}
int TwipsToPixelsX(double twips, const QWidget* w) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelX(w)));
}
int TwipsToPixelsY(double twips, const QWidget* w) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelY(w)));
}
double PixelsToTwipsX(int px, const QWidget* w) {
    return px * TwipsPerPixelX(w);
}
double PixelsToTwipsY(int px, const QWidget* w) {
    return px * TwipsPerPixelY(w);
}

QRect TwipsToRect(const TwRect& r, const QWidget* w) {
    return QRect(TwipsToPixelsX(r.left, w), TwipsToPixelsY(r.top, w),
                 std::max(0, TwipsToPixelsX(r.width, w)), std::max(0, TwipsToPixelsY(r.height, w)));
}

TwRect RectToTwips(const QRect& r, const QWidget* w) {
    return {PixelsToTwipsX(r.x(), w), PixelsToTwipsY(r.y(), w), PixelsToTwipsX(r.width(), w),
            PixelsToTwipsY(r.height(), w)};
}

void PlaceTw(QWidget* widget, const TwRect& r) {
    widget->setGeometry(TwipsToRect(r, widget));
}

}  // namespace corvelle
