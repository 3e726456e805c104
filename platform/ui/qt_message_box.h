// SPDX-License-Identifier: GPL-3.0-or-later
// Installs real Qt message boxes behind the message service.
#pragma once

class QMessageBox;

namespace corvelle {

void InstallQtMessageBoxes();
// Keeps a box at least as wide as its title needs.
void WidenForTitle(QMessageBox& box);

}  // namespace corvelle
