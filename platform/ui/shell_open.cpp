#include "platform/ui/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

namespace corvelle {
namespace {

std::function<bool(const std::string&)>& Backend() {
    static std::function<bool(const std::string&)> backend;
    return backend;
}

bool OpenWithDesktop(const std::string& target) {
    const QString text = QString::fromLocal8Bit(target);
    const bool web = text.contains(QStringLiteral("://")) || text.startsWith("mailto:");
    return QDesktopServices::openUrl(web ? QUrl(text) : QUrl::fromLocalFile(text));
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
