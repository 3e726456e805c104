// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/ui/path_text.h"

namespace corvelle {
namespace {

std::function<bool(const std::string&)>& Backend() {
    static std::function<bool(const std::string&)> backend;
    return backend;
}

bool OpenWithDesktop(const std::string& target) {
    const QString text = PathToQString(target);
    const bool web = text.contains(QStringLiteral("://")) || text.startsWith("mailto:");
    if (web)
        return QDesktopServices::openUrl(QUrl(text));
    // A local file by its bytes, so a name that is not UTF-8 still names the same file.
    const QByteArray bytes(target.data(), static_cast<qsizetype>(target.size()));
    return QDesktopServices::openUrl(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/")));
}

}  // namespace

int ShellOpen(QWidget*, const std::string& target) {
    std::string t = target;
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        t = t.substr(1, t.size() - 2);
    const bool ok = Backend() ? Backend()(t) : OpenWithDesktop(t);
    return ok ? 33 : 2;
}

void SetShellOpenBackend(std::function<bool(const std::string&)> backend) {
    Backend() = std::move(backend);
}

}  // namespace corvelle
