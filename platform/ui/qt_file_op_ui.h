// SPDX-License-Identifier: GPL-3.0-or-later
// The file operation's questions, errors and progress window as Qt dialogs.
#pragma once

#include <QString>
#include <string>

#include "platform/os/file_op.h"

class QWidget;

namespace corvelle {

// The owner handle a file operation carries for a window (passed through, never read here).
inline OwnerHandle OwnerOf(const QWidget* window) {
    return reinterpret_cast<OwnerHandle>(window);
}

// Installs the dialogs as the current file-operation window services.
void InstallQtFileOpUi();
// The progress window's text: the item, and for copies the bytes done of the total with a
// percentage.
QString ProgressText(const std::string& item, long long done, long long total);

}  // namespace corvelle
