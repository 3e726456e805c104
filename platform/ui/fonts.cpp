// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <algorithm>

namespace corvelle {
namespace {

const QString kHouseFamily = QStringLiteral("ＭＳ Ｐゴシック");
constexpr double kHouseSize = 9;

// The font the window is built around; the house font until a desktop's is adopted.
QFont& Base() {
    static QFont base = [] {
        QFont f(kHouseFamily);
        f.setPointSizeF(kHouseSize);
        return f;
    }();
    return base;
}

}  // namespace

void InstallFontSubstitutes() {
    // Used only where the family asked for is missing: Windows has "ＭＳ Ｐゴシック" itself
    // (and "MS PGothic", its English name), a Windows without the Japanese fonts has Meiryo UI
    // or Yu Gothic UI at best, Linux has the IPA or Noto fonts.
    QFont::insertSubstitutions(
        kHouseFamily, QStringList{QStringLiteral("MS PGothic"), QStringLiteral("Meiryo UI"),
                                  QStringLiteral("Yu Gothic UI"), QStringLiteral("IPAPGothic"),
                                  QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

QFont ChooseUiFont(const QFont& desktop, bool desktopIsFixedPitch) {
    // Qt's generic default ("Sans Serif") is no desktop's choice, and a fixed-pitch face (what
    // a Japanese locale's "sans-serif" often is) makes Latin text look typed.
    const QString family = desktop.family();
    if (family.isEmpty() || family.compare(QLatin1String("Sans Serif"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("sans-serif"), Qt::CaseInsensitive) == 0 ||
        desktopIsFixedPitch || desktop.pointSizeF() <= 0) {
        QFont house(kHouseFamily);
        house.setPointSizeF(kHouseSize);
        return house;
    }
    QFont f(desktop);
    // Japanese glyphs the desktop's face lacks come from the house font (the IPA one here).
    f.setFamilies({family, kHouseFamily});
    return f;
}

void InstallUiFont() {
    // The windows platform keeps the house font (the program's own look there); elsewhere the
    // desktop's UI font when its platform theme names one.
    if (QGuiApplication::platformName() != QLatin1String("windows")) {
        const QFont desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        Base() = ChooseUiFont(desktop, QFontInfo(desktop).fixedPitch());
    }
    QApplication::setFont(Base());
}

double UiFontScale() {
    return std::max(1.0, Base().pointSizeF() / kHouseSize);
}

QFont UiFont(double pointSize) {
    QFont f = Base();
    // Sizes keep their proportion to the house size: 12 pt stays a third larger than the rest.
    f.setPointSizeF(Base().pointSizeF() * pointSize / kHouseSize);
    return f;
}

}  // namespace corvelle
