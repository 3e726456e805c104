// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/path_text.h"

#include <QUrl>
#include <cctype>

#include "util/utf8.h"

namespace corvelle {

QString PathToQString(std::string_view bytes) {
    // Most paths are plain ASCII: Qt's own conversion is much faster for those.
    bool ascii = true;
    for (const char c : bytes) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t n = Utf8Length(p + i, bytes.size() - i, cp);
        if (n == 0) {
            out += QChar(static_cast<char16_t>(0xDC00 + p[i]));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return out;
}

std::string QStringToPath(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendUtf8(out, QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00);  // an escaped byte
        } else if (QChar::isSurrogate(u)) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate that no byte made
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string LocalPathOfUrl(const QUrl& url, char sep) {
    if (!url.isLocalFile())
        return {};
    // The path's own bytes, also for names that are not UTF-8.
    std::string path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    if (sep != '/') {
        // "/C:/…" is the drive path "C:/…".
        if (path.size() >= 3 && path[0] == '/' && path[2] == ':' &&
            std::isalpha(static_cast<unsigned char>(path[1])))
            path.erase(0, 1);
        for (char& c : path)
            if (c == '/')
                c = sep;
    }
    if (!url.host().isEmpty())
        path = std::string(2, sep) + url.host().toStdString() + path;
    return path;
}

}  // namespace corvelle
