// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/modal_service.h"

#include <QDialog>
#include <deque>

namespace corvelle {
namespace {

std::deque<ModalScript>& Queue() {
    static std::deque<ModalScript> queue;
    return queue;
}

}  // namespace

int ShowModal(QDialog& dialog) {
    // A modal dialog cannot be minimised: that would hide the whole application behind it.
    dialog.setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    if (Queue().empty())
        return dialog.exec();
    ModalScript script = std::move(Queue().front());
    Queue().pop_front();
    dialog.setModal(true);
    dialog.show();
    script(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

void QueueModalScript(ModalScript script) {
    Queue().push_back(std::move(script));
}
int QueuedModalScripts() {
    return static_cast<int>(Queue().size());
}

}  // namespace corvelle
