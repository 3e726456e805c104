// SPDX-License-Identifier: GPL-3.0-or-later
// Installs real Qt message boxes behind the message service.
#pragma once

#include <memory>

class QMessageBox;

namespace corvelle {

struct MessageRequest;

void InstallQtMessageBoxes();
// The box the program shows for a request (title, icon, standard buttons, width).
std::unique_ptr<QMessageBox> MakeMessageBox(const MessageRequest& req);
// Keeps a box at least as wide as its title needs.
void WidenForTitle(QMessageBox& box);

}  // namespace corvelle
