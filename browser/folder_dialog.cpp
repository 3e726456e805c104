// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/folder_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/ui/fonts.h"
#include "platform/ui/twips.h"

namespace corvelle {

FolderDialog::FolderDialog(QWidget* parent, double clientWidthTw, double clientHeightTw)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    // The hint gives Windows a frame that cannot be dragged (a fixed size alone does not).
    setFixedSize(TwipsToPixelsX(clientWidthTw, this), TwipsToPixelsY(clientHeightTw, this));
}

void FolderDialog::NoCaption() {
    // Qt shows the program's name for an empty title; a blank shows nothing.
    setWindowTitle(QStringLiteral(" "));
}

QPushButton* FolderDialog::Button(const char* name, const QString& caption, const TwRect& r) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setDefault(false);
    PlaceTw(b, r);
    return b;
}

QLabel* FolderDialog::PromptLabel(const char* name, const QString& caption, const TwRect& r) {
    auto* l = new QLabel(caption, this);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(UiFont(9));
    PlaceTw(l, r);
    return l;
}

FolderDialog::PromptControls FolderDialog::BuildPrompt(const char* boxName, const QString& prompt) {
    PromptControls c;
    c.box = new QLineEdit(this);
    c.box->setObjectName(QString::fromLatin1(boxName));
    PlaceTw(c.box, {120, 360, 3855, 270});
    c.label = PromptLabel("Label1", prompt, {120, 120, 3855, 255});
    c.ok = Button("cmdOk", QStringLiteral("OK"), {1560, 840, 1095, 375});
    c.cancel = Button("cmdCancel", QStringLiteral("Cancel"), {2880, 840, 1095, 375});
    setTabOrder(c.box, c.ok);
    setTabOrder(c.ok, c.cancel);
    EnterMovesFocus(c.box, c.ok);
    focusOnShow_ = c.box;
    return c;
}

void FolderDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (focusOnShow_)
        focusOnShow_->setFocus();
}

void FolderDialog::EnterMovesFocus(QLineEdit* box, QWidget* to) {
    enterBox_ = box;
    enterTarget_ = to;
    box->installEventFilter(this);
}

bool FolderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == enterBox_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // As if by Tab: the style then draws the button's focus frame.
            enterTarget_->setFocus(Qt::TabFocusReason);
            setAttribute(Qt::WA_KeyboardFocusChange);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            event->accept();
            return;  // no cancel button
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* b = qobject_cast<QPushButton*>(focusWidget()))
                b->click();
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace corvelle
