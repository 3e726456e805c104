// SPDX-License-Identifier: GPL-3.0-or-later
// The file operation's questions, errors and progress window as Qt dialogs.
#pragma once

#include <QString>
#include <string>

#include "platform/os/file_op.h"

namespace corvelle {

// Installs the dialogs as the current file-operation window services.
void InstallQtFileOpUi();
// The progress window's text: the item, and for copies the bytes done of the total with a
// percentage.
QString ProgressText(const std::string& item, long long done, long long total);

}  // namespace corvelle
