// The one twips conversion: 1440 twips per inch at the screen's logical resolution.
#pragma once

class QWidget;

namespace corvelle {

double TwipsPerPixelX(const QWidget* w = nullptr);
double TwipsPerPixelY(const QWidget* w = nullptr);
int TwipsToPixelsX(double twips, const QWidget* w = nullptr);
int TwipsToPixelsY(double twips, const QWidget* w = nullptr);
double PixelsToTwipsX(int px, const QWidget* w = nullptr);
double PixelsToTwipsY(int px, const QWidget* w = nullptr);

}  // namespace corvelle
