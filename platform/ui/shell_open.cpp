// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/shell_open.h"

#include "platform/ui/open_with_desktop.h"

namespace corvelle {
namespace {

std::function<bool(const std::string&)>& Backend() {
    static std::function<bool(const std::string&)> backend;
    return backend;
}

}  // namespace

int ShellOpen(QWidget* owner, const std::string& target, std::string* reason) {
    std::string t = target;
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        t = t.substr(1, t.size() - 2);
    std::string why;
    const bool ok = Backend() ? Backend()(t) : OpenWithDesktop(owner, t, why);
    if (!ok && reason)
        *reason = why;
    return ok ? 33 : 2;
}

void SetShellOpenBackend(std::function<bool(const std::string&)> backend) {
    Backend() = std::move(backend);
}

}  // namespace corvelle
