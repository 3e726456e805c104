// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/open_with_desktop.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/ui/path_text.h"

namespace corvelle {

bool OpenWithDesktop(QWidget*, const std::string& target) {
    const QString text = PathToQString(target);
    const bool web = text.contains(QStringLiteral("://")) || text.startsWith("mailto:");
    if (web)
        return QDesktopServices::openUrl(QUrl(text));
    // A local file by its bytes, so a name that is not UTF-8 still names the same file.
    const QByteArray bytes(target.data(), static_cast<qsizetype>(target.size()));
    return QDesktopServices::openUrl(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/")));
}

}  // namespace corvelle
