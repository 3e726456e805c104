// SPDX-License-Identifier: GPL-3.0-or-later
// Shows modal dialogs; tests queue scripts that fill in and close the next dialog instead of
// waiting in its event loop.
#pragma once

#include <functional>

class QDialog;

namespace corvelle {

using ModalScript = std::function<void(QDialog& dialog)>;

// Runs the dialog modally (or the next queued script on it); returns its result code.
int ShowModal(QDialog& dialog);
void QueueModalScript(ModalScript script);
int QueuedModalScripts();

}  // namespace corvelle
