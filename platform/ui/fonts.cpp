// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/fonts.h"

#include <QFont>
#include <QStringList>

namespace corvelle {

void InstallFontSubstitutes() {
    // Used only where the family asked for is missing: Windows has "ＭＳ Ｐゴシック" itself
    // (and "MS PGothic", its English name), a Windows without the Japanese fonts has Meiryo UI
    // or Yu Gothic UI at best, Linux has the IPA or Noto fonts.
    QFont::insertSubstitutions(
        QStringLiteral("ＭＳ Ｐゴシック"),
        QStringList{QStringLiteral("MS PGothic"), QStringLiteral("Meiryo UI"),
                    QStringLiteral("Yu Gothic UI"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

QFont UiFont(double pointSize) {
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSizeF(pointSize);
    return f;
}

}  // namespace corvelle
