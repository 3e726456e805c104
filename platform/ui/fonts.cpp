// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/fonts.h"

#include <QFont>

namespace corvelle {

void InstallFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

QFont UiFont(double pointSize) {
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSizeF(pointSize);
    return f;
}

}  // namespace corvelle
