// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/modal_service.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <deque>

namespace corvelle {
namespace {

// While it lives, a minimised dialog (and every window above it) is restored at once.
class NeverMinimised : public QObject {
  public:
    explicit NeverMinimised(QDialog& dialog) : dialog_(dialog) { dialog.installEventFilter(this); }
    ~NeverMinimised() override { dialog_.removeEventFilter(this); }
    NeverMinimised(const NeverMinimised&) = delete;
    NeverMinimised& operator=(const NeverMinimised&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::WindowStateChange &&
            (dialog_.windowState() & Qt::WindowMinimized))
            QTimer::singleShot(0, &dialog_, [d = &dialog_] { Restore(d); });
        return false;
    }

  private:
    static void Restore(QWidget* dialog) {
        for (QWidget* w = dialog; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
            if (w->windowState() & Qt::WindowMinimized)
                w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        dialog->raise();
        dialog->activateWindow();
    }
    QDialog& dialog_;
};

std::deque<ModalScript>& Queue() {
    static std::deque<ModalScript> queue;
    return queue;
}

}  // namespace

int ShowModal(QDialog& dialog) {
    // A modal dialog cannot be minimised: that would hide the whole application behind it.
    dialog.setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    // Some X11 window managers (openbox) offer minimise on every dialog whatever its hints
    // say, and minimising a dialog iconifies its owner too: a black screen with no way back.
    // The dialog and its owners are shown again at once.
    NeverMinimised keeper(dialog);
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
