// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a document or a web address with the desktop's default handler.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace corvelle {

// Above 32 means success (2 when the target cannot be opened, `reason` then saying why when
// given). A target wrapped in double quotes is unwrapped; web addresses go to the browser,
// paths to their associated program.
int ShellOpen(QWidget* owner, const std::string& target, std::string* reason = nullptr);

// Tests replace the desktop with a recorder; it gets the unwrapped target.
void SetShellOpenBackend(std::function<bool(const std::string& target)> backend);

}  // namespace corvelle
